#pragma once

#include <QComboBox>
#include <QVariant>

#include "platform/widgets/data_link.h"

// A drop-down list bound to a key field of the table's current row: it lists
// the result field of a lookup table in that table's row order, shows the
// entry whose key equals the field's value (none for a null or unknown key),
// and a choice stores the entry's key into the field.
//
// The list comes from SetListSource/SetKeyField/SetListField, or, when the
// bound field is a lookup field and no list source is set, from that field's
// own lookup definition (the choice then goes to its key field).
class TDataLookupComboBox : public QComboBox {
  Q_OBJECT

 public:
  explicit TDataLookupComboBox(QWidget* parent = nullptr);
  ~TDataLookupComboBox() override;

  void SetDataSet(TClientDataSet* dataSet);
  TClientDataSet* DataSet() const { return FLink.DataSet(); }
  void SetDataField(const QString& fieldName);
  const QString& DataField() const { return FDataField; }

  void SetListSource(TClientDataSet* listSource);
  TClientDataSet* ListSource() const { return FListLink.DataSet(); }
  void SetKeyField(const QString& fieldName);
  void SetListField(const QString& fieldName);

  // The key of the entry shown; null when none.
  QVariant KeyValue() const;
  // Rebuilds the list and shows the current row's entry.
  void Reload();

 private:
  struct TBinding {
    TField* Target = nullptr;
    TClientDataSet* List = nullptr;
    QString KeyField;
    QString ListField;
  };
  TBinding Binding() const;
  void FollowListSource();
  void LoadItems();
  void ShowCurrent();
  void OnActivated(int index);

  TDataLink FLink;
  TDataLink FListLink;
  QString FDataField;
  TClientDataSet* FListSource = nullptr;
  QString FKeyField;
  QString FListField;
};
