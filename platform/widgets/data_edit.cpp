#include "platform/widgets/data_edit.h"

#include <QFocusEvent>
#include <QKeyEvent>

#include "platform/core/scope_exit.h"
#include "platform/widgets/shared_dialogs.h"

TDataEdit::TDataEdit(QWidget* parent)
    : QLineEdit(parent), FLink([this](TDataChange change, int) { OnDataSetChanged(change); }) {
  FLink.OnUpdateData = [this] { UpdateData(); };
  connect(this, &QLineEdit::textChanged, this, &TDataEdit::OnTextChanged);
  Reload();
}

TDataEdit::~TDataEdit() = default;

void TDataEdit::SetDataSet(TClientDataSet* dataSet) {
  FLink.SetDataSet(dataSet);
  Reload();
}

void TDataEdit::SetDataField(const QString& fieldName) {
  FDataField = fieldName;
  Reload();
}

TField* TDataEdit::Field() const {
  TClientDataSet* dataSet = FLink.DataSet();
  return dataSet != nullptr && !FDataField.isEmpty() ? dataSet->FindField(FDataField) : nullptr;
}

void TDataEdit::Reload() {
  FLoading = true;
  const TScopeExit loading([this] { FLoading = false; });
  FModified = false;
  TField* field = Field();
  const bool bound = field != nullptr && FLink.CanRead();
  QString text;
  if (bound && FLink.DataSet()->CurrentViewRow() >= 0) {
    RunGuarded([&] { text = hasFocus() ? field->Text() : field->DisplayText(); });
  }
  setReadOnly(!bound);
  const int maxChars = field != nullptr && field->DataType() == TFieldType::ftString && field->Size() > 0
                           ? field->Size()
                           : 32767;
  // Qt sets the text anew on every change of the limit, caret and selection
  // lost with it.
  if (maxChars != maxLength()) {
    setMaxLength(maxChars);
  }
  // The same text is not set again: that would move the caret and drop a
  // selection a key handler has just made.
  if (text != this->text()) {
    setText(text);
  }
}

void TDataEdit::OnDataSetChanged(TDataChange change) {
  if (FBeginningEdit) {
    return;
  }
  // Other fields of the row being edited may change under the typing (a
  // change handler), or a label (a language switch); the typing stays until
  // it is written or the row is left.
  if (FModified && FLink.Editing() &&
      (change == TDataChange::RowChanged || change == TDataChange::StateChanged ||
       change == TDataChange::FieldChanged)) {
    return;
  }
  Reload();
}

void TDataEdit::OnTextChanged() {
  if (FLoading || FModified) {
    return;
  }
  FModified = true;
  if (FLink.CanRead() && !FLink.Editing()) {
    FBeginningEdit = true;
    const bool editing = RunGuarded([&] { FLink.DataSet()->Edit(); });
    FBeginningEdit = false;
    if (!editing) {
      Reload();
    }
  }
}

void TDataEdit::UpdateData() {
  if (!FModified) {
    return;
  }
  // Cleared first: the message box of a refusal takes the focus, and that
  // focus loss must not write the same text again.
  FModified = false;
  TField* field = Field();
  TClientDataSet* dataSet = FLink.DataSet();
  if (field == nullptr || !FLink.CanRead()) {
    Reload();
    return;
  }
  try {
    if (!FLink.Editing()) {
      dataSet->Edit();
    }
    field->SetText(text());
  } catch (...) {
    Reload();
    throw;
  }
  Reload();
}

void TDataEdit::CommitGuarded() {
  RunGuarded([&] { UpdateData(); });
}

void TDataEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  if (!FModified) {
    // The editing form of the value (a display handler may show another).
    Reload();
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason) {
      selectAll();
    }
  }
}

void TDataEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  // Another window (a message box, another program) taking the focus is not
  // leaving the edit.
  if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) {
    return;
  }
  CommitGuarded();
  if (!FModified) {
    Reload();
  }
  RunGuarded([&] {
    if (OnExit) {
      OnExit(*this);
    }
  });
}

void TDataEdit::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeyboardModifiers(Qt::KeypadModifier);
  if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && modifiers == Qt::NoModifier) {
    CommitGuarded();
  } else if (event->key() == Qt::Key_Escape && modifiers == Qt::NoModifier && FModified) {
    Reload();
    selectAll();
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

void TDataEdit::keyReleaseEvent(QKeyEvent* event) {
  QLineEdit::keyReleaseEvent(event);
  RunGuarded([&] {
    if (OnKeyUp) {
      OnKeyUp(*this, event->key(), event->modifiers());
    }
  });
}
