#include "platform/table/filter.h"

#include "platform/core/exception.h"
#include "platform/table/client_dataset.h"

std::unique_ptr<TFilterExpr> TFilterExpr::Compile(const QString& text, const TClientDataSet& table) {
  static_cast<void>(text);
  throw EDatabaseError(table.Name() + QStringLiteral(": Filter expressions are not available yet"));
}
