#pragma once

#include <QCheckBox>

#include "platform/widgets/data_link.h"

// A check box bound to a Boolean field of the table's current row (a null
// value shows unchecked). A click puts the table into edit state and assigns
// the new value at once; a refusal is shown and the box shows the field's
// value again.
class TDataCheckBox : public QCheckBox {
  Q_OBJECT

 public:
  explicit TDataCheckBox(QWidget* parent = nullptr);
  ~TDataCheckBox() override;

  void SetDataSet(TClientDataSet* dataSet);
  TClientDataSet* DataSet() const { return FLink.DataSet(); }
  void SetDataField(const QString& fieldName);
  const QString& DataField() const { return FDataField; }
  TField* Field() const;
  void Reload();

 private:
  void OnClicked(bool checked);

  TDataLink FLink;
  QString FDataField;
};
