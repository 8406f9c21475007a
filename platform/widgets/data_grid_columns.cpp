// The columns of a data grid: their fields, positions and widths. A
// column's default width shows its title whole, in each of the texts the
// title takes, and its usual values; a width set from outside (the window's
// layout file) or dragged by the user stays as it is.
#include <QDate>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QStyleOptionHeader>
#include <algorithm>
#include <cmath>

#include "platform/core/format_settings.h"
#include "platform/widgets/data_grid.h"

namespace {

// Whole pixels that hold the text: the eliding of a title or a cell measures
// it unrounded.
int TextWidth(const QFont& font, const QString& text) {
  return int(std::ceil(QFontMetricsF(font).horizontalAdvance(text)));
}

QString FieldKey(const QString& fieldName) {
  return fieldName.toLower();
}

}  // namespace

// ---- Columns ----

void TDataGrid::SetColumns(const QList<TDataColumn>& columns) {
  DropEditor();
  FModel->SetColumns(columns);
}

void TDataGrid::AddColumn(const TDataColumn& column) {
  DropEditor();
  FModel->AddColumn(column);
}

void TDataGrid::ClearColumns() {
  DropEditor();
  FModel->ClearColumns();
}

int TDataGrid::ColumnCount() const {
  return FModel->columnCount();
}

int TDataGrid::Logical(int position) const {
  if (position < 0 || position >= FModel->columnCount()) {
    return -1;
  }
  return horizontalHeader()->logicalIndex(position);
}

QString TDataGrid::ColumnFieldName(int position) const {
  return FModel->ColumnFieldName(Logical(position));
}

int TDataGrid::ColumnPosition(const QString& fieldName) const {
  const int logical = FModel->ColumnOf(fieldName);
  return logical >= 0 ? horizontalHeader()->visualIndex(logical) : -1;
}

int TDataGrid::ColumnWidth(int position) const {
  const int logical = Logical(position);
  return logical >= 0 ? horizontalHeader()->sectionSize(logical) : 0;
}

void TDataGrid::SetColumnWidth(int position, int width) {
  const int logical = Logical(position);
  if (logical >= 0) {
    FDefaultWidths.remove(FieldKey(FModel->ColumnFieldName(logical)));
    horizontalHeader()->resizeSection(logical, std::max(0, width));
  }
}

void TDataGrid::MoveColumn(int from, int to) {
  if (Logical(from) >= 0 && Logical(to) >= 0) {
    horizontalHeader()->moveSection(from, to);
  }
}

bool TDataGrid::ColumnReadOnly(int position) const {
  const int logical = Logical(position);
  return logical >= 0 && FModel->Columns()[logical].ReadOnly;
}

void TDataGrid::SetColumnReadOnly(int position, bool readOnly) {
  FModel->SetColumnReadOnly(Logical(position), readOnly);
}

QStringList TDataGrid::ColumnPickList(int position) const {
  const int logical = Logical(position);
  return logical >= 0 ? FModel->Columns()[logical].PickList : QStringList();
}

void TDataGrid::SetColumnPickList(int position, const QStringList& pickList) {
  FModel->SetColumnPickList(Logical(position), pickList);
}

void TDataGrid::RefreshTitles() {
  FModel->RefreshTitles();
}

int TDataGrid::DefaultColumnWidth(int column) const {
  const TDataColumn& design = FModel->Columns()[column];
  const TField* field = FModel->FieldAt(column);
  int width = design.Width;
  if (width < 0) {
    const int chars = field != nullptr ? field->DisplayWidth() : 10;
    width = std::max(20, chars * fontMetrics().horizontalAdvance(QLatin1Char('0')) + 8);
  }
  // A narrow design width is where the column starts, not where it ends:
  // "Лучши..." four times over, or "К..." for a rank, tell the user nothing.
  const QString title = FModel->ColumnTitle(column);
  QStringList titles{title};
  if (TitleForms) {
    titles += TitleForms(title);
  }
  for (const QString& text : titles) {
    width = std::max(width, TitleWidth(text));
  }
  for (const QString& text : UsualValues(field)) {
    width = std::max(width, CellWidth(text));
  }
  return width;
}

int TDataGrid::TitleWidth(const QString& title) const {
  // The label room of a section is what the style leaves inside it; the
  // header elides a title that needs more.
  const QHeaderView* titles = horizontalHeader();
  QStyleOptionHeader option;
  option.initFrom(titles);
  option.orientation = Qt::Horizontal;
  option.rect = QRect(0, 0, 1000, std::max(titles->height(), titles->fontMetrics().height() + 8));
  option.text = title;
  option.textAlignment = titles->defaultAlignment();
  const QRect label = titles->style()->subElementRect(QStyle::SE_HeaderLabel, &option, titles);
  return TextWidth(titles->font(), title) + option.rect.width() - label.width();
}

int TDataGrid::CellWidth(const QString& text) const {
  // The item views' text margin on each side, and the grid line.
  const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
  return TextWidth(font(), text) + 2 * margin + 1;
}

// Texts as wide as the column's values usually are: three-digit results and
// places, a body weight with its decimal, a date in the user's form, and
// whatever a lookup column can show (ranks, sexes).
QStringList TDataGrid::UsualValues(const TField* field) const {
  if (field == nullptr) {
    return {};
  }
  if (field->IsLookup()) {
    QStringList values;
    const TClientDataSet* lookup = field->LookupDataSet();
    const TField* result = lookup != nullptr ? lookup->FindField(field->LookupResultField()) : nullptr;
    if (result != nullptr && lookup->Active()) {
      for (int row = 0; row < lookup->ViewRowCount(); ++row) {
        values << lookup->ValueAt(row, *result).toString();
      }
    }
    return values;
  }
  switch (field->DataType()) {
    case TFieldType::ftInteger:
      return {QStringLiteral("888")};
    case TFieldType::ftFloat:
      return {QStringLiteral("888") + FormatSettings().DecimalSeparator + u'8'};
    case TFieldType::ftDate:
      return {QDate(2000, 12, 28).toString(FormatSettings().ShortDateFormat)};
    default:
      return {};
  }
}

void TDataGrid::FitColumn(int column) {
  const int width = DefaultColumnWidth(column);
  FDefaultWidths[FieldKey(FModel->ColumnFieldName(column))] = width;
  horizontalHeader()->resizeSection(column, width);
}

// A title that changed (a language switch, a label set after the grid was
// laid out) takes its column along, unless the column's width is no longer
// the grid's own.
void TDataGrid::FitTitles(int first, int last) {
  const QHeaderView* titles = horizontalHeader();
  for (int column = std::max(0, first); column <= last && column < titles->count(); ++column) {
    const auto given = FDefaultWidths.constFind(FieldKey(FModel->ColumnFieldName(column)));
    if (given != FDefaultWidths.constEnd() && *given == titles->sectionSize(column)) {
      FitColumn(column);
    }
  }
}

void TDataGrid::LayOutColumns() {
  QHeaderView* titles = horizontalHeader();
  FDefaultWidths.clear();
  for (int column = 0; column < FModel->columnCount(); ++column) {
    titles->moveSection(titles->visualIndex(column), column);
    FitColumn(column);
  }
}

// A column that a field shown again brings in gets the width of a new one,
// and its place next to the column of the field before it, wherever the user
// has moved that one.
void TDataGrid::PlaceNewColumns(int first, int last) {
  QHeaderView* titles = horizontalHeader();
  for (int column = first; column <= last; ++column) {
    FitColumn(column);
    const int from = titles->visualIndex(column);
    int to = from;
    if (column > 0) {
      const int before = titles->visualIndex(column - 1);
      to = from < before ? before : before + 1;
    } else if (titles->count() > 1) {
      const int after = titles->visualIndex(1);
      to = from < after ? after - 1 : after;
    }
    if (to != from) {
      titles->moveSection(from, to);
    }
  }
}

// A reset that keeps the columns (new rows, a new filter or order) keeps the
// user's widths and column order too.
void TDataGrid::SaveLayout() {
  QHeaderView* titles = horizontalHeader();
  FSavedWidths.clear();
  FSavedOrder.clear();
  for (int column = 0; column < titles->count(); ++column) {
    FSavedWidths.push_back(titles->sectionSize(column));
    FSavedOrder.push_back(titles->logicalIndex(column));
  }
}

void TDataGrid::RestoreLayout() {
  QHeaderView* titles = horizontalHeader();
  if (int(FSavedWidths.size()) != titles->count()) {
    LayOutColumns();
    return;
  }
  for (int position = 0; position < int(FSavedOrder.size()); ++position) {
    titles->moveSection(titles->visualIndex(FSavedOrder[position]), position);
  }
  for (int column = 0; column < int(FSavedWidths.size()); ++column) {
    titles->resizeSection(column, FSavedWidths[column]);
  }
}
