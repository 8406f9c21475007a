#pragma once

#include <QString>
#include <memory>

#include "platform/table/record.h"

class TClientDataSet;

// A filter text compiled once into an expression tree and evaluated per row.
// Field names are resolved and literals converted to their field's type at
// compile time, so evaluating a row never fails.
class TFilterExpr {
 public:
  virtual ~TFilterExpr() = default;
  // Raises the table's EDatabaseError for a text it cannot compile.
  static std::unique_ptr<TFilterExpr> Compile(const QString& text, const TClientDataSet& table);
  virtual bool Matches(const TRecordReader& reader, const TRecord& record) const = 0;
};
