// Print requests: what the window gathers for the protocol builder and the
// builder operation each print button and the export start.
// Filled in with the print requests.
#include "app/main_window.h"

void TfrmMain::btnPrintSnatchClick() {}

void TfrmMain::btnPrintLongCycleClick() {}

void TfrmMain::btnPrintBiathlonClick() {}

void TfrmMain::btnPrintRRClick() {}

void TfrmMain::btnPrintTeamProtocolClick() {}

void TfrmMain::miExportExcelClick() {}

QString TfrmMain::GetWeightClassCaption() {
  return QString();
}

void TfrmMain::GetPlatformReferees(QString& /*Referee*/, QString& /*MainReferee*/) {}
