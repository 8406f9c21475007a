#pragma once

// The inside of TClientDataSet, shared by the engine's own source files (the
// records and their states, the view, the field code, the filter and the
// packet reader and writer). Not for users of the table.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "platform/table/client_dataset.h"
#include "platform/table/record.h"

class TFilterExpr;

// Where a value of a version read from a packet lies in the packet's bytes.
struct TRawSpan {
  static constexpr uint32_t kNull = 0xFFFFFFFFu;
  uint32_t Offset = 0;
  uint32_t Length = kNull;
};

// A version holds the whole record. A superseded or deleted version read
// from a file is only ever written out again, so it stays as spans of the
// loaded bytes (checked when read) instead of values.
struct TRowVersion {
  TRecord Values;
  int RawStart = -1;  // raw versions: their spans in TImpl::RawSpans, one per data field
  int RowState = 0;
};

// Row-state bits of the change log.
enum : int {
  rsSuperseded = 1,
  rsDeleted = 2,
  rsInserted = 4,
  rsModified = 8,
};

// A row as the cursor sees it: its current version and its place in the
// table's own order. Row ids are never reused while the table is open, so a
// bookmark of a deleted row stays invalid.
struct TRowInfo {
  int Version = -1;
  int NaturalPos = -1;
  bool Alive = false;
};

struct TKeyPart {
  const TField* Field = nullptr;
  bool Descending = false;
};

// One key field of Locate with the value looked for, in the form in which
// the rows' values are compared with it.
struct TLocateKey {
  const TField* Field = nullptr;
  bool ByText = false;     // compared as text: text and lookup fields, every field with loPartialKey
  bool MatchNull = false;  // matches a null field only
  QString Text;
  TValue Typed;
};

// The names of a list such as "Name; Team", blanks around them dropped.
QStringList SplitFieldList(const QString& names);

// The keys of the values, one per field (a missing value is null); false
// when a value cannot be held by its field, so that no row can match.
bool MakeLocateKeys(const std::vector<TField*>& fields, const QVariantList& values, TLocateOptions options,
                    std::vector<TLocateKey>& keys);
bool LocateKeyMatches(const TLocateKey& key, const TValue& value, TLocateOptions options);

struct TClientDataSet::TImpl final : TRecordReader {
  explicit TImpl(TClientDataSet& owner);
  ~TImpl() override;

  TClientDataSet& Self;

  // ---- Definition ----
  std::vector<std::unique_ptr<TField>> FieldList;
  std::vector<TField*> DataFields;       // in slot order
  QHash<QString, int> FieldIndexByName;  // case-folded name -> FieldList position
  std::vector<TIndexDef> IndexDefList;

  // ---- Properties kept while closed ----
  QString FileName;
  QString FilterText;
  bool FilterOn = false;
  QString IndexNameText;
  QString IndexFieldNamesText;

  // ---- Open table ----
  TDataSetState State = TDataSetState::dsInactive;
  std::unique_ptr<TFilterExpr> Filter;  // null: every row passes
  std::vector<TKeyPart> ActiveKey;
  std::vector<std::vector<TKeyPart>> UniqueKeys;

  std::vector<TRowVersion> Versions;
  QByteArray RawPacket;            // the loaded bytes the raw versions point into
  std::vector<TRawSpan> RawSpans;  // all raw versions' spans, one block per version
  std::vector<int> Log;
  std::vector<TRowInfo> Rows;  // by row id
  std::vector<int> Natural;    // row ids in the table's own order
  std::vector<int> View;       // row ids passing the filter, in index order
  int Cursor = -1;             // position in View; -1 when it is empty
  bool AtEof = true;
  bool AtBof = true;

  TRecord Buffer;            // the row being edited or inserted
  int InsertPos = -1;        // view position of the pending insert row
  int InsertBeforeRow = -1;  // row id the new row goes before in the own order; -1: at the end
  bool RecordModified = false;
  bool Changed = false;

  int DisableCount = 0;
  std::vector<TDataSetObserver*> Observers;
  // An observer is writing its pending input: the posts its write may cause
  // (a change handler that posts) ask nobody again.
  bool WritingPendingInput = false;
  // Tables with lookup fields that read from this one, once per such field.
  std::vector<TClientDataSet*> LookupClients;

  // DisplayTextAt shows a handler another row as the current one.
  const TRecord* ReadOverride = nullptr;
  // A lookup field being validated reads its new value from here.
  const TField* ValidatingLookup = nullptr;
  TValue ValidatingValue;

  // ---- Helpers ----
  [[noreturn]] void Error(const QString& message) const;
  [[noreturn]] void ConvertError(const QString& pattern, const QString& text, const TField& field) const;
  void CheckActive() const;
  void CheckInactive() const;
  void CheckEditing() const;
  // Posts a pending edit or insert.
  void CheckBrowseMode();

  TField* Find(const QString& name) const;
  TField& ByName(const QString& name) const;
  std::vector<TField*> FieldsOfList(const QString& names) const;
  void AddFieldObject(std::unique_ptr<TField> field);
  // Enters FieldList[index] into the maps; key: its case-folded name.
  void MapField(size_t index, const QString& key);
  void RebuildFieldMaps();
  void DropFileFields();

  // The record the fields read: an override, the edit buffer, or the current row.
  const TRecord* CurrentRecord() const;
  const TRecord& RecordOfRow(int rowId) const { return Versions[Rows[rowId].Version].Values; }
  // Value of any field (lookups computed) in a record of this table.
  TValue ValueIn(const TField& field, const TRecord& record) const override;
  TValue LookupValue(const TField& field, const TRecord& record) const;
  // The row id at a view position, -1 for the pending insert row.
  int RowIdAt(int viewRow) const;
  const TRecord* RecordAt(int viewRow) const;

  std::vector<TKeyPart> ResolveKey(const QString& fields, const QString& descFields,
                                   bool descendingAll) const;
  std::vector<TKeyPart> KeyOfDef(const TIndexDef& def) const;
  void ResolveActiveKey();
  void ChangeIndex(const QString& indexName, const QString& fieldNames);
  void ResolveUniqueKeys();
  void CompileFilter();
  bool Passes(const TRecord& record) const;
  int CompareRecords(const TRecord& a, int natA, const TRecord& b, int natB) const;
  int ViewPositionFor(const TRecord& record, int naturalPos) const;
  void RebuildView(int keepRowId);
  void RenumberNatural(size_t from);

  void Notify(TDataChange change, int row);
  void AskForPendingInput();
  // Destruction: the lookup fields of other tables forget this one.
  std::vector<TClientDataSet*> ForgetLookupClients();
  // Destruction: this table's lookup fields stop being clients of theirs.
  void LeaveLookupTables();
  void NotifyCurrent() { Notify(TDataChange::CurrentChanged, CurrentViewRowValue()); }
  int CurrentViewRowValue() const;

  void ClearData();
  void OpenEmpty();
  // Makes a view row current with the given beginning and end marks (both
  // set on an empty view) and tells the observers when anything of it changed.
  void Place(int viewPos, bool atBof, bool atEof);
  // A move to a row that clears both marks.
  void MoveTo(int viewPos) { Place(viewPos, false, false); }
  void BeginInsert(bool append);
  void DiscardEdit();
  // The data packet (data_packet.cpp).
  QByteArray PacketBytes() const;
  void WriteFile(const QString& path);
  // Reads a packet into the closed table and opens it; on failure the table
  // stays closed. sourceName names the file in messages.
  void LoadBytes(const QByteArray& bytes, const QString& sourceName);
};

// Events are copied before they run: a handler may detach or replace itself.
template <typename Fn, typename... Args>
void FireEvent(const Fn& event, Args&&... args) {
  if (event) {
    Fn copy = event;
    copy(std::forward<Args>(args)...);
  }
}
