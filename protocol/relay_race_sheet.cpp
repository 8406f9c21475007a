#include <optional>
#include <vector>

#include "platform/core/fmt.h"
#include "platform/table/client_dataset.h"
#include "protocol/excel_manager.h"
#include "protocol/protocol.h"
#include "protocol/sheet_pen.h"

// One block per team: a head, one row per stage with the team's running
// result rebuilt as formulas, and the totals. A new block starts wherever the
// team changes from one record to the next in the table's order.
void TProtocol::WriteRelayRaceSheet(int ASex, int ADiscipline, TExcelManager& AExcel, int ASheet,
                                    const QString& ACompetitionName, const QString& ADate,
                                    const QString& ACity, TClientDataSet& AOrganizer,
                                    TClientDataSet& ARelayRace) {
  if (!ARelayRace.Active()) {
    return;
  }
  ARelayRace.SetFilter(Fmt(QStringLiteral("(SexRef=%d) and (Discipline=%d)"),
                           {QString::number(ASex), QString::number(ADiscipline)}));
  ARelayRace.SetFiltered(true);
  if (ARelayRace.RecordCount() == 0) {
    return;
  }

  QString disciplineWord;
  switch (ADiscipline) {
    case 1:
      disciplineWord = FLanguage->JerkTitle();
      break;
    case 2:
      disciplineWord = FLanguage->LongCycleTitle();
      break;
    case 3:
      disciplineWord = FLanguage->SnatchTitle();
      break;
    default:
      break;
  }

  TSheetPen pen(AExcel, ASheet);
  int row = 1;
  SetRelayColumnWidths(AExcel, ASheet);
  WriteOrganizers(AExcel, ASheet, row, AOrganizer, QStringLiteral("A"), QStringLiteral("I"));

  // The relay is always run with 32 kg kettlebells, for women too.
  pen.PutMerged('A', 'B', row, Fmt(FLanguage->WeightOfKettlebell(), {QStringLiteral("32")}));
  pen.PutMerged('D', 'H', row, FLanguage->Protocol());
  ++row;

  pen.PutMergedFramed('A', 'C', row, QStringLiteral("Высшее достижение России"));
  pen.PutMerged('D', 'H', row,
                Fmt(QStringLiteral("%s по гиревому спорту среди %s %s (%s)"),
                    {ACompetitionName, SexWord(ASex), FLanguage->Relay(), disciplineWord}));
  pen.Put('I', row, ADate);
  ++row;

  pen.Merge('A', 'C', row);
  pen.Frame('A', 'C', row);
  pen.Put('I', row, ACity);
  ++row;

  TField& team = ARelayRace.FieldByName(QStringLiteral("Team"));
  TField& position = ARelayRace.FieldByName(QStringLiteral("Position"));
  TField& step = ARelayRace.FieldByName(QStringLiteral("Step"));
  TField& weightCategory = ARelayRace.FieldByName(QStringLiteral("WeightCategory"));
  TField& name = ARelayRace.FieldByName(QStringLiteral("Name"));
  TField& birthday = ARelayRace.FieldByName(QStringLiteral("Birthday"));
  TField& weight = ARelayRace.FieldByName(QStringLiteral("Weight"));
  TField& result = ARelayRace.FieldByName(QStringLiteral("Result"));
  TField& trainer = ARelayRace.FieldByName(QStringLiteral("Trainer"));

  int blockHead = 0;
  int blockStart = 0;
  // Each team's block from its caption to its totals and the empty row after
  // them, kept on one page.
  std::vector<spreadsheet::TRowBlock> blocks;
  // No block open yet. Kept apart from the team's text so that stages whose
  // team was left empty still make one block with its totals, like any team.
  std::optional<QString> previousTeam;

  const auto writeRelayTeamHead = [&] {
    blockHead = row;
    pen.PutMerged('A', 'C', row, FLanguage->RelayTeam() + u':', false);
    pen.Put('D', row, team);
    const QString titles[] = {FLanguage->Place(),
                              FLanguage->Step(),
                              FLanguage->WeightCategory(),
                              FLanguage->Name(),
                              FLanguage->DateOfBirth(),
                              FLanguage->BodyWeight(),
                              FLanguage->CompetitorResult(),
                              FLanguage->TeamResult(),
                              FLanguage->Coach()};
    char col = 'A';
    for (const QString& caption : titles) {
      pen.PutBoxed(col++, row + 1, caption);
    }
    pen.Put('A', row + 2, position);
    blockStart = row + 2;
    previousTeam = team.AsString();
    row += 2;
  };

  const auto writeRelayTeamEnd = [&] {
    pen.Merge('A', blockStart, 'A', row - 1);
    pen.Frame('A', blockStart, 'A', row - 1);
    pen.PutMerged('A', 'E', row, FLanguage->TotalTeamWeight() + u':', false);
    AExcel.SetCellFormula(
        ASheet, 6, row, Fmt(QStringLiteral("=SUM(%s:%s)"), {CellName(6, blockStart), CellName(6, row - 1)}));
    pen.Box('F', row);
    pen.PutMerged('A', 'G', row + 1, FLanguage->TotalResult() + u':', false);
    AExcel.SetCellFormula(
        ASheet, 8, row + 1,
        Fmt(QStringLiteral("=SUM(%s:%s)"), {CellName(7, blockStart), CellName(7, row - 1)}));
    pen.Box('H', row + 1);
    blocks.push_back({blockHead, row + 2});
    row += 3;
  };

  ARelayRace.First();
  while (!ARelayRace.Eof()) {
    if (!previousTeam) {
      writeRelayTeamHead();
    } else if (team.AsString() != *previousTeam) {
      writeRelayTeamEnd();
      writeRelayTeamHead();
    }
    pen.PutBoxed('B', row, step);
    pen.PutBoxed('C', row, weightCategory);
    pen.PutBoxed('D', row, name);
    pen.PutBoxed('E', row, birthday);
    pen.PutBoxed('F', row, weight);
    pen.PutBoxed('G', row, result);
    // The running result after this stage: the previous one plus this competitor's.
    if (row == blockStart) {
      pen.Put('H', row, result);
    } else {
      pen.PutFormula('H', row, Fmt(QStringLiteral("=%s+%s"), {CellName(8, row - 1), CellName(7, row)}));
    }
    pen.Box('H', row);
    pen.PutBoxed('I', row, trainer);
    ++row;
    ARelayRace.Next();
  }
  writeRelayTeamEnd();
  // Nothing follows the last team: its empty row needs no room.
  --blocks.back().Last;
  AExcel.FitRowHeights(ASheet);
  // The print's page everywhere, so that the exported sheet's pages break as
  // the printed ones do; at its widths the sheet fills a landscape page.
  AExcel.FitToPageWidth(ASheet);
  AExcel.KeepBlocksOnPages(ASheet, blocks);
}
