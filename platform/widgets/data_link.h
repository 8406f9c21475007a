#pragma once

#include <functional>

#include "platform/table/client_dataset.h"

// The tie between one data control and its table: it registers the control
// as an observer, passes the table's notices on, and lets the other controls
// of the same table reach it.
//
// A table may go before the controls bound to it: the link then forgets it,
// and the control hears a RowsReset with no table bound.
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
  // text, an open cell editor). The table asks before each of its posts. May
  // throw: the refusal of the value, which stops the post.
  std::function<void()> OnUpdateData;
  // The bound table is being destroyed; the link has forgotten it already.
  // The control drops whatever else it keeps of that table here; its change
  // handler hears a RowsReset next.
  std::function<void(TClientDataSet& dying)> OnDataSetDestroying;

  void DataSetChanged(TClientDataSet& dataSet, TDataChange change, int row) override;
  void WritePendingInput(TClientDataSet& dataSet) override;
  void DataSetDestroying(TClientDataSet& dataSet) override;

 private:
  TChangeHandler FOnChange;
  TClientDataSet* FDataSet = nullptr;
};

// Every control bound to the table writes its pending input into its field
// (TClientDataSet::UpdateRecord). Every post does this by itself; it is for
// code that looks at the row without posting it. Throws the first refusal.
void UpdateRecord(TClientDataSet& dataSet);

// Every control bound to the table reloads from it: needed when what the
// controls show changed without a notice of the table (a display handler
// attached late, a language switch that changes display texts).
void RefreshControls(TClientDataSet& dataSet);
// The same for every bound control of every table.
void RefreshAllControls();

// The controls remember whether they began the pending insert: a row that a
// grid or navigator started and nobody filled (the table's Modified) is
// dropped, not posted, when the user moves off it. The mark ends with every
// change of the table's state. Text still held by a control counts as filling
// only once written: ask UpdateRecord before IsUntouchedControlInsert.
void NoteControlInsert(TClientDataSet& dataSet);
bool IsUntouchedControlInsert(const TClientDataSet& dataSet);
// Writes the controls' pending input, then cancels the pending insert when it
// is still such a row. True when it did. Throws a refused input.
bool DropUntouchedInsert(TClientDataSet& dataSet);

// Asks the shared record-delete prompt, then deletes the current record (a
// pending insert is cancelled instead). False when the user said Cancel or
// there was nothing to delete. The table's own guard may raise the silent
// abort.
bool DeleteRecordWithPrompt(TClientDataSet& dataSet, bool confirm = true);
