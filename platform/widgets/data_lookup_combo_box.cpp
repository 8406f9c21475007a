#include "platform/widgets/data_lookup_combo_box.h"

#include "platform/widgets/shared_dialogs.h"

TDataLookupComboBox::TDataLookupComboBox(QWidget* parent)
    : QComboBox(parent),
      FLink([this](TDataChange change, int) {
        // After a reset the list may come from elsewhere, or from nowhere when
        // the table or its lookup table is gone.
        if (change == TDataChange::RowsReset) {
          Reload();
        } else {
          ShowCurrent();
        }
      }),
      FListLink([this](TDataChange change, int) {
        // The list's own cursor and labels are of no concern to the entries.
        if (change != TDataChange::CurrentChanged && change != TDataChange::StateChanged &&
            change != TDataChange::FieldChanged) {
          Reload();
        }
      }) {
  FListLink.OnDataSetDestroying = [this](TClientDataSet& dying) {
    if (FListSource == &dying) {
      FListSource = nullptr;
    }
  };
  setEditable(false);
  connect(this, &QComboBox::activated, this, &TDataLookupComboBox::OnActivated);
}

TDataLookupComboBox::~TDataLookupComboBox() = default;

void TDataLookupComboBox::SetDataSet(TClientDataSet* dataSet) {
  FLink.SetDataSet(dataSet);
  Reload();
}

void TDataLookupComboBox::SetDataField(const QString& fieldName) {
  FDataField = fieldName;
  Reload();
}

void TDataLookupComboBox::SetListSource(TClientDataSet* listSource) {
  FListSource = listSource;
  Reload();
}

void TDataLookupComboBox::SetKeyField(const QString& fieldName) {
  FKeyField = fieldName;
  Reload();
}

void TDataLookupComboBox::SetListField(const QString& fieldName) {
  FListField = fieldName;
  Reload();
}

TDataLookupComboBox::TBinding TDataLookupComboBox::Binding() const {
  TBinding binding;
  TClientDataSet* dataSet = FLink.DataSet();
  TField* field = dataSet != nullptr && !FDataField.isEmpty() ? dataSet->FindField(FDataField) : nullptr;
  if (field == nullptr) {
    return binding;
  }
  if (FListSource == nullptr && field->IsLookup()) {
    binding.Target = dataSet->FindField(field->KeyFields());
    binding.List = field->LookupDataSet();
    binding.KeyField = field->LookupKeyFields();
    binding.ListField = field->LookupResultField();
  } else {
    binding.Target = field;
    binding.List = FListSource;
    binding.KeyField = FKeyField;
    binding.ListField = FListField;
  }
  return binding;
}

void TDataLookupComboBox::FollowListSource() {
  // A list source is watched even while no field is bound, so that its end
  // is heard of before a later binding would reach for it.
  FListLink.SetDataSet(FListSource != nullptr ? FListSource : Binding().List);
}

void TDataLookupComboBox::Reload() {
  FollowListSource();
  LoadItems();
  ShowCurrent();
}

void TDataLookupComboBox::LoadItems() {
  const QSignalBlocker blocker(this);
  clear();
  const TBinding binding = Binding();
  if (binding.List == nullptr || !FListLink.CanRead()) {
    return;
  }
  TField* key = binding.List->FindField(binding.KeyField);
  TField* shown = binding.List->FindField(binding.ListField);
  if (key == nullptr || shown == nullptr) {
    return;
  }
  RunGuarded([&] {
    for (int row = 0; row < binding.List->ViewRowCount(); ++row) {
      addItem(binding.List->DisplayTextAt(row, *shown), binding.List->ValueAt(row, *key));
    }
  });
}

void TDataLookupComboBox::ShowCurrent() {
  const QSignalBlocker blocker(this);
  const TBinding binding = Binding();
  int shown = -1;
  if (binding.Target != nullptr && FLink.CanRead() && FLink.DataSet()->CurrentViewRow() >= 0) {
    RunGuarded([&] {
      const QVariant key = binding.Target->Value();
      if (key.isValid()) {
        shown = findData(key);
      }
    });
  }
  setCurrentIndex(shown);
}

QVariant TDataLookupComboBox::KeyValue() const {
  return currentIndex() >= 0 ? itemData(currentIndex()) : QVariant();
}

void TDataLookupComboBox::OnActivated(int index) {
  const TBinding binding = Binding();
  TClientDataSet* dataSet = FLink.DataSet();
  if (binding.Target == nullptr || !FLink.CanRead() || index < 0) {
    ShowCurrent();
    return;
  }
  const bool written = RunGuarded([&] {
    if (!FLink.Editing()) {
      dataSet->Edit();
    }
    binding.Target->SetValue(itemData(index));
  });
  if (!written) {
    ShowCurrent();
  }
}
