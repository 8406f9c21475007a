#include "platform/widgets/data_check_box.h"

#include "platform/widgets/shared_dialogs.h"

TDataCheckBox::TDataCheckBox(QWidget* parent)
    : QCheckBox(parent), FLink([this](TDataChange, int) { Reload(); }) {
  connect(this, &QCheckBox::clicked, this, &TDataCheckBox::OnClicked);
  Reload();
}

TDataCheckBox::~TDataCheckBox() = default;

void TDataCheckBox::SetDataSet(TClientDataSet* dataSet) {
  FLink.SetDataSet(dataSet);
  Reload();
}

void TDataCheckBox::SetDataField(const QString& fieldName) {
  FDataField = fieldName;
  Reload();
}

TField* TDataCheckBox::Field() const {
  TClientDataSet* dataSet = FLink.DataSet();
  return dataSet != nullptr && !FDataField.isEmpty() ? dataSet->FindField(FDataField) : nullptr;
}

void TDataCheckBox::Reload() {
  const TField* field = Field();
  bool checked = false;
  if (field != nullptr && FLink.CanRead() && FLink.DataSet()->CurrentViewRow() >= 0) {
    RunGuarded([&] { checked = field->AsBoolean(); });
  }
  setChecked(checked);
}

void TDataCheckBox::OnClicked(bool checked) {
  TField* field = Field();
  TClientDataSet* dataSet = FLink.DataSet();
  if (field == nullptr || !FLink.CanRead()) {
    Reload();
    return;
  }
  const bool written = RunGuarded([&] {
    if (!FLink.Editing()) {
      dataSet->Edit();
    }
    field->SetAsBoolean(checked);
  });
  if (!written) {
    Reload();
  }
}
