#include "platform/table/client_dataset.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <utility>

#include "platform/core/fmt.h"
#include "platform/core/scope_exit.h"
#include "platform/table/client_dataset_impl.h"
#include "platform/table/filter.h"
#include "platform/table/value.h"

namespace {

bool IsEditing(TDataSetState state) {
  return state == TDataSetState::dsEdit || state == TDataSetState::dsInsert;
}

QStringList SplitFieldList(const QString& names) {
  QStringList list;
  for (const QString& part : names.split(u';')) {
    const QString name = part.trimmed();
    if (!name.isEmpty()) {
      list.append(name);
    }
  }
  return list;
}

}  // namespace

// ---------------------------------------------------------------------------
// TImpl

TClientDataSet::TImpl::TImpl(TClientDataSet& owner) : Self(owner) {}
TClientDataSet::TImpl::~TImpl() = default;

void TClientDataSet::TImpl::Error(const QString& message) const {
  throw EDatabaseError(Self.FName + QStringLiteral(": ") + message);
}

void TClientDataSet::TImpl::ConvertError(const QString& pattern, const QString& text,
                                         const TField& field) const {
  throw EConvertError(Self.FName + QStringLiteral(": ") + Fmt(pattern, {text, field.DisplayLabel()}));
}

void TClientDataSet::TImpl::CheckActive() const {
  if (State == TDataSetState::dsInactive) {
    Error(QStringLiteral("Cannot perform this operation on a closed dataset"));
  }
}

void TClientDataSet::TImpl::CheckInactive() const {
  if (State != TDataSetState::dsInactive) {
    Error(QStringLiteral("Cannot perform this operation on an open dataset"));
  }
}

void TClientDataSet::TImpl::CheckEditing() const {
  if (!IsEditing(State)) {
    Error(QStringLiteral("Dataset not in edit or insert mode"));
  }
}

void TClientDataSet::TImpl::CheckBrowseMode() {
  CheckActive();
  if (IsEditing(State)) {
    Self.Post();
  }
}

TField* TClientDataSet::TImpl::Find(const QString& name) const {
  const int i = FieldIndexByName.value(name.toCaseFolded(), -1);
  return i < 0 ? nullptr : FieldList[size_t(i)].get();
}

TField& TClientDataSet::TImpl::ByName(const QString& name) const {
  TField* field = Find(name);
  if (!field) {
    Error(Fmt(QStringLiteral("Field '%s' not found"), {name}));
  }
  return *field;
}

std::vector<TField*> TClientDataSet::TImpl::FieldsOfList(const QString& names) const {
  std::vector<TField*> fields;
  for (const QString& name : SplitFieldList(names)) {
    fields.push_back(&ByName(name));
  }
  return fields;
}

void TClientDataSet::TImpl::AddFieldObject(std::unique_ptr<TField> field) {
  const QString key = field->FieldName().toCaseFolded();
  if (FieldIndexByName.contains(key)) {
    Error(Fmt(QStringLiteral("Duplicate field name '%s'"), {field->FieldName()}));
  }
  // Only the new field is entered: a packet of thousands of columns adds
  // them one by one, and rebuilding the maps each time made that quadratic.
  FieldList.push_back(std::move(field));
  MapField(FieldList.size() - 1, key);
}

void TClientDataSet::TImpl::MapField(size_t index, const QString& key) {
  TField& f = *FieldList[index];
  f.FFieldNo = int(index);
  FieldIndexByName.insert(key, int(index));
  if (f.IsLookup()) {
    f.FSlot = -1;
  } else {
    f.FSlot = int(DataFields.size());
    DataFields.push_back(&f);
  }
}

void TClientDataSet::TImpl::RebuildFieldMaps() {
  DataFields.clear();
  FieldIndexByName.clear();
  FieldIndexByName.reserve(qsizetype(FieldList.size()));
  for (size_t i = 0; i < FieldList.size(); ++i) {
    MapField(i, FieldList[i]->FieldName().toCaseFolded());
  }
}

void TClientDataSet::TImpl::DropFileFields() {
  const auto fromFile = [](const std::unique_ptr<TField>& f) { return f->FFromFile; };
  if (std::any_of(FieldList.begin(), FieldList.end(), fromFile)) {
    FieldList.erase(std::remove_if(FieldList.begin(), FieldList.end(), fromFile), FieldList.end());
    RebuildFieldMaps();
  }
}

const TRecord* TClientDataSet::TImpl::CurrentRecord() const {
  if (ReadOverride) {
    return ReadOverride;
  }
  if (IsEditing(State)) {
    return &Buffer;
  }
  if (State == TDataSetState::dsBrowse && Cursor >= 0) {
    return &RecordOfRow(View[size_t(Cursor)]);
  }
  return nullptr;
}

TValue TClientDataSet::TImpl::ValueIn(const TField& field, const TRecord& record) const {
  if (!field.IsLookup()) {
    return size_t(field.FSlot) < record.size() ? record[size_t(field.FSlot)] : TValue();
  }
  return LookupValue(field, record);
}

TValue TClientDataSet::TImpl::LookupValue(const TField& field, const TRecord& record) const {
  TClientDataSet* lookup = field.LookupDataSet();
  if (!lookup || !lookup->Active()) {
    return TValue();
  }
  TImpl& l = *lookup->FImpl;
  if (lookup != &Self && IsEditing(l.State)) {
    l.CheckBrowseMode();
  }
  const QStringList keyNames = SplitFieldList(field.KeyFields());
  const QStringList lookupKeyNames = SplitFieldList(field.LookupKeyFields());
  const TField* result = l.Find(field.LookupResultField());
  if (!result || keyNames.isEmpty() || keyNames.size() != lookupKeyNames.size()) {
    return TValue();
  }
  std::vector<const TField*> lookupKeys;
  std::vector<TValue> wanted;
  for (qsizetype i = 0; i < keyNames.size(); ++i) {
    const TField* key = Find(keyNames[i]);
    const TField* lookupKey = l.Find(lookupKeyNames[i]);
    if (!key || !lookupKey || key->IsLookup() || lookupKey->IsLookup()) {
      return TValue();
    }
    TValue converted;
    if (!table_value::Convert(lookupKey->DataType(), ValueIn(*key, record), converted) ||
        !converted.isValid()) {
      return TValue();
    }
    lookupKeys.push_back(lookupKey);
    wanted.push_back(std::move(converted));
  }
  for (int rowId : l.View) {
    const TRecord& candidate = l.RecordOfRow(rowId);
    bool match = true;
    for (size_t i = 0; i < lookupKeys.size() && match; ++i) {
      match =
          table_value::Equal(lookupKeys[i]->DataType(), candidate[size_t(lookupKeys[i]->FSlot)], wanted[i]);
    }
    if (match) {
      QString text = table_value::ToText(l.ValueIn(*result, candidate));
      return text.isEmpty() ? TValue() : TValue(std::move(text));
    }
  }
  return TValue();
}

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

void TClientDataSet::TImpl::RenumberNatural(size_t from) {
  for (size_t i = from; i < Natural.size(); ++i) {
    Rows[size_t(Natural[i])].NaturalPos = int(i);
  }
}

void TClientDataSet::TImpl::Notify(TDataChange change, int row) {
  if (DisableCount > 0 || Observers.empty()) {
    return;
  }
  const std::vector<TDataSetObserver*> observers = Observers;
  for (TDataSetObserver* observer : observers) {
    // An observer may detach another one while it handles the notice.
    if (std::find(Observers.begin(), Observers.end(), observer) != Observers.end()) {
      observer->DataSetChanged(Self, change, row);
    }
  }
}

void TClientDataSet::TImpl::AskForPendingInput() {
  if (WritingPendingInput || DisableCount > 0 || Observers.empty()) {
    return;
  }
  WritingPendingInput = true;
  const TScopeExit done([this] { WritingPendingInput = false; });
  const std::vector<TDataSetObserver*> observers = Observers;
  for (TDataSetObserver* observer : observers) {
    if (std::find(Observers.begin(), Observers.end(), observer) != Observers.end()) {
      observer->WritePendingInput(Self);
    }
  }
}

std::vector<TClientDataSet*> TClientDataSet::TImpl::ForgetLookupClients() {
  std::vector<TClientDataSet*> clients;
  for (TClientDataSet* client : std::exchange(LookupClients, {})) {
    if (std::find(clients.begin(), clients.end(), client) == clients.end()) {
      clients.push_back(client);
    }
  }
  for (TClientDataSet* client : clients) {
    for (const std::unique_ptr<TField>& field : client->FImpl->FieldList) {
      if (field->FLookupDataSet == &Self) {
        field->FLookupDataSet = nullptr;
      }
    }
  }
  return clients;
}

void TClientDataSet::TImpl::LeaveLookupTables() {
  for (const std::unique_ptr<TField>& field : FieldList) {
    TClientDataSet* lookup = field->FLookupDataSet;
    if (lookup == nullptr || lookup == &Self) {
      continue;
    }
    std::vector<TClientDataSet*>& clients = lookup->FImpl->LookupClients;
    const auto it = std::find(clients.begin(), clients.end(), &Self);
    if (it != clients.end()) {
      clients.erase(it);
    }
  }
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

void TClientDataSet::TImpl::ClearData() {
  Versions.clear();
  RawPacket.clear();
  RawSpans.clear();
  Log.clear();
  Rows.clear();
  Natural.clear();
  View.clear();
  Buffer.clear();
  Cursor = -1;
  InsertPos = -1;
  InsertBeforeRow = -1;
  AtEof = AtBof = true;
  RecordModified = false;
  Changed = false;
}

void TClientDataSet::TImpl::OpenEmpty() {
  ResolveActiveKey();
  ResolveUniqueKeys();
  CompileFilter();
  ClearData();
  State = TDataSetState::dsBrowse;
  Notify(TDataChange::RowsReset, -1);
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

void TClientDataSet::TImpl::BeginInsert(bool append) {
  Buffer.assign(DataFields.size(), TValue());
  if (append || View.empty()) {
    InsertPos = int(View.size());
    InsertBeforeRow = -1;
  } else {
    InsertPos = Cursor;
    InsertBeforeRow = View[size_t(Cursor)];
  }
  State = TDataSetState::dsInsert;
  RecordModified = false;
  AtEof = AtBof = false;
  Notify(TDataChange::RowInserted, InsertPos);
  Notify(TDataChange::StateChanged, InsertPos);
  Notify(TDataChange::CurrentChanged, InsertPos);
  try {
    FireEvent(Self.OnNewRecord, Self);
  } catch (...) {
    // A row that could not be set up is not left half-made.
    if (State == TDataSetState::dsInsert) {
      Self.Cancel();
    }
    throw;
  }
  // First values are not the user's changes.
  RecordModified = false;
  FireEvent(Self.AfterInsert, Self);
}

void TClientDataSet::TImpl::DiscardEdit() {
  if (!IsEditing(State)) {
    return;
  }
  const bool wasInsert = State == TDataSetState::dsInsert;
  const int pos = InsertPos;
  Buffer.clear();
  InsertPos = -1;
  State = TDataSetState::dsBrowse;
  RecordModified = false;
  if (wasInsert) {
    Cursor = View.empty() ? -1 : std::min(pos, int(View.size()) - 1);
    AtEof = AtBof = View.empty();
  }
}

// ---------------------------------------------------------------------------
// TClientDataSet

TClientDataSet::TClientDataSet(QString name)
    : FName(std::move(name)), FImpl(std::make_unique<TImpl>(*this)) {}

TClientDataSet::~TClientDataSet() {
  TImpl& d = *FImpl;
  // The lookup fields elsewhere let go first: a control that hears of our end
  // and binds afresh must not find this table through them.
  const std::vector<TClientDataSet*> clients = d.ForgetLookupClients();
  const std::vector<TDataSetObserver*> observers = d.Observers;
  for (TDataSetObserver* observer : observers) {
    if (std::find(d.Observers.begin(), d.Observers.end(), observer) != d.Observers.end()) {
      try {
        observer->DataSetDestroying(*this);
      } catch (...) {
        // A destructor cannot pass it on, and the table goes all the same.
      }
    }
  }
  // From here on the table tells nobody anything.
  d.Observers.clear();
  for (TClientDataSet* client : clients) {
    try {
      client->FImpl->Notify(TDataChange::RowsReset, -1);
    } catch (...) {
      // As above: the client's controls read again at its next notice.
    }
  }
  d.LeaveLookupTables();
  try {
    Close();
  } catch (...) {
    // Nobody is left to tell; WriteFileAtomically kept the old file whole.
  }
}

TField& TClientDataSet::AddField(const QString& name, TFieldType type, int size) {
  FImpl->CheckInactive();
  if (type == TFieldType::ftString) {
    size = size > 0 ? size : 20;
  } else {
    size = 0;
  }
  std::unique_ptr<TField> field(new TField(this, name, type, size, TFieldKind::fkData));
  TField& ref = *field;
  FImpl->AddFieldObject(std::move(field));
  FImpl->Notify(TDataChange::FieldChanged, -1);
  return ref;
}

TField& TClientDataSet::AddLookupField(const QString& name, int size, const QString& keyFields,
                                       TClientDataSet* lookupDataSet, const QString& lookupKeyFields,
                                       const QString& lookupResultField) {
  FImpl->CheckInactive();
  std::unique_ptr<TField> field(
      new TField(this, name, TFieldType::ftString, size > 0 ? size : 20, TFieldKind::fkLookup));
  field->FKeyFields = keyFields;
  field->FLookupDataSet = lookupDataSet;
  field->FLookupKeyFields = lookupKeyFields;
  field->FLookupResultField = lookupResultField;
  TField& ref = *field;
  FImpl->AddFieldObject(std::move(field));
  if (lookupDataSet != nullptr && lookupDataSet != this) {
    lookupDataSet->FImpl->LookupClients.push_back(this);
  }
  FImpl->Notify(TDataChange::FieldChanged, -1);
  return ref;
}

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

int TClientDataSet::FieldCount() const {
  return int(FImpl->FieldList.size());
}

TField& TClientDataSet::Fields(int index) const {
  if (index < 0 || size_t(index) >= FImpl->FieldList.size()) {
    FImpl->Error(Fmt(QStringLiteral("List index out of bounds (%d)"), {QString::number(index)}));
  }
  return *FImpl->FieldList[size_t(index)];
}

TField* TClientDataSet::FindField(const QString& name) const {
  return FImpl->Find(name);
}

TField& TClientDataSet::FieldByName(const QString& name) const {
  return FImpl->ByName(name);
}

void TClientDataSet::CreateDataSet() {
  if (Active()) {
    Close();
  }
  FImpl->OpenEmpty();
}

bool TClientDataSet::Active() const {
  return FImpl->State != TDataSetState::dsInactive;
}

void TClientDataSet::SetActive(bool active) {
  if (!active) {
    Close();
    return;
  }
  if (Active()) {
    return;
  }
  if (FImpl->FileName.isEmpty()) {
    FImpl->Error(QStringLiteral("Missing data packet: the table has no file name to open"));
  }
  QFile file(FImpl->FileName);
  if (!file.open(QIODevice::ReadOnly)) {
    FImpl->Error(Fmt(QStringLiteral("Cannot open file \"%s\". %s"), {FImpl->FileName, file.errorString()}));
  }
  FImpl->LoadBytes(file.readAll(), FImpl->FileName);
}

void TClientDataSet::Close() {
  TImpl& d = *FImpl;
  if (!Active()) {
    return;
  }
  d.DiscardEdit();
  try {
    WriteBack();
  } catch (...) {
    // The table stays open so that nothing typed is lost with the failed write.
    d.Notify(TDataChange::RowsReset, -1);
    throw;
  }
  d.ClearData();
  d.Filter.reset();
  d.State = TDataSetState::dsInactive;
  d.DropFileFields();
  d.Notify(TDataChange::RowsReset, -1);
}

void TClientDataSet::WriteBack() {
  TImpl& d = *FImpl;
  // A file that has gone is written again, changed or not: the table in
  // memory is all that is left of it.
  if (Active() && !d.FileName.isEmpty() && (d.Changed || !QFileInfo::exists(d.FileName))) {
    d.WriteFile(d.FileName);
    d.Changed = false;
  }
}

const QString& TClientDataSet::FileName() const {
  return FImpl->FileName;
}

void TClientDataSet::SetFileName(const QString& fileName) {
  FImpl->FileName = fileName;
}

void TClientDataSet::SaveToFile(const QString& fileName, int format) {
  // Every format is written as XML: the program never writes the other
  // packet form, and a file it could not read back would be worse than one
  // in the form it reads.
  static_cast<void>(format);
  TImpl& d = *FImpl;
  if (!Active()) {
    return;
  }
  const QString path = fileName.isEmpty() ? d.FileName : fileName;
  if (path.isEmpty()) {
    d.Error(QStringLiteral("Missing file name"));
  }
  d.CheckBrowseMode();
  d.WriteFile(path);
  // Only the table's own file counts: a copy saved elsewhere (a protocol
  // file) must not stop the write-back of the table's file at close.
  if (d.FileName.isEmpty() ||
      QFileInfo(path).absoluteFilePath() == QFileInfo(d.FileName).absoluteFilePath()) {
    d.Changed = false;
  }
}

void TClientDataSet::LoadFromFile(const QString& fileName) {
  Close();
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly)) {
    FImpl->Error(Fmt(QStringLiteral("Cannot open file \"%s\". %s"), {fileName, file.errorString()}));
  }
  FImpl->LoadBytes(file.readAll(), fileName);
}

bool TClientDataSet::ContentChanged() const {
  return Active() && FImpl->Changed;
}

bool TClientDataSet::Modified() const {
  return IsEditing(FImpl->State) && FImpl->RecordModified;
}

TDataSetState TClientDataSet::State() const {
  return FImpl->State;
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

// ---- Editing ----

void TClientDataSet::Insert() {
  TImpl& d = *FImpl;
  d.CheckBrowseMode();
  FireEvent(BeforeInsert, *this);
  d.BeginInsert(false);
}

void TClientDataSet::Append() {
  TImpl& d = *FImpl;
  d.CheckBrowseMode();
  FireEvent(BeforeInsert, *this);
  d.BeginInsert(true);
}

void TClientDataSet::Edit() {
  TImpl& d = *FImpl;
  d.CheckActive();
  if (IsEditing(d.State)) {
    return;
  }
  if (d.View.empty()) {
    // Nothing to edit: a new row takes the edit, as typing into an empty grid does.
    Insert();
    return;
  }
  d.Buffer = d.RecordOfRow(d.View[size_t(d.Cursor)]);
  d.State = TDataSetState::dsEdit;
  d.RecordModified = false;
  d.Notify(TDataChange::StateChanged, d.Cursor);
}

void TClientDataSet::Post() {
  TImpl& d = *FImpl;
  d.CheckActive();
  if (!IsEditing(d.State)) {
    return;
  }
  d.AskForPendingInput();
  // A written value's change handler may have posted or cancelled already.
  if (!IsEditing(d.State)) {
    return;
  }
  for (const std::unique_ptr<TField>& field : d.FieldList) {
    field->CheckRequired();
  }
  const bool inserting = d.State == TDataSetState::dsInsert;
  const int editedRow = inserting ? -1 : d.View[size_t(d.Cursor)];
  for (const std::vector<TKeyPart>& key : d.UniqueKeys) {
    for (int rowId : d.Natural) {
      if (rowId == editedRow) {
        continue;
      }
      const TRecord& other = d.RecordOfRow(rowId);
      bool same = true;
      for (const TKeyPart& part : key) {
        if (table_value::Compare(part.Field->IsLookup() ? TFieldType::ftString : part.Field->DataType(),
                                 d.ValueIn(*part.Field, d.Buffer), d.ValueIn(*part.Field, other)) != 0) {
          same = false;
          break;
        }
      }
      if (same) {
        d.Error(QStringLiteral("Key violation."));
      }
    }
  }

  int rowId;
  int oldPos;
  if (inserting) {
    d.Versions.push_back({std::move(d.Buffer), -1, rsInserted});
    const int version = int(d.Versions.size()) - 1;
    d.Log.insert(d.Log.end(), {version + 1, 0, 4});
    rowId = int(d.Rows.size());
    d.Rows.push_back({version, -1, true});
    const size_t natPos =
        d.InsertBeforeRow >= 0 ? size_t(d.Rows[size_t(d.InsertBeforeRow)].NaturalPos) : d.Natural.size();
    d.Natural.insert(d.Natural.begin() + std::ptrdiff_t(natPos), rowId);
    d.RenumberNatural(natPos);
    oldPos = d.InsertPos;
  } else {
    rowId = editedRow;
    const int old = d.Rows[size_t(rowId)].Version;
    const int state = rsModified | (d.Versions[size_t(old)].RowState & rsInserted);
    d.Versions[size_t(old)].RowState |= rsSuperseded;
    d.Versions.push_back({std::move(d.Buffer), -1, state});
    const int version = int(d.Versions.size()) - 1;
    d.Rows[size_t(rowId)].Version = version;
    d.Log.insert(d.Log.end(), {version + 1, old + 1, 8});
    oldPos = d.Cursor;
    d.View.erase(d.View.begin() + oldPos);
  }
  d.Buffer.clear();
  d.InsertPos = -1;
  d.State = TDataSetState::dsBrowse;
  d.RecordModified = false;
  d.Changed = true;

  const TRecord& record = d.RecordOfRow(rowId);
  const bool stays = d.Passes(record);
  int newPos = -1;
  if (stays) {
    newPos = d.ViewPositionFor(record, d.Rows[size_t(rowId)].NaturalPos);
    d.View.insert(d.View.begin() + newPos, rowId);
    d.Cursor = newPos;
  } else {
    d.Cursor = d.View.empty() ? -1 : std::min(oldPos, int(d.View.size()) - 1);
  }
  d.AtEof = d.AtBof = d.View.empty();
  if (!stays) {
    d.Notify(TDataChange::RowRemoved, oldPos);
  } else if (newPos == oldPos) {
    d.Notify(TDataChange::RowChanged, newPos);
  } else {
    d.Notify(TDataChange::RowRemoved, oldPos);
    d.Notify(TDataChange::RowInserted, newPos);
  }
  d.Notify(TDataChange::StateChanged, d.Cursor);
  d.Notify(TDataChange::CurrentChanged, d.Cursor);
  FireEvent(AfterPost, *this);
}

void TClientDataSet::Cancel() {
  TImpl& d = *FImpl;
  if (d.State == TDataSetState::dsInsert) {
    const int pos = d.InsertPos;
    d.DiscardEdit();
    d.Notify(TDataChange::RowRemoved, pos);
    d.Notify(TDataChange::StateChanged, d.Cursor);
    d.Notify(TDataChange::CurrentChanged, d.Cursor);
  } else if (d.State == TDataSetState::dsEdit) {
    d.DiscardEdit();
    d.Notify(TDataChange::RowChanged, d.Cursor);
    d.Notify(TDataChange::StateChanged, d.Cursor);
  }
}

void TClientDataSet::Delete() {
  TImpl& d = *FImpl;
  d.CheckActive();
  if (d.State == TDataSetState::dsInsert) {
    // The new row was never posted: deleting it is cancelling it.
    Cancel();
    return;
  }
  if (d.View.empty()) {
    d.Error(QStringLiteral("Cannot perform this operation on an empty dataset"));
  }
  if (d.State == TDataSetState::dsEdit) {
    Cancel();
  }
  FireEvent(BeforeDelete, *this);
  if (d.State != TDataSetState::dsBrowse || d.View.empty()) {
    // The handler moved the table on; there is no longer a row it agreed to lose.
    return;
  }
  const int pos = d.Cursor;
  const int rowId = d.View[size_t(pos)];
  TRowInfo& row = d.Rows[size_t(rowId)];
  d.Versions[size_t(row.Version)].RowState |= rsDeleted;
  d.Log.insert(d.Log.end(), {row.Version + 1, 0, 2});
  const size_t natPos = size_t(row.NaturalPos);
  row.Alive = false;
  row.NaturalPos = -1;
  d.Natural.erase(d.Natural.begin() + std::ptrdiff_t(natPos));
  d.RenumberNatural(natPos);
  d.View.erase(d.View.begin() + pos);
  d.Changed = true;
  const bool wasLast = pos >= int(d.View.size());
  d.Cursor = d.View.empty() ? -1 : std::min(pos, int(d.View.size()) - 1);
  d.AtEof = wasLast || d.View.empty();
  d.AtBof = d.View.empty();
  d.Notify(TDataChange::RowRemoved, pos);
  d.Notify(TDataChange::CurrentChanged, d.Cursor);
}

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

// ---- Controls ----

void TClientDataSet::UpdateRecord() {
  FImpl->AskForPendingInput();
}

void TClientDataSet::DisableControls() {
  ++FImpl->DisableCount;
}

void TClientDataSet::EnableControls() {
  TImpl& d = *FImpl;
  if (d.DisableCount > 0 && --d.DisableCount == 0) {
    d.Notify(TDataChange::RowsReset, -1);
  }
}

bool TClientDataSet::ControlsDisabled() const {
  return FImpl->DisableCount > 0;
}

void TClientDataSet::AddObserver(TDataSetObserver* observer) {
  auto& list = FImpl->Observers;
  if (observer && std::find(list.begin(), list.end(), observer) == list.end()) {
    list.push_back(observer);
  }
}

void TClientDataSet::RemoveObserver(TDataSetObserver* observer) {
  auto& list = FImpl->Observers;
  list.erase(std::remove(list.begin(), list.end(), observer), list.end());
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

// ---- Change log ----

int TClientDataSet::VersionCount() const {
  return int(FImpl->Versions.size());
}

int TClientDataSet::RowStateOfVersion(int recordNumber) const {
  const auto& versions = FImpl->Versions;
  if (recordNumber < 1 || size_t(recordNumber) > versions.size()) {
    return -1;
  }
  return versions[size_t(recordNumber - 1)].RowState;
}

QVector<int> TClientDataSet::ChangeLog() const {
  return QVector<int>(FImpl->Log.begin(), FImpl->Log.end());
}

QByteArray TClientDataSet::SaveToBytes() {
  FImpl->CheckBrowseMode();
  return FImpl->PacketBytes();
}

void TClientDataSet::LoadFromBytes(const QByteArray& bytes) {
  Close();
  FImpl->LoadBytes(bytes, QString());
}
