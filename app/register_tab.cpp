// The registration tab and the reference tables' save buttons: field rules of
// the register, growth of the team and coach handbooks, completion from the
// handbooks, taking a competitor over from the competitor handbook, the
// insert guards, the table copy.
// Filled in with the register tab's logic.
#include "app/main_window.h"

void TfrmMain::dsCompetitorNotNullStrValidate(TField& /*Sender*/) {}

void TfrmMain::dsCompetitorRealWeightChange(TField& /*Sender*/) {}

void TfrmMain::dsCompetitorNewRecord(TClientDataSet& /*DataSet*/) {}

void TfrmMain::dsCompetitorAfterPost(TClientDataSet& /*DataSet*/) {}

void TfrmMain::dsCompetitorBeforeInsert(TClientDataSet& /*DataSet*/) {}

void TfrmMain::dsSnatchBeforeInsert(TClientDataSet& /*DataSet*/) {}

void TfrmMain::dsLongCycleBeforeInsert(TClientDataSet& /*DataSet*/) {}

void TfrmMain::dsBiathlonBeforeInsert(TClientDataSet& /*DataSet*/) {}

void TfrmMain::dsRelayRaceBeforeInsert(TClientDataSet& /*DataSet*/) {}

void TfrmMain::edNameKeyUp(TDataEdit& /*Sender*/, int /*Key*/, Qt::KeyboardModifiers /*Shift*/) {}

void TfrmMain::edNameExit(TDataEdit& /*Sender*/) {}

void TfrmMain::edTeamKeyUp(TDataEdit& /*Sender*/, int /*Key*/, Qt::KeyboardModifiers /*Shift*/) {}

void TfrmMain::butHBSelectClick() {}

void TfrmMain::tbshCredentialsCommitteeShow() {}

void TfrmMain::CopyAllRecords(TClientDataSet& /*Source*/, TClientDataSet& /*Dest*/) {}

void TfrmMain::btnSaveNormativeClick() {}

void TfrmMain::btnSaveManWeightClick() {}

void TfrmMain::btnSaveWomanWeightClick() {}

void TfrmMain::btnSaveRefereePMClick() {}

void TfrmMain::btnSaveRefereePClick() {}

void TfrmMain::btnSaveOrganizatorClick() {}

void TfrmMain::btnSaveCompetitorWeightClick() {}
