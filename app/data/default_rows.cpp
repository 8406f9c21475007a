#include <initializer_list>

#include "app/data/tables.h"
#include "platform/core/scope_exit.h"

namespace {

void FillWeightDefaults(TClientDataSet& ds, std::initializer_list<int> limits) {
  TField& weight = ds.FieldByName(QStringLiteral("Weight"));
  // The validation refuses limits above 999, and the open class is 1000.
  const TField::TFieldNotify validate = weight.OnValidate;
  weight.OnValidate = nullptr;
  TScopeExit reattach([&] { weight.OnValidate = validate; });
  for (const int limit : limits) {
    ds.Insert();
    weight.SetAsInteger(limit);
  }
}

struct TNamedRow {
  int Id;
  const char* Russian;
  const char* English;
};

// In the order the rows are inserted: each Insert goes before the row
// inserted last, so the table lists 0, 1, 21, 2, 3, ... 9 and a rank
// drop-down shows the empty entry first, then the highest rank down.
constexpr TNamedRow kRanks[] = {
    {9, "IIIю", "IIIj"}, {8, "IIю", "IIj"}, {7, "Iю", "Ij"}, {6, "III", "III"}, {5, "II", "II"}, {4, "I", "I"},
    {3, "КМС", "CMS"},   {2, "МС", "MS"},   {21, "МСМК", "MSWC"}, {1, "ЗМС", "DMS"}, {0, "", ""},
};
// The ranks whose names differ between the languages, in relabelling order.
constexpr int kRelabelledRanks[] = {21, 2, 1, 3, 7, 8, 9};

constexpr TNamedRow kSexes[] = {{0, "Ж", "F"}, {1, "М", "M"}};

QString NameOf(const TNamedRow& row, const TTranslateFunc& translate) {
  return translate(QString::fromUtf8(row.Russian), QString::fromUtf8(row.English));
}

template <size_t N>
const TNamedRow& RowById(const TNamedRow (&rows)[N], int id) {
  for (const auto& row : rows) {
    if (row.Id == id) {
      return row;
    }
  }
  return rows[0];
}

void Relabel(TClientDataSet& ds, const TNamedRow& row, const TTranslateFunc& translate) {
  if (ds.Locate(QStringLiteral("ID"), row.Id)) {
    ds.Edit();
    ds.FieldByName(QStringLiteral("Name")).SetAsString(NameOf(row, translate));
    ds.Post();
  }
}

template <size_t N>
void InsertAll(TClientDataSet& ds, const TNamedRow (&rows)[N], const TTranslateFunc& translate) {
  TField& id = ds.FieldByName(QStringLiteral("ID"));
  TField& name = ds.FieldByName(QStringLiteral("Name"));
  for (const auto& row : rows) {
    ds.Insert();
    id.SetAsInteger(row.Id);
    name.SetAsString(NameOf(row, translate));
  }
}

// A pending insert left by the last fill counts as a row: relabelling posts it
// (Locate posts first) instead of inserting the whole list a second time.
bool HasRows(const TClientDataSet& ds) { return ds.State() == TDataSetState::dsInsert || !ds.IsEmpty(); }

}  // namespace

void FillManWeightDefaults(TClientDataSet& dsManWeight) {
  FillWeightDefaults(dsManWeight, {63, 68, 73, 78, 85, 95, 105, 1000});
}

void FillWomanWeightDefaults(TClientDataSet& dsWomanWeight) {
  FillWeightDefaults(dsWomanWeight, {58, 63, 68, 1000});
}

void FillRankTable(TClientDataSet& dsRank, const TTranslateFunc& translate) {
  if (HasRows(dsRank)) {
    for (const int id : kRelabelledRanks) {
      Relabel(dsRank, RowById(kRanks, id), translate);
    }
    return;
  }
  InsertAll(dsRank, kRanks, translate);
}

void FillSexTable(TClientDataSet& dsSex, const TTranslateFunc& translate) {
  if (HasRows(dsSex)) {
    for (const auto& row : kSexes) {
      Relabel(dsSex, row, translate);
    }
    return;
  }
  InsertAll(dsSex, kSexes, translate);
}
