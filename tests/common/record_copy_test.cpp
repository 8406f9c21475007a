#include <gtest/gtest.h>

#include <QDate>

#include "common/record_copy.h"
#include "platform/core/exception.h"
#include "platform/table/client_dataset.h"
#include "platform/table/field.h"

namespace {

struct TFieldDef {
  const char* name;
  TFieldType type;
};

// An open table with the given fields and one row, the current one.
void MakeTable(TClientDataSet& table, std::initializer_list<TFieldDef> fields) {
  for (const TFieldDef& f : fields) {
    table.AddField(QString::fromUtf8(f.name), f.type, f.type == TFieldType::ftString ? 50 : 0);
  }
  table.CreateDataSet();
  table.Append();
  table.Post();
}

void Set(TClientDataSet& table, const char* field, const TValue& value) {
  table.Edit();
  table.FieldByName(QString::fromUtf8(field)).SetValue(value);
  table.Post();
}

TEST(CopyRecordByFieldNames, CopiesNamesakesInAnyLetterCaseAndLeavesTheRest) {
  TClientDataSet source("dsCompetitor");
  MakeTable(
      source,
      {{"name", TFieldType::ftString}, {"TEAM", TFieldType::ftString}, {"Passport", TFieldType::ftString}});
  Set(source, "name", QString::fromUtf8("Иванов Иван"));
  Set(source, "TEAM", QString::fromUtf8("Тула"));
  Set(source, "Passport", "4500 123456");

  TClientDataSet dest("dsSnatch");
  MakeTable(
      dest,
      {{"Name", TFieldType::ftString}, {"Team", TFieldType::ftString}, {"Result", TFieldType::ftInteger}});
  Set(dest, "Result", 77);

  dest.Edit();
  CopyRecordByFieldNames(source, dest);
  EXPECT_EQ(dest.State(), TDataSetState::dsEdit);  // the caller posts
  EXPECT_EQ(dest.FieldByName("Name").AsString(), QString::fromUtf8("Иванов Иван"));
  EXPECT_EQ(dest.FieldByName("Team").AsString(), QString::fromUtf8("Тула"));
  EXPECT_EQ(dest.FieldByName("Result").AsInteger(), 77);
  EXPECT_EQ(dest.FindField("Passport"), nullptr);
  dest.Post();
  EXPECT_EQ(dest.FieldByName("Name").AsString(), QString::fromUtf8("Иванов Иван"));
}

TEST(CopyRecordByFieldNames, TablesWithoutACommonFieldChangeNothing) {
  TClientDataSet source("dsTeam");
  MakeTable(source, {{"TeamName", TFieldType::ftString}});
  Set(source, "TeamName", QString::fromUtf8("Тула"));
  TClientDataSet dest("dsCoach");
  MakeTable(dest, {{"Trainer", TFieldType::ftString}, {"Count", TFieldType::ftInteger}});
  Set(dest, "Trainer", QString::fromUtf8("Петров"));

  dest.Edit();
  CopyRecordByFieldNames(source, dest);
  EXPECT_EQ(dest.FieldByName("Trainer").AsString(), QString::fromUtf8("Петров"));
  EXPECT_TRUE(dest.FieldByName("Count").IsNull());
  dest.Cancel();
}

// Every value goes through its text, so kinds convert as typing would; the
// locale forms are pinned to "," and dd.MM.yyyy by the test main.
TEST(CopyRecordByFieldNames, ValuesTravelThroughTheirText) {
  struct Case {
    const char* name;
    TFieldType sourceType;
    TValue sourceValue;  // invalid: null
    TFieldType destType;
    TValue destBefore;
    const char* expectedText;
    bool expectNull;
  };
  const Case cases[] = {
      {"null number empties an integer", TFieldType::ftFloat, TValue(), TFieldType::ftInteger, 5, "", true},
      {"empty text makes a date null", TFieldType::ftString, QString(), TFieldType::ftDate, QDate(2024, 5, 1),
       "", true},
      {"null Boolean empties a text", TFieldType::ftBoolean, TValue(), TFieldType::ftString, QString("x"), "",
       true},
      {"integer into text", TFieldType::ftInteger, 7, TFieldType::ftString, TValue(), "7", false},
      {"float into text, locale separator", TFieldType::ftFloat, 72.5, TFieldType::ftString, TValue(), "72,5",
       false},
      {"text into float", TFieldType::ftString, QString("72,5"), TFieldType::ftFloat, TValue(), "72,5",
       false},
      {"date into text", TFieldType::ftDate, QDate(2001, 2, 3), TFieldType::ftString, TValue(), "03.02.2001",
       false},
      {"Boolean into Boolean", TFieldType::ftBoolean, true, TFieldType::ftBoolean, false, "True", false},
  };
  for (const Case& c : cases) {
    TClientDataSet source("dsSource");
    MakeTable(source, {{"Value", c.sourceType}});
    if (c.sourceValue.isValid()) {
      Set(source, "Value", c.sourceValue);
    }
    TClientDataSet dest("dsDest");
    MakeTable(dest, {{"value", c.destType}});
    if (c.destBefore.isValid()) {
      Set(dest, "value", c.destBefore);
    }
    dest.Edit();
    CopyRecordByFieldNames(source, dest);
    EXPECT_EQ(dest.FieldByName("value").IsNull(), c.expectNull) << c.name;
    EXPECT_EQ(dest.FieldByName("value").AsString(), QString::fromUtf8(c.expectedText)) << c.name;
    dest.Cancel();
  }
}

TEST(CopyRecordByFieldNames, AConversionErrorKeepsTheFieldsCopiedBeforeIt) {
  TClientDataSet source("dsCompetitor");
  MakeTable(
      source,
      {{"Name", TFieldType::ftString}, {"Result", TFieldType::ftString}, {"Team", TFieldType::ftString}});
  Set(source, "Name", QString::fromUtf8("Иванов"));
  Set(source, "Result", "abc");
  Set(source, "Team", QString::fromUtf8("Тула"));

  TClientDataSet dest("dsSnatch");
  MakeTable(
      dest,
      {{"Name", TFieldType::ftString}, {"Result", TFieldType::ftInteger}, {"Team", TFieldType::ftString}});
  dest.Edit();
  try {
    CopyRecordByFieldNames(source, dest);
    ADD_FAILURE() << "no conversion error";
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "dsSnatch: 'abc' is not a valid integer value for field 'Result'");
  }
  EXPECT_EQ(dest.State(), TDataSetState::dsEdit);
  EXPECT_EQ(dest.FieldByName("Name").AsString(), QString::fromUtf8("Иванов"));
  EXPECT_TRUE(dest.FieldByName("Result").IsNull());
  EXPECT_TRUE(dest.FieldByName("Team").IsNull());  // after the failing field: not reached
  dest.Cancel();
}

struct TRankCase {
  QVariant Key;  // the source's RankRef
  const char* Shown;
};

// The rank table lists the rank "none" as a row of its own with an empty
// name; a register row without a rank or with a key of no row shows the same
// empty text, and each keeps its key through the copy.
TEST(CopyRecordByFieldNames, ALookupFieldShowsWhatItsCopiedKeyLooksUp) {
  TClientDataSet rank("dsRank");
  MakeTable(rank, {{"ID", TFieldType::ftInteger}, {"Name", TFieldType::ftString}});
  Set(rank, "ID", 3);
  Set(rank, "Name", QString::fromUtf8("КМС"));
  for (auto [id, name] : {std::pair{2, "МС"}, std::pair{0, ""}}) {
    rank.Append();
    rank.FieldByName("ID").SetAsInteger(id);
    rank.FieldByName("Name").SetAsString(QString::fromUtf8(name));
    rank.Post();
  }

  TClientDataSet source("dsCompetitor");
  source.AddField("RankRef", TFieldType::ftInteger);
  source.AddLookupField("Rank", 50, "RankRef", &rank, "ID", "Name");
  source.CreateDataSet();
  source.Append();
  source.Post();

  TClientDataSet dest("dsCompetitorHB");
  dest.AddField("RankRef", TFieldType::ftInteger);
  dest.AddLookupField("Rank", 50, "RankRef", &rank, "ID", "Name");
  dest.CreateDataSet();

  const TRankCase cases[] = {{3, "КМС"}, {0, ""}, {QVariant(), ""}, {10, ""}};
  for (const TRankCase& c : cases) {
    Set(source, "RankRef", c.Key);
    dest.Append();
    dest.FieldByName("RankRef").SetAsInteger(2);
    CopyRecordByFieldNames(source, dest);
    EXPECT_EQ(dest.FieldByName("RankRef").Value(), c.Key) << c.Key.toString().toStdString();
    EXPECT_EQ(dest.FieldByName("Rank").AsString(), QString::fromUtf8(c.Shown));
    dest.Post();
    EXPECT_EQ(dest.FieldByName("RankRef").Value(), c.Key) << c.Key.toString().toStdString() << ", posted";
  }
  EXPECT_EQ(source.RecNo(), 1);
}

}  // namespace
