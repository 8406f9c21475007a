// The filter language: every form the program builds, its errors, and when a
// filter is applied.
#include <gtest/gtest.h>

#include "tests/platform/table/table_fixtures.h"

using namespace table_test;

namespace {

class FilterTest : public ::testing::Test {
 protected:
  void SetUp() override {
    t.AddField("Name", TFieldType::ftString, 255);
    t.AddField("SexRef", TFieldType::ftInteger);
    t.AddField("Weight", TFieldType::ftFloat);
    t.AddField("Snatch", TFieldType::ftBoolean);
    t.AddField("Discipline", TFieldType::ftString, 50);
    t.AddField("DumbbellWeight", TFieldType::ftInteger);
    t.AddField("WeightClass", TFieldType::ftString, 50);
    t.AddField("Result", TFieldType::ftInteger);
    t.AddField("Birthday", TFieldType::ftDate);
    t.CreateDataSet();
    const QVariant rows[][9] = {
        {"Иванов", 1, 72.5, true, "Рывок", 24, "73", 57, QDate(1985, 6, 7)},
        {"Петрова", 0, 58.0, false, "Толчок ДЦ", 16, "58", 40, QDate(1992, 3, 4)},
        {"Сидоров", 1, {}, {}, "рывок", 32, "105+", {}, {}},
        {"O'Brien", 1, 85.0, true, "Двоеборье", 24, "85", 0, {}},
        {"иванова", 0, 63.0, true, {}, 24, "63", 110, {}},
    };
    for (const auto& row : rows) {
      t.Append();
      for (int i = 0; i < 9; ++i) {
        t.Fields(i).SetValue(row[i]);
      }
    }
    t.Post();
  }
  QStringList Names(const QString& filter) {
    t.SetFilter(filter);
    t.SetFiltered(true);
    return Column(t, "Name");
  }
  TClientDataSet t{"dsCompetitor"};
};

TEST_F(FilterTest, EveryFormSelectsTheRightRows) {
  const QStringList all{"Иванов", "Петрова", "Сидоров", "O'Brien", "иванова"};
  const struct {
    const char* filter;
    QStringList names;
  } cases[] = {
      {"SexRef=0", {"Петрова", "иванова"}},
      {"sexref = 1", {"Иванов", "Сидоров", "O'Brien"}},
      {"SEXREF='1'", {"Иванов", "Сидоров", "O'Brien"}},
      // Weight ranges: a null weight passes neither side.
      {"(SexRef=1) and (Weight<=73)", {"Иванов"}},
      {"(SexRef=1) and (Weight>73) and (Weight<=85)", {"O'Brien"}},
      {"Weight <= 68 or Weight > 68", {"Иванов", "Петрова", "O'Brien", "иванова"}},
      {"not (Weight <= 68)", {"Иванов", "O'Brien"}},
      {"Weight>=72.5", {"Иванов", "O'Brien"}},
      {"Weight = -1", {}},
      // Boolean against 0: false and null rows both stay out.
      {"Snatch<>0", {"Иванов", "O'Brien", "иванова"}},
      {"Snatch=0", {"Петрова"}},
      {"Snatch", {"Иванов", "O'Brien", "иванова"}},
      {"SexRef=0 and Snatch<>0", {"иванова"}},
      // upper folds Cyrillic; plain text comparison is exact.
      {"(upper(Discipline)='РЫВОК') and (DumbbellWeight=24) and (WeightClass='73') and (SexRef=1)",
       {"Иванов"}},
      {"upper(Discipline)='РЫВОК'", {"Иванов", "Сидоров"}},
      {"Discipline='Рывок'", {"Иванов"}},
      {"(SexRef=0) and (result <= 57)", {"Петрова"}},
      {"(SexRef=1) and (result <= 0)", {"O'Brien"}},
      {"DumbbellWeight in (16, 32)", {"Петрова", "Сидоров"}},
      {"DumbbellWeight not in (16, 32)", {"Иванов", "O'Brien", "иванова"}},
      {"Discipline is not null", {"Иванов", "Петрова", "Сидоров", "O'Brien"}},
      {"Result is null", {"Сидоров"}},
      {"Discipline = ''", {"иванова"}},
      // The prefix match is case-sensitive; '*' alone is every non-null text.
      {"Name = 'Иван*'", {"Иванов"}},
      {"Name = '*'", all},
      {"Discipline = '*'", {"Иванов", "Петрова", "Сидоров", "O'Brien"}},
      // A doubled apostrophe is one apostrophe.
      {"Name = 'O''Brien'", {"O'Brien"}},
      {"Name = 'O''*'", {"O'Brien"}},
      {"Name <> 'Иванов'", {"Петрова", "Сидоров", "O'Brien", "иванова"}},
      {"WeightClass = 85", {"O'Brien"}},  // a number read as the field's text
      {"Birthday < '01.01.1990'", {"Иванов"}},
      {"Birthday >= '1.1.1990'", {"Петрова"}},
      {"85 < Weight", {}},
      {"70 < Weight and 80 > Weight", {"Иванов"}},
      {"1=1", all},
      {"1=0", {}},
      {"   ", all},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Names(QString::fromUtf8(c.filter)), c.names) << c.filter;
    EXPECT_EQ(t.RecordCount(), c.names.size()) << c.filter;
  }
}

TEST_F(FilterTest, BadTextsAreRefusedAndTheOldFilterStays) {
  const struct {
    const char* filter;
    const char* message;
  } cases[] = {
      {"Name = 'x' # 1", "dsCompetitor: Invalid filter expression character: '#'"},
      {"Weight * 2 > 1", "dsCompetitor: Invalid filter expression character: '*'"},
      {"Name = 'x' ; SexRef = 1", "dsCompetitor: Invalid filter expression character: ';'"},
      {"SexRef = 'abc'", "dsCompetitor: Type mismatch in expression"},
      {"Name > SexRef", "dsCompetitor: Type mismatch in expression"},
      {"upper(SexRef) = 'A'", "dsCompetitor: Type mismatch in expression"},
      {"Birthday = 5", "dsCompetitor: Type mismatch in expression"},
      {"Weight", "dsCompetitor: Type mismatch in expression"},
      {"Snatch = 'maybe'", "dsCompetitor: Type mismatch in expression"},
      {"Nope = 1", "dsCompetitor: Field 'Nope' not found"},
      {"SexRef=", "dsCompetitor: Syntax error in filter expression at position 8"},
      {"(SexRef=1", "dsCompetitor: Syntax error in filter expression at position 10"},
      {"SexRef=1 SexRef=0", "dsCompetitor: Syntax error in filter expression at position 10"},
      {"Name = 'abc", "dsCompetitor: Unterminated text literal in filter expression"},
      {"[Name = 'abc'", "dsCompetitor: Unterminated field name in filter expression"},
  };
  t.SetFilter("SexRef=0");
  t.SetFiltered(true);
  for (const auto& c : cases) {
    EXPECT_EQ(MessageOf([&] { t.SetFilter(QString::fromUtf8(c.filter)); }), QString::fromUtf8(c.message))
        << c.filter;
    EXPECT_EQ(t.Filter(), "SexRef=0");
    EXPECT_EQ(t.RecordCount(), 2);
  }
  // Turning a bad filter on fails the same way and leaves filtering off.
  t.SetFiltered(false);
  t.SetFilter("Nope = 1");  // not applied while filtering is off
  EXPECT_THROW(t.SetFiltered(true), EDatabaseError);
  EXPECT_FALSE(t.Filtered());
  EXPECT_EQ(t.RecordCount(), 5);

  const QString deep = QString("(").repeated(200) + "SexRef=1" + QString(")").repeated(200);
  EXPECT_EQ(MessageOf([&] { t.SetFilter(deep), t.SetFiltered(true); }),
            "dsCompetitor: Filter expression is nested too deeply");
}

TEST_F(FilterTest, SwitchingAndChangingTheFilter) {
  t.SetRecNo(4);
  t.SetFilter("SexRef=1");  // stored only: filtering is off
  EXPECT_EQ(t.RecordCount(), 5);
  EXPECT_EQ(t.RecNo(), 4);
  t.SetFiltered(true);
  EXPECT_EQ(t.RecordCount(), 3);
  EXPECT_EQ(t.RecNo(), 1);  // the first row of the new view is current
  t.Last();
  t.SetFilter("SexRef=0");  // re-applied at once
  EXPECT_EQ(t.FieldByName("Name").AsString(), "Петрова");
  t.SetFilter("");
  EXPECT_EQ(t.RecordCount(), 5);
  t.SetFilter("SexRef=0");
  t.Last();
  t.SetFiltered(true);  // assigning it again still goes to the first row
  EXPECT_EQ(t.RecNo(), 1);
  t.SetFiltered(false);
  EXPECT_EQ(t.RecordCount(), 5);
  EXPECT_EQ(t.Filter(), "SexRef=0");
}

TEST_F(FilterTest, APostedRowThatNoLongerPassesLeavesTheView) {
  t.SetFilter("SexRef=1");
  t.SetFiltered(true);
  t.SetRecNo(2);  // Сидоров
  t.Edit();
  t.FieldByName("SexRef").SetAsInteger(0);
  EXPECT_EQ(t.RecordCount(), 3);  // still seen while being edited
  t.Post();
  EXPECT_EQ(Column(t, "Name"), (QStringList{"Иванов", "O'Brien"}));

  t.SetRecNo(2);
  t.Insert();
  t.FieldByName("Name").SetAsString("new");
  t.FieldByName("SexRef").SetAsInteger(0);
  t.Post();
  EXPECT_EQ(t.RecordCount(), 2);
  EXPECT_EQ(t.FieldByName("Name").AsString(), "O'Brien");  // the row at the insert place
  EXPECT_FALSE(t.Locate("Name", QString("new")));          // Locate sees only the view
  t.SetFiltered(false);
  EXPECT_TRUE(t.Locate("Name", QString("new")));
}

TEST(Filter, AFilterSetBeforeOpeningAppliesWhenTheTableIsCreated) {
  TClientDataSet stream("dsCompetitorStream");
  stream.AddField("Name", TFieldType::ftString, 255);
  stream.AddField("Except", TFieldType::ftInteger);
  stream.SetFilter("Except=1");
  stream.SetFiltered(true);
  stream.CreateDataSet();
  for (int except : {1, 0, 1}) {
    stream.Append();
    stream.FieldByName("Except").SetAsInteger(except);
  }
  stream.Post();
  EXPECT_EQ(stream.RecordCount(), 2);

  TClientDataSet bad("dsBad");
  bad.AddField("Name", TFieldType::ftString, 255);
  bad.SetFilter("Missing=1");
  bad.SetFiltered(true);
  EXPECT_EQ(MessageOf([&] { bad.CreateDataSet(); }), "dsBad: Field 'Missing' not found");
  EXPECT_FALSE(bad.Active());
}

TEST(Filter, LookupFieldsAndTheNotNullFormOverEveryColumn) {
  TClientDataSet sex("dsSex");
  sex.AddField("ID", TFieldType::ftInteger);
  sex.AddField("Name", TFieldType::ftString, 50);
  sex.CreateDataSet();
  sex.Append();
  sex.FieldByName("ID").SetAsInteger(1);
  sex.FieldByName("Name").SetAsString("М");
  sex.Post();
  TClientDataSet t("dsTeamProtocol");
  t.AddField("Team", TFieldType::ftString, 20);
  t.AddField("LC_058", TFieldType::ftString, 20);
  t.AddField("SexRef", TFieldType::ftInteger);
  t.AddLookupField("Sex", 50, "SexRef", &sex, "ID", "Name");
  t.CreateDataSet();
  t.Append();
  t.FieldByName("Team").SetAsString("A");
  t.FieldByName("SexRef").SetAsInteger(1);
  t.Append();
  t.FieldByName("Team").SetAsString("B");
  t.FieldByName("LC_058").SetAsString("20+16");
  t.Post();
  t.SetFiltered(true);
  const std::pair<const char*, int> cases[] = {
      {"Team is not null", 2}, {"lc_058 is not null", 1}, {"Sex is not null", 1}, {"Sex = 'М'", 1}};
  for (auto [filter, count] : cases) {
    t.SetFilter(QString::fromUtf8(filter));
    EXPECT_EQ(t.RecordCount(), count) << filter;
  }
}

}  // namespace
