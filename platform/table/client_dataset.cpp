// The table: its fields, its records and their change log, opening and
// closing, and the states of an edit (insert, edit, post, cancel, delete).
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

}  // namespace

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
