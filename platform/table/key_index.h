#pragma once

#include <QHash>
#include <QString>
#include <QVarLengthArray>
#include <QVariantList>
#include <vector>

#include "platform/table/client_dataset.h"

// Rows of a table's view found by the whole values of key fields in constant
// time, for a walk that would otherwise Locate once per row: Find gives the
// row that Locate, with the same fields, values and options (loPartialKey
// aside), would make current. It knows the view as it was when made and the
// rows given to Add since; rows whose key values change, or a view filtered
// or sorted anew, need a new index.
class TKeyIndex {
 public:
  TKeyIndex(const TClientDataSet& table, const QString& keyFields, TLocateOptions options = 0);

  // The first row of the view whose key equals the values; invalid when none.
  TBookmark Find(const QVariantList& keyValues) const;
  // A row posted since (an insert) joins behind the rows of its key.
  void Add(const TBookmark& row);

 private:
  size_t HashOfRow(int rowId) const;

  const TClientDataSet& FTable;
  std::vector<TField*> FFields;
  TLocateOptions FOptions;
  // Row ids by the hash of their key, in the view's order.
  QHash<size_t, QVarLengthArray<int, 1>> FRows;
};
