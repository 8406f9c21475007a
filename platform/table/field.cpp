#include "platform/table/field.h"

#include <utility>

#include "platform/core/fmt.h"
#include "platform/table/client_dataset.h"
#include "platform/table/client_dataset_impl.h"
#include "platform/table/value.h"

namespace {

const char* ConversionPattern(TFieldType type) {
  switch (type) {
    case TFieldType::ftInteger:
      return "'%s' is not a valid integer value for field '%s'";
    case TFieldType::ftFloat:
      return "'%s' is not a valid floating point value for field '%s'";
    case TFieldType::ftBoolean:
      return "'%s' is not a valid boolean value for field '%s'";
    case TFieldType::ftDate:
      return "'%s' is not a valid date for field '%s'";
    case TFieldType::ftString:
      break;
  }
  return "'%s' is not a valid value for field '%s'";
}

}  // namespace

QString FieldTypeWord(TFieldType type) {
  switch (type) {
    case TFieldType::ftString:
      return QStringLiteral("string");
    case TFieldType::ftInteger:
      return QStringLiteral("i4");
    case TFieldType::ftFloat:
      return QStringLiteral("r8");
    case TFieldType::ftBoolean:
      return QStringLiteral("boolean");
    case TFieldType::ftDate:
      return QStringLiteral("date");
  }
  return QString();
}

TField::TField(TClientDataSet* dataSet, QString name, TFieldType type, int size, TFieldKind kind)
    : FDataSet(dataSet), FFieldName(std::move(name)), FDataType(type), FSize(size), FFieldKind(kind) {}

int TField::Index() const {
  return FFieldNo;
}

void TField::SetDisplayLabel(const QString& label) {
  // The language is applied to every table whenever it is chosen, mostly with
  // the labels it already has: those are no news to the grids.
  if (label != FDisplayLabel) {
    FDisplayLabel = label;
    FDataSet->FImpl->Notify(TDataChange::FieldChanged, FFieldNo);
  }
}

void TField::SetVisible(bool visible) {
  if (visible != FVisible) {
    FVisible = visible;
    FDataSet->FImpl->Notify(TDataChange::FieldChanged, FFieldNo);
  }
}

QString TField::FitText(const QString& text) const {
  return FDataType == TFieldType::ftString ? table_value::FitText(text, FSize) : text;
}

int TField::DisplayWidth() const {
  if (FDisplayWidth > 0) {
    return FDisplayWidth;
  }
  switch (FDataType) {
    case TFieldType::ftString:
      // Long texts (coaches, passports) would make a column wider than a screen.
      return FSize < 50 ? FSize : 50;
    case TFieldType::ftInteger:
    case TFieldType::ftFloat:
    case TFieldType::ftDate:
      return 10;
    case TFieldType::ftBoolean:
      return 5;
  }
  return 10;
}

void TField::CheckRequired() const {
  if (FRequired && !IsLookup() && IsNull()) {
    FDataSet->FImpl->Error(Fmt(QStringLiteral("Field '%s' must have a value"), {DisplayLabel()}));
  }
}

QStringList TField::LookupList() const {
  QStringList list;
  TClientDataSet* lookup = FLookupDataSet;
  if (!lookup || !lookup->Active()) {
    return list;
  }
  TClientDataSet::TImpl& l = *lookup->FImpl;
  if (lookup != FDataSet) {
    l.CheckBrowseMode();
  }
  const TField* result = l.Find(FLookupResultField);
  if (!result) {
    return list;
  }
  list.reserve(qsizetype(l.View.size()));
  for (int rowId : l.View) {
    list.append(table_value::ToText(l.ValueIn(*result, l.RecordOfRow(rowId))));
  }
  return list;
}

bool TField::IsNull() const {
  return !Value().isValid();
}

TValue TField::Value() const {
  const TClientDataSet::TImpl& d = *FDataSet->FImpl;
  if (d.ValidatingLookup == this) {
    return d.ValidatingValue;
  }
  const TRecord* record = d.CurrentRecord();
  if (!record) {
    return TValue();
  }
  return d.ValueIn(*this, *record);
}

QString TField::AsString() const {
  return table_value::ToText(Value());
}

int TField::AsInteger() const {
  const TValue v = Value();
  TValue r;
  QString failed;
  if (!table_value::Convert(TFieldType::ftInteger, v, r, &failed)) {
    FDataSet->FImpl->ConvertError(QString::fromLatin1(ConversionPattern(TFieldType::ftInteger)), failed,
                                  *this);
  }
  return r.isValid() ? table_value::IntOf(r) : 0;
}

double TField::AsFloat() const {
  const TValue v = Value();
  TValue r;
  QString failed;
  if (!table_value::Convert(TFieldType::ftFloat, v, r, &failed)) {
    FDataSet->FImpl->ConvertError(QString::fromLatin1(ConversionPattern(TFieldType::ftFloat)), failed, *this);
  }
  return r.isValid() ? table_value::FloatOf(r) : 0.0;
}

bool TField::AsBoolean() const {
  const TValue v = Value();
  TValue r;
  QString failed;
  if (!table_value::Convert(TFieldType::ftBoolean, v, r, &failed)) {
    FDataSet->FImpl->ConvertError(QString::fromLatin1(ConversionPattern(TFieldType::ftBoolean)), failed,
                                  *this);
  }
  return r.isValid() && table_value::BoolOf(r);
}

QDate TField::AsDateTime() const {
  const TValue v = Value();
  TValue r;
  QString failed;
  if (!table_value::Convert(TFieldType::ftDate, v, r, &failed)) {
    FDataSet->FImpl->ConvertError(QString::fromLatin1(ConversionPattern(TFieldType::ftDate)), failed, *this);
  }
  return r.isValid() ? table_value::DateOf(r) : QDate();
}

void TField::AssignLookupKey(const TValue& text) {
  TClientDataSet::TImpl& d = *FDataSet->FImpl;
  // The key of the lookup row whose result is this text; null when none is.
  // An empty text is the choice of a row with an empty result (the rank
  // "none"), which has a key of its own.
  const std::vector<TField*> keys = d.FieldsOfList(FKeyFields);
  std::vector<TValue> keyValues(keys.size());
  TClientDataSet* lookup = FLookupDataSet;
  if (lookup && lookup->Active()) {
    TClientDataSet::TImpl& l = *lookup->FImpl;
    if (lookup != FDataSet) {
      l.CheckBrowseMode();
    }
    const std::vector<TField*> lookupKeys = l.FieldsOfList(FLookupKeyFields);
    TField& result = l.ByName(FLookupResultField);
    const TFieldType resultType = result.IsLookup() ? TFieldType::ftString : result.DataType();
    TValue wanted;
    if (table_value::Convert(resultType, text, wanted)) {
      for (int rowId : l.View) {
        const TRecord& record = l.RecordOfRow(rowId);
        const TValue found = l.ValueIn(result, record);
        if (wanted.isValid() ? table_value::Equal(resultType, found, wanted)
                             : table_value::ToText(found).isEmpty()) {
          for (size_t i = 0; i < keys.size() && i < lookupKeys.size(); ++i) {
            keyValues[i] = l.ValueIn(*lookupKeys[i], record);
          }
          break;
        }
      }
    }
  }
  for (size_t i = 0; i < keys.size(); ++i) {
    if (!keys[i]->IsLookup()) {
      keys[i]->SetValue(keyValues[i]);
    }
  }
}

void TField::SetValue(const TValue& value) {
  TClientDataSet::TImpl& d = *FDataSet->FImpl;
  d.CheckActive();
  d.CheckEditing();
  if (IsLookup()) {
    TValue text;
    table_value::Convert(TFieldType::ftString, value, text);
    // Two keys can show one text (a key without a row and the row with the
    // empty name both show nothing): a record copy that gives the lookup the
    // text its copied key already shows must not swap that key for another.
    const bool keepKey = table_value::ToText(text) == AsString();
    {
      d.ValidatingLookup = this;
      d.ValidatingValue = text;
      struct TReset {
        TClientDataSet::TImpl& D;
        ~TReset() {
          D.ValidatingLookup = nullptr;
          D.ValidatingValue = TValue();
        }
      } reset{d};
      FireEvent(OnValidate, *this);
    }
    if (!keepKey) {
      AssignLookupKey(text);
    }
    d.RecordModified = true;
    FireEvent(OnChange, *this);
    return;
  }

  TValue stored;
  QString failed;
  if (!table_value::Convert(FDataType, value, stored, &failed)) {
    d.ConvertError(QString::fromLatin1(ConversionPattern(FDataType)), failed, *this);
  }
  if (FDataType == TFieldType::ftString && stored.isValid() &&
      !table_value::TextFits(table_value::TextOf(stored), FSize)) {
    QString fitted = table_value::FitText(table_value::TextOf(stored), FSize);
    stored = fitted.isEmpty() ? TValue() : TValue(std::move(fitted));
  }
  TValue old = std::exchange(d.Buffer[size_t(FSlot)], std::move(stored));
  try {
    FireEvent(OnValidate, *this);
  } catch (...) {
    if (d.State == TDataSetState::dsEdit || d.State == TDataSetState::dsInsert) {
      d.Buffer[size_t(FSlot)] = std::move(old);
    }
    throw;
  }
  d.RecordModified = true;
  d.Notify(TDataChange::RowChanged, d.CurrentViewRowValue());
  FireEvent(OnChange, *this);
}

void TField::SetAsString(const QString& text) {
  SetValue(TValue(text));
}
void TField::SetAsInteger(int value) {
  SetValue(TValue(value));
}
void TField::SetAsFloat(double value) {
  SetValue(TValue(value));
}
void TField::SetAsBoolean(bool value) {
  SetValue(TValue(value));
}
void TField::SetAsDateTime(const QDate& value) {
  SetValue(value.isValid() ? TValue(value) : TValue());
}
void TField::Clear() {
  SetValue(TValue());
}

QString TField::DisplayText() const {
  QString text = AsString();
  if (OnGetText) {
    FireEvent(OnGetText, const_cast<TField&>(*this), text, true);
  }
  return text;
}

QString TField::Text() const {
  QString text = AsString();
  if (OnGetText) {
    FireEvent(OnGetText, const_cast<TField&>(*this), text, false);
  }
  return text;
}

void TField::SetText(const QString& text) {
  if (OnSetText) {
    FireEvent(OnSetText, *this, text);
  } else {
    SetAsString(text);
  }
}
