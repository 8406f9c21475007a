#include <utility>
#include <vector>

#include "platform/core/fmt.h"
#include "platform/spreadsheet/text_fit.h"
#include "platform/table/client_dataset.h"
#include "protocol/cleanup.h"
#include "protocol/excel_manager.h"
#include "protocol/protocol.h"
#include "protocol/sheet_pen.h"

namespace {

struct TClassColumn {
  QString Discipline;
  int Sex;
  QString Caption;
};

// The width of every printed class column.
constexpr int kClassColumnWidth = 5;

}  // namespace

// The sheet is as wide as the data: only class columns that hold a value
// somewhere are printed, grouped by sex and discipline, and the points come
// last, so the width-dependent merges wait until the header is done.
void TProtocol::WriteTeamSheet(TExcelManager& AExcel, int ASheet, const QString& ACompetitionName,
                               const QString& ADate, const QString& ACity, TClientDataSet& AOrganizer,
                               TClientDataSet& ATeamProtocol, const QString& AMainReferee,
                               const QString& ASecretary) {
  TSheetPen pen(AExcel, ASheet);
  const auto name = [](int col, int row) { return CellName(col, row); };

  int row = 1;
  WriteOrganizers(AExcel, ASheet, row, AOrganizer, QStringLiteral("A"), QStringLiteral("A"));
  // The lines actually written: the organisers' table may be filtered on
  // screen, yet every organiser is printed and each line must be merged.
  const int n = row - 1;
  AExcel.SetColumnWidth(ASheet, 1, 5);
  AExcel.SetColumnWidth(ASheet, 2, 23);
  pen.PutMerged('A', 'B', n + 1, ADate);
  pen.Put('C', n + 1, FLanguage->TeamSummary() + u' ' + FLanguage->Protocol());
  pen.PutMerged('A', 'B', n + 2, ACity);
  pen.Put('C', n + 2, ACompetitionName + QStringLiteral(" по гиревому спорту среди мужчин и женщин"));
  row = n + 4;

  const int head = n + 4;
  pen.Put('A', head, FLanguage->Place());
  AExcel.MergeCells(ASheet, name(1, head), name(1, head + 1), true, 90);
  pen.Frame('A', head, 'A', head + 1);
  pen.Put('B', head, FLanguage->TeamColumn());
  pen.Merge('B', head, 'B', head + 1);
  pen.Frame('B', head, 'B', head + 1);

  int groupStart = 2;
  int current = 2;
  int currentSex = -1;
  QString currentDiscipline;
  QString groupCaption;
  std::vector<TField*> printed;
  const auto closeGroup = [&] {
    // A caption with a word wider than its group's narrow columns could only
    // be broken inside the word; it stands turned instead, as the place
    // caption does, and the row grows to its length.
    const double width = (current - groupStart + 1) * spreadsheet::ColumnPoints(kClassColumnWidth);
    const int orientation = spreadsheet::OrientationToFit(groupCaption, width).value_or(0);
    AExcel.MergeCells(ASheet, name(groupStart, head), name(current, head), true, orientation);
    AExcel.DrawRangeBorders(ASheet, name(groupStart, head), name(current, head));
  };
  for (int i = 3; i < ATeamProtocol.FieldCount(); ++i) {
    TField& field = ATeamProtocol.Fields(i);
    RunProtected(
        [&] {
          ATeamProtocol.SetFilter(field.FieldName() + QStringLiteral(" is not null"));
          ATeamProtocol.SetFiltered(true);
          if (ATeamProtocol.RecordCount() == 0) {
            return;
          }
          const QString fieldName = field.FieldName();
          TClassColumn column;
          qsizetype at = -1;
          qsizetype prefixLength = 0;
          for (const auto& [prefix, caption] : {std::pair{QStringLiteral("LC_"), FLanguage->LongCycle()},
                                                std::pair{QStringLiteral("S_"), FLanguage->Snatch()},
                                                std::pair{QStringLiteral("B_"), FLanguage->Biathlon()}}) {
            at = fieldName.indexOf(prefix);
            if (at >= 0) {
              column.Discipline = caption;
              prefixLength = prefix.size();
              break;
            }
          }
          if (at < 0) {
            throw Exception(QStringLiteral(
                "Внутренняя ошибка наименований колонок конмандного протокола. Обратитесь к разработчику."));
          }
          const QString sexDigit = fieldName.mid(at + prefixLength, 1);
          bool ok = false;
          column.Sex = sexDigit.toInt(&ok);
          if (!ok) {
            throw EConvertError(Fmt(QStringLiteral("'%s' is not a valid integer value"), {sexDigit}));
          }
          column.Caption = fieldName.mid(at + prefixLength + 1);
          const qsizetype plus = column.Caption.indexOf(QStringLiteral("plus"));
          if (plus >= 0) {
            column.Caption = QStringLiteral("св.") + column.Caption.left(plus);
          }

          if (column.Discipline != currentDiscipline || column.Sex != currentSex) {
            closeGroup();
            groupStart = current + 1;
            currentSex = column.Sex;
            currentDiscipline = column.Discipline;
            groupCaption = Fmt(QStringLiteral("%s (%s)"), {SexCaption(column.Sex), column.Discipline});
            AExcel.SetCellValue(ASheet, groupStart, head, groupCaption);
          }
          ++current;
          AExcel.SetColumnWidth(ASheet, current, kClassColumnWidth);
          AExcel.SetCellValue(ASheet, current, head + 1, column.Caption);
          AExcel.DrawCellBorders(ASheet, current, head + 1);
          printed.push_back(&field);
        },
        {[&] { ATeamProtocol.SetFiltered(false); }, [&] { ATeamProtocol.SetFilter(QString()); }});
  }
  closeGroup();
  ++current;
  const int points = current;
  AExcel.SetCellValue(ASheet, points, head, FLanguage->Points());
  AExcel.MergeCells(ASheet, name(points, head), name(points, head + 1), true, 0);
  AExcel.DrawRangeBorders(ASheet, name(points, head), name(points, head + 1));

  for (int r = 1; r <= n; ++r) {
    AExcel.MergeCells(ASheet, name(1, r), name(points, r), true, 0);
  }
  AExcel.MergeCells(ASheet, name(3, n + 1), name(points, n + 1), true, 0);
  AExcel.MergeCells(ASheet, name(3, n + 2), name(points, n + 2), true, 0);

  TField& position = ATeamProtocol.FieldByName(QStringLiteral("Position"));
  TField& team = ATeamProtocol.FieldByName(QStringLiteral("Team"));
  TField& point = ATeamProtocol.FieldByName(QStringLiteral("Point"));
  row = n + 6;
  ATeamProtocol.First();
  while (!ATeamProtocol.Eof()) {
    pen.PutBoxed('A', row, position);
    pen.PutBoxed('B', row, team);
    int col = 3;
    for (TField* field : printed) {
      AExcel.SetCellValue(ASheet, col, row, FieldValue(*field));
      AExcel.DrawCellBorders(ASheet, col, row);
      ++col;
    }
    AExcel.SetCellValue(ASheet, points, row, FieldValue(point));
    AExcel.DrawCellBorders(ASheet, points, row);
    ++row;
    ATeamProtocol.Next();
  }

  ++row;
  if (!AMainReferee.isEmpty()) {
    pen.PutLine('B', 'E', row, FLanguage->MainJudge() + u' ' + AMainReferee);
  }
  row += 2;
  if (!ASecretary.isEmpty()) {
    pen.PutLine('B', 'E', row, FLanguage->MainSecretary() + u' ' + ASecretary);
  }
  AExcel.FitRowHeights(ASheet);
  // A national meet's classes make the sheet wider than a page: it is read
  // across, team by team, so it stays one page wide, scaled down as far as
  // that takes, rather than split into pages that have to be laid side by side.
  AExcel.FitToPageWidth(ASheet);
}
