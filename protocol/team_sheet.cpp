#include <algorithm>
#include <vector>

#include "platform/core/fmt.h"
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

// The width the points column keeps: the sheet's default.
constexpr double kDefaultColumnWidth = 8.43;
// Points per line of the sheet's text, and the most a row can be given.
constexpr int kLineHeight = 15;
constexpr int kMaxRowHeight = 409;

// The lines a wrapped text takes over a width in column units (the width of
// a digit): broken between words, and inside a word wider than a line, as
// the spreadsheet breaks it. Capitals run wider than a digit, small letters
// and blanks narrower; the estimate errs towards a line too many, which
// leaves room instead of printing over the row above.
int WrappedLines(const QString& text, double width) {
  const auto cost = [](QChar c) { return c == u' ' ? 0.5 : c.isUpper() ? 1.1 : c.isLower() ? 0.9 : 1.0; };
  const double room = width - 1;
  int lines = 1;
  double used = 0;
  for (const QString& word : text.split(u' ', Qt::SkipEmptyParts)) {
    double wordCost = 0;
    for (const QChar c : word) {
      wordCost += cost(c);
    }
    if (used > 0 && used + cost(u' ') + wordCost <= room) {
      used += cost(u' ') + wordCost;
      continue;
    }
    if (used > 0) {
      ++lines;
      used = 0;
    }
    for (const QChar c : word) {
      if (used > 0 && used + cost(c) > room) {
        ++lines;
        used = 0;
      }
      used += cost(c);
    }
  }
  return lines;
}

// A title row merged over a width: as high as its wrapped text, so that it
// does not run over the row above; a text on one line keeps the default.
void FitTitleRow(TExcelManager& AExcel, int ASheet, int ARow, const QString& AText, double AWidth) {
  const int lines = WrappedLines(AText, AWidth);
  if (lines > 1) {
    AExcel.SetRowHeight(ASheet, ARow, std::min(lines * kLineHeight, kMaxRowHeight));
  }
}

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
  const QString title = FLanguage->TeamSummary() + u' ' + FLanguage->Protocol();
  pen.Put('C', n + 1, title);
  pen.PutMerged('A', 'B', n + 2, ACity);
  const QString competition = ACompetitionName + QStringLiteral(" по гиревому спорту среди мужчин и женщин");
  pen.Put('C', n + 2, competition);
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
  std::vector<TField*> printed;
  const auto closeGroup = [&] {
    AExcel.MergeCells(ASheet, name(groupStart, head), name(current, head), true, 0);
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
            AExcel.SetCellValue(ASheet, groupStart, head,
                                Fmt(QStringLiteral("%s (%s)"), {SexCaption(column.Sex), column.Discipline}));
          }
          ++current;
          AExcel.SetColumnWidth(ASheet, current, 5);
          AExcel.SetCellValue(ASheet, current, head + 1, column.Caption);
          AExcel.DrawCellBorders(ASheet, current, head + 1);
          printed.push_back(&field);
        },
        {[&] { ATeamProtocol.SetFiltered(false); }, [&] { ATeamProtocol.SetFilter(QString()); }});
  }
  closeGroup();
  // The group captions wrap over their five-wide columns and the place
  // caption stands turned: a default row shows neither whole.
  AExcel.SetRowHeight(ASheet, head, 26);
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
  // The title rows wrap over as many five-wide columns as the data has.
  const double titleWidth = 5.0 * double(printed.size()) + kDefaultColumnWidth;
  FitTitleRow(AExcel, ASheet, n + 1, title, titleWidth);
  FitTitleRow(AExcel, ASheet, n + 2, competition, titleWidth);

  TField& position = ATeamProtocol.FieldByName(QStringLiteral("Position"));
  TField& team = ATeamProtocol.FieldByName(QStringLiteral("Team"));
  TField& point = ATeamProtocol.FieldByName(QStringLiteral("Point"));
  row = n + 6;
  ATeamProtocol.First();
  while (!ATeamProtocol.Eof()) {
    pen.PutBoxed('A', row, position.AsString());
    pen.PutBoxed('B', row, team.AsString());
    int col = 3;
    for (TField* field : printed) {
      AExcel.SetCellValue(ASheet, col, row, field->AsString());
      AExcel.DrawCellBorders(ASheet, col, row);
      ++col;
    }
    AExcel.SetCellValue(ASheet, points, row, point.AsString());
    AExcel.DrawCellBorders(ASheet, points, row);
    ++row;
    ATeamProtocol.Next();
  }

  ++row;
  if (!AMainReferee.isEmpty()) {
    pen.PutMerged('B', 'E', row, FLanguage->MainJudge() + u' ' + AMainReferee, false);
  }
  row += 2;
  if (!ASecretary.isEmpty()) {
    pen.PutMerged('B', 'E', row, FLanguage->MainSecretary() + u' ' + ASecretary, false);
  }
}
