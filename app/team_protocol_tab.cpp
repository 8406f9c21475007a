// The team protocol: its run-time columns, filling them from the discipline
// protocols and the relay race, the best-N cut, team expressions, totals and
// places, the display mark of points that do not count for the team.
// Filled in with the team protocol's logic.
#include "app/main_window.h"
#include "common/int_sort_list.h"

void TfrmMain::btnCreateTeamProtocolClick() {}

void TfrmMain::btnCalculatePositionClick() {}

void TfrmMain::grTeamProtocolKeyPress(TDataGrid& /*Sender*/, QChar& /*Key*/) {}

void TfrmMain::grTeamProtocolTitleClick(TDataGrid& /*Sender*/, int /*Position*/) {}

void TfrmMain::dsTeamProtocolBeforeInsert(TClientDataSet& /*DataSet*/) {}

void TfrmMain::TeamPointGetText(TField& /*Sender*/, QString& /*Text*/, bool /*DisplayText*/) {}

TField& TfrmMain::AddTeamProtocolField(TClientDataSet& Table, int Kind, const QString& Name,
                                       const QString& Label) {
  TField& field = Table.AddField(Name, Kind == 1 ? TFieldType::ftString : TFieldType::ftInteger);
  field.SetDisplayLabel(Label);
  return field;
}

void TfrmMain::AddTeamProtocolClassFields(TClientDataSet& /*Table*/, TField& /*WeightField*/,
                                          const QString& /*NamePrefix*/, const QString& /*LabelPrefix*/) {}

void TfrmMain::FillTeamColumns(TField& /*TeamField*/, TField& /*WeightField*/, TField& /*ProtocolTeamField*/,
                               TField& /*PointField*/, const QString& /*Sex*/, const QString& /*Prefix*/) {}

void TfrmMain::LimitTeamCells(int /*N*/) {}

void TfrmMain::AddRelayPoints() {}

void TfrmMain::CheckTeamExpression(const QString& /*Text*/, TIntSortList& /*List*/) {}

int TfrmMain::SumTeamExpression(const QString& /*Text*/) {
  return 0;
}
