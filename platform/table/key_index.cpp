#include "platform/table/key_index.h"

#include <cstring>

#include "platform/table/client_dataset_impl.h"
#include "platform/table/value.h"

namespace {

// FNV-1a over the parts of a key: keys that Locate takes as equal hash
// alike; the few others that meet in a hash are told apart by the
// comparison itself.
struct THash {
  size_t Value = 14695981039346656037ull;
  void Add(quint64 part) {
    for (int i = 0; i < 8; ++i) {
      Value = (Value ^ ((part >> (8 * i)) & 0xFF)) * 1099511628211ull;
    }
  }
  // The text with its letter case folded one character at a time, as the
  // case-insensitive comparison folds it, so texts it takes as equal hash
  // alike.
  void AddText(const QString& text, bool caseInsensitive) {
    Add(2);
    for (qsizetype i = 0; i < text.size(); ++i) {
      char32_t c = text[i].unicode();
      if (caseInsensitive) {
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
          c = QChar::surrogateToUcs4(text[i], text[i + 1]);
          ++i;
        }
        c = QChar::toCaseFolded(c);
      }
      Add(c);
    }
    Add(0xFFFFFFFFu);
  }
  // A stored value of a field compared by value, not as text.
  void AddTyped(const TValue& value) {
    Add(3);
    switch (value.metaType().id()) {
      case QMetaType::Int:
        Add(quint64(qint64(table_value::IntOf(value))));
        break;
      case QMetaType::Double: {
        // -0 equals 0.
        const double number = table_value::FloatOf(value) == 0 ? 0.0 : table_value::FloatOf(value);
        quint64 bits = 0;
        std::memcpy(&bits, &number, sizeof bits);
        Add(bits);
        break;
      }
      case QMetaType::Bool:
        Add(table_value::BoolOf(value) ? 1 : 0);
        break;
      case QMetaType::QDate:
        Add(quint64(table_value::DateOf(value).toJulianDay()));
        break;
      default:
        break;
    }
  }
};

bool ComparedAsText(const TField& field) {
  return field.DataType() == TFieldType::ftString || field.IsLookup();
}

}  // namespace

TKeyIndex::TKeyIndex(const TClientDataSet& table, const QString& keyFields, TLocateOptions options)
    : FTable(table), FFields(table.FImpl->FieldsOfList(keyFields)), FOptions(options & ~loPartialKey) {
  const TClientDataSet::TImpl& d = *table.FImpl;
  FRows.reserve(qsizetype(d.View.size()));
  for (const int rowId : d.View) {
    FRows[HashOfRow(rowId)].append(rowId);
  }
}

// A stored value is null or of its field's type; a stored text is never
// empty. So a row's value hashes as the key Locate would make of it.
size_t TKeyIndex::HashOfRow(int rowId) const {
  const TClientDataSet::TImpl& d = *FTable.FImpl;
  const TRecord& record = d.RecordOfRow(rowId);
  const bool caseInsensitive = (FOptions & loCaseInsensitive) != 0;
  THash hash;
  for (const TField* field : FFields) {
    const TValue value = d.ValueIn(*field, record);
    if (!value.isValid()) {
      hash.Add(1);
    } else if (ComparedAsText(*field)) {
      hash.AddText(table_value::ToText(value), caseInsensitive);
    } else {
      hash.AddTyped(value);
    }
  }
  return hash.Value;
}

TBookmark TKeyIndex::Find(const QVariantList& keyValues) const {
  std::vector<TLocateKey> keys;
  // A value its field cannot take is in no row.
  if (!MakeLocateKeys(FFields, keyValues, FOptions, keys)) {
    return TBookmark();
  }
  const bool caseInsensitive = (FOptions & loCaseInsensitive) != 0;
  THash hash;
  for (const TLocateKey& key : keys) {
    if (key.MatchNull) {
      hash.Add(1);
    } else if (key.ByText) {
      hash.AddText(key.Text, caseInsensitive);
    } else {
      hash.AddTyped(key.Typed);
    }
  }
  const auto found = FRows.constFind(hash.Value);
  if (found == FRows.constEnd()) {
    return TBookmark();
  }
  const TClientDataSet::TImpl& d = *FTable.FImpl;
  for (const int rowId : *found) {
    if (!d.Rows[size_t(rowId)].Alive) {
      continue;
    }
    const TRecord& record = d.RecordOfRow(rowId);
    bool match = true;
    for (size_t i = 0; i < keys.size() && match; ++i) {
      match = LocateKeyMatches(keys[i], d.ValueIn(*keys[i].Field, record), FOptions);
    }
    if (match) {
      return TBookmark{rowId};
    }
  }
  return TBookmark();
}

void TKeyIndex::Add(const TBookmark& row) {
  const TClientDataSet::TImpl& d = *FTable.FImpl;
  if (row.IsValid() && size_t(row.RowId) < d.Rows.size() && d.Rows[size_t(row.RowId)].Alive) {
    FRows[HashOfRow(row.RowId)].append(row.RowId);
  }
}
