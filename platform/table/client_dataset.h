#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

#include "platform/core/exception.h"
#include "platform/table/field.h"

// The table engine: an in-memory table of typed fields with indexes, a filter
// expression, lookup fields, events, a change log of every row version, and
// persistence as an XML data packet in Windows-1251.
//
// Every error the engine raises about a table starts with the table's name
// and ": ". It is an EDatabaseError, except a value a field cannot take ("'x'
// is not a valid integer value for field 'Weight'"), which is an
// EConvertError. Exceptions thrown by event handlers pass through unchanged.

enum class TDataSetState { dsInactive, dsBrowse, dsEdit, dsInsert };

enum TIndexOption : unsigned {
  ixUnique = 1u << 0,
  ixDescending = 1u << 1,
};
using TIndexOptions = unsigned;

struct TIndexDef {
  QString Name;
  // Field names separated by ";", letter case of the names ignored.
  QString Fields;
  TIndexOptions Options = 0;
  // With ixDescending: the fields that descend; empty means every field.
  QString DescFields;
};

enum TLocateOption : unsigned {
  loCaseInsensitive = 1u << 0,
  loPartialKey = 1u << 1,
};
using TLocateOptions = unsigned;

// A remembered row. Stays valid while the row exists.
struct TBookmark {
  int RowId = -1;
  bool IsValid() const { return RowId >= 0; }
};

// What an observer (a grid model, a navigator, a bound edit) is told. Rows are
// positions in the current view (0-based), the pending insert row included.
// Every notice is sent once the table is in its new state (cursor, Bof, Eof,
// state). While controls are disabled no notice is sent; the last
// EnableControls sends one RowsReset.
enum class TDataChange {
  RowsReset,       // anything may have changed: view, order, values, fields
  RowInserted,     // a row appeared at Row
  RowRemoved,      // the row at Row disappeared
  RowChanged,      // values of the row at Row changed
  CurrentChanged,  // the cursor moved to Row (-1: no current row), or Bof or Eof changed on it
  StateChanged,    // TDataSetState changed (Row: the current row)
  FieldChanged,    // the DisplayLabel or Visible of field number Row changed; -1: a field was added
};

class TDataSetObserver {
 public:
  virtual ~TDataSetObserver() = default;
  virtual void DataSetChanged(TClientDataSet& dataSet, TDataChange change, int row) = 0;
  // The table is about to post its edit or insert: the observer puts into the
  // fields what it holds but has not written yet (a typed text). Throwing
  // refuses the value: the post does not happen, the table stays in its
  // state and the exception reaches whoever asked for the post. Not asked
  // while controls are disabled.
  virtual void WritePendingInput(TClientDataSet& dataSet) { static_cast<void>(dataSet); }
  // The table is being destroyed and must not be touched after this call
  // (removing the observer is still allowed). Sent whether or not controls
  // are disabled; nothing may be thrown.
  virtual void DataSetDestroying(TClientDataSet& dataSet) { static_cast<void>(dataSet); }
};

class TClientDataSet {
 public:
  using TDataSetNotify = std::function<void(TClientDataSet& dataSet)>;

  // Name: the component name, used as the prefix of error messages.
  explicit TClientDataSet(QString name);
  // Tells its observers DataSetDestroying, and the observers of tables whose
  // lookup fields read from it a RowsReset (those fields then read null and
  // have no lookup table); then closes, with the write-back of Close().
  ~TClientDataSet();
  TClientDataSet(const TClientDataSet&) = delete;
  TClientDataSet& operator=(const TClientDataSet&) = delete;

  const QString& Name() const { return FName; }

  // ---- Definition (on a closed table) ----
  // size: text fields only; 0 gives the default of 20 characters.
  TField& AddField(const QString& name, TFieldType type, int size = 0);
  TField& AddLookupField(const QString& name, int size, const QString& keyFields,
                         TClientDataSet* lookupDataSet, const QString& lookupKeyFields,
                         const QString& lookupResultField);
  void AddIndexDef(const TIndexDef& def);
  const std::vector<TIndexDef>& IndexDefs() const;
  // The definition of an index by name (letter case ignored); null when none.
  const TIndexDef* FindIndexDef(const QString& name) const;

  // ---- Fields ----
  int FieldCount() const;
  TField& Fields(int index) const;
  TField* FindField(const QString& name) const;
  // Raises "Field '%s' not found".
  TField& FieldByName(const QString& name) const;

  // ---- Opening, closing, files ----
  // An empty table from the definition (data fields, index definitions), open.
  // An open table is closed first (with write-back).
  void CreateDataSet();
  bool Active() const;
  // True: open by reading FileName (a table without one cannot be opened;
  // CreateDataSet makes an empty one). False: Close().
  void SetActive(bool active);
  void Open() { SetActive(true); }
  // When the table has a file name and its content changed since it was last
  // loaded or written, or the file is no longer there (its folder removed
  // under the running program), it is written back to the file first; a
  // pending edit or insert is discarded, not posted. When that write fails,
  // the error is raised and the table stays open, so nothing is lost with it.
  void Close();
  // The write-back of Close without the close: the posted rows go to the
  // table's file when it has one and its content changed or the file has
  // gone. Raises when the write fails; the table stays changed then.
  void WriteBack();
  const QString& FileName() const;
  void SetFileName(const QString& fileName);
  // Format 0 or 1 (1 = XML; 0 with a ".xml" extension = XML; the binary
  // packet is never written, so any format writes XML). An empty name is
  // FileName. Posts a pending edit first. A closed table writes nothing. The
  // file is replaced whole or not at all: a write that fails raises
  // 'Cannot create file "<name>". <the system's reason>', leaves the old
  // file as it was, and the table keeps counting as changed.
  void SaveToFile(const QString& fileName = QString(), int format = 0);
  // Closes (with write-back), reads the file; FileName stays. On any failure
  // the table stays closed. A packet is read in the encoding its XML
  // declaration names, Windows-1251 or UTF-8 (another is refused); without
  // one, in Windows-1251, or UTF-8 after a byte-order mark. Whatever it was
  // read from, a table is written in Windows-1251.
  void LoadFromFile(const QString& fileName);
  // Changed since last loaded, created or written to its own file.
  bool ContentChanged() const;
  // The packet SaveToFile writes, and LoadFromFile from bytes in memory (no
  // file name involved; FileName stays). SaveToBytes posts a pending edit.
  QByteArray SaveToBytes();
  void LoadFromBytes(const QByteArray& bytes);

  TDataSetState State() const;
  // In edit or insert state: a field was assigned since Edit, or since the
  // new row's OnNewRecord (a grid may drop an untouched new row by Cancel).
  bool Modified() const;

  // ---- Navigation (posts a pending edit or insert first) ----
  void First();
  void Next();
  void Prior();
  void Last();
  // Eof: the view is empty, or Last was called, or Next found no row after
  // the current one (so "First; while (!Eof()) { ...; Next(); }" visits every
  // row). Bof likewise with First and Prior. Other moves clear both.
  bool Eof() const;
  bool Bof() const;
  // Rows in the current view (the pending insert row not counted).
  int RecordCount() const;
  // No rows in the view and no pending insert row.
  bool IsEmpty() const;
  // 1-based position of the current row in the view (of the pending insert
  // row while inserting); 0 when there is none. Setting it posts a pending
  // edit first and goes to the nearest row when out of range.
  int RecNo() const;
  void SetRecNo(int recNo);
  TBookmark GetBookmark() const;
  // Raises "Record not found" for a row that is gone or outside the view.
  void GotoBookmark(const TBookmark& bookmark);
  bool BookmarkValid(const TBookmark& bookmark) const;

  // ---- Editing ----
  // Insert: a new row before the current row; Append: after the last row.
  // BeforeInsert, then OnNewRecord, then AfterInsert.
  void Insert();
  void Append();
  // On an empty view Edit starts an Insert.
  void Edit();
  // Asks the observers for their pending input first (UpdateRecord); a
  // refusal stops the post. Posting a row that breaks a unique index raises
  // "Key violation." and leaves the table in edit or insert state.
  void Post();
  void Cancel();
  // BeforeDelete first; the row after the deleted one becomes current (the
  // new last row, with Eof, when the last was deleted). Deleting the pending
  // insert row cancels it.
  void Delete();

  // Searches the current view in its order. A null value (or an empty text)
  // matches a null field; loPartialKey compares the start of the field's text.
  bool Locate(const QString& keyFields, const QVariantList& keyValues, TLocateOptions options = 0);
  bool Locate(const QString& keyFields, const TValue& keyValue, TLocateOptions options = 0) {
    return Locate(keyFields, QVariantList{keyValue}, options);
  }

  // ---- Filter and index ----
  // Applied (and compiled) while Filtered is on and the table open; a text
  // that cannot be compiled raises the table's error and changes nothing.
  // Setting either on an open table posts a pending edit and makes the first
  // row of the new view current. A posted row is checked again.
  const QString& Filter() const;
  void SetFilter(const QString& filter);
  bool Filtered() const;
  void SetFiltered(bool filtered);
  // Setting either keeps the current row; equal keys keep the table's own
  // order. Unknown names raise "Index '%s' not found" / "Field '%s' not found".
  const QString& IndexName() const;
  void SetIndexName(const QString& indexName);
  const QString& IndexFieldNames() const;
  void SetIndexFieldNames(const QString& fieldNames);

  // ---- Controls ----
  // Every observer writes what it holds but has not written yet into the
  // fields (WritePendingInput); throws the first refusal. Post does this on
  // its own; this is for code that reads or drops the row without posting.
  // Nobody is asked while controls are disabled, nor again while an
  // observer's write is being handled.
  void UpdateRecord();
  void DisableControls();
  void EnableControls();
  bool ControlsDisabled() const;
  void AddObserver(TDataSetObserver* observer);
  void RemoveObserver(TDataSetObserver* observer);

  // ---- For grids: read any view row without moving the cursor ----
  // Rows of the view including a pending insert row.
  int ViewRowCount() const;
  // 0-based view position of the cursor (the pending insert row when
  // inserting); -1 when the view is empty.
  int CurrentViewRow() const;
  // Field values of a view row, and its display text through OnGetText (the
  // handler sees that row as the current one; the cursor does not move).
  TValue ValueAt(int viewRow, const TField& field) const;
  QString DisplayTextAt(int viewRow, TField& field) const;
  // Makes a view row current (posting a pending edit first, as navigation does).
  void MoveToViewRow(int viewRow);

  // ---- Change log, for tests and the packet writer ----
  int VersionCount() const;
  int RowStateOfVersion(int recordNumber) const;  // 1-based record number
  QVector<int> ChangeLog() const;

  // ---- Events (assign an empty function to detach) ----
  TDataSetNotify BeforeInsert;
  TDataSetNotify OnNewRecord;
  TDataSetNotify AfterInsert;
  TDataSetNotify AfterPost;
  TDataSetNotify BeforeDelete;

 private:
  friend class TField;
  friend class TKeyIndex;
  struct TImpl;
  QString FName;
  std::unique_ptr<TImpl> FImpl;
};
