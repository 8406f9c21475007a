#include "common/record_copy.h"

#include "platform/table/client_dataset.h"
#include "platform/table/field.h"

void CopyRecordByFieldNames(const TClientDataSet& ASource, TClientDataSet& ADest) {
  for (int i = 0; i < ADest.FieldCount(); ++i) {
    TField& target = ADest.Fields(i);
    if (const TField* source = ASource.FindField(target.FieldName())) {
      target.SetAsString(source->AsString());
    }
  }
}
