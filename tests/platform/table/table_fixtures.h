#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <QStringList>
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

// Records every notice as text, e.g. "RowInserted 2".
class TRecordingObserver : public TDataSetObserver {
 public:
  void DataSetChanged(TClientDataSet&, TDataChange change, int row) override {
    static const char* const names[] = {"RowsReset",  "RowInserted",    "RowRemoved",
                                        "RowChanged", "CurrentChanged", "StateChanged"};
    Notices.push_back(std::string(names[int(change)]) + " " + std::to_string(row));
  }
  std::vector<std::string> Take() { return std::exchange(Notices, {}); }
  std::vector<std::string> Notices;
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
