#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
#include <initializer_list>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/table/client_dataset.h"
#include "tests/support/test_sandbox.h"

// Small tables shaped like the program's own, for the table tests.
namespace table_test {

// A discipline protocol: Name, Weight (float), Result (integer), Point,
// AtTheTeam, with the protocol index: result descending, then body weight.
inline void DefineProtocol(TClientDataSet& t) {
  t.AddField("Name", TFieldType::ftString, 255);
  t.AddField("Weight", TFieldType::ftFloat);
  t.AddField("Result", TFieldType::ftInteger);
  t.AddField("Point", TFieldType::ftInteger);
  t.AddField("AtTheTeam", TFieldType::ftBoolean);
  t.AddIndexDef({"dsJerkIndex", "Result;Weight", ixDescending, "Result"});
}

struct TProtocolRow {
  const char* Name;
  QVariant Weight;
  QVariant Result;
};

inline void AppendRows(TClientDataSet& t, const std::vector<TProtocolRow>& rows) {
  for (const auto& r : rows) {
    t.Append();
    t.FieldByName("Name").SetAsString(QString::fromUtf8(r.Name));
    t.FieldByName("Weight").SetValue(r.Weight);
    t.FieldByName("Result").SetValue(r.Result);
    t.Post();
  }
}

// A one-column table shaped like the organisers', open, with the names
// appended and posted in order.
inline void DefineNames(TClientDataSet& t, std::initializer_list<const char*> names) {
  t.AddField("Name", TFieldType::ftString, 255);
  t.CreateDataSet();
  for (const char* name : names) {
    t.Append();
    t.FieldByName("Name").SetAsString(name);
    t.Post();
  }
}

// The texts of one field down the current view, from the first row (moves the cursor).
inline QStringList Column(TClientDataSet& t, const QString& field) {
  QStringList out;
  t.First();
  while (!t.Eof()) {
    out << t.FieldByName(field).AsString();
    t.Next();
  }
  return out;
}

// The texts of one field down the view read through ValueAt (cursor untouched).
inline QStringList ViewColumn(const TClientDataSet& t, const QString& field) {
  QStringList out;
  for (int r = 0; r < t.ViewRowCount(); ++r) {
    out << t.ValueAt(r, t.FieldByName(field)).toString();
  }
  return out;
}

inline std::string ChangeName(TDataChange change) {
  static const char* const names[] = {"RowsReset",      "RowInserted",  "RowRemoved",  "RowChanged",
                                      "CurrentChanged", "StateChanged", "FieldChanged"};
  return names[int(change)];
}

// Records every notice as text, e.g. "RowInserted 2", and the table's end as
// "Destroying". Watches the table for as long as it lives, or the table for
// as long as the table lives.
class TRecordingObserver : public TDataSetObserver {
 public:
  explicit TRecordingObserver(TClientDataSet& table) : FTable(&table) { table.AddObserver(this); }
  ~TRecordingObserver() override {
    if (FTable != nullptr) {
      FTable->RemoveObserver(this);
    }
  }
  TRecordingObserver(const TRecordingObserver&) = delete;
  TRecordingObserver& operator=(const TRecordingObserver&) = delete;

  void DataSetChanged(TClientDataSet&, TDataChange change, int row) override {
    Notices.push_back(ChangeName(change) + " " + std::to_string(row));
  }
  void DataSetDestroying(TClientDataSet&) override {
    Notices.push_back("Destroying");
    FTable = nullptr;
  }
  std::vector<std::string> Take() { return std::exchange(Notices, {}); }
  std::vector<std::string> Notices;

 private:
  TClientDataSet* FTable;
};

// Runs a statement and returns the message of the Exception it raised ("" when none).
template <typename Fn>
QString MessageOf(Fn&& fn) {
  try {
    fn();
  } catch (const Exception& e) {
    return e.Message();
  }
  return QString();
}

}  // namespace table_test
