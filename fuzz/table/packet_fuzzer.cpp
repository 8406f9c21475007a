// The packet reader on arbitrary bytes. Whatever it accepts must survive a
// write and a read unchanged: the bytes written from it read back and write
// the same bytes again, also after an edit and a delete.
#include <cstdint>
#include <cstdlib>

#include "platform/core/format_settings.h"
#include "platform/table/client_dataset.h"

namespace {

void Define(TClientDataSet& t) {
  t.AddField("Name", TFieldType::ftString, 20);
  t.AddField("SexRef", TFieldType::ftInteger);
  t.AddField("Weight", TFieldType::ftFloat);
  t.AddField("Snatch", TFieldType::ftBoolean);
  t.AddField("Birthday", TFieldType::ftDate);
  t.AddIndexDef({"byResult", "SexRef;Weight", ixDescending, "Weight"});
  t.SetIndexName("byResult");
}

void Check(bool condition) {
  if (!condition) {
    std::abort();
  }
}

void RoundTrip(const QByteArray& bytes, bool defined) {
  TClientDataSet t("dsFuzz");
  if (defined) {
    Define(t);
  }
  try {
    t.LoadFromBytes(bytes);
  } catch (const Exception&) {
    Check(!t.Active());
    return;
  }
  // Read every field of every row, as a grid would.
  for (int r = 0; r < t.ViewRowCount(); ++r) {
    for (int f = 0; f < t.FieldCount(); ++f) {
      t.DisplayTextAt(r, t.Fields(f));
    }
  }
  const QByteArray once = t.SaveToBytes();
  TClientDataSet u("dsFuzz");
  if (defined) {
    Define(u);
  }
  u.LoadFromBytes(once);
  Check(u.SaveToBytes() == once);
  Check(u.RecordCount() == t.RecordCount() && u.VersionCount() == t.VersionCount());

  if (!u.IsEmpty()) {
    u.First();
    u.Edit();
    if (u.FieldCount() > 0) {
      u.Fields(0).SetValue(u.Fields(0).Value());
    }
    u.Post();
    u.Last();
    u.Delete();
    const QByteArray edited = u.SaveToBytes();
    TClientDataSet v("dsFuzz");
    if (defined) {
      Define(v);
    }
    v.LoadFromBytes(edited);
    Check(v.SaveToBytes() == edited);
    Check(v.RecordCount() == u.RecordCount());
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetFormatSettings(TFormatSettings{u',', QStringLiteral("dd.MM.yyyy")});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
  RoundTrip(bytes, true);
  RoundTrip(bytes, false);
  return 0;
}
