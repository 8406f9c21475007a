// The filter parser and evaluator on arbitrary text against a small table:
// a text either compiles and filters, or is refused with the table's error.
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/core/format_settings.h"
#include "platform/table/client_dataset.h"

namespace {

std::unique_ptr<TClientDataSet> table;
std::unique_ptr<TClientDataSet> sex;

void Build() {
  sex = std::make_unique<TClientDataSet>("dsSex");
  sex->AddField("ID", TFieldType::ftInteger);
  sex->AddField("Name", TFieldType::ftString, 50);
  sex->CreateDataSet();
  for (int id : {0, 1}) {
    sex->Append();
    sex->FieldByName("ID").SetAsInteger(id);
    sex->FieldByName("Name").SetAsString(id ? QStringLiteral("М") : QStringLiteral("Ж"));
  }
  sex->Post();

  table = std::make_unique<TClientDataSet>("dsFuzz");
  TClientDataSet& t = *table;
  t.AddField("Name", TFieldType::ftString, 255);
  t.AddField("SexRef", TFieldType::ftInteger);
  t.AddField("Weight", TFieldType::ftFloat);
  t.AddField("Snatch", TFieldType::ftBoolean);
  t.AddField("Birthday", TFieldType::ftDate);
  t.AddField("Discipline", TFieldType::ftString, 50);
  t.AddLookupField("Sex", 50, "SexRef", sex.get(), "ID", "Name");
  t.CreateDataSet();
  const QVariant rows[][6] = {
      {"Иванов", 1, 72.5, true, QDate(1990, 1, 2), "Рывок"},
      {"O'Brien", 0, 58.0, false, QDate(2001, 12, 31), "Толчок ДЦ"},
      {{}, {}, {}, {}, {}, {}},
      {"ёжик", 1, 105.25, true, {}, "рывок"},
      {"Zed", 0, -1.0, {}, QDate(1970, 1, 1), {}},
  };
  for (const auto& row : rows) {
    t.Append();
    for (int i = 0; i < 6; ++i) {
      t.Fields(i).SetValue(row[i]);
    }
  }
  t.Post();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetFormatSettings(TFormatSettings{u',', QStringLiteral("dd.MM.yyyy")});
  Build();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TClientDataSet& t = *table;
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
  t.SetFiltered(false);
  t.SetFilter(text);
  try {
    t.SetFiltered(true);
  } catch (const Exception&) {
    if (t.Filtered() || t.RecordCount() != 5) {
      std::abort();  // a refused filter leaves the table as it was
    }
    return 0;
  }
  int seen = 0;
  for (t.First(); !t.Eof(); t.Next()) {
    ++seen;
  }
  if (seen != t.RecordCount() || seen > 5) {
    std::abort();
  }
  return 0;
}
