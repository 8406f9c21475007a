#include "platform/widgets/data_grid.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOptionSlider>
#include <QStyledItemDelegate>
#include <algorithm>

#include "platform/core/exception.h"
#include "platform/core/scope_exit.h"
#include "platform/widgets/shared_dialogs.h"

namespace {

QString EditorText(const QWidget* editor) {
  if (const auto* line = qobject_cast<const QLineEdit*>(editor)) {
    return line->text();
  }
  if (const auto* combo = qobject_cast<const QComboBox*>(editor)) {
    return combo->currentText();
  }
  return QString();
}

// What the table's key-press handlers see: the characters a user types, with
// Backspace and Enter, but not Escape and Tab, which steer the grid.
bool IsTypedCharacter(const QKeyEvent* event) {
  if (event->type() != QEvent::KeyPress || event->text().size() != 1) {
    return false;
  }
  const QChar c = event->text().at(0);
  if (c == u'\b' || c == u'\r') {
    return true;
  }
  return c.isPrint() && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

Qt::KeyboardModifiers PlainModifiers(const QKeyEvent* event) {
  return event->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier);
}

bool LeavesTheRow(const QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      return true;
    default:
      return false;
  }
}

// The grids' scroll bars with a handle darker than its groove. Some styles
// (Fusion) draw the handle light and the groove a shade darker: on a wide
// grid the handle takes most of the bar, and the strip of groove beside it
// reads as the handle, at the far end from where the bar stands; a step with
// an arrow seems to throw it to the other end.
class TGridScrollBarStyle final : public QProxyStyle {
 public:
  explicit TGridScrollBarStyle(QStyle* base) : QProxyStyle(base) {}

  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                          const QWidget* widget) const override {
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    if (control != CC_ScrollBar || !(option->state & State_Enabled) ||
        styleHint(SH_ScrollBar_Transient, option, widget)) {
      return;
    }
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
    const QRect handle = subControlRect(control, option, SC_ScrollBarSlider, widget);
    if (bar == nullptr || bar->maximum <= bar->minimum || handle.isEmpty()) {
      return;
    }
    QColor fill = option->palette.color(QPalette::Mid);
    if (bar->activeSubControls & SC_ScrollBarSlider) {
      fill = fill.darker((option->state & State_Sunken) ? 125 : 110);
    }
    painter->save();
    painter->setPen(option->palette.color(QPalette::Dark));
    painter->setBrush(fill);
    painter->drawRect(handle.adjusted(0, 0, -1, -1));
    painter->restore();
  }
};

// One for all the grids, over the program's own style.
QStyle* GridScrollBarStyle() {
  static QPointer<QStyle> style;
  if (style == nullptr) {
    style = new TGridScrollBarStyle(QStyleFactory::create(QApplication::style()->name()));
    style->setParent(qApp);
  }
  return style;
}

}  // namespace

// Cell editors: a line edit, an editable drop-down for pick-list columns, a
// fixed drop-down for lookup columns. The editor starts from the field's Text
// and writes back only when its text changed.
class TDataGridDelegate final : public QStyledItemDelegate {
 public:
  explicit TDataGridDelegate(TDataGrid* grid) : QStyledItemDelegate(grid), FGrid(grid) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                        const QModelIndex& index) const override {
    TDataGridModel* model = FGrid->FModel;
    const TField* field = model->FieldAt(index.column());
    if (field == nullptr) {
      return nullptr;
    }
    const QStringList pickList = model->Columns()[index.column()].PickList;
    QWidget* editor = nullptr;
    if (!pickList.isEmpty() || field->IsLookup()) {
      auto* combo = new QComboBox(parent);
      combo->setFrame(false);
      combo->setInsertPolicy(QComboBox::NoInsert);
      if (!pickList.isEmpty()) {
        combo->setEditable(true);
        combo->addItems(pickList);
        QObject::connect(combo->lineEdit(), &QLineEdit::textEdited, FGrid,
                         [grid = FGrid] { grid->EditorChanged(); });
      } else {
        QStringList items;
        RunGuarded([&] { items = field->LookupList(); });
        combo->addItems(items);
      }
      // A choice from the list is a finished entry, as in a pick list.
      auto* self = const_cast<TDataGridDelegate*>(this);
      QObject::connect(combo, &QComboBox::activated, FGrid, [self, combo] {
        self->FGrid->EditorChanged();
        if (self->FGrid->FEditor == combo) {
          emit self->commitData(combo);
          emit self->closeEditor(combo, QAbstractItemDelegate::NoHint);
        }
      });
      editor = combo;
    } else {
      auto* line = new QLineEdit(parent);
      line->setFrame(false);
      if (field->DataType() == TFieldType::ftString && field->Size() > 0) {
        line->setMaxLength(field->Size());
      }
      QObject::connect(line, &QLineEdit::textEdited, FGrid, [grid = FGrid] { grid->EditorChanged(); });
      editor = line;
    }
    FGrid->FEditor = editor;
    return editor;
  }

  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    // Qt asks again whenever a one-cell row changes; what the user typed by
    // then must stay.
    if (editor->property("tyazharLoaded").toBool()) {
      return;
    }
    editor->setProperty("tyazharLoaded", true);
    QString text;
    if (const TField* field = FGrid->FModel->FieldAt(index.column())) {
      RunGuarded([&] { text = field->Text(); });
    }
    if (auto* line = qobject_cast<QLineEdit*>(editor)) {
      line->setText(text);
      line->selectAll();
    } else if (auto* combo = qobject_cast<QComboBox*>(editor)) {
      if (combo->isEditable()) {
        combo->setEditText(text);
      } else {
        combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly));
      }
    }
    if (editor == FGrid->FEditor) {
      FGrid->FEditorStartText = EditorText(editor);
    }
  }

  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    FGrid->FCommitRefused = false;
    const QString text = EditorText(editor);
    if (editor == FGrid->FEditor && text == FGrid->FEditorStartText) {
      return;
    }
    // The write may show a message box, behind which Qt closes this very
    // editor: from here on it is compared, never touched.
    if (model->setData(index, text, Qt::EditRole)) {
      if (editor == FGrid->FEditor) {
        FGrid->FEditorStartText = text;
      }
    } else {
      FGrid->FCommitRefused = FGrid->FModel->LastWriteFailed();
    }
  }

  void destroyEditor(QWidget* editor, const QModelIndex& index) const override {
    if (FGrid->FEditor == editor) {
      FGrid->FEditor = nullptr;
    }
    // The write of the editor's text may reset the rows or move its own row
    // away (a change handler renumbering), which takes the editor with it; the
    // close its commit asks for next finds nothing left to close.
    if (FGrid->FResetting || FGrid->FModel->Writing()) {
      FGrid->FReleasedEditor = editor;
    }
    QStyledItemDelegate::destroyEditor(editor, index);
  }

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Escape && PlainModifiers(key) == Qt::NoModifier) {
        // The first Escape takes back what was typed into the cell; with
        // nothing typed it cancels the row's edit or insert.
        const bool typed = FGrid->EditorModified();
        const bool handled = QStyledItemDelegate::eventFilter(object, event);
        if (!typed) {
          FGrid->CancelTable();
        }
        return handled;
      }
      // A drop-down takes Up and Down for choosing only with its list open
      // (Alt+Down, F4); closed, they leave the row as from any other cell,
      // and what the cell shows is written first.
      if (auto* combo = qobject_cast<QComboBox*>(object); combo != nullptr && LeavesTheRow(key) &&
                                                          PlainModifiers(key) == Qt::NoModifier &&
                                                          !combo->view()->isVisible()) {
        QCoreApplication::sendEvent(FGrid, key);
        return true;
      }
      // The record keys work while a cell is being edited too.
      if ((key->key() == Qt::Key_Delete && PlainModifiers(key) == Qt::ControlModifier) ||
          (key->key() == Qt::Key_Insert && PlainModifiers(key) == Qt::NoModifier)) {
        FGrid->HandleDataKey(key);
        return true;
      }
      if (FGrid->FilterTypedKey(object, key)) {
        return true;
      }
    }
    return QStyledItemDelegate::eventFilter(object, event);
  }

 private:
  TDataGrid* FGrid;
};

// Moves the table before the grid's current row moves, so that a post the
// table refuses keeps both where they were, and a row that moved while being
// posted is followed.
class TDataGridSelectionModel final : public QItemSelectionModel {
 public:
  TDataGridSelectionModel(TDataGridModel* model, TDataGrid* grid)
      : QItemSelectionModel(model, grid), FGrid(grid) {}

  void setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override {
    if (!FGrid->FFollowing && !FGrid->FMoving && !FGrid->FModel->ApplyingNotice() && index.isValid()) {
      const int column = index.column();
      const int row = FGrid->MoveTableTo(index.row());
      if (row >= 0) {
        QItemSelectionModel::setCurrentIndex(model()->index(row, column), command);
        return;
      }
    }
    QItemSelectionModel::setCurrentIndex(index, command);
  }

 private:
  TDataGrid* FGrid;
};

TDataGrid::TDataGrid(QWidget* parent)
    : QTableView(parent), FModel(new TDataGridModel(this)), FDelegate(new TDataGridDelegate(this)) {
  setModel(FModel);
  QItemSelectionModel* defaultSelection = selectionModel();
  setSelectionModel(new TDataGridSelectionModel(FModel, this));
  delete defaultSelection;
  setItemDelegate(FDelegate);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setSelectionBehavior(QAbstractItemView::SelectItems);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setWordWrap(false);
  horizontalScrollBar()->setStyle(GridScrollBarStyle());
  verticalScrollBar()->setStyle(GridScrollBarStyle());

  QHeaderView* titles = horizontalHeader();
  titles->setSectionsMovable(true);
  titles->setSectionsClickable(true);
  titles->setHighlightSections(false);
  titles->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  // The widths the window stores and sets back are taken as they are, narrow
  // ones included.
  titles->setMinimumSectionSize(0);
  connect(titles, &QHeaderView::sectionClicked, this, [this](int logical) {
    const int position = horizontalHeader()->visualIndex(logical);
    RunGuarded([&] {
      if (OnTitleClick) {
        OnTitleClick(*this, position);
      }
    });
  });

  // The row header is the record indicator: the current row, marked by
  // the table's state.
  QHeaderView* indicator = verticalHeader();
  const int rowHeight = fontMetrics().height() + 6;
  indicator->setSectionResizeMode(QHeaderView::Fixed);
  indicator->setDefaultSectionSize(rowHeight);
  indicator->setMinimumSectionSize(rowHeight);
  indicator->setDefaultAlignment(Qt::AlignCenter);
  indicator->setMinimumWidth(rowHeight);
  indicator->setMaximumWidth(rowHeight);

  connect(FModel, &TDataGridModel::DataSetNotified, this, [this](int change) {
    // Someone else ended the row's edit (a navigator's Cancel): what was
    // typed into the cell belongs to nothing now. Not so when the cell's own
    // write posted it (a change handler): the text is in the row.
    if (TDataChange(change) == TDataChange::StateChanged && !FModel->Link().Editing() && !FModel->Writing() &&
        EditorModified()) {
      DropEditor();
    }
    FollowTable();
  });
  connect(FModel, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
    FResetting = true;
    SaveLayout();
  });
  connect(FModel, &QAbstractItemModel::modelReset, this, [this] {
    FResetting = false;
    if (FModel->ColumnsChangedInLastReset()) {
      LayOutColumns();
    } else {
      RestoreLayout();
    }
    FollowTable();
  });
  connect(FModel, &QAbstractItemModel::columnsInserted, this,
          [this](const QModelIndex&, int first, int last) { PlaceNewColumns(first, last); });
  connect(FModel, &QAbstractItemModel::headerDataChanged, this,
          [this](Qt::Orientation orientation, int first, int last) {
            if (orientation == Qt::Horizontal) {
              FitTitles(first, last);
            }
          });
  connect(qApp, &QApplication::focusChanged, this, &TDataGrid::OnFocusChanged);

  FModel->Link().OnUpdateData = [this] {
    // A post from inside the editor's own write (a change handler) finds the
    // editor being written already.
    if (!FModel->Writing()) {
      CommitEditor();
    }
  };
}

TDataGrid::~TDataGrid() {
  // The model outlives the view's own teardown; it must stop hearing the
  // table before the view is gone.
  FModel->Link().OnUpdateData = nullptr;
  disconnect(FModel, nullptr, this, nullptr);
  FModel->SetDataSet(nullptr);
}

void TDataGrid::SetDataSet(TClientDataSet* dataSet) {
  DropEditor();
  FModel->SetDataSet(dataSet);
}

void TDataGrid::SetNavigator(TDataNavigator* navigator) {
  FNavigator = navigator;
  FHasNavigator = navigator != nullptr;
}

// A navigator that has gone offers nothing.
bool TDataGrid::Offers(TNavigateBtn button) const {
  return !FHasNavigator || (FNavigator != nullptr && FNavigator->ButtonVisible(button));
}

void TDataGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // A refused text keeps the user on its cell: Tab does not go on to the
  // next one.
  const bool refused = FCommitRefused;
  FCommitRefused = false;
  if (refused &&
      (hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::EditPreviousItem)) {
    hint = QAbstractItemDelegate::NoHint;
  }
  if (editor != nullptr && editor == FReleasedEditor) {
    FReleasedEditor = nullptr;
    // The move that Tab asked for still goes, from the cell the reset left
    // the grid on.
    if (hint == QAbstractItemDelegate::EditNextItem || hint == QAbstractItemDelegate::EditPreviousItem) {
      const QModelIndex next =
          moveCursor(hint == QAbstractItemDelegate::EditNextItem ? MoveNext : MovePrevious, Qt::NoModifier);
      if (next.isValid()) {
        setCurrentIndex(next);
        if (currentIndex() == next && (FModel->flags(next) & Qt::ItemIsEditable)) {
          edit(next, AllEditTriggers, nullptr);
        }
      }
    }
    return;
  }
  // An editor that goes while its window's focus is in it gives the focus to
  // the grid, also when another window holds the focus just then: a message
  // box raised by the editor's own write (a refused value) takes the focus,
  // the editor closes behind it, and once the box is answered the keys must
  // come back to this cell, not to an editor that is gone.
  const QWidget* focused = editor != nullptr ? editor->window()->focusWidget() : nullptr;
  const bool hadFocus = focused != nullptr && (focused == editor || editor->isAncestorOf(focused));
  QTableView::closeEditor(editor, hint);
  if (hadFocus && !hasFocus() && isVisible()) {
    setFocus(Qt::OtherFocusReason);
  }
}

bool TDataGrid::focusNextPrevChild(bool next) {
  // A reset hides an open cell editor, and the focus leaving it would be
  // taken for a Tab: the grid would move the table to the next cell of a
  // view that has none current yet, its first row. The focus stays in the
  // grid and the table where its own code put it (a renumbering keeps the
  // line the user typed on).
  if (FResetting) {
    setFocus(Qt::OtherFocusReason);
    return true;
  }
  return QTableView::focusNextPrevChild(next);
}

// ---- Options ----

void TDataGrid::SetReadOnly(bool readOnly) {
  FReadOnly = readOnly;
  if (readOnly) {
    DropEditor();
  }
  FModel->SetReadOnly(readOnly);
  setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                           : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                 QAbstractItemView::AnyKeyPressed);
}

bool TDataGrid::RowSelect() const {
  return selectionBehavior() == QAbstractItemView::SelectRows;
}

void TDataGrid::SetRowSelect(bool rowSelect) {
  setSelectionBehavior(rowSelect ? QAbstractItemView::SelectRows : QAbstractItemView::SelectItems);
  const QModelIndex current = currentIndex();
  if (current.isValid()) {
    selectionModel()->select(current,
                             QItemSelectionModel::ClearAndSelect |
                                 (rowSelect ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate));
  }
}

// ---- Cursor ----

void TDataGrid::FollowTable() {
  if (FMoving || !FModel->Link().CanRead()) {
    return;
  }
  const int row = DataSet()->CurrentViewRow();
  if (row < 0 || row >= FModel->rowCount()) {
    return;
  }
  const QModelIndex current = currentIndex();
  if (current.isValid() && current.row() == row) {
    return;
  }
  // A reset takes the current cell away; the user goes on in the column they
  // were in.
  int column = current.isValid() ? current.column() : FModel->ColumnOf(FCurrentField);
  if (column < 0) {
    column = horizontalHeader()->logicalIndex(0);
  }
  if (column < 0) {
    return;
  }
  FFollowing = true;
  const TScopeExit following([this] { FFollowing = false; });
  setCurrentIndex(FModel->index(row, column));
}

// Returns the table's row after the move: the asked one, or where the table
// stayed when the post or the move was refused. -1 when there is no table.
int TDataGrid::MoveTableTo(int row) {
  if (!FModel->Link().CanRead()) {
    return -1;
  }
  TClientDataSet* dataSet = DataSet();
  if (row == dataSet->CurrentViewRow()) {
    return row;
  }
  FMoving = true;
  {
    const TScopeExit moving([this] { FMoving = false; });
    RunGuarded([&] {
      int target = row;
      const int pending = dataSet->CurrentViewRow();
      if (DropUntouchedInsert(*dataSet) && target > pending) {
        --target;
      }
      if (target >= 0 && target < dataSet->ViewRowCount()) {
        dataSet->MoveToViewRow(target);
      }
    });
  }
  return dataSet->CurrentViewRow() < FModel->rowCount() ? dataSet->CurrentViewRow() : -1;
}

void TDataGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  if (current.isValid()) {
    FCurrentField = FModel->ColumnFieldName(current.column());
  }
  QTableView::currentChanged(current, previous);
}

void TDataGrid::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags command) {
  QTableView::setSelection(rect, command);
  // When the table did not go where the user clicked, the selection shows
  // where it is.
  const QModelIndex current = currentIndex();
  if (current.isValid() && !selectionModel()->isSelected(current)) {
    selectionModel()->select(current,
                             QItemSelectionModel::ClearAndSelect |
                                 (RowSelect() ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate));
  }
}

bool TDataGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  // Qt also calls this to ask, with triggers that open nothing (a plain
  // press); only an editor that will open moves the table.
  const bool opens = trigger == QAbstractItemView::AllEditTriggers || (editTriggers() & trigger);
  if (opens && index.isValid() && (FModel->flags(index) & Qt::ItemIsEditable) && FModel->Link().CanRead() &&
      index.row() != DataSet()->CurrentViewRow()) {
    setCurrentIndex(index);
    if (DataSet()->CurrentViewRow() != index.row()) {
      return false;
    }
  }
  return QTableView::edit(index, trigger, event);
}

// ---- Editing ----

void TDataGrid::CommitEditor() {
  QWidget* editor = FEditor;
  if (editor == nullptr) {
    return;
  }
  // The refusal of this commit, not of an earlier write: a text left as it
  // was writes nothing and refuses nothing.
  FCommitRefused = false;
  commitData(editor);
  const bool refused = FCommitRefused;
  if (FEditor == editor) {
    closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
  if (refused) {
    Abort();
  }
}

void TDataGrid::DropEditor() {
  if (QWidget* editor = FEditor) {
    closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
  }
}

bool TDataGrid::EditorModified() const {
  return FEditor != nullptr && EditorText(FEditor) != FEditorStartText;
}

// The first change in a cell editor puts the table into edit state, as the
// user sees it in the indicator before the text is written.
void TDataGrid::EditorChanged() {
  if (!FModel->Link().CanRead() || FModel->Link().Editing()) {
    return;
  }
  if (!RunGuarded([&] { DataSet()->Edit(); })) {
    DropEditor();
  }
}

void TDataGrid::CancelTable() {
  DropEditor();
  if (FModel->Link().Editing()) {
    RunGuarded([&] { DataSet()->Cancel(); });
  }
}

// ---- Keys and mouse ----

bool TDataGrid::FilterTypedKey(QObject* target, QKeyEvent* event) {
  if (event == FCheckedKey || !IsTypedCharacter(event)) {
    return false;
  }
  const QChar typed = event->text().at(0);
  QChar key = typed;
  const bool passed = RunGuarded([&] {
    if (OnKeyPress) {
      OnKeyPress(*this, key);
    }
  });
  if (!passed || key.isNull()) {
    return true;
  }
  if (key == typed) {
    return false;
  }
  QKeyEvent replaced(QEvent::KeyPress, event->key(), event->modifiers(), QString(key), event->isAutoRepeat(),
                     event->count());
  FCheckedKey = &replaced;
  const TScopeExit checked([this] { FCheckedKey = nullptr; });
  QCoreApplication::sendEvent(target, &replaced);
  return true;
}

// The keys that work on records rather than on cells. True when handled.
bool TDataGrid::HandleDataKey(QKeyEvent* event) {
  TClientDataSet* dataSet = DataSet();
  if (dataSet == nullptr) {
    return false;
  }
  const Qt::KeyboardModifiers modifiers = PlainModifiers(event);
  const bool canModify = !FReadOnly && FModel->Link().CanRead();
  switch (event->key()) {
    case Qt::Key_Delete:
      if (modifiers != Qt::ControlModifier) {
        return false;
      }
      if (canModify && Offers(nbDelete)) {
        DropEditor();
        RunGuarded([&] { DeleteRecordWithPrompt(*dataSet); });
      }
      return true;
    case Qt::Key_Insert:
      if (modifiers != Qt::NoModifier) {
        return false;
      }
      if (canModify && Offers(nbInsert)) {
        RunGuarded([&] {
          dataSet->Insert();
          NoteControlInsert(*dataSet);
        });
      }
      return true;
    case Qt::Key_Down: {
      if (modifiers != Qt::NoModifier || !canModify || !Offers(nbInsert)) {
        return false;
      }
      const int rows = dataSet->ViewRowCount();
      if (rows > 0 && dataSet->CurrentViewRow() != rows - 1) {
        return false;
      }
      RunGuarded([&] {
        UpdateRecord(*dataSet);
        // A new row nobody has filled yet is not followed by another.
        if (IsUntouchedControlInsert(*dataSet)) {
          return;
        }
        dataSet->Append();
        NoteControlInsert(*dataSet);
      });
      return true;
    }
    case Qt::Key_Up:
      if (modifiers != Qt::NoModifier || !FModel->Link().CanRead()) {
        return false;
      }
      {
        bool dropped = false;
        RunGuarded([&] { dropped = DropUntouchedInsert(*dataSet); });
        return dropped;
      }
    case Qt::Key_Escape:
      if (modifiers != Qt::NoModifier || !FModel->Link().Editing()) {
        return false;
      }
      CancelTable();
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      RunGuarded([&] {
        if (OnEnterKey) {
          OnEnterKey(*this);
        }
      });
      return false;
    default:
      return false;
  }
}

void TDataGrid::keyPressEvent(QKeyEvent* event) {
  // Keys a cell editor passed up (Enter, arrows) went through OnKeyPress
  // there already.
  const bool fromEditor = state() == QAbstractItemView::EditingState && !hasFocus();
  if (!fromEditor && FilterTypedKey(this, event)) {
    event->accept();
    return;
  }
  const QKeyEvent* previous = FCheckedKey;
  FCheckedKey = event;
  const TScopeExit checked([this, previous] { FCheckedKey = previous; });
  if (fromEditor && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
    QTableView::keyPressEvent(event);
    return;
  }
  // A key that leaves the row (Up, Down, Page Up, Page Down) gives the cell's
  // text to the field first. Its change handler may renumber and reset the
  // rows; the key then moves from the cell the grid is on after that. Left to
  // Qt, the write would happen half-way through the move, whose target the
  // reset takes away: the key would be lost with the current cell.
  if (fromEditor && LeavesTheRow(event) && !RunGuarded([&] { CommitEditor(); })) {
    event->accept();
    return;
  }
  if (HandleDataKey(event)) {
    event->accept();
    return;
  }
  QTableView::keyPressEvent(event);
}

void TDataGrid::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  RunGuarded([&] {
    if (OnDblClick) {
      OnDblClick(*this);
    }
  });
}

void TDataGrid::changeEvent(QEvent* event) {
  if (event->type() == QEvent::LanguageChange) {
    RefreshTitles();
  }
  QTableView::changeEvent(event);
}

// ---- Focus ----

bool TDataGrid::Owns(const QWidget* widget) const {
  return widget != nullptr && (widget == this || isAncestorOf(widget));
}

void TDataGrid::OnFocusChanged(QWidget* old, QWidget* now) {
  // Only a move to another control of this window counts: a message box or
  // another application taking the focus is not leaving the grid.
  if (!Owns(old) || now == nullptr || Owns(now) || now->window() != window()) {
    return;
  }
  RunGuarded([&] {
    if (OnExit) {
      OnExit(*this);
    }
  });
}
