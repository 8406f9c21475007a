#pragma once

#include <QChar>
#include <QHash>
#include <QPointer>
#include <QTableView>
#include <functional>
#include <vector>

#include "platform/widgets/data_grid_model.h"
#include "platform/widgets/data_navigator.h"

class TDataGridDelegate;
class TDataGridSelectionModel;

// A data grid: a table view over a TDataGridModel whose current row and the
// table's cursor follow each other. Cells are edited in place through the
// fields' text (OnSetText, OnValidate); moving to another row posts; Insert
// inserts a row before the current one and Down on the last row appends one;
// Ctrl+Delete deletes after the shared record-delete prompt; Escape cancels.
// Up and Down leave the row from every cell editor, drop-downs included,
// whose list opens with Alt+Down or F4.
//
// Columns are addressed by position, as the user sees them after dragging
// them around: position i shows ColumnFieldName(i) with ColumnWidth(i).
//
// Every handler below runs guarded: an Exception shows its message through
// the shared error display, the silent abort ends the action quietly.
class TDataGrid : public QTableView {
  Q_OBJECT

 public:
  explicit TDataGrid(QWidget* parent = nullptr);
  ~TDataGrid() override;

  void SetDataSet(TClientDataSet* dataSet);
  TClientDataSet* DataSet() const { return FModel->DataSet(); }
  TDataGridModel* DataModel() const { return FModel; }

  // The navigator beside the grid: the grid's keys insert rows (Insert, Down
  // past the last row) only where it shows its insert button, and delete
  // them (Ctrl+Delete) only where it shows its delete button. A grid without
  // a navigator does both.
  void SetNavigator(TDataNavigator* navigator);

  // ---- Columns ----
  // Lays the columns out afresh: list order, the listed widths.
  void SetColumns(const QList<TDataColumn>& columns);
  void AddColumn(const TDataColumn& column);
  // Back to the default columns: every visible field of the table.
  void ClearColumns();
  int ColumnCount() const;
  QString ColumnFieldName(int position) const;
  // The position of the column showing the field; -1 when none does.
  int ColumnPosition(const QString& fieldName) const;
  int ColumnWidth(int position) const;
  void SetColumnWidth(int position, int width);
  void MoveColumn(int from, int to);
  bool ColumnReadOnly(int position) const;
  void SetColumnReadOnly(int position, bool readOnly);
  QStringList ColumnPickList(int position) const;
  void SetColumnPickList(int position, const QStringList& pickList);
  // Repaints the titles. Field labels need no call: their changes are
  // notices of the table.
  void RefreshTitles();
  // The other texts a column title takes: its field's label in the
  // program's other language. A column's default width fits them all, so
  // that a width kept from one language still shows the title whole in the
  // other.
  std::function<QStringList(const QString& title)> TitleForms;

  // ---- Options ----
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool readOnly);
  bool RowSelect() const;
  void SetRowSelect(bool rowSelect);

  // An open cell editor gives its text to the field and closes. A refusal
  // has been shown by then and raises the silent abort, so that the post or
  // move that asked for the text does not go on.
  void CommitEditor();
  bool EditorOpen() const { return FEditor != nullptr; }

  // ---- Events ----
  // Focus left the grid for another control of the same window.
  std::function<void(TDataGrid& sender)> OnExit;
  std::function<void(TDataGrid& sender)> OnDblClick;
  // Enter pressed with no cell editor open.
  std::function<void(TDataGrid& sender)> OnEnterKey;
  // Every character typed into the grid or its cell editors, Backspace ("\b")
  // and Enter ("\r") included: the handler may raise the silent abort to
  // refuse it, set it to a null character to drop it, or replace it.
  std::function<void(TDataGrid& sender, QChar& key)> OnKeyPress;
  // A column title was clicked; the column's position.
  std::function<void(TDataGrid& sender, int position)> OnTitleClick;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  void keyboardSearch(const QString&) override {}
  void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void changeEvent(QEvent* event) override;
  bool focusNextPrevChild(bool next) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

 private:
  friend class TDataGridDelegate;
  friend class TDataGridSelectionModel;

  int Logical(int position) const;
  int DefaultColumnWidth(int column) const;
  int TitleWidth(const QString& title) const;
  int CellWidth(const QString& text) const;
  QStringList UsualValues(const TField* field) const;
  void FitColumn(int column);
  void FitTitles(int first, int last);
  void LayOutColumns();
  void PlaceNewColumns(int first, int last);
  void SaveLayout();
  void RestoreLayout();
  void FollowTable();
  int MoveTableTo(int row);
  bool FilterTypedKey(QObject* target, QKeyEvent* event);
  bool HandleDataKey(QKeyEvent* event);
  void EditorChanged();
  bool EditorModified() const;
  void DropEditor();
  void CancelTable();
  void OnFocusChanged(QWidget* old, QWidget* now);
  bool Owns(const QWidget* widget) const;
  bool Offers(TNavigateBtn button) const;

  TDataGridModel* FModel;
  TDataGridDelegate* FDelegate;
  QPointer<QWidget> FEditor;
  QString FEditorStartText;
  // The field of the column the current cell was last in.
  QString FCurrentField;
  bool FReadOnly = false;
  bool FFollowing = false;
  bool FMoving = false;
  bool FResetting = false;
  // The cell editor that went with a reset or a move while its text was
  // being written.
  QPointer<QWidget> FReleasedEditor;
  // The text of the last commit of a cell editor was refused (its message
  // shown); cleared when the next commit begins and by the close that
  // follows.
  bool FCommitRefused = false;
  QPointer<TDataNavigator> FNavigator;
  bool FHasNavigator = false;
  // The key event that already went through OnKeyPress at the grid and is
  // now being passed on to the editor it opens.
  const QKeyEvent* FCheckedKey = nullptr;
  // The default width each field's column (lower case) was last given; a
  // column whose width differs from it was resized by the user, and one
  // given a width from outside has none.
  QHash<QString, int> FDefaultWidths;
  std::vector<int> FSavedWidths;
  std::vector<int> FSavedOrder;
};
