#include "platform/spreadsheet/workbook_model.h"

#include <QLocale>
#include <algorithm>
#include <iterator>

#include "platform/core/format_settings.h"
#include "platform/spreadsheet/formula.h"

namespace spreadsheet {

QString ColumnName(int column) {
  QString name;
  while (column > 0) {
    const int digit = (column - 1) % 26;
    name.prepend(QChar(u'A' + digit));
    column = (column - 1) / 26;
  }
  return name;
}

QString TCellAddress::A1() const {
  return ColumnName(Column) + QString::number(Row);
}

bool TCellRange::Contains(TCellAddress cell) const {
  return cell.Row >= First.Row && cell.Row <= Last.Row && cell.Column >= First.Column &&
         cell.Column <= Last.Column;
}

bool TCellRange::Overlaps(const TCellRange& other) const {
  return First.Row <= other.Last.Row && other.First.Row <= Last.Row && First.Column <= other.Last.Column &&
         other.First.Column <= Last.Column;
}

qint64 TCellRange::CellCount() const {
  return qint64(Last.Row - First.Row + 1) * qint64(Last.Column - First.Column + 1);
}

QString TCellRange::A1() const {
  return IsSingleCell() ? First.A1() : First.A1() + u':' + Last.A1();
}

TCellRange SpanOf(TCellAddress a, TCellAddress b) {
  return TCellRange{{std::min(a.Row, b.Row), std::min(a.Column, b.Column)},
                    {std::max(a.Row, b.Row), std::max(a.Column, b.Column)}};
}

TCellRange Bounding(const TCellRange& a, const TCellRange& b) {
  return TCellRange{{std::min(a.First.Row, b.First.Row), std::min(a.First.Column, b.First.Column)},
                    {std::max(a.Last.Row, b.Last.Row), std::max(a.Last.Column, b.Last.Column)}};
}

std::optional<TCellAddress> ParseCellName(QStringView text) {
  qsizetype i = 0;
  const qsizetype n = text.size();
  if (i < n && text[i] == u'$') {
    ++i;
  }
  int column = 0;
  const qsizetype lettersStart = i;
  while (i < n && i - lettersStart < 3) {
    const char16_t c = text[i].toUpper().unicode();
    if (c < u'A' || c > u'Z') {
      break;
    }
    column = column * 26 + (c - u'A' + 1);
    ++i;
  }
  if (i == lettersStart || column > MaxColumns) {
    return std::nullopt;
  }
  if (i < n && text[i] == u'$') {
    ++i;
  }
  // Rows have no leading zeros: "A01" is no cell name.
  if (i >= n || text[i] < u'1' || text[i] > u'9') {
    return std::nullopt;
  }
  qint64 row = 0;
  for (; i < n; ++i) {
    if (text[i] < u'0' || text[i] > u'9') {
      return std::nullopt;
    }
    row = row * 10 + (text[i].unicode() - u'0');
    if (row > MaxRows) {
      return std::nullopt;
    }
  }
  return TCellAddress{static_cast<int>(row), column};
}

std::optional<TCellRange> ParseRangeName(QStringView text) {
  const qsizetype colon = text.indexOf(u':');
  if (colon < 0) {
    const auto cell = ParseCellName(text);
    return cell ? std::optional(TCellRange{*cell, *cell}) : std::nullopt;
  }
  const auto a = ParseCellName(text.left(colon));
  const auto b = ParseCellName(text.mid(colon + 1));
  if (!a || !b) {
    return std::nullopt;
  }
  return SpanOf(*a, *b);
}

TTypedInput ParseTypedInput(const QString& text) {
  if (text.startsWith(u'\'')) {
    return {text.mid(1), {}};
  }
  // A lone "=" is no formula; the application would refuse it, we keep it.
  if (text.size() > 1 && text.startsWith(u'=')) {
    return {std::monostate{}, text};
  }
  const QString trimmed = text.trimmed();
  const QChar localSeparator = FormatSettings().DecimalSeparator;
  qsizetype i = 0;
  const qsizetype n = trimmed.size();
  if (i < n && (trimmed[i] == u'-' || trimmed[i] == u'+')) {
    ++i;
  }
  int digits = 0;
  int separators = 0;
  QString plain = trimmed.left(i);
  for (; i < n; ++i) {
    const QChar c = trimmed[i];
    if (c >= u'0' && c <= u'9') {
      ++digits;
      plain += c;
    } else if ((c == u'.' || c == localSeparator) && separators == 0) {
      ++separators;
      plain += u'.';
    } else {
      return {text, {}};
    }
  }
  if (digits == 0) {
    return {text, {}};
  }
  bool ok = false;
  const double number = QLocale::c().toDouble(plain, &ok);
  if (!ok) {
    return {text, {}};
  }
  return {number, {}};
}

const TCell* TWorksheet::FindCell(TCellAddress cell) const {
  const auto it = FCells.find(cell);
  return it == FCells.end() ? nullptr : &it->second;
}

TCell TWorksheet::CellAt(int row, int column) const {
  const TCell* cell = FindCell({row, column});
  return cell ? *cell : TCell{};
}

TCellValue TWorksheet::ValueAt(int row, int column) const {
  const TCell* cell = FindCell({row, column});
  if (!cell) {
    return {};
  }
  if (!cell->HasFormula()) {
    return cell->Value;
  }
  if (const auto value = EvaluateFormula(*this, cell->Formula)) {
    return *value;
  }
  return {};
}

std::vector<TCellRange> TWorksheet::MergedRanges() const {
  std::vector<TCellRange> ranges;
  ranges.reserve(FMerges.size());
  for (const auto& [first, range] : FMerges) {
    ranges.push_back(range);
  }
  return ranges;
}

std::optional<TCellRange> TWorksheet::MergeAt(TCellAddress cell) const {
  auto it = FMergeRows.upper_bound(cell);
  if (it == FMergeRows.begin()) {
    return std::nullopt;
  }
  --it;
  if (it->first.Row != cell.Row) {
    return std::nullopt;
  }
  const TCellRange& range = FMerges.at(it->second);
  return range.Contains(cell) ? std::optional(range) : std::nullopt;
}

std::vector<TCellRange> TWorksheet::MergesOverlapping(const TCellRange& range) const {
  std::vector<TCellAddress> found;
  // A range taller than all the areas together (a whole column) asks each area instead.
  if (qint64(range.Last.Row - range.First.Row) >= qint64(FMerges.size())) {
    std::vector<TCellRange> ranges;
    for (const auto& [first, merged] : FMerges) {
      if (merged.Overlaps(range)) {
        ranges.push_back(merged);
      }
    }
    return ranges;
  }
  for (int row = range.First.Row; row <= range.Last.Row; ++row) {
    // The area that starts before the range's first column may reach into
    // it; those that start inside it do.
    auto it = FMergeRows.upper_bound({row, range.First.Column});
    if (it != FMergeRows.begin() && std::prev(it)->first.Row == row) {
      --it;
    }
    for (; it != FMergeRows.end() && it->first.Row == row && it->first.Column <= range.Last.Column; ++it) {
      if (FMerges.at(it->second).Overlaps(range)) {
        found.push_back(it->second);
      }
    }
  }
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  std::vector<TCellRange> ranges;
  ranges.reserve(found.size());
  for (const TCellAddress& first : found) {
    ranges.push_back(FMerges.at(first));
  }
  return ranges;
}

void TWorksheet::AddMerge(const TCellRange& range) {
  FMerges.emplace(range.First, range);
  for (int row = range.First.Row; row <= range.Last.Row; ++row) {
    FMergeRows.emplace(TCellAddress{row, range.First.Column}, range.First);
  }
}

void TWorksheet::RemoveMerge(const TCellRange& range) {
  for (int row = range.First.Row; row <= range.Last.Row; ++row) {
    FMergeRows.erase({row, range.First.Column});
  }
  FMerges.erase(range.First);
}

void TWorksheet::Merge(TCellRange range) {
  if (range.IsSingleCell()) {
    return;
  }
  // Taking in one merged area can reach another: grow until nothing changes.
  std::vector<TCellRange> takenIn = MergesOverlapping(range);
  for (;;) {
    TCellRange grown = range;
    for (const auto& merged : takenIn) {
      grown = Bounding(grown, merged);
    }
    if (grown == range) {
      break;
    }
    range = grown;
    takenIn = MergesOverlapping(range);
  }
  for (const auto& merged : takenIn) {
    RemoveMerge(merged);
  }
  AddMerge(range);
  const auto drop = [&](TCellAddress address, TCell& cell) {
    if (range.Contains(address) && address != range.First) {
      cell.Value = std::monostate{};
      cell.Formula.clear();
    }
  };
  if (qint64(range.Last.Row - range.First.Row) >= qint64(FCells.size())) {
    for (auto it = FCells.lower_bound({range.First.Row, 1});
         it != FCells.end() && it->first.Row <= range.Last.Row; ++it) {
      drop(it->first, it->second);
    }
    return;
  }
  for (int row = range.First.Row; row <= range.Last.Row; ++row) {
    for (auto it = FCells.lower_bound({row, range.First.Column});
         it != FCells.end() && it->first.Row == row && it->first.Column <= range.Last.Column; ++it) {
      drop(it->first, it->second);
    }
  }
}

void TWorksheet::Unmerge(TCellRange range) {
  for (const auto& merged : MergesOverlapping(range)) {
    RemoveMerge(merged);
  }
}

std::optional<double> TWorksheet::ColumnWidth(int column) const {
  const auto it = FColumnWidths.find(column);
  return it == FColumnWidths.end() ? std::nullopt : std::optional(it->second);
}

std::optional<double> TWorksheet::RowHeight(int row) const {
  const auto it = FRowHeights.find(row);
  return it == FRowHeights.end() ? std::nullopt : std::optional(it->second);
}

TWorkbook::TWorkbook() {
  InsertSheet(1);
}

int TWorkbook::IndexOf(const TWorksheet& sheet) const {
  for (size_t i = 0; i < FSheets.size(); ++i) {
    if (FSheets[i].get() == &sheet) {
      return static_cast<int>(i) + 1;
    }
  }
  return 0;
}

const TWorksheet* TWorkbook::FindSheet(const QString& name) const {
  for (const auto& sheet : FSheets) {
    if (sheet->Name().compare(name, Qt::CaseInsensitive) == 0) {
      return sheet.get();
    }
  }
  return nullptr;
}

std::shared_ptr<TWorksheet> TWorkbook::InsertSheet(int index) {
  QString name;
  do {
    name = DefaultSheetPrefix() + QString::number(++FLastDefaultNumber);
  } while (FindSheet(name));
  auto sheet = std::make_shared<TWorksheet>(name);
  FSheets.insert(FSheets.begin() + (index - 1), sheet);
  return sheet;
}

QString TWorkbook::SheetNameProblem(const TWorksheet& sheet, const QString& name) const {
  if (name.isEmpty() || name.size() > 31) {
    return QStringLiteral("A sheet name has 1 to 31 characters: \"%1\"").arg(name);
  }
  for (const QChar c : name) {
    if (QStringView(u":\\/?*[]").contains(c)) {
      return QStringLiteral("A sheet name cannot contain any of : \\ / ? * [ ]: \"%1\"").arg(name);
    }
  }
  if (name.startsWith(u'\'') || name.endsWith(u'\'')) {
    return QStringLiteral("A sheet name cannot begin or end with an apostrophe: \"%1\"").arg(name);
  }
  if (name.compare(QStringLiteral("History"), Qt::CaseInsensitive) == 0) {
    return QStringLiteral("\"History\" is a reserved sheet name");
  }
  const TWorksheet* other = FindSheet(name);
  if (other && other != &sheet) {
    return QStringLiteral("Cannot rename a sheet to the same name as another sheet: \"%1\"").arg(name);
  }
  return {};
}

}  // namespace spreadsheet
