#include "platform/table/key_index.h"

#include <algorithm>

#include "platform/table/client_dataset_impl.h"
#include "platform/table/value.h"

namespace {

// The text with its letter case folded one character at a time, as the
// case-insensitive comparison folds it: texts that compare equal so fold to
// the same text.
QString Folded(const QString& text) {
  QString folded;
  folded.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    char32_t c = text[i].unicode();
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      c = QChar::surrogateToUcs4(text[i], text[i + 1]);
      ++i;
    }
    c = QChar::toCaseFolded(c);
    if (QChar::requiresSurrogates(c)) {
      folded += QChar(QChar::highSurrogate(c));
      folded += QChar(QChar::lowSurrogate(c));
    } else {
      folded += QChar(char16_t(c));
    }
  }
  return folded;
}

// A stored value of a field that is not compared as text, as a text that
// values equal for the field share.
QString TypedText(const TValue& value) {
  switch (value.metaType().id()) {
    case QMetaType::Int:
      return QString::number(table_value::IntOf(value));
    case QMetaType::Double: {
      // -0 equals 0.
      const double number = table_value::FloatOf(value) == 0 ? 0.0 : table_value::FloatOf(value);
      return QString::number(number, 'g', 17);
    }
    case QMetaType::Bool:
      return table_value::BoolOf(value) ? QStringLiteral("1") : QStringLiteral("0");
    case QMetaType::QDate:
      return QString::number(table_value::DateOf(value).toJulianDay());
    default:
      return value.toString();
  }
}

// Keys that Locate would take as equal share their hash text; the few that
// share it without being equal are told apart by the comparison itself.
QString HashText(const std::vector<TLocateKey>& keys, bool caseInsensitive) {
  QString hash;
  for (const TLocateKey& key : keys) {
    if (key.MatchNull) {
      hash += u'\x01';
    } else if (key.ByText) {
      const QString text = caseInsensitive ? Folded(key.Text) : key.Text;
      hash += u'\x02' + QString::number(text.size()) + u':' + text;
    } else {
      hash += u'\x03' + TypedText(key.Typed) + u'\x1f';
    }
  }
  return hash;
}

}  // namespace

TKeyIndex::TKeyIndex(const TClientDataSet& table, const QString& keyFields, TLocateOptions options)
    : FTable(table), FFields(table.FImpl->FieldsOfList(keyFields)), FOptions(options & ~loPartialKey) {
  const TClientDataSet::TImpl& d = *table.FImpl;
  FRows.reserve(qsizetype(d.View.size()));
  for (const int rowId : d.View) {
    Add(TBookmark{rowId});
  }
}

QString TKeyIndex::HashOf(const QVariantList& keyValues) const {
  std::vector<TLocateKey> keys;
  if (!MakeLocateKeys(FFields, keyValues, FOptions, keys)) {
    return QString();
  }
  return HashText(keys, (FOptions & loCaseInsensitive) != 0);
}

TBookmark TKeyIndex::Find(const QVariantList& keyValues) const {
  std::vector<TLocateKey> keys;
  // A value its field cannot take is in no row.
  if (!MakeLocateKeys(FFields, keyValues, FOptions, keys)) {
    return TBookmark();
  }
  const auto found = FRows.constFind(HashText(keys, (FOptions & loCaseInsensitive) != 0));
  if (found == FRows.constEnd()) {
    return TBookmark();
  }
  const TClientDataSet::TImpl& d = *FTable.FImpl;
  for (const TEntry& entry : *found) {
    if (!d.Rows[size_t(entry.RowId)].Alive) {
      continue;
    }
    bool match = true;
    for (size_t i = 0; i < keys.size() && match; ++i) {
      match = LocateKeyMatches(keys[i], entry.Values[qsizetype(i)], FOptions);
    }
    if (match) {
      return TBookmark{entry.RowId};
    }
  }
  return TBookmark();
}

void TKeyIndex::Add(const TBookmark& row) {
  const TClientDataSet::TImpl& d = *FTable.FImpl;
  if (!row.IsValid() || size_t(row.RowId) >= d.Rows.size() || !d.Rows[size_t(row.RowId)].Alive) {
    return;
  }
  const TRecord& record = d.RecordOfRow(row.RowId);
  QVariantList values;
  values.reserve(qsizetype(FFields.size()));
  for (const TField* field : FFields) {
    values << d.ValueIn(*field, record);
  }
  const QString hash = HashOf(values);
  FRows[hash].push_back({row.RowId, std::move(values)});
}
