#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "platform/table/client_dataset.h"
#include "platform/widgets/data_link.h"

// One column of a data grid, as the window lists it.
struct TDataColumn {
  QString FieldName;
  // Empty: the field's display label, followed as it changes.
  QString Title;
  // Pixels, applied when the column list is set; -1: from the field's display
  // width.
  int Width = -1;
  bool ReadOnly = false;
  // Non-empty: the cell is edited as an editable drop-down of these texts.
  QStringList PickList;
};

// The Qt model of a data grid: one row per row of the table's current view
// (the pending insert row included), one column per grid column. It is fed by
// the table's notices and reads rows through the table's view access, never
// by moving the cursor.
//
// The cells' texts are kept here and change only as the notices arrive: the
// table tells of a change once it is complete, while the views must see the
// rows as they were until the model announces it. A row is read when a view
// first asks for it, and only while the model and the table agree: not while
// a notice is being applied, nor while the table's controls are disabled. So
// a reset costs nothing for the rows nobody looks at; a table of thousands of
// rows is read a screenful at a time.
//
// Each column's field is found by name once, when the columns or the table's
// fields change, and checked to be still the table's own on each use.
//
// Without a column list the columns are the table's visible fields in field
// order, rebuilt whenever the table resets (its fields may change when a file
// is loaded); a field shown or hidden brings its column in or takes it out,
// the others keep their place. Titles follow the fields' labels. Lookup
// fields show their result; the tables they look up in are
// watched too, and their changes are read in once control returns to the
// event loop: reading a lookup value posts the lookup table's pending row,
// which must not happen in the middle of the code that is filling it.
class TDataGridModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TDataGridModel(QObject* parent = nullptr);
  ~TDataGridModel() override;

  void SetDataSet(TClientDataSet* dataSet);
  TClientDataSet* DataSet() const { return FLink.DataSet(); }
  TDataLink& Link() { return FLink; }

  // ---- Columns, by model column ----
  bool CustomColumns() const { return FCustomColumns; }
  const QList<TDataColumn>& Columns() const { return FColumns; }
  // An empty list returns to the default columns.
  void SetColumns(const QList<TDataColumn>& columns);
  void AddColumn(const TDataColumn& column);
  // Back to the default columns (the table's visible fields).
  void ClearColumns();
  void SetColumnReadOnly(int column, bool readOnly);
  void SetColumnPickList(int column, const QStringList& pickList);
  void SetColumnTitle(int column, const QString& title);
  QString ColumnFieldName(int column) const;
  // The first column showing the field; -1 when none does.
  int ColumnOf(const QString& fieldName) const;
  // The column's field in the table; null when the table has none of that
  // name.
  TField* FieldAt(int column) const;
  // The title the header shows.
  QString ColumnTitle(int column) const;

  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool readOnly);

  // Repaints the titles (label changes of the fields repaint them by
  // themselves).
  void RefreshTitles();

  // True when the last reset changed the column list (the grid then lays the
  // columns out afresh instead of keeping its widths and order).
  bool ColumnsChangedInLastReset() const { return FColumnsChangedInReset; }

  // Whether the last setData was refused (its message already shown).
  bool LastWriteFailed() const { return FWriteFailed; }
  // A setData is writing into the table right now.
  bool Writing() const { return FWriting; }
  // A notice of the table is being applied to the rows right now: what the
  // views do meanwhile (a new current row for one that went) is theirs, not
  // the table's.
  bool ApplyingNotice() const { return FApplyingNotice; }

  // ---- QAbstractItemModel ----
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  // Writes the text of a cell editor: the table's current row must be the
  // index's row; goes into edit state when needed and assigns through
  // TField::SetText. A refusal is shown and leaves the old value.
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

 signals:
  // After each notice of the table has been applied to the model; change is
  // the TDataChange.
  void DataSetNotified(int change);

 private:
  class TLookupWatcher;

  void OnDataSetChanged(TDataChange change, int row);
  void OnLookupChanged();
  void ReadLookupChanges();
  // The texts of one row, once read.
  struct TRowTexts {
    bool Read = false;
    QStringList Texts;
  };
  // The field found for a column: its place among the table's fields and its
  // name then, so that a field list rebuilt since is noticed.
  struct TColumnField {
    TField* Field = nullptr;
    int Index = -1;
    QString Name;
  };

  void Reset(bool columnsChanged = false);
  int LiveRowCount() const;
  bool RowReadable(int row) const;
  bool InStep() const;
  void ResolveFields() const;
  QString ReadCell(int row, int column) const;
  QStringList ReadRow(int row) const;
  const QStringList* RowTexts(int row) const;
  void ForgetRows();
  QList<TDataColumn> DefaultColumns() const;
  void RebuildDefaultColumns();
  void OnFieldChanged();
  void WatchLookupTables();
  void EmitIndicatorChanged(int row);

  TDataLink FLink;
  std::unique_ptr<TLookupWatcher> FLookupWatcher;
  QList<TDataColumn> FColumns;
  bool FCustomColumns = false;
  bool FReadOnly = false;
  bool FColumnsChangedInReset = false;
  bool FWriting = false;
  bool FApplyingNotice = false;
  bool FWriteFailed = false;
  // The rows as the views were last told about them, display texts by
  // column; a row not yet read is read when first asked for.
  mutable std::vector<TRowTexts> FRows;
  mutable std::vector<TColumnField> FFields;
  QTimer FLookupRefresh;
  int FIndicatorRow = -1;
};
