// The streams tab: opening the stream files, the list of competitors still to
// be placed, choosing a competitor into a stream, returning a removed one.
// Filled in with the streams tab's logic.
#include "app/main_window.h"

void TfrmMain::tbshStreamShow() {}

void TfrmMain::tbshStreamSnatchShow() {}

void TfrmMain::tbshStreamLongCycleShow() {}

void TfrmMain::tbshStreamBiathlonShow() {}

void TfrmMain::btnRefreshStreamHBClick() {}

void TfrmMain::butCompetitorStreamSelectClick() {}

void TfrmMain::grStreamHBKeyPress(TDataGrid& /*Sender*/, QChar& /*Key*/) {}

void TfrmMain::ReturnCompetitorToList(TClientDataSet& /*Stream*/) {}

void TfrmMain::dsCompetitorStreamAfterInsert(TClientDataSet& /*DataSet*/) {}
