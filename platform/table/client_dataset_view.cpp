// The table's view of its rows: the filter and the active index decide which
// rows it shows and in what order, the cursor moves over it (navigation,
// bookmarks, Locate), and the grids read it by position.
#include <algorithm>
#include <utility>

#include "platform/core/fmt.h"
#include "platform/table/client_dataset.h"
#include "platform/table/client_dataset_impl.h"
#include "platform/table/filter.h"
#include "platform/table/value.h"

// ---------------------------------------------------------------------------
// TImpl

int TClientDataSet::TImpl::RowIdAt(int viewRow) const {
  if (State == TDataSetState::dsInsert) {
    if (viewRow == InsertPos) {
      return -1;
    }
    if (viewRow > InsertPos) {
      --viewRow;
    }
  }
  return View[size_t(viewRow)];
}

const TRecord* TClientDataSet::TImpl::RecordAt(int viewRow) const {
  if (State == TDataSetState::dsInactive || viewRow < 0 || viewRow >= Self.ViewRowCount()) {
    return nullptr;
  }
  if (State == TDataSetState::dsInsert && viewRow == InsertPos) {
    return &Buffer;
  }
  if (State == TDataSetState::dsEdit && viewRow == Cursor) {
    return &Buffer;
  }
  return &RecordOfRow(RowIdAt(viewRow));
}

int TClientDataSet::TImpl::CurrentViewRowValue() const {
  switch (State) {
    case TDataSetState::dsInactive:
      return -1;
    case TDataSetState::dsInsert:
      return InsertPos;
    default:
      return Cursor;
  }
}

void TClientDataSet::TImpl::Place(int viewPos, bool atBof, bool atEof) {
  const int oldCursor = Cursor;
  const bool oldBof = AtBof;
  const bool oldEof = AtEof;
  if (View.empty()) {
    Cursor = -1;
    AtEof = AtBof = true;
  } else {
    Cursor = std::clamp(viewPos, 0, int(View.size()) - 1);
    AtBof = atBof;
    AtEof = atEof;
  }
  // A navigator greys its buttons by the marks alone, so a mark that changes
  // on the same row is news too; and the marks are settled before anyone hears.
  if (Cursor != oldCursor || AtBof != oldBof || AtEof != oldEof) {
    Notify(TDataChange::CurrentChanged, Cursor);
  }
}

std::vector<TKeyPart> TClientDataSet::TImpl::ResolveKey(const QString& fields, const QString& descFields,
                                                        bool descendingAll) const {
  const QStringList descending = SplitFieldList(descFields);
  std::vector<TKeyPart> key;
  for (const QString& name : SplitFieldList(fields)) {
    const TField& field = ByName(name);
    bool desc = descendingAll;
    for (const QString& d : descending) {
      desc = desc || d.compare(name, Qt::CaseInsensitive) == 0;
    }
    key.push_back({&field, desc});
  }
  return key;
}

std::vector<TKeyPart> TClientDataSet::TImpl::KeyOfDef(const TIndexDef& def) const {
  const bool descending = (def.Options & ixDescending) != 0;
  return ResolveKey(def.Fields, def.DescFields, descending && def.DescFields.trimmed().isEmpty());
}

void TClientDataSet::TImpl::ResolveActiveKey() {
  if (!IndexFieldNamesText.trimmed().isEmpty()) {
    ActiveKey = ResolveKey(IndexFieldNamesText, QString(), false);
  } else if (!IndexNameText.isEmpty()) {
    const TIndexDef* def = Self.FindIndexDef(IndexNameText);
    if (!def) {
      Error(Fmt(QStringLiteral("Index '%s' not found"), {IndexNameText}));
    }
    ActiveKey = KeyOfDef(*def);
  } else {
    ActiveKey.clear();
  }
}

void TClientDataSet::TImpl::ResolveUniqueKeys() {
  std::vector<std::vector<TKeyPart>> keys;
  for (const TIndexDef& def : IndexDefList) {
    if (def.Options & ixUnique) {
      keys.push_back(KeyOfDef(def));
    }
  }
  UniqueKeys = std::move(keys);
}

void TClientDataSet::TImpl::CompileFilter() {
  if (FilterOn && !FilterText.trimmed().isEmpty()) {
    Filter = TFilterExpr::Compile(FilterText, Self);
  } else {
    Filter.reset();
  }
}

bool TClientDataSet::TImpl::Passes(const TRecord& record) const {
  return !Filter || Filter->Matches(*this, record);
}

int TClientDataSet::TImpl::CompareRecords(const TRecord& a, int natA, const TRecord& b, int natB) const {
  for (const TKeyPart& part : ActiveKey) {
    int c;
    if (part.Field->IsLookup()) {
      c = table_value::Compare(TFieldType::ftString, LookupValue(*part.Field, a),
                               LookupValue(*part.Field, b));
    } else {
      const size_t slot = size_t(part.Field->FSlot);
      c = table_value::Compare(part.Field->DataType(), a[slot], b[slot]);
    }
    if (c != 0) {
      return part.Descending ? -c : c;
    }
  }
  return natA < natB ? -1 : (natA > natB ? 1 : 0);
}

int TClientDataSet::TImpl::ViewPositionFor(const TRecord& record, int naturalPos) const {
  const auto it = std::lower_bound(View.begin(), View.end(), 0, [&](int rowId, int) {
    return CompareRecords(RecordOfRow(rowId), Rows[size_t(rowId)].NaturalPos, record, naturalPos) < 0;
  });
  return int(it - View.begin());
}

void TClientDataSet::TImpl::RebuildView(int keepRowId) {
  View.clear();
  View.reserve(Natural.size());
  for (int rowId : Natural) {
    if (Passes(RecordOfRow(rowId))) {
      View.push_back(rowId);
    }
  }
  if (!ActiveKey.empty()) {
    std::sort(View.begin(), View.end(), [&](int a, int b) {
      return CompareRecords(RecordOfRow(a), Rows[size_t(a)].NaturalPos, RecordOfRow(b),
                            Rows[size_t(b)].NaturalPos) < 0;
    });
  }
  Cursor = View.empty() ? -1 : 0;
  if (keepRowId >= 0) {
    const auto it = std::find(View.begin(), View.end(), keepRowId);
    if (it != View.end()) {
      Cursor = int(it - View.begin());
    }
  }
  AtEof = AtBof = View.empty();
}

// ---------------------------------------------------------------------------
// TClientDataSet

void TClientDataSet::AddIndexDef(const TIndexDef& def) {
  TImpl& d = *FImpl;
  d.IndexDefList.push_back(def);
  if (Active()) {
    try {
      d.ResolveUniqueKeys();
    } catch (...) {
      d.IndexDefList.pop_back();
      d.ResolveUniqueKeys();
      throw;
    }
  }
}

const std::vector<TIndexDef>& TClientDataSet::IndexDefs() const {
  return FImpl->IndexDefList;
}

const TIndexDef* TClientDataSet::FindIndexDef(const QString& name) const {
  for (const TIndexDef& def : FImpl->IndexDefList) {
    if (def.Name.compare(name, Qt::CaseInsensitive) == 0) {
      return &def;
    }
  }
  return nullptr;
}

// ---- Navigation ----

void TClientDataSet::First() {
  TImpl& d = *FImpl;
  d.CheckBrowseMode();
  d.Place(0, true, false);
}

void TClientDataSet::Next() {
  TImpl& d = *FImpl;
  d.CheckBrowseMode();
  if (d.Cursor + 1 >= int(d.View.size())) {
    d.Place(d.Cursor, d.AtBof, true);
  } else {
    d.MoveTo(d.Cursor + 1);
  }
}

void TClientDataSet::Prior() {
  TImpl& d = *FImpl;
  d.CheckBrowseMode();
  if (d.Cursor <= 0) {
    d.Place(d.Cursor, true, d.AtEof);
  } else {
    d.MoveTo(d.Cursor - 1);
  }
}

void TClientDataSet::Last() {
  TImpl& d = *FImpl;
  d.CheckBrowseMode();
  d.Place(int(d.View.size()) - 1, false, true);
}

bool TClientDataSet::Eof() const {
  const TImpl& d = *FImpl;
  if (d.State == TDataSetState::dsInactive) {
    return true;
  }
  return d.State != TDataSetState::dsInsert && d.AtEof;
}

bool TClientDataSet::Bof() const {
  const TImpl& d = *FImpl;
  if (d.State == TDataSetState::dsInactive) {
    return true;
  }
  return d.State != TDataSetState::dsInsert && d.AtBof;
}

int TClientDataSet::RecordCount() const {
  return Active() ? int(FImpl->View.size()) : 0;
}

bool TClientDataSet::IsEmpty() const {
  return RecordCount() == 0 && FImpl->State != TDataSetState::dsInsert;
}

int TClientDataSet::RecNo() const {
  const int row = FImpl->CurrentViewRowValue();
  return row < 0 ? 0 : row + 1;
}

void TClientDataSet::SetRecNo(int recNo) {
  TImpl& d = *FImpl;
  d.CheckBrowseMode();
  if (!d.View.empty()) {
    d.MoveTo(recNo - 1);
  }
}

TBookmark TClientDataSet::GetBookmark() const {
  const TImpl& d = *FImpl;
  TBookmark bookmark;
  if ((d.State == TDataSetState::dsBrowse || d.State == TDataSetState::dsEdit) && d.Cursor >= 0) {
    bookmark.RowId = d.View[size_t(d.Cursor)];
  }
  return bookmark;
}

void TClientDataSet::GotoBookmark(const TBookmark& bookmark) {
  TImpl& d = *FImpl;
  d.CheckBrowseMode();
  if (!bookmark.IsValid() || size_t(bookmark.RowId) >= d.Rows.size()) {
    d.Error(QStringLiteral("Record not found"));
  }
  // Unfiltered and in the table's own order, the view is that order: a walk
  // that jumps to many rows then finds each without a search.
  const int natural = d.Rows[size_t(bookmark.RowId)].NaturalPos;
  if (natural >= 0 && size_t(natural) < d.View.size() && d.View[size_t(natural)] == bookmark.RowId) {
    d.MoveTo(natural);
    return;
  }
  const auto it = std::find(d.View.begin(), d.View.end(), bookmark.RowId);
  if (it == d.View.end()) {
    d.Error(QStringLiteral("Record not found"));
  }
  d.MoveTo(int(it - d.View.begin()));
}

bool TClientDataSet::BookmarkValid(const TBookmark& bookmark) const {
  const TImpl& d = *FImpl;
  if (!Active() || !bookmark.IsValid() || size_t(bookmark.RowId) >= d.Rows.size() ||
      !d.Rows[size_t(bookmark.RowId)].Alive) {
    return false;
  }
  return std::find(d.View.begin(), d.View.end(), bookmark.RowId) != d.View.end();
}

// ---- Locate ----

bool MakeLocateKeys(const std::vector<TField*>& fields, const QVariantList& values, TLocateOptions options,
                    std::vector<TLocateKey>& keys) {
  const bool partial = (options & loPartialKey) != 0;
  keys.clear();
  for (size_t i = 0; i < fields.size(); ++i) {
    const TField* field = fields[i];
    const TValue value = i < size_t(values.size()) ? values[qsizetype(i)] : TValue();
    TLocateKey key{
        field, field->DataType() == TFieldType::ftString || field->IsLookup() || partial, false, {}, {}};
    if (key.ByText) {
      key.Text = table_value::ToText(value);
      key.MatchNull = key.Text.isEmpty() && !partial;
    } else {
      if (!table_value::Convert(field->DataType(), value, key.Typed)) {
        return false;
      }
      key.MatchNull = !key.Typed.isValid();
    }
    keys.push_back(std::move(key));
  }
  return true;
}

bool LocateKeyMatches(const TLocateKey& key, const TValue& value, TLocateOptions options) {
  const bool partial = (options & loPartialKey) != 0;
  const Qt::CaseSensitivity cs = (options & loCaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
  if (key.MatchNull) {
    return !value.isValid();
  }
  if (!value.isValid()) {
    return partial && key.Text.isEmpty();
  }
  if (key.ByText) {
    const QString text = table_value::ToText(value);
    return partial ? text.startsWith(key.Text, cs) : text.compare(key.Text, cs) == 0;
  }
  return table_value::Equal(key.Field->DataType(), value, key.Typed);
}

bool TClientDataSet::Locate(const QString& keyFields, const QVariantList& keyValues, TLocateOptions options) {
  TImpl& d = *FImpl;
  d.CheckBrowseMode();
  std::vector<TLocateKey> keys;
  if (!MakeLocateKeys(d.FieldsOfList(keyFields), keyValues, options, keys)) {
    return false;  // no row can hold a value its field cannot take
  }
  for (size_t pos = 0; pos < d.View.size(); ++pos) {
    const TRecord& record = d.RecordOfRow(d.View[pos]);
    const bool match = std::all_of(keys.begin(), keys.end(), [&](const TLocateKey& key) {
      return LocateKeyMatches(key, d.ValueIn(*key.Field, record), options);
    });
    if (match) {
      d.MoveTo(int(pos));
      return true;
    }
  }
  return false;
}

// ---- Filter and index ----

const QString& TClientDataSet::Filter() const {
  return FImpl->FilterText;
}

void TClientDataSet::SetFilter(const QString& filter) {
  TImpl& d = *FImpl;
  if (!Active() || !d.FilterOn) {
    d.FilterText = filter;
    return;
  }
  d.CheckBrowseMode();
  const QString old = std::exchange(d.FilterText, filter);
  try {
    d.CompileFilter();
  } catch (...) {
    d.FilterText = old;
    throw;
  }
  d.RebuildView(-1);
  d.Notify(TDataChange::RowsReset, -1);
}

bool TClientDataSet::Filtered() const {
  return FImpl->FilterOn;
}

void TClientDataSet::SetFiltered(bool filtered) {
  TImpl& d = *FImpl;
  if (!Active()) {
    d.FilterOn = filtered;
    return;
  }
  d.CheckBrowseMode();
  const bool old = std::exchange(d.FilterOn, filtered);
  try {
    d.CompileFilter();
  } catch (...) {
    d.FilterOn = old;
    throw;
  }
  d.RebuildView(-1);
  d.AtBof = true;
  d.Notify(TDataChange::RowsReset, -1);
}

const QString& TClientDataSet::IndexName() const {
  return FImpl->IndexNameText;
}

// IndexName and IndexFieldNames replace each other: one of the two is set,
// the other cleared. A name or field list that does not resolve changes
// nothing.
void TClientDataSet::TImpl::ChangeIndex(const QString& indexName, const QString& fieldNames) {
  if (State == TDataSetState::dsInactive) {
    IndexNameText = indexName;
    IndexFieldNamesText = fieldNames;
    return;
  }
  CheckBrowseMode();
  const QString oldName = std::exchange(IndexNameText, indexName);
  const QString oldFields = std::exchange(IndexFieldNamesText, fieldNames);
  try {
    ResolveActiveKey();
  } catch (...) {
    IndexNameText = oldName;
    IndexFieldNamesText = oldFields;
    throw;
  }
  RebuildView(Cursor >= 0 ? View[size_t(Cursor)] : -1);
  Notify(TDataChange::RowsReset, -1);
}

void TClientDataSet::SetIndexName(const QString& indexName) {
  FImpl->ChangeIndex(indexName, QString());
}

const QString& TClientDataSet::IndexFieldNames() const {
  return FImpl->IndexFieldNamesText;
}

void TClientDataSet::SetIndexFieldNames(const QString& fieldNames) {
  FImpl->ChangeIndex(QString(), fieldNames);
}

// ---- Grid access ----

int TClientDataSet::ViewRowCount() const {
  const TImpl& d = *FImpl;
  if (!Active()) {
    return 0;
  }
  return int(d.View.size()) + (d.State == TDataSetState::dsInsert ? 1 : 0);
}

int TClientDataSet::CurrentViewRow() const {
  return FImpl->CurrentViewRowValue();
}

TValue TClientDataSet::ValueAt(int viewRow, const TField& field) const {
  const TRecord* record = FImpl->RecordAt(viewRow);
  if (!record || field.FDataSet != this) {
    return TValue();
  }
  return FImpl->ValueIn(field, *record);
}

QString TClientDataSet::DisplayTextAt(int viewRow, TField& field) const {
  TImpl& d = *FImpl;
  const TRecord* record = d.RecordAt(viewRow);
  if (!record || field.FDataSet != this) {
    return QString();
  }
  if (!field.OnGetText) {
    return table_value::ToText(d.ValueIn(field, *record));
  }
  struct TRestore {
    TImpl& D;
    const TRecord* Old;
    ~TRestore() { D.ReadOverride = Old; }
  } restore{d, d.ReadOverride};
  d.ReadOverride = record;
  return field.DisplayText();
}

void TClientDataSet::MoveToViewRow(int viewRow) {
  TImpl& d = *FImpl;
  d.CheckActive();
  if (viewRow < 0 || viewRow >= ViewRowCount()) {
    return;
  }
  if ((d.State == TDataSetState::dsInsert && viewRow == d.InsertPos) ||
      (d.State == TDataSetState::dsEdit && viewRow == d.Cursor)) {
    return;
  }
  // The row is known by identity: posting may move rows about.
  const int target = d.RowIdAt(viewRow);
  d.CheckBrowseMode();
  const auto it = std::find(d.View.begin(), d.View.end(), target);
  d.MoveTo(it != d.View.end() ? int(it - d.View.begin()) : viewRow);
}
