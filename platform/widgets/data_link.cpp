#include "platform/widgets/data_link.h"

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "platform/widgets/shared_dialogs.h"

namespace {

// One GUI thread: plain statics serve.
std::vector<TDataLink*>& Links() {
  static std::vector<TDataLink*> links;
  return links;
}

std::set<const TClientDataSet*>& ControlInserts() {
  static std::set<const TClientDataSet*> marks;
  return marks;
}

bool Registered(const TDataLink* link) {
  const auto& links = Links();
  return std::find(links.begin(), links.end(), link) != links.end();
}

std::vector<TDataLink*> LinksOf(const TClientDataSet& dataSet) {
  std::vector<TDataLink*> result;
  for (TDataLink* link : Links()) {
    if (link->DataSet() == &dataSet) {
      result.push_back(link);
    }
  }
  return result;
}

bool IsEditState(TDataSetState state) {
  return state == TDataSetState::dsEdit || state == TDataSetState::dsInsert;
}

}  // namespace

TDataLink::TDataLink(TChangeHandler onChange) : FOnChange(std::move(onChange)) {
  Links().push_back(this);
}

TDataLink::~TDataLink() {
  SetDataSet(nullptr);
  auto& links = Links();
  links.erase(std::remove(links.begin(), links.end(), this), links.end());
}

void TDataLink::SetDataSet(TClientDataSet* dataSet) {
  if (dataSet == FDataSet) {
    return;
  }
  TClientDataSet* old = FDataSet;
  if (old != nullptr) {
    old->RemoveObserver(this);
  }
  FDataSet = dataSet;
  if (FDataSet != nullptr) {
    FDataSet->AddObserver(this);
  }
  if (old != nullptr && LinksOf(*old).empty()) {
    ControlInserts().erase(old);
  }
}

bool TDataLink::Editing() const {
  return Active() && IsEditState(FDataSet->State());
}

void TDataLink::DataSetChanged(TClientDataSet& dataSet, TDataChange change, int row) {
  if (change == TDataChange::StateChanged ||
      (change == TDataChange::RowsReset && !IsEditState(dataSet.State()))) {
    ControlInserts().erase(&dataSet);
  }
  if (FOnChange) {
    FOnChange(change, row);
  }
}

void TDataLink::WritePendingInput(TClientDataSet& dataSet) {
  if (&dataSet == FDataSet && OnUpdateData) {
    OnUpdateData();
  }
}

void TDataLink::DataSetDestroying(TClientDataSet& dataSet) {
  if (&dataSet != FDataSet) {
    return;
  }
  FDataSet = nullptr;
  // Another table may be made at the same address later.
  ControlInserts().erase(&dataSet);
  if (OnDataSetDestroying) {
    OnDataSetDestroying(dataSet);
  }
  if (FOnChange) {
    FOnChange(TDataChange::RowsReset, -1);
  }
}

void UpdateRecord(TClientDataSet& dataSet) {
  dataSet.UpdateRecord();
}

void RefreshControls(TClientDataSet& dataSet) {
  for (TDataLink* link : LinksOf(dataSet)) {
    if (Registered(link) && link->DataSet() == &dataSet) {
      link->DataSetChanged(dataSet, TDataChange::RowsReset, dataSet.CurrentViewRow());
    }
  }
}

void RefreshAllControls() {
  std::vector<TClientDataSet*> tables;
  for (TDataLink* link : Links()) {
    if (link->DataSet() != nullptr &&
        std::find(tables.begin(), tables.end(), link->DataSet()) == tables.end()) {
      tables.push_back(link->DataSet());
    }
  }
  for (TClientDataSet* table : tables) {
    RefreshControls(*table);
  }
}

void NoteControlInsert(TClientDataSet& dataSet) {
  if (dataSet.State() == TDataSetState::dsInsert) {
    ControlInserts().insert(&dataSet);
  }
}

bool IsUntouchedControlInsert(const TClientDataSet& dataSet) {
  return dataSet.State() == TDataSetState::dsInsert && !dataSet.Modified() &&
         ControlInserts().count(&dataSet) > 0;
}

bool DropUntouchedInsert(TClientDataSet& dataSet) {
  if (dataSet.State() != TDataSetState::dsInsert) {
    return false;
  }
  dataSet.UpdateRecord();
  if (!IsUntouchedControlInsert(dataSet)) {
    return false;
  }
  dataSet.Cancel();
  return true;
}

bool DeleteRecordWithPrompt(TClientDataSet& dataSet, bool confirm) {
  if (!dataSet.Active() || dataSet.ViewRowCount() == 0) {
    return false;
  }
  if (confirm && !ConfirmRecordDelete()) {
    return false;
  }
  if (dataSet.State() == TDataSetState::dsInsert) {
    dataSet.Cancel();
  } else {
    dataSet.Delete();
  }
  return true;
}
