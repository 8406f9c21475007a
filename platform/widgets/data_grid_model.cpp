#include "platform/widgets/data_grid_model.h"

#include <algorithm>
#include <utility>

#include "platform/core/scope_exit.h"
#include "platform/widgets/shared_dialogs.h"

// Watches the tables that the lookup columns read from: their rows are not
// ours, so their changes arrive through no notice of our table.
class TDataGridModel::TLookupWatcher final : public TDataSetObserver {
 public:
  explicit TLookupWatcher(TDataGridModel* model) : FModel(model) {}
  ~TLookupWatcher() override { Watch({}); }
  TLookupWatcher(const TLookupWatcher&) = delete;
  TLookupWatcher& operator=(const TLookupWatcher&) = delete;

  void Watch(const std::vector<TClientDataSet*>& tables) {
    for (TClientDataSet* table : FTables) {
      if (std::find(tables.begin(), tables.end(), table) == tables.end()) {
        table->RemoveObserver(this);
      }
    }
    for (TClientDataSet* table : tables) {
      if (std::find(FTables.begin(), FTables.end(), table) == FTables.end()) {
        table->AddObserver(this);
      }
    }
    FTables = tables;
  }

  void DataSetChanged(TClientDataSet&, TDataChange change, int) override {
    if (change != TDataChange::CurrentChanged && change != TDataChange::StateChanged &&
        change != TDataChange::FieldChanged) {
      FModel->OnLookupChanged();
    }
  }

  void DataSetDestroying(TClientDataSet& table) override {
    FTables.erase(std::remove(FTables.begin(), FTables.end(), &table), FTables.end());
    // Our table's lookup fields have let go of it too, and its reset follows.
  }

 private:
  TDataGridModel* FModel;
  std::vector<TClientDataSet*> FTables;
};

TDataGridModel::TDataGridModel(QObject* parent)
    : QAbstractTableModel(parent),
      FLink([this](TDataChange change, int row) { OnDataSetChanged(change, row); }),
      FLookupWatcher(std::make_unique<TLookupWatcher>(this)) {
  FLookupRefresh.setSingleShot(true);
  FLookupRefresh.setInterval(0);
  connect(&FLookupRefresh, &QTimer::timeout, this, &TDataGridModel::ReadLookupChanges);
}

TDataGridModel::~TDataGridModel() = default;

void TDataGridModel::SetDataSet(TClientDataSet* dataSet) {
  if (dataSet == DataSet()) {
    return;
  }
  FLink.SetDataSet(dataSet);
  Reset(true);
}

void TDataGridModel::SetColumns(const QList<TDataColumn>& columns) {
  if (columns.isEmpty()) {
    ClearColumns();
    return;
  }
  FCustomColumns = true;
  FColumns = columns;
  Reset(true);
}

void TDataGridModel::AddColumn(const TDataColumn& column) {
  if (!FCustomColumns) {
    FColumns.clear();
    FCustomColumns = true;
  }
  FColumns.append(column);
  Reset(true);
}

void TDataGridModel::ClearColumns() {
  FCustomColumns = false;
  FColumns.clear();
  Reset(true);
}

void TDataGridModel::SetColumnReadOnly(int column, bool readOnly) {
  if (column < 0 || column >= FColumns.size()) {
    return;
  }
  FColumns[column].ReadOnly = readOnly;
  if (!FRows.empty()) {
    emit dataChanged(index(0, column), index(int(FRows.size()) - 1, column));
  }
}

void TDataGridModel::SetColumnPickList(int column, const QStringList& pickList) {
  if (column >= 0 && column < FColumns.size()) {
    FColumns[column].PickList = pickList;
  }
}

void TDataGridModel::SetColumnTitle(int column, const QString& title) {
  if (column >= 0 && column < FColumns.size()) {
    FColumns[column].Title = title;
    emit headerDataChanged(Qt::Horizontal, column, column);
  }
}

QString TDataGridModel::ColumnFieldName(int column) const {
  return column >= 0 && column < FColumns.size() ? FColumns[column].FieldName : QString();
}

int TDataGridModel::ColumnOf(const QString& fieldName) const {
  if (fieldName.isEmpty()) {
    return -1;
  }
  for (int column = 0; column < FColumns.size(); ++column) {
    if (FColumns[column].FieldName.compare(fieldName, Qt::CaseInsensitive) == 0) {
      return column;
    }
  }
  return -1;
}

TField* TDataGridModel::FieldAt(int column) const {
  TClientDataSet* dataSet = DataSet();
  if (dataSet == nullptr || column < 0 || column >= FColumns.size()) {
    return nullptr;
  }
  if (FFields.size() != size_t(FColumns.size())) {
    ResolveFields();
  }
  TColumnField& found = FFields[size_t(column)];
  if (found.Field == nullptr) {
    return nullptr;
  }
  // The fields of a table loaded from a file come and go with the file, and
  // the notice of it may still be on its way: a field found before counts
  // only while the table holds it where it was, under the same name.
  if (found.Index < dataSet->FieldCount() && &dataSet->Fields(found.Index) == found.Field &&
      found.Field->FieldName() == found.Name) {
    return found.Field;
  }
  found.Field = dataSet->FindField(FColumns[column].FieldName);
  found.Index = found.Field != nullptr ? found.Field->Index() : -1;
  found.Name = found.Field != nullptr ? found.Field->FieldName() : QString();
  return found.Field;
}

void TDataGridModel::ResolveFields() const {
  FFields.assign(size_t(FColumns.size()), TColumnField{});
  TClientDataSet* dataSet = DataSet();
  if (dataSet == nullptr) {
    return;
  }
  for (int column = 0; column < FColumns.size(); ++column) {
    if (TField* field = dataSet->FindField(FColumns[column].FieldName)) {
      FFields[size_t(column)] = {field, field->Index(), field->FieldName()};
    }
  }
}

QString TDataGridModel::ColumnTitle(int column) const {
  if (column < 0 || column >= FColumns.size()) {
    return QString();
  }
  if (!FColumns[column].Title.isEmpty()) {
    return FColumns[column].Title;
  }
  const TField* field = FieldAt(column);
  return field != nullptr ? field->DisplayLabel() : FColumns[column].FieldName;
}

void TDataGridModel::SetReadOnly(bool readOnly) {
  FReadOnly = readOnly;
  if (!FRows.empty() && !FColumns.isEmpty()) {
    emit dataChanged(index(0, 0), index(int(FRows.size()) - 1, int(FColumns.size()) - 1));
  }
}

void TDataGridModel::RefreshTitles() {
  if (!FColumns.isEmpty()) {
    emit headerDataChanged(Qt::Horizontal, 0, int(FColumns.size()) - 1);
  }
}

int TDataGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(FRows.size());
}

int TDataGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(FColumns.size());
}

// Whether the row may be read from the table itself: the views know it and
// the table is not walking with its controls detached.
bool TDataGridModel::RowReadable(int row) const {
  return FLink.CanRead() && row >= 0 && row < int(FRows.size()) && row < DataSet()->ViewRowCount();
}

// Whether the rows kept here are the table's rows, position for position, so
// that one not yet read may be read now: every notice applied, and the table
// not walking with its controls detached.
bool TDataGridModel::InStep() const {
  return FLink.CanRead() && !FApplyingNotice && DataSet()->ViewRowCount() == int(FRows.size());
}

// The texts of a row, read now if they have not been; null when the row
// cannot be read yet (it shows empty until the table and the model agree
// again, which a reset or notice then tells the views).
const QStringList* TDataGridModel::RowTexts(int row) const {
  TRowTexts& texts = FRows[size_t(row)];
  if (!texts.Read) {
    if (!InStep()) {
      return nullptr;
    }
    texts.Texts = ReadRow(row);
    texts.Read = true;
  }
  return &texts.Texts;
}

QVariant TDataGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= int(FRows.size()) || index.column() >= FColumns.size()) {
    return QVariant();
  }
  switch (role) {
    case Qt::DisplayRole: {
      const QStringList* texts = RowTexts(index.row());
      return texts != nullptr ? texts->value(index.column()) : QString();
    }
    case Qt::EditRole:
      if (RowReadable(index.row()) && index.row() == DataSet()->CurrentViewRow()) {
        if (const TField* field = FieldAt(index.column())) {
          try {
            return field->Text();
          } catch (...) {
            return QVariant();
          }
        }
      }
      {
        const QStringList* texts = RowTexts(index.row());
        return texts != nullptr ? texts->value(index.column()) : QString();
      }
    case Qt::TextAlignmentRole: {
      const TField* field = FieldAt(index.column());
      if (field != nullptr &&
          (field->DataType() == TFieldType::ftInteger || field->DataType() == TFieldType::ftFloat)) {
        return QVariant(int(Qt::AlignRight | Qt::AlignVCenter));
      }
      return QVariant(int(Qt::AlignLeft | Qt::AlignVCenter));
    }
    default:
      return QVariant();
  }
}

QVariant TDataGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) {
    return QVariant();
  }
  if (orientation == Qt::Horizontal) {
    return section >= 0 && section < FColumns.size() ? QVariant(ColumnTitle(section)) : QVariant();
  }
  if (section != FIndicatorRow || section >= int(FRows.size()) || !FLink.CanRead()) {
    return QVariant();
  }
  switch (DataSet()->State()) {
    case TDataSetState::dsEdit:
      return QStringLiteral("I");
    case TDataSetState::dsInsert:
      return QStringLiteral("*");
    default:
      return QStringLiteral("\u25B6");
  }
}

Qt::ItemFlags TDataGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) {
    return Qt::NoItemFlags;
  }
  Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (FReadOnly || index.column() >= FColumns.size() || FColumns[index.column()].ReadOnly ||
      !FLink.Active()) {
    return result;
  }
  const TField* field = FieldAt(index.column());
  if (field != nullptr && (!field->IsLookup() || field->LookupDataSet() != nullptr)) {
    result |= Qt::ItemIsEditable;
  }
  return result;
}

bool TDataGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  // FWriting: a message box raised by the write can make the editor lose the
  // focus, and Qt would commit the same editor again from inside the box.
  if (FWriting) {
    return false;
  }
  FWriteFailed = false;
  if (role != Qt::EditRole || !index.isValid() || !(flags(index) & Qt::ItemIsEditable)) {
    return false;
  }
  TClientDataSet* dataSet = DataSet();
  TField* field = FieldAt(index.column());
  if (field == nullptr || !RowReadable(index.row()) || index.row() != dataSet->CurrentViewRow()) {
    return false;
  }
  FWriting = true;
  const TScopeExit writing([this] { FWriting = false; });
  const QString text = value.toString();
  const bool written = RunGuarded([&] {
    if (!FLink.Editing()) {
      if (text == field->Text()) {
        return;
      }
      dataSet->Edit();
    }
    field->SetText(text);
  });
  // A refused value never reaches the rows kept here: the cell shows the old
  // one as soon as the editor closes.
  FWriteFailed = !written;
  return written;
}

int TDataGridModel::LiveRowCount() const {
  return FLink.Active() ? DataSet()->ViewRowCount() : 0;
}

QString TDataGridModel::ReadCell(int row, int column) const {
  QString text;
  if (TField* field = FieldAt(column)) {
    try {
      text = DataSet()->DisplayTextAt(row, *field);
    } catch (...) {
      // A display handler that fails would fail again on every refresh; a
      // message box for each helps nobody. The cell stays empty.
    }
  }
  return text;
}

QStringList TDataGridModel::ReadRow(int row) const {
  QStringList texts;
  texts.reserve(FColumns.size());
  for (int column = 0; column < FColumns.size(); ++column) {
    texts.append(ReadCell(row, column));
  }
  return texts;
}

void TDataGridModel::ForgetRows() {
  for (TRowTexts& texts : FRows) {
    texts = TRowTexts{};
  }
}

QList<TDataColumn> TDataGridModel::DefaultColumns() const {
  // What the window set on a column (a pick list, read-only) stays with the
  // column's field across resets.
  QList<TDataColumn> columns;
  TClientDataSet* dataSet = DataSet();
  if (dataSet == nullptr) {
    return columns;
  }
  for (int i = 0; i < dataSet->FieldCount(); ++i) {
    const TField& field = dataSet->Fields(i);
    if (!field.Visible()) {
      continue;
    }
    TDataColumn column;
    column.FieldName = field.FieldName();
    for (const TDataColumn& old : FColumns) {
      if (old.FieldName.compare(column.FieldName, Qt::CaseInsensitive) == 0) {
        column = old;
        break;
      }
    }
    columns.append(column);
  }
  return columns;
}

void TDataGridModel::RebuildDefaultColumns() {
  FColumns = DefaultColumns();
}

void TDataGridModel::OnFieldChanged() {
  if (!FCustomColumns) {
    const QList<TDataColumn> wanted = DefaultColumns();
    const auto has = [](const QList<TDataColumn>& list, const QString& fieldName) {
      return std::any_of(list.begin(), list.end(), [&](const TDataColumn& column) {
        return column.FieldName.compare(fieldName, Qt::CaseInsensitive) == 0;
      });
    };
    // Both lists are in field order: the columns that stay keep their order,
    // so taking out the gone ones and putting in the new ones at their places
    // leaves the user's widths and moves alone. Rows the views do not know
    // yet (mid-operation) would be read half-way: those start afresh.
    if (int(FRows.size()) != LiveRowCount()) {
      Reset();
      return;
    }
    for (int column = int(FColumns.size()) - 1; column >= 0; --column) {
      if (!has(wanted, FColumns[column].FieldName)) {
        beginRemoveColumns(QModelIndex(), column, column);
        FColumns.removeAt(column);
        ResolveFields();
        for (TRowTexts& texts : FRows) {
          if (texts.Read) {
            texts.Texts.removeAt(column);
          }
        }
        endRemoveColumns();
      }
    }
    for (int column = 0; column < wanted.size(); ++column) {
      if (column < FColumns.size() &&
          FColumns[column].FieldName.compare(wanted[column].FieldName, Qt::CaseInsensitive) == 0) {
        continue;
      }
      // The rows read so far are read again with the new column, as they
      // are shown.
      beginInsertColumns(QModelIndex(), column, column);
      FColumns.insert(column, wanted[column]);
      ResolveFields();
      ForgetRows();
      endInsertColumns();
    }
    WatchLookupTables();
  }
  RefreshTitles();
}

void TDataGridModel::Reset(bool columnsChanged) {
  beginResetModel();
  if (!FCustomColumns) {
    QStringList before;
    for (const TDataColumn& column : FColumns) {
      before.append(column.FieldName);
    }
    RebuildDefaultColumns();
    QStringList after;
    for (const TDataColumn& column : FColumns) {
      after.append(column.FieldName);
    }
    columnsChanged = columnsChanged || before != after;
  }
  FColumnsChangedInReset = columnsChanged;
  ResolveFields();
  FRows.assign(size_t(LiveRowCount()), TRowTexts{});
  FIndicatorRow = FLink.CanRead() ? DataSet()->CurrentViewRow() : -1;
  endResetModel();
  WatchLookupTables();
}

void TDataGridModel::WatchLookupTables() {
  std::vector<TClientDataSet*> tables;
  for (int column = 0; column < FColumns.size(); ++column) {
    const TField* field = FieldAt(column);
    if (field != nullptr && field->IsLookup() && field->LookupDataSet() != nullptr &&
        field->LookupDataSet() != DataSet() &&
        std::find(tables.begin(), tables.end(), field->LookupDataSet()) == tables.end()) {
      tables.push_back(field->LookupDataSet());
    }
  }
  FLookupWatcher->Watch(tables);
}

void TDataGridModel::OnLookupChanged() {
  FLookupRefresh.start();
}

void TDataGridModel::ReadLookupChanges() {
  // While our table walks detached, its own reset at the end reads again.
  if (!FLink.CanRead() || FRows.empty() || FColumns.isEmpty()) {
    return;
  }
  if (LiveRowCount() != int(FRows.size())) {
    Reset();
    return;
  }
  ForgetRows();
  emit dataChanged(index(0, 0), index(int(FRows.size()) - 1, int(FColumns.size()) - 1));
}

void TDataGridModel::EmitIndicatorChanged(int row) {
  const int old = FIndicatorRow;
  FIndicatorRow = row;
  for (int section : {old, row}) {
    if (section >= 0 && section < int(FRows.size())) {
      emit headerDataChanged(Qt::Vertical, section, section);
    }
  }
}

void TDataGridModel::OnDataSetChanged(TDataChange change, int row) {
  FApplyingNotice = true;
  const TScopeExit applied([this] { FApplyingNotice = false; });
  const int rows = int(FRows.size());
  switch (change) {
    case TDataChange::RowsReset:
      Reset();
      break;
    case TDataChange::RowInserted: {
      if (row < 0 || row > rows || row >= LiveRowCount()) {
        Reset();
        break;
      }
      beginInsertRows(QModelIndex(), row, row);
      FRows.insert(FRows.begin() + row, TRowTexts{});
      if (FIndicatorRow >= row) {
        ++FIndicatorRow;
      }
      endInsertRows();
      break;
    }
    case TDataChange::RowRemoved:
      if (row < 0 || row >= rows) {
        Reset();
        break;
      }
      beginRemoveRows(QModelIndex(), row, row);
      FRows.erase(FRows.begin() + row);
      if (FIndicatorRow == row) {
        FIndicatorRow = -1;
      } else if (FIndicatorRow > row) {
        --FIndicatorRow;
      }
      endRemoveRows();
      break;
    case TDataChange::RowChanged:
      if (row >= 0 && row < rows && row < LiveRowCount() && !FColumns.isEmpty()) {
        FRows[size_t(row)] = TRowTexts{};
        emit dataChanged(index(row, 0), index(row, int(FColumns.size()) - 1));
      }
      break;
    case TDataChange::CurrentChanged:
    case TDataChange::StateChanged:
      // These end the table's run of notices for one operation; by now the
      // rows must agree with the table, or the views start afresh.
      if (int(FRows.size()) != LiveRowCount()) {
        Reset();
      }
      break;
    case TDataChange::FieldChanged:
      OnFieldChanged();
      break;
  }
  EmitIndicatorChanged(FLink.CanRead() ? DataSet()->CurrentViewRow() : -1);
  emit DataSetNotified(int(change));
}
