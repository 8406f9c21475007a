#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

class TClientDataSet;

// The five field types the program uses, with the file type word of each:
// "string", "i4", "r8", "boolean", "date".
enum class TFieldType { ftString, ftInteger, ftFloat, ftBoolean, ftDate };

// Data fields are stored in the row and in the file; lookup fields are
// computed on every read from another table and never stored.
enum class TFieldKind { fkData, fkLookup };

// A field value: an invalid QVariant is null; otherwise the QVariant holds a
// QString (text), int (integer), double (float), bool (Boolean) or QDate (date).
using TValue = QVariant;

// One field of a table. Owned by its table; a TField& stays valid as long as
// the field definition exists (for fields taken from a file: until the table
// closes). Values are read and written on the table's current row (or on the
// row a grid is painting, see TClientDataSet::DisplayTextAt).
class TField {
 public:
  using TFieldNotify = std::function<void(TField& sender)>;
  // Text = the text to supply; DisplayText = true for display, false for editing.
  using TFieldGetText = std::function<void(TField& sender, QString& text, bool displayText)>;
  using TFieldSetText = std::function<void(TField& sender, const QString& text)>;

  TField(const TField&) = delete;
  TField& operator=(const TField&) = delete;

  TClientDataSet& DataSet() const { return *FDataSet; }
  const QString& FieldName() const { return FFieldName; }
  TFieldType DataType() const { return FDataType; }
  TFieldKind FieldKind() const { return FFieldKind; }
  bool IsLookup() const { return FFieldKind == TFieldKind::fkLookup; }
  // Taken over from a loaded file by a table that defines no fields of its
  // own; such a field goes when the table closes.
  bool FromFile() const { return FFromFile; }
  // Text fields: the most characters stored; longer texts are cut, never
  // inside a character (a surrogate pair stays whole or goes).
  int Size() const { return FSize; }
  // The text as an assignment stores it in this field (text fields cut to
  // Size; other types as given).
  QString FitText(const QString& text) const;
  // Position of the field in its table (0-based).
  int Index() const;

  // Column title and message text; the field name when never set. A change
  // of either is a FieldChanged notice of the table.
  QString DisplayLabel() const { return FDisplayLabel.isEmpty() ? FFieldName : FDisplayLabel; }
  void SetDisplayLabel(const QString& label);
  // Shown in grids or not.
  bool Visible() const { return FVisible; }
  void SetVisible(bool visible);
  // Default column width in characters (text: its size, capped; numbers 10, ...).
  int DisplayWidth() const;
  void SetDisplayWidth(int chars) { FDisplayWidth = chars; }
  // A row is not posted while a required data field is null.
  bool Required() const { return FRequired; }
  void SetRequired(bool required) { FRequired = required; }
  // Raises the table's "Field '%s' must have a value" (the display label)
  // when the field is a required data field and null on the current row.
  void CheckRequired() const;

  // Lookup definition (lookup fields only).
  const QString& KeyFields() const { return FKeyFields; }
  TClientDataSet* LookupDataSet() const { return FLookupDataSet; }
  const QString& LookupKeyFields() const { return FLookupKeyFields; }
  const QString& LookupResultField() const { return FLookupResultField; }
  // The result values of the lookup table in its row order (its current
  // view), as a drop-down list offers them; empty when the table is closed.
  QStringList LookupList() const;

  // Values of the current row. Null reads as "" / 0 / 0.0 / false / null date.
  bool IsNull() const;
  TValue Value() const;
  QString AsString() const;
  int AsInteger() const;
  double AsFloat() const;
  bool AsBoolean() const;
  QDate AsDateTime() const;

  // Assignments need the table in edit or insert state. They run OnValidate
  // (while it runs, the field reads the new value; an exception refuses it
  // and the field keeps its old value), store the value, then run OnChange.
  // Assigning a text parses it by the locale forms; "" makes the field null.
  // Assigning to a lookup field stores the key of the lookup row whose result
  // equals the value into the key field, null when none does; an empty text
  // finds a row whose result is empty. A text equal to what the field shows
  // leaves the key as it is.
  void SetValue(const TValue& value);
  void SetAsString(const QString& text);
  void SetAsInteger(int value);
  void SetAsFloat(double value);
  void SetAsBoolean(bool value);
  void SetAsDateTime(const QDate& value);
  void Clear();

  // Text for display (OnGetText with displayText true, else AsString) and for
  // editing (OnGetText with displayText false, else AsString). The handler's
  // text starts as AsString, so one that supplies only the display text
  // leaves the editing text as it is.
  QString DisplayText() const;
  QString Text() const;
  // Text typed by the user: OnSetText when attached, else SetAsString.
  void SetText(const QString& text);

  // Events; assign an empty function to detach, the same function to re-attach.
  TFieldNotify OnValidate;
  TFieldNotify OnChange;
  TFieldGetText OnGetText;
  TFieldSetText OnSetText;

 private:
  friend class TClientDataSet;
  TField(TClientDataSet* dataSet, QString name, TFieldType type, int size, TFieldKind kind);
  // A lookup field given a text: its key fields take the key of the lookup
  // row whose result is that text, or null when no row's is.
  void AssignLookupKey(const TValue& text);

  TClientDataSet* FDataSet;
  QString FFieldName;
  TFieldType FDataType;
  int FSize;
  TFieldKind FFieldKind;
  QString FDisplayLabel;
  bool FVisible = true;
  int FDisplayWidth = 0;
  bool FRequired = false;
  bool FFromFile = false;
  int FFieldNo = -1;  // position in the table
  int FSlot = -1;     // data fields: position in the record
  QString FKeyFields;
  TClientDataSet* FLookupDataSet = nullptr;
  QString FLookupKeyFields;
  QString FLookupResultField;
};

// The file type word of a field type ("string", "i4", "r8", "boolean", "date").
QString FieldTypeWord(TFieldType type);
