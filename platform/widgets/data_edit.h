#pragma once

#include <QLineEdit>
#include <functional>

#include "platform/widgets/data_link.h"

// A line edit bound to one field of a table's current row. It shows the
// field's DisplayText, and its Text while it has the focus; it follows the
// cursor. Any change of its text, typed or set by a handler through setText,
// puts the table into edit state; the text reaches the field through
// TField::SetText when the edit loses the focus, on Enter, and whenever the
// table is about to post (whoever posts it). A refused text is shown when
// leaving or on Enter, and raised to whoever posts; either way the edit goes
// back to the field's value. Escape takes the typing back.
class TDataEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit TDataEdit(QWidget* parent = nullptr);
  ~TDataEdit() override;

  void SetDataSet(TClientDataSet* dataSet);
  TClientDataSet* DataSet() const { return FLink.DataSet(); }
  void SetDataField(const QString& fieldName);
  const QString& DataField() const { return FDataField; }
  // Null when unbound or the table has no such field.
  TField* Field() const;

  // The text changed since it was last loaded from or written to the field.
  bool Modified() const { return FModified; }
  // Writes a changed text into the field now. Throws the refusal (the edit
  // has gone back to the field's value by then).
  void UpdateData();
  // Loads the field's value again, dropping any change.
  void Reload();

  // ---- Events ----
  // A key was released: the Qt::Key code and the modifiers.
  std::function<void(TDataEdit& sender, int key, Qt::KeyboardModifiers modifiers)> OnKeyUp;
  // The focus went to another control of the window, after the text was
  // written.
  std::function<void(TDataEdit& sender)> OnExit;

 protected:
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  void OnDataSetChanged(TDataChange change);
  void OnTextChanged();
  void CommitGuarded();

  TDataLink FLink;
  QString FDataField;
  bool FModified = false;
  bool FLoading = false;
  bool FBeginningEdit = false;
};
