#pragma once

#include <vector>

#include "platform/table/field.h"

// One version of a row: the whole record, data fields in field order.
using TRecord = std::vector<TValue>;

// Reads a field of a record of its table, computing lookups; lets the filter
// evaluate rows without knowing the table's inside.
class TRecordReader {
 public:
  virtual ~TRecordReader() = default;
  virtual TValue ValueIn(const TField& field, const TRecord& record) const = 0;
};
