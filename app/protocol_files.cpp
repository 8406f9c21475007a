// Protocol files: saving a competition table where the user chooses and
// opening one back, with the default file name and the load failure message.
// Filled in with the protocol files' logic.
#include "app/main_window.h"

void TfrmMain::SaveProtocolFile(TClientDataSet& /*Table*/, const QString& /*Kind*/) {}

void TfrmMain::LoadProtocolFile(TClientDataSet& /*Table*/) {}

void TfrmMain::btnSaveCompetitorClick() {}

void TfrmMain::btnLoadCompetitorClick() {}

void TfrmMain::btnSaveSnatchClick() {}

void TfrmMain::btnLoadSnatchClick() {}

void TfrmMain::btnSaveLongCycleClick() {}

void TfrmMain::btnLoadLongCycleClick() {}

void TfrmMain::btnSaveBiathlonClick() {}

void TfrmMain::btnLoadBiathlonClick() {}

void TfrmMain::btnSaveRRClick() {}

void TfrmMain::btnLoadRRClick() {}

void TfrmMain::btnSaveTeamProtocolClick() {}

void TfrmMain::btnLoadTeamProtocolClick() {}
