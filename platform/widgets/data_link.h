#pragma once

#include <functional>

#include "platform/table/client_dataset.h"

// The tie between one data control and its table: it registers the control
// as an observer, passes the table's notices on, and lets the other controls
// of the same table reach it.
//
// A table must outlive the links bound to it (or the control must be unbound
// with SetDataSet(nullptr) first): the table does not announce its own end.
class TDataLink final : public TDataSetObserver {
 public:
  using TChangeHandler = std::function<void(TDataChange change, int row)>;

  explicit TDataLink(TChangeHandler onChange);
  ~TDataLink() override;
  TDataLink(const TDataLink&) = delete;
  TDataLink& operator=(const TDataLink&) = delete;

  // Does not call the change handler; the control refreshes itself.
  void SetDataSet(TClientDataSet* dataSet);
  TClientDataSet* DataSet() const { return FDataSet; }
  // Bound to an open table.
  bool Active() const { return FDataSet != nullptr && FDataSet->Active(); }
  // Open, and the table is not walking with its controls detached: only then
  // may a control read rows.
  bool CanRead() const { return Active() && !FDataSet->ControlsDisabled(); }
  bool Editing() const;

  // Gives the field what the control holds but has not yet written (a typed
  // text, an open cell editor). May throw: the refusal of the value.
  std::function<void()> OnUpdateData;

  void DataSetChanged(TClientDataSet& dataSet, TDataChange change, int row) override;

 private:
  TChangeHandler FOnChange;
  TClientDataSet* FDataSet = nullptr;
};

// What the table itself would do before a post or a move if it knew its
// controls: every control bound to the table writes its pending input into
// its field. Our controls call it before they post or move; the window calls
// it before it posts a table whose edits may still hold typed text. Throws
// the first refusal.
void UpdateRecord(TClientDataSet& dataSet);

// Every control bound to the table reloads from it: needed when what the
// controls show changed without a notice of the table (a display handler
// attached late, a language switch that changes display texts and labels).
void RefreshControls(TClientDataSet& dataSet);
// The same for every bound control of every table.
void RefreshAllControls();

// The controls remember whether they began the pending insert: a row that a
// grid or navigator started and nobody filled (the table's Modified) is
// dropped, not posted, when the user moves off it. The mark ends with every
// change of the table's state.
void NoteControlInsert(TClientDataSet& dataSet);
bool IsUntouchedControlInsert(const TClientDataSet& dataSet);
// Cancels the pending insert when it is such a row. True when it did.
bool DropUntouchedInsert(TClientDataSet& dataSet);

// Asks the shared record-delete prompt, then deletes the current record (a
// pending insert is cancelled instead). False when the user said Cancel or
// there was nothing to delete. The table's own guard may raise the silent
// abort.
bool DeleteRecordWithPrompt(TClientDataSet& dataSet, bool confirm = true);
