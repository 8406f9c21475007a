// The table's cursor and rows: states, insert positions, navigation, indexes,
// events, Locate, observers and the grid's view of the rows.
#include <gtest/gtest.h>

#include "tests/platform/table/table_fixtures.h"

using namespace table_test;

namespace {

// ---- States and closed tables ----

TEST(DataSetState, OperationsOnAClosedTableNameTheTable) {
  TClientDataSet t("dsCompetitor");
  t.AddField("Name", TFieldType::ftString, 255);
  const std::pair<const char*, std::function<void()>> operations[] = {
      {"First", [&] { t.First(); }},     {"Next", [&] { t.Next(); }},
      {"Last", [&] { t.Last(); }},       {"Insert", [&] { t.Insert(); }},
      {"Append", [&] { t.Append(); }},   {"Edit", [&] { t.Edit(); }},
      {"Post", [&] { t.Post(); }},       {"Delete", [&] { t.Delete(); }},
      {"RecNo", [&] { t.SetRecNo(1); }}, {"Locate", [&] { t.Locate("Name", QVariant("x")); }},
  };
  for (const auto& [name, op] : operations) {
    EXPECT_EQ(MessageOf(op), "dsCompetitor: Cannot perform this operation on a closed dataset") << name;
  }
  EXPECT_TRUE(t.FieldByName("Name").IsNull());  // reading a closed table is harmless
  EXPECT_EQ(t.RecordCount(), 0);
  EXPECT_EQ(MessageOf([&] { t.CreateDataSet(), t.AddField("X", TFieldType::ftInteger); }),
            "dsCompetitor: Cannot perform this operation on an open dataset");
}

TEST(DataSetState, InsertEditPostCancelAndDelete) {
  TClientDataSet t("dsOrganizer");
  t.AddField("Name", TFieldType::ftString, 255);
  t.CreateDataSet();
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(t.RecNo(), 0);

  t.Edit();  // nothing to edit: a new row takes it
  EXPECT_EQ(t.State(), TDataSetState::dsInsert);
  EXPECT_FALSE(t.IsEmpty());
  EXPECT_FALSE(t.Modified());
  t.FieldByName("Name").SetAsString("A");
  EXPECT_TRUE(t.Modified());
  t.Post();
  t.Append();
  t.FieldByName("Name").SetAsString("B");
  t.Cancel();
  EXPECT_EQ(Column(t, "Name"), QStringList{"A"});

  t.Edit();
  t.FieldByName("Name").SetAsString("A2");
  t.Cancel();
  EXPECT_EQ(t.FieldByName("Name").AsString(), "A");
  t.Edit();
  t.FieldByName("Name").SetAsString("A3");
  t.Post();
  EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(t.FieldByName("Name").AsString(), "A3");

  t.Delete();
  EXPECT_TRUE(t.IsEmpty());
  EXPECT_EQ(MessageOf([&] { t.Delete(); }), "dsOrganizer: Cannot perform this operation on an empty dataset");
}

// ---- Insert positions ----

TEST(InsertPosition, SuccessiveInsertsWithoutAnIndexListInReverse) {
  TClientDataSet rank("dsRank");
  rank.AddField("ID", TFieldType::ftInteger);
  rank.CreateDataSet();
  for (int id : {9, 8, 7, 6, 5, 4, 3, 2, 21, 1, 0}) {
    rank.Insert();  // posts the row before it
    rank.FieldByName("ID").SetAsInteger(id);
  }
  // The last row is still pending, shown at its place in the view.
  EXPECT_EQ(rank.State(), TDataSetState::dsInsert);
  EXPECT_EQ(rank.RecordCount(), 10);
  EXPECT_EQ(rank.ViewRowCount(), 11);
  EXPECT_EQ(rank.CurrentViewRow(), 0);
  EXPECT_EQ(Column(rank, "ID"), (QStringList{"0", "1", "21", "2", "3", "4", "5", "6", "7", "8", "9"}));
}

TEST(InsertPosition, InsertGoesBeforeTheCurrentRowAndAppendAfterTheLast) {
  TClientDataSet t("dsOrganizer");
  DefineNames(t, {"A", "B", "C"});
  t.SetRecNo(2);
  t.Insert();
  EXPECT_EQ(t.CurrentViewRow(), 1);
  EXPECT_EQ(ViewColumn(t, "Name"), (QStringList{"A", "", "B", "C"}));
  t.FieldByName("Name").SetAsString("X");
  EXPECT_EQ(t.ValueAt(1, t.FieldByName("Name")), QVariant("X"));
  t.Post();
  EXPECT_EQ(t.RecNo(), 2);  // the posted row is current
  EXPECT_EQ(t.FieldByName("Name").AsString(), "X");

  t.First();
  t.Append();
  EXPECT_EQ(t.CurrentViewRow(), 4);
  t.Cancel();  // the cursor goes to the row at the insert place: the last
  EXPECT_EQ(t.RecNo(), 4);
  t.SetRecNo(2);
  t.Insert();
  t.Cancel();
  EXPECT_EQ(t.FieldByName("Name").AsString(), "X");
  EXPECT_EQ(Column(t, "Name"), (QStringList{"A", "X", "B", "C"}));
}

TEST(InsertPosition, APostedRowTakesItsKeyPlaceInAnIndex) {
  TClientDataSet t("dsSnatch");
  DefineProtocol(t);
  t.SetIndexName("dsJerkIndex");
  t.CreateDataSet();
  AppendRows(t, {{"A", 70.0, 50}, {"B", 70.0, 40}});
  t.First();
  t.Insert();
  t.FieldByName("Name").SetAsString("C");
  t.FieldByName("Result").SetAsInteger(45);
  t.Post();
  EXPECT_EQ(t.RecNo(), 2);
  EXPECT_EQ(Column(t, "Name"), (QStringList{"A", "C", "B"}));
}

TEST(InsertPosition, PendingRowIsPostedBeforeNavigationLocateAndInsert) {
  TClientDataSet t("dsOrganizer");
  t.AddField("Name", TFieldType::ftString, 255);
  t.CreateDataSet();
  const std::pair<const char*, std::function<void()>> moves[] = {
      {"First", [&] { t.First(); }},
      {"Last", [&] { t.Last(); }},
      {"Next", [&] { t.Next(); }},
      {"Prior", [&] { t.Prior(); }},
      {"RecNo", [&] { t.SetRecNo(1); }},
      {"Locate", [&] { t.Locate("Name", QVariant("zzz")); }},
      {"Insert", [&] { t.Insert(), t.Cancel(); }},
      {"Filtered", [&] { t.SetFiltered(false); }},
      {"IndexFieldNames", [&] { t.SetIndexFieldNames(""); }},
  };
  int expected = 0;
  for (const auto& [name, move] : moves) {
    t.Append();
    t.FieldByName("Name").SetAsString(name);
    move();
    EXPECT_EQ(t.State(), TDataSetState::dsBrowse) << name;
    EXPECT_EQ(t.RecordCount(), ++expected) << name;
  }
}

// ---- Navigation ----

TEST(Navigation, WalkRecNoAndBookmarks) {
  TClientDataSet t("dsOrganizer");
  t.AddField("Name", TFieldType::ftString, 255);
  t.CreateDataSet();
  for (const char* n : {"A", "B", "C"}) {
    t.Append();
    t.FieldByName("Name").SetAsString(n);
  }
  t.First();
  EXPECT_TRUE(t.Bof());
  EXPECT_FALSE(t.Eof());
  t.Prior();
  EXPECT_TRUE(t.Bof());
  t.Last();
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(t.FieldByName("Name").AsString(), "C");
  t.SetRecNo(2);
  EXPECT_FALSE(t.Eof());
  EXPECT_FALSE(t.Bof());
  const TBookmark b = t.GetBookmark();
  t.SetRecNo(99);  // clamped to the last row
  EXPECT_EQ(t.RecNo(), 3);
  t.GotoBookmark(b);
  EXPECT_EQ(t.FieldByName("Name").AsString(), "B");

  // Deleting makes the next row current; deleting the last reaches Eof.
  t.Delete();
  EXPECT_EQ(t.FieldByName("Name").AsString(), "C");
  EXPECT_FALSE(t.BookmarkValid(b));
  EXPECT_EQ(MessageOf([&] { t.GotoBookmark(b); }), "dsOrganizer: Record not found");
  t.Delete();
  EXPECT_EQ(t.FieldByName("Name").AsString(), "A");
  EXPECT_TRUE(t.Eof());
}

TEST(Navigation, DeletingWhileWalkingEndsTheWalk) {
  TClientDataSet t("dsStream");
  t.AddField("ID", TFieldType::ftInteger);
  t.CreateDataSet();
  for (int i = 1; i <= 6; ++i) {
    t.Append();
    t.FieldByName("ID").SetAsInteger(i);
  }
  t.First();
  while (!t.Eof()) {
    if (t.FieldByName("ID").AsInteger() % 2 == 0) {
      t.Delete();
    } else {
      t.Next();
    }
  }
  EXPECT_EQ(Column(t, "ID"), (QStringList{"1", "3", "5"}));
}

// ---- Indexes ----

TEST(Index, ProtocolOrderResultDescendingThenLighterFirstNullsLast) {
  TClientDataSet t("dsSnatch");
  DefineProtocol(t);
  t.SetIndexName("DSJERKINDEX");  // names ignore letter case
  t.CreateDataSet();
  AppendRows(t, {{"heavy", 67.5, 60},
                 {"none", 50.0, QVariant()},
                 {"light", 66.0, 60},
                 {"best", 80.0, 70},
                 {"noweight", QVariant(), 60}});
  // Null sorts after every value of the descending result and before every
  // value of the ascending weight.
  EXPECT_EQ(Column(t, "Name"), (QStringList{"best", "noweight", "light", "heavy", "none"}));

  t.SetIndexFieldNames("Result");  // a temporary ascending index replaces the named one
  EXPECT_EQ(t.IndexName(), "");
  EXPECT_EQ(Column(t, "Name"), (QStringList{"none", "heavy", "light", "noweight", "best"}));
  t.SetIndexName("");
  EXPECT_EQ(Column(t, "Name"), (QStringList{"heavy", "none", "light", "best", "noweight"}));
}

TEST(Index, EveryFieldDescendsWithoutDescFields) {
  TClientDataSet t("dsRRTeam");
  t.AddField("Team", TFieldType::ftString, 255);
  t.AddField("SexRef", TFieldType::ftInteger);
  t.AddField("Result", TFieldType::ftInteger);
  t.AddIndexDef({"dsRRTeamIndex", "SexRef;Result", ixDescending, ""});
  t.SetIndexName("dsRRTeamIndex");
  t.CreateDataSet();
  for (auto [team, sex, result] : {std::tuple{"w1", 0, 90}, {"m1", 1, 50}, {"w2", 0, 95}, {"m2", 1, 80}}) {
    t.Append();
    t.FieldByName("Team").SetAsString(team);
    t.FieldByName("SexRef").SetAsInteger(sex);
    t.FieldByName("Result").SetAsInteger(result);
  }
  EXPECT_EQ(Column(t, "Team"), (QStringList{"m2", "m1", "w2", "w1"}));
}

TEST(Index, TextKeysAreCaseSensitiveAndEqualKeysKeepTheirOrder) {
  TClientDataSet t("dsTeamProtocol");
  t.AddField("Team", TFieldType::ftString, 20);
  t.AddField("Position", TFieldType::ftString, 20);
  t.AddIndexDef({"byTeam", "team", ixUnique, ""});
  t.SetIndexFieldNames("position");
  t.CreateDataSet();
  for (auto [team, pos] :
       {std::pair{"b", "2"}, {"B", "10"}, {"a", "2"}, {"ё", "1"}, {"е", "1"}, {"ж", "1"}}) {
    t.Append();
    t.FieldByName("Team").SetAsString(QString::fromUtf8(team));
    t.FieldByName("Position").SetAsString(pos);
    t.Post();  // "b" and "B" are different keys of the unique index
  }
  // Texts order as texts ("10" before "2"); equal keys stay in their own order.
  EXPECT_EQ(Column(t, "Team"), (QStringList{"ё", "е", "ж", "B", "b", "a"}));
  t.SetIndexFieldNames("Team");
  EXPECT_EQ(Column(t, "Team"), (QStringList{"a", "B", "b", "е", "ё", "ж"}));
}

TEST(Index, KeyViolationLeavesTheRowUnpostedInItsState) {
  TClientDataSet t("dsManWeight");
  t.AddField("Weight", TFieldType::ftInteger);
  t.AddIndexDef({"dsManWeightIndex1", "Weight", ixUnique, ""});
  t.SetIndexName("dsManWeightIndex1");
  t.CreateDataSet();
  for (int w : {63, 68}) {
    t.Insert();
    t.FieldByName("Weight").SetAsInteger(w);
  }
  t.Insert();
  t.FieldByName("Weight").SetAsInteger(63);
  EXPECT_EQ(MessageOf([&] { t.Post(); }), "dsManWeight: Key violation.");
  EXPECT_EQ(t.State(), TDataSetState::dsInsert);
  EXPECT_EQ(t.RecordCount(), 2);
  EXPECT_THROW(t.First(), EDatabaseError);  // navigation posts, and fails the same way
  t.FieldByName("Weight").SetAsInteger(73);
  t.Post();

  t.First();
  t.Edit();
  t.FieldByName("Weight").SetAsInteger(68);
  EXPECT_EQ(MessageOf([&] { t.Post(); }), "dsManWeight: Key violation.");
  EXPECT_EQ(t.State(), TDataSetState::dsEdit);
  t.FieldByName("Weight").SetAsInteger(63);  // its own key is no violation
  t.Post();
  EXPECT_EQ(Column(t, "Weight"), (QStringList{"63", "68", "73"}));
}

TEST(Index, ChangingTheIndexKeepsTheCurrentRowAndBadNamesChangeNothing) {
  TClientDataSet t("dsSnatch");
  DefineProtocol(t);
  t.CreateDataSet();
  AppendRows(t, {{"A", 60.0, 10}, {"B", 61.0, 30}, {"C", 62.0, 20}});
  t.SetRecNo(3);
  t.SetIndexName("dsJerkIndex");
  EXPECT_EQ(t.FieldByName("Name").AsString(), "C");
  EXPECT_EQ(t.RecNo(), 2);
  EXPECT_EQ(MessageOf([&] { t.SetIndexName("nope"); }), "dsSnatch: Index 'nope' not found");
  EXPECT_EQ(MessageOf([&] { t.SetIndexFieldNames("Name;Nope"); }), "dsSnatch: Field 'Nope' not found");
  EXPECT_EQ(t.IndexName(), "dsJerkIndex");
  EXPECT_EQ(Column(t, "Name"), (QStringList{"B", "C", "A"}));
}

// Renumbering places from a result's OnChange, as the discipline tab does:
// the handler posts the edit in progress from inside the assignment.
TEST(Index, PlacesRenumberedFromOnChangeWhileTheRowMoves) {
  TClientDataSet t("dsSnatch");
  DefineProtocol(t);
  t.AddField("Position", TFieldType::ftInteger);
  t.SetIndexName("dsJerkIndex");
  t.CreateDataSet();
  AppendRows(t, {{"A", 60.0, 30}, {"B", 61.0, 20}, {"C", 62.0, 10}});
  t.FieldByName("Result").OnChange = [&](TField&) {
    t.DisableControls();
    const int kept = t.RecNo();
    t.First();
    int n = 1;
    while (!t.Eof()) {
      t.Edit();
      t.FieldByName("Position").SetAsInteger(n++);
      t.Post();
      t.Next();
    }
    t.SetRecNo(kept);
    t.EnableControls();
  };
  t.Last();
  t.Edit();
  t.FieldByName("Result").SetAsInteger(40);  // C moves to the top
  EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(t.RecNo(), 3);
  EXPECT_EQ(t.FieldByName("Name").AsString(), "B");  // the same line holds another athlete
  EXPECT_EQ(Column(t, "Name"), (QStringList{"C", "A", "B"}));
  EXPECT_EQ(Column(t, "Position"), (QStringList{"1", "2", "3"}));
}

// ---- Events ----

TEST(Events, OrderOfTheTableEvents) {
  TClientDataSet t("dsCompetitor");
  t.AddField("Snatch", TFieldType::ftBoolean);
  t.CreateDataSet();
  std::vector<std::string> log;
  t.BeforeInsert = [&](TClientDataSet& d) {
    log.push_back("BeforeInsert " + std::to_string(int(d.State())));
  };
  t.OnNewRecord = [&](TClientDataSet& d) {
    log.push_back("OnNewRecord");
    d.FieldByName("Snatch").SetAsBoolean(false);
  };
  t.AfterInsert = [&](TClientDataSet&) { log.push_back("AfterInsert"); };
  t.AfterPost = [&](TClientDataSet& d) { log.push_back("AfterPost " + std::to_string(int(d.State()))); };
  t.BeforeDelete = [&](TClientDataSet& d) {
    log.push_back("BeforeDelete " + d.FieldByName("Snatch").AsString().toStdString());
  };
  t.Insert();
  EXPECT_FALSE(t.Modified());  // first values are not changes
  EXPECT_EQ(t.FieldByName("Snatch").AsString(), "False");
  t.Post();
  t.Delete();
  EXPECT_EQ(log, (std::vector<std::string>{"BeforeInsert 1", "OnNewRecord", "AfterInsert", "AfterPost 1",
                                           "BeforeDelete False"}));
}

TEST(Events, SilentAbortInBeforeInsertAndBeforeDeleteChangesNothing) {
  TClientDataSet t("dsSnatch");
  t.AddField("Name", TFieldType::ftString, 255);
  t.CreateDataSet();
  t.Append();
  t.FieldByName("Name").SetAsString("A");
  t.Post();
  TRecordingObserver observer(t);
  const auto guard = [](TClientDataSet&) { Abort(); };
  t.BeforeInsert = guard;
  t.BeforeDelete = guard;
  EXPECT_THROW(t.Insert(), EAbort);
  EXPECT_THROW(t.Append(), EAbort);
  EXPECT_THROW(t.Delete(), EAbort);
  EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(t.RecordCount(), 1);
  EXPECT_EQ(t.VersionCount(), 1);
  EXPECT_TRUE(observer.Notices.empty());

  // The program's own fills detach the guard and put it back afterwards.
  const auto saved = t.BeforeInsert;
  t.BeforeInsert = nullptr;
  t.Append();
  t.FieldByName("Name").SetAsString("B");
  t.Post();
  t.BeforeInsert = saved;
  EXPECT_THROW(t.Insert(), EAbort);
  EXPECT_EQ(t.RecordCount(), 2);
}

TEST(Events, AnErrorInOnNewRecordLeavesNoHalfMadeRow) {
  TClientDataSet t("dsCompetitor");
  t.AddField("Name", TFieldType::ftString, 255);
  t.CreateDataSet();
  t.OnNewRecord = [](TClientDataSet&) { throw Exception("no"); };
  EXPECT_EQ(MessageOf([&] { t.Append(); }), "no");
  EXPECT_EQ(t.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(t.ViewRowCount(), 0);
}

// ---- Locate ----

class LocateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    t.AddField("Name", TFieldType::ftString, 255);
    t.AddField("SexRef", TFieldType::ftInteger);
    t.AddField("Birthday", TFieldType::ftDate);
    t.CreateDataSet();
    const struct {
      const char* name;
      int sex;
      QDate birthday;
    } rows[] = {
        {"Петров Иван", 1, QDate(1990, 1, 2)}, {"Иванова Анна", 0, QDate(1992, 3, 4)},
        {"Иванов Пётр", 1, QDate()},           {"Иванов Пётр", 1, QDate(1985, 6, 7)},
        {"O'Brien", 1, QDate(1980, 1, 1)},
    };
    for (const auto& r : rows) {
      t.Append();
      t.FieldByName("Name").SetAsString(QString::fromUtf8(r.name));
      t.FieldByName("SexRef").SetAsInteger(r.sex);
      t.FieldByName("Birthday").SetAsDateTime(r.birthday);
    }
    t.First();
  }
  TClientDataSet t{"dsCompetitorHB"};
};

TEST_F(LocateTest, OptionsNullsAndSeveralFields) {
  struct Case {
    const char* fields;
    QVariantList values;
    TLocateOptions options;
    int recNo;  // 0: not found
  };
  const Case cases[] = {
      {"Name", {QString::fromUtf8("Иванова Анна")}, 0, 2},
      {"name", {QString::fromUtf8("иванова анна")}, 0, 0},
      {"Name", {QString::fromUtf8("иванова анна")}, loCaseInsensitive, 2},
      {"Name", {QString::fromUtf8("Иванов")}, 0, 0},
      {"Name", {QString::fromUtf8("Иванов")}, loPartialKey, 2},
      {"Name", {QString::fromUtf8("иванов п")}, loPartialKey, 0},
      {"Name", {QString::fromUtf8("иванов п")}, loPartialKey | loCaseInsensitive, 3},
      {"Name", {"O'Brien"}, 0, 5},
      {"SexRef", {0}, 0, 2},
      {"SexRef", {"0"}, 0, 2},
      {"SexRef", {"x"}, 0, 0},
      {"Name;SexRef;Birthday", {QString::fromUtf8("ИВАНОВ ПЁТР"), 1, QDate()}, loCaseInsensitive, 3},
      {"Name;SexRef;Birthday", {QString::fromUtf8("Иванов Пётр"), 1, QDate(1985, 6, 7)}, 0, 4},
      {"Name;SexRef;Birthday", {QString::fromUtf8("Иванов Пётр"), 0, QDate(1985, 6, 7)}, 0, 0},
      {"Birthday", {QVariant()}, 0, 3},
  };
  for (const auto& c : cases) {
    t.SetRecNo(1);
    const bool found = t.Locate(c.fields, c.values, c.options);
    EXPECT_EQ(found, c.recNo != 0) << c.fields << " " << c.values.first().toString().toStdString();
    // Not found: the current row stays.
    EXPECT_EQ(t.RecNo(), c.recNo ? c.recNo : 1)
        << c.fields << " " << c.values.first().toString().toStdString();
  }
  EXPECT_EQ(MessageOf([&] { t.Locate("Nope", QVariant(1)); }), "dsCompetitorHB: Field 'Nope' not found");
}

TEST_F(LocateTest, SearchesTheViewInItsOrder) {
  t.SetIndexFieldNames("Birthday");
  ASSERT_TRUE(t.Locate("Name", QString::fromUtf8("Иванов Пётр")));
  EXPECT_TRUE(t.FieldByName("Birthday").IsNull());  // null sorts first
  t.SetIndexFieldNames("Name;Birthday");
  ASSERT_TRUE(t.Locate("SexRef", 1));
  EXPECT_EQ(t.FieldByName("Name").AsString(), QString::fromUtf8("O'Brien"));
}

// ---- Observers and the grid's view ----

TEST(Observers, PreciseNoticesForSingleRowChanges) {
  TClientDataSet t("dsSnatch");
  DefineProtocol(t);
  t.SetIndexName("dsJerkIndex");
  t.CreateDataSet();
  AppendRows(t, {{"A", 60.0, 30}, {"B", 61.0, 20}});
  TRecordingObserver o(t);

  t.First();
  EXPECT_EQ(o.Take(), (std::vector<std::string>{"CurrentChanged 0"}));
  t.First();
  EXPECT_TRUE(o.Notices.empty());  // already there
  t.Next();
  EXPECT_EQ(o.Take(), (std::vector<std::string>{"CurrentChanged 1"}));
  t.Insert();
  EXPECT_EQ(o.Take(), (std::vector<std::string>{"RowInserted 1", "StateChanged 1", "CurrentChanged 1"}));
  t.FieldByName("Result").SetAsInteger(40);
  EXPECT_EQ(o.Take(), (std::vector<std::string>{"RowChanged 1"}));
  t.Post();  // the new row moves to the top
  EXPECT_EQ(o.Take(), (std::vector<std::string>{"RowRemoved 1", "RowInserted 0", "StateChanged 0",
                                                "CurrentChanged 0"}));
  t.Edit();
  t.FieldByName("Name").SetAsString("C");
  t.Post();
  EXPECT_EQ(o.Take(), (std::vector<std::string>{"StateChanged 0", "RowChanged 0", "RowChanged 0",
                                                "StateChanged 0", "CurrentChanged 0"}));
  t.Delete();
  EXPECT_EQ(o.Take(), (std::vector<std::string>{"RowRemoved 0", "CurrentChanged 0"}));
  t.SetIndexName("");
  EXPECT_EQ(o.Take(), (std::vector<std::string>{"RowsReset -1"}));

  t.RemoveObserver(&o);
  t.Next();
  EXPECT_TRUE(o.Notices.empty());
}

TEST(Observers, DisabledControlsHearOneResetAtTheLastEnable) {
  TClientDataSet t("dsSnatch");
  DefineProtocol(t);
  t.CreateDataSet();
  TRecordingObserver o(t);
  t.DisableControls();
  t.DisableControls();
  AppendRows(t, {{"A", 60.0, 30}, {"B", 61.0, 20}});
  t.First();
  t.EnableControls();
  EXPECT_TRUE(t.ControlsDisabled());
  EXPECT_TRUE(o.Notices.empty());
  t.EnableControls();
  EXPECT_FALSE(t.ControlsDisabled());
  EXPECT_EQ(o.Take(), (std::vector<std::string>{"RowsReset -1"}));
  t.EnableControls();  // one too many is harmless
  EXPECT_TRUE(o.Notices.empty());
}

// What an observer finds in the table at each notice: the cursor, Bof and
// Eof, and the current row's name, as a navigator or a bound edit reads them.
class TReadingObserver : public TRecordingObserver {
 public:
  using TRecordingObserver::TRecordingObserver;
  void DataSetChanged(TClientDataSet& t, TDataChange change, int row) override {
    std::string seen =
        ChangeName(change) + " " + std::to_string(row) + ": at " + std::to_string(t.CurrentViewRow());
    seen += t.Bof() ? " Bof" : "";
    seen += t.Eof() ? " Eof" : "";
    Notices.push_back(seen + " " + t.FieldByName("Name").AsString().toStdString());
  }
};

TEST(Observers, BofAndEofAreSettledBeforeTheNoticeAndAChangeOfThemAloneIsOne) {
  TClientDataSet t("dsOrganizer");
  DefineNames(t, {"A", "B", "C"});
  t.SetRecNo(2);
  TReadingObserver o(t);
  struct TCase {
    const char* What;
    std::function<void()> Do;
    std::vector<std::string> Notices;
  };
  const TCase cases[] = {
      {"Last", [&] { t.Last(); }, {"CurrentChanged 2: at 2 Eof C"}},
      {"Last on the last row at Eof", [&] { t.Last(); }, {}},
      {"First", [&] { t.First(); }, {"CurrentChanged 0: at 0 Bof A"}},
      {"Prior at Bof", [&] { t.Prior(); }, {}},
      {"a move to the same row clears Bof", [&] { t.SetRecNo(1); }, {"CurrentChanged 0: at 0 A"}},
      {"Prior on the first row", [&] { t.Prior(); }, {"CurrentChanged 0: at 0 Bof A"}},
      {"Next", [&] { t.Next(); }, {"CurrentChanged 1: at 1 B"}},
      {"SetRecNo to the last row", [&] { t.SetRecNo(3); }, {"CurrentChanged 2: at 2 C"}},
      {"Next on the last row", [&] { t.Next(); }, {"CurrentChanged 2: at 2 Eof C"}},
      {"Next at Eof", [&] { t.Next(); }, {}},
      {"Locate of the current row clears Eof",
       [&] { t.Locate("Name", QVariant("C")); },
       {"CurrentChanged 2: at 2 C"}},
      {"Next on the only row of a view keeps Bof",
       [&] {
         t.SetFilter("Name = 'B'");
         t.SetFiltered(true);
         t.Next();
       },
       {"RowsReset -1: at 0 Bof B", "CurrentChanged 0: at 0 Bof Eof B"}},
      {"Next and Prior on an empty view",
       [&] {
         t.SetFilter("Name = 'Z'");
         t.Next();
         t.Prior();
       },
       {"RowsReset -1: at -1 Bof Eof "}},
  };
  for (const auto& c : cases) {
    c.Do();
    EXPECT_EQ(o.Take(), c.Notices) << c.What;
  }
}

// A bound edit reloads on every notice; the post of a row that leaves the
// view used to tell of it while the cursor still stood past the last row.
TEST(Observers, APostTellsOfItsRowsOnceTheCursorIsInPlace) {
  TClientDataSet t("dsSnatch");
  DefineProtocol(t);
  t.SetIndexName("dsJerkIndex");
  t.SetFilter("Result > 10");
  t.SetFiltered(true);
  t.CreateDataSet();
  AppendRows(t, {{"A", 60.0, 30}, {"B", 61.0, 20}, {"C", 62.0, 15}});
  TReadingObserver o(t);
  t.Last();
  t.Edit();
  t.FieldByName("Result").SetAsInteger(5);
  o.Take();
  t.Post();
  EXPECT_EQ(o.Take(), (std::vector<std::string>{"RowRemoved 2: at 1 B", "StateChanged 1: at 1 B",
                                                "CurrentChanged 1: at 1 B"}));
}

TEST(Observers, LabelAndVisibilityChangesAndNewFieldsAreNotices) {
  TClientDataSet t("dsCompetitor");
  TRecordingObserver o(t);
  t.AddField("Name", TFieldType::ftString, 255);
  t.AddField("RankRef", TFieldType::ftInteger);
  EXPECT_EQ(o.Take(), (std::vector<std::string>{"FieldChanged -1", "FieldChanged -1"}));
  t.CreateDataSet();
  o.Take();
  TField& name = t.FieldByName("Name");
  TField& rank = t.FieldByName("RankRef");
  struct TCase {
    const char* What;
    std::function<void()> Do;
    std::vector<std::string> Notices;
  };
  const TCase cases[] = {
      {"a label", [&] { name.SetDisplayLabel(QString::fromUtf8("ФИО")); }, {"FieldChanged 0"}},
      {"the same label again", [&] { name.SetDisplayLabel(QString::fromUtf8("ФИО")); }, {}},
      {"back to the field name", [&] { name.SetDisplayLabel(""); }, {"FieldChanged 0"}},
      {"hidden", [&] { rank.SetVisible(false); }, {"FieldChanged 1"}},
      {"hidden again", [&] { rank.SetVisible(false); }, {}},
      {"shown again", [&] { rank.SetVisible(true); }, {"FieldChanged 1"}},
      {"while controls are disabled: the reset at the end covers it",
       [&] {
         t.DisableControls();
         name.SetDisplayLabel("Name");
         rank.SetVisible(false);
         t.EnableControls();
       },
       {"RowsReset -1"}},
  };
  for (const auto& c : cases) {
    c.Do();
    EXPECT_EQ(o.Take(), c.Notices) << c.What;
  }
  EXPECT_EQ(name.DisplayLabel(), "Name");
  EXPECT_FALSE(rank.Visible());
}

// ---- Pending input of the observers ----

// A control holding a typed text: it gives it to the Name field when asked,
// or refuses it with an error.
class THoldingObserver : public TRecordingObserver {
 public:
  using TRecordingObserver::TRecordingObserver;
  void WritePendingInput(TClientDataSet& t) override {
    ++Asked;
    Notices.push_back("WritePendingInput " + std::string(t.Modified() ? "modified" : "untouched"));
    if (!Refusal.isEmpty()) {
      throw Exception(Refusal);
    }
    if (!Held.isEmpty()) {
      t.FieldByName("Name").SetAsString(std::exchange(Held, {}));
    }
  }
  QString Held;
  QString Refusal;
  int Asked = 0;
};

TEST(PendingInput, EveryPostAsksTheObserversFirst) {
  TClientDataSet t("dsCompetitor");
  t.AddField("Name", TFieldType::ftString, 255);
  t.CreateDataSet();
  TClientDataSet register_("dsSnatch");
  register_.AddField("CompetitorRef", TFieldType::ftString, 255);
  TField& competitor = register_.AddLookupField("Competitor", 255, "CompetitorRef", &t, "Name", "Name");
  register_.CreateDataSet();
  THoldingObserver o(t);
  const std::pair<const char*, std::function<void()>> posts[] = {
      {"Post", [&] { t.Post(); }},
      {"First", [&] { t.First(); }},
      {"Next", [&] { t.Next(); }},
      {"RecNo", [&] { t.SetRecNo(1); }},
      {"Locate", [&] { t.Locate("Name", QVariant("zzz")); }},
      {"Filtered", [&] { t.SetFiltered(false); }},
      {"IndexFieldNames", [&] { t.SetIndexFieldNames(""); }},
      {"a save", [&] { t.SaveToBytes(); }},
      {"Insert", [&] { t.Insert(), t.Cancel(); }},
      {"Append", [&] { t.Append(), t.Cancel(); }},
      {"a lookup into the table", [&] { static_cast<void>(competitor.LookupList()); }},
  };
  int posted = 0;
  for (const auto& [name, post] : posts) {
    t.Append();
    o.Held = QString::fromUtf8(name);
    o.Take();
    post();
    EXPECT_EQ(o.Take().front(), "WritePendingInput untouched") << name;
    EXPECT_EQ(t.State(), TDataSetState::dsBrowse) << name;
    EXPECT_EQ(t.RecordCount(), ++posted) << name;
    EXPECT_TRUE(t.Locate("Name", QString::fromUtf8(name))) << name;
  }
  EXPECT_EQ(o.Asked, posted);
}

TEST(PendingInput, ARefusalStopsThePostAndReachesTheCaller) {
  TClientDataSet t("dsCompetitor");
  t.AddField("Name", TFieldType::ftString, 255);
  t.CreateDataSet();
  t.Append();
  t.FieldByName("Name").SetAsString("A");
  t.Post();
  int posts = 0;
  t.AfterPost = [&](TClientDataSet&) { ++posts; };
  THoldingObserver o(t);
  o.Refusal = "'x' is not a valid integer value for field 'Weight'";
  for (const auto& [state, start] :
       {std::pair{TDataSetState::dsEdit, std::function<void()>([&] { t.Edit(); })},
        {TDataSetState::dsInsert, [&] { t.Append(); }}}) {
    start();
    t.FieldByName("Name").SetAsString("B");
    EXPECT_EQ(MessageOf([&] { t.Post(); }), o.Refusal);
    EXPECT_EQ(MessageOf([&] { t.First(); }), o.Refusal);
    EXPECT_EQ(MessageOf([&] { t.SaveToBytes(); }), o.Refusal);
    EXPECT_EQ(t.State(), state);
    EXPECT_EQ(t.FieldByName("Name").AsString(), "B");
    t.Cancel();
  }
  EXPECT_EQ(posts, 0);
  EXPECT_EQ(t.VersionCount(), 1);
  EXPECT_EQ(t.RecordCount(), 1);
}

TEST(PendingInput, WhoIsAskedAndHowOften) {
  TClientDataSet t("dsSnatch");
  DefineProtocol(t);
  t.CreateDataSet();
  AppendRows(t, {{"A", 60.0, 30}});
  THoldingObserver o(t);
  THoldingObserver other(t);
  struct TCase {
    const char* What;
    std::function<void()> Do;
    int Asked;
  };
  const TCase cases[] = {
      {"a Post in browse state", [&] { t.Post(); }, 0},
      {"UpdateRecord in browse state", [&] { t.UpdateRecord(); }, 1},
      {"a Post while controls are disabled: they hold nothing of this row",
       [&] {
         t.DisableControls();
         t.Edit();
         t.Post();
         t.EnableControls();
       },
       0},
      // The written value's change handler posts from inside the write, as
      // the place renumbering does: nobody is asked a second time.
      {"a post from the change handler of a written value",
       [&] {
         t.FieldByName("Name").OnChange = [&](TField&) { t.Post(); };
         o.Held = "B";
         t.Edit();
         t.Post();
         t.FieldByName("Name").OnChange = nullptr;
       },
       1},
  };
  for (const auto& c : cases) {
    o.Asked = other.Asked = 0;
    c.Do();
    EXPECT_EQ(o.Asked, c.Asked) << c.What;
    EXPECT_EQ(other.Asked, c.Asked) << c.What;
    EXPECT_EQ(t.State(), TDataSetState::dsBrowse) << c.What;
  }
  EXPECT_EQ(Column(t, "Name"), QStringList{"B"});
  EXPECT_EQ(t.VersionCount(), 3);  // the row as appended, as edited under disabled controls, as written
}

// ---- The end of a table ----

TEST(Destruction, ObserversAndLookupClientsHearOfItAndLetGo) {
  auto ranks = std::make_unique<TClientDataSet>("dsRank");
  ranks->AddField("ID", TFieldType::ftInteger);
  ranks->AddField("Name", TFieldType::ftString, 50);
  ranks->CreateDataSet();
  ranks->Append();
  ranks->FieldByName("ID").SetAsInteger(2);
  ranks->FieldByName("Name").SetAsString("MS");
  ranks->Post();
  auto table = std::make_unique<TClientDataSet>("dsCompetitor");
  table->AddField("RankRef", TFieldType::ftInteger);
  TField& rank = table->AddLookupField("Rank", 50, "RankRef", ranks.get(), "ID", "Name");
  table->AddLookupField("RankAgain", 50, "RankRef", ranks.get(), "ID", "Name");
  table->CreateDataSet();
  table->Append();
  table->FieldByName("RankRef").SetAsInteger(2);
  table->Post();
  ASSERT_EQ(rank.AsString(), "MS");

  TRecordingObserver onRanks(*ranks);
  TRecordingObserver onTable(*table);
  // One that lets go of the table itself while hearing of its end.
  struct TLetGo : TDataSetObserver {
    void DataSetChanged(TClientDataSet&, TDataChange, int) override {}
    void DataSetDestroying(TClientDataSet& t) override { t.RemoveObserver(this), ++Heard; }
    int Heard = 0;
  } letGo;
  ranks->AddObserver(&letGo);
  ranks.reset();
  EXPECT_EQ(onRanks.Take(), std::vector<std::string>{"Destroying"});
  EXPECT_EQ(letGo.Heard, 1);
  EXPECT_EQ(onTable.Take(), std::vector<std::string>{"RowsReset -1"});
  EXPECT_EQ(rank.LookupDataSet(), nullptr);
  EXPECT_TRUE(rank.IsNull());
  EXPECT_TRUE(rank.LookupList().isEmpty());
  table->Edit();
  rank.SetAsString("MS");
  EXPECT_TRUE(table->FieldByName("RankRef").IsNull());
  table->Cancel();
  table.reset();
  EXPECT_EQ(onTable.Notices.back(), "Destroying");

  // A client that goes first is forgotten by its lookup table (the sanitizer
  // build catches the lookup table's end touching the freed client).
  auto sexes = std::make_unique<TClientDataSet>("dsSex");
  sexes->AddField("ID", TFieldType::ftInteger);
  sexes->CreateDataSet();
  table = std::make_unique<TClientDataSet>("dsCompetitor");
  table->AddField("SexRef", TFieldType::ftInteger);
  table->AddLookupField("Sex", 20, "SexRef", sexes.get(), "ID", "ID");
  table->AddLookupField("SexAgain", 20, "SexRef", sexes.get(), "ID", "ID");
  table.reset();
  sexes.reset();
}

TEST(GridView, DisplayTextAtRunsOnGetTextForThatRowWithoutMovingTheCursor) {
  TClientDataSet t("dsSnatch");
  DefineProtocol(t);
  t.CreateDataSet();
  AppendRows(t, {{"A", 60.0, 30}, {"B", 61.0, 20}, {"C", 62.0, 10}});
  const bool team[] = {true, false, true};
  t.First();
  for (bool atTeam : team) {
    t.Edit();
    t.FieldByName("Point").SetAsInteger(20);
    t.FieldByName("AtTheTeam").SetAsBoolean(atTeam);
    t.Next();
  }
  // The team-point mark: the handler reads another field of "the same row".
  t.FieldByName("Point").OnGetText = [](TField& f, QString& text, bool display) {
    if (display && !f.DataSet().FieldByName("AtTheTeam").AsBoolean()) {
      text = f.AsString() + QString::fromUtf8("(л)");
    }
  };
  t.SetRecNo(3);
  t.Edit();
  t.FieldByName("Point").Clear();  // the edit in progress is what the grid shows
  TField& point = t.FieldByName("Point");
  EXPECT_EQ(t.DisplayTextAt(0, point), "20");
  EXPECT_EQ(t.DisplayTextAt(1, point), QString::fromUtf8("20(л)"));
  EXPECT_EQ(t.DisplayTextAt(2, point), "");
  EXPECT_EQ(t.DisplayTextAt(3, point), "");  // no such row
  EXPECT_EQ(t.ValueAt(1, t.FieldByName("Name")), QVariant("B"));
  EXPECT_EQ(t.RecNo(), 3);
  EXPECT_EQ(t.State(), TDataSetState::dsEdit);
  EXPECT_EQ(point.DisplayText(), "");
}

TEST(GridView, MoveToViewRowFindsTheClickedRowAfterThePostMovesRows) {
  TClientDataSet t("dsSnatch");
  DefineProtocol(t);
  t.SetIndexName("dsJerkIndex");
  t.CreateDataSet();
  AppendRows(t, {{"A", 60.0, 30}, {"B", 61.0, 20}, {"C", 62.0, 10}});
  t.First();
  t.Edit();
  t.FieldByName("Result").SetAsInteger(5);  // A will sink to the bottom
  t.MoveToViewRow(1);                       // the user clicks B
  EXPECT_EQ(t.FieldByName("Name").AsString(), "B");
  EXPECT_EQ(t.CurrentViewRow(), 0);
}

// ---- Change log ----

TEST(ChangeLog, InsertChangeChangeDeleteInAnEmptyTable) {
  TClientDataSet t("dsOrganizer");
  t.AddField("Name", TFieldType::ftString, 255);
  t.CreateDataSet();
  t.Insert();
  t.FieldByName("Name").SetAsString("a");
  t.Post();
  for (const char* n : {"b", "c"}) {
    t.Edit();
    t.FieldByName("Name").SetAsString(n);
    t.Post();
  }
  t.Delete();
  EXPECT_EQ(t.ChangeLog(), (QVector<int>{1, 0, 4, 2, 1, 8, 3, 2, 8, 3, 0, 2}));
  ASSERT_EQ(t.VersionCount(), 3);
  EXPECT_EQ(t.RowStateOfVersion(1), 5);
  EXPECT_EQ(t.RowStateOfVersion(2), 13);
  EXPECT_EQ(t.RowStateOfVersion(3), 14);
  EXPECT_TRUE(t.ContentChanged());
}

}  // namespace
