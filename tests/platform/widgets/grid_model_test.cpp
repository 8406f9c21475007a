#include <gtest/gtest.h>

#include <QSignalSpy>
#include <functional>

#include "platform/widgets/data_grid_model.h"
#include "tests/platform/widgets/widget_fixtures.h"

namespace {

using namespace widgets_test;

// Model column of each default column of the competitor table.
enum { colName, colWeight, colRank, colTeam, colAtTheTeam };

class GridModel : public ::testing::Test {
 protected:
  void SetUp() override {
    FillLookup(ranks, {{0, ""}, {1, "ЗМС"}, {2, "МС"}, {3, "КМС"}});
    DefineCompetitors(table, &ranks);
    table.CreateDataSet();
    AppendCompetitors(
        table,
        {{"Иванов", 72.5, 2, "Динамо"}, {"Петров", 68.0, 3, "Спартак"}, {"Сидоров", 85.0, 1, "Динамо"}});
    model.SetDataSet(&table);
    tester = WatchModel(&model);
  }

  void ExpectModelShowsView(const char* step) {
    ASSERT_EQ(model.rowCount(), table.ViewRowCount()) << step;
    EXPECT_EQ(ModelColumn(model, colName), ViewTexts(table, "Name")) << step;
    EXPECT_EQ(ModelColumn(model, colWeight), ViewTexts(table, "Weight")) << step;
    EXPECT_EQ(ModelColumn(model, colRank), ViewTexts(table, "Rank")) << step;
  }

  TClientDataSet ranks{"dsRank"};
  TClientDataSet table{"dsCompetitor"};
  TDataGridModel model;
  std::unique_ptr<QAbstractItemModelTester> tester;
};

struct TStep {
  const char* What;
  std::function<void(TClientDataSet&)> Do;
};

TEST_F(GridModel, RowsFollowEveryChangeOfTheTable) {
  const TStep steps[] = {
      {"append",
       [](TClientDataSet& t) {
         t.Append();
         t.FieldByName("Name").SetAsString("Козлов");
         t.Post();
       }},
      {"insert before the second row",
       [](TClientDataSet& t) {
         t.SetRecNo(2);
         t.Insert();
         t.FieldByName("Name").SetAsString("Орлов");
         t.FieldByName("RankRef").SetAsInteger(1);
         t.Post();
       }},
      {"a pending insert is a row of the view", [](TClientDataSet& t) { t.Insert(); }},
      {"a value typed into the pending row",
       [](TClientDataSet& t) { t.FieldByName("Name").SetAsString("Новиков"); }},
      {"cancelling the insert", [](TClientDataSet& t) { t.Cancel(); }},
      {"editing a value",
       [](TClientDataSet& t) {
         t.Last();
         t.Edit();
         t.FieldByName("Weight").SetAsFloat(90.5);
         t.Post();
       }},
      {"deleting the first row",
       [](TClientDataSet& t) {
         t.First();
         t.Delete();
       }},
      {"filtering",
       [](TClientDataSet& t) {
         t.SetFilter("Weight > 70");
         t.SetFiltered(true);
       }},
      {"a post that takes the row out of the filtered view",
       [](TClientDataSet& t) {
         t.First();
         t.Edit();
         t.FieldByName("Weight").SetAsFloat(60);
         t.Post();
       }},
      {"filter off", [](TClientDataSet& t) { t.SetFiltered(false); }},
      {"ordering by an index", [](TClientDataSet& t) { t.SetIndexFieldNames("Weight"); }},
      {"a post that moves the row under the index",
       [](TClientDataSet& t) {
         t.Last();
         t.Edit();
         t.FieldByName("Weight").SetAsFloat(1);
         t.Post();
       }},
      {"an insert posted to its place under the index",
       [](TClientDataSet& t) {
         t.First();
         t.Insert();
         t.FieldByName("Name").SetAsString("Лебедев");
         t.FieldByName("Weight").SetAsFloat(75);
         t.Post();
       }},
      {"back to the natural order", [](TClientDataSet& t) { t.SetIndexFieldNames(""); }},
  };
  ExpectModelShowsView("start");
  for (const auto& step : steps) {
    step.Do(table);
    ExpectModelShowsView(step.What);
  }
}

TEST_F(GridModel, MarksTheCurrentRowWithTheTableState) {
  const auto mark = [&](int row) { return model.headerData(row, Qt::Vertical).toString(); };
  table.SetRecNo(2);
  EXPECT_EQ(mark(0), "");
  EXPECT_EQ(mark(1), QString::fromUtf8("\u25B6"));
  table.Edit();
  EXPECT_EQ(mark(1), "I");
  table.Cancel();
  table.Insert();
  EXPECT_EQ(mark(1), "*");
  EXPECT_EQ(mark(2), "");
}

TEST_F(GridModel, ShowsVisibleFieldsUnlessAColumnListNamesOthers) {
  EXPECT_EQ(Titles(model), (QStringList{"Name", "Weight", "Rank", "Team", "AtTheTeam"}));

  table.FieldByName("Name").SetDisplayLabel(QString::fromUtf8("ФИО"));
  QSignalSpy titlesChanged(&model, &QAbstractItemModel::headerDataChanged);
  model.RefreshTitles();
  EXPECT_EQ(titlesChanged.count(), 1);
  EXPECT_EQ(model.headerData(colName, Qt::Horizontal).toString(), QString::fromUtf8("ФИО"));

  TDataColumn hidden;
  hidden.FieldName = "RankRef";
  TDataColumn titled;
  titled.FieldName = "Team";
  titled.Title = "Club";
  TDataColumn missing;
  missing.FieldName = "Coach";
  model.SetColumns({hidden, titled, missing});
  EXPECT_EQ(Titles(model), (QStringList{"RankRef", "Club", "Coach"}));
  EXPECT_EQ(ModelColumn(model, 0), (QStringList{"2", "3", "1"}));
  EXPECT_EQ(ModelColumn(model, 2), (QStringList{"", "", ""}));
  EXPECT_FALSE(model.flags(model.index(0, 2)) & Qt::ItemIsEditable);

  // Clearing the list brings back the visible fields; adding to it starts a
  // list of its own.
  model.ClearColumns();
  EXPECT_EQ(model.columnCount(), 5);
  model.AddColumn(titled);
  EXPECT_EQ(Titles(model), QStringList{"Club"});
}

TEST_F(GridModel, TitlesFollowTheLabelsAndDefaultColumnsTheVisibility) {
  QSignalSpy titles(&model, &QAbstractItemModel::headerDataChanged);
  QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
  table.FieldByName("Name").SetDisplayLabel(QString::fromUtf8("ФИО"));
  EXPECT_EQ(Titles(model), (QStringList{"ФИО", "Weight", "Rank", "Team", "AtTheTeam"}));
  EXPECT_GE(titles.count(), 1);

  table.FieldByName("RankRef").SetVisible(true);
  EXPECT_EQ(Titles(model), (QStringList{"ФИО", "Weight", "RankRef", "Rank", "Team", "AtTheTeam"}));
  EXPECT_EQ(ModelColumn(model, 2), (QStringList{"2", "3", "1"}));
  table.FieldByName("Rank").SetVisible(false);
  table.FieldByName("Weight").SetVisible(false);
  EXPECT_EQ(Titles(model), (QStringList{"ФИО", "RankRef", "Team", "AtTheTeam"}));
  EXPECT_EQ(ModelColumn(model, 2), ViewTexts(table, "Team"));

  // A lookup column shown again is read in, and follows its table again.
  table.FieldByName("Rank").SetVisible(true);
  EXPECT_EQ(ModelColumn(model, 2), (QStringList{"МС", "КМС", "ЗМС"}));
  ASSERT_TRUE(ranks.Locate("ID", 3));
  ranks.Edit();
  ranks.FieldByName("Name").SetAsString("KMS");
  ranks.Post();
  RunEventLoop();
  EXPECT_EQ(ModelColumn(model, 2), (QStringList{"МС", "KMS", "ЗМС"}));
  EXPECT_EQ(reset.count(), 0);

  // A column list shows its fields whatever their visibility, titled by
  // their labels unless it titles them itself.
  TDataColumn rankRef;
  rankRef.FieldName = "RankRef";
  TDataColumn team;
  team.FieldName = "Team";
  TDataColumn titled;
  titled.FieldName = "Name";
  titled.Title = "Athlete";
  model.SetColumns({rankRef, team, titled});
  table.FieldByName("RankRef").SetVisible(false);
  table.FieldByName("Team").SetDisplayLabel("Club");
  table.FieldByName("Name").SetDisplayLabel("Name");
  EXPECT_EQ(Titles(model), (QStringList{"RankRef", "Club", "Athlete"}));
  EXPECT_EQ(ModelColumn(model, 0), (QStringList{"2", "3", "1"}));
}

TEST_F(GridModel, LookupColumnsFollowTheLookupTable) {
  EXPECT_EQ(ModelColumn(model, colRank), (QStringList{"МС", "КМС", "ЗМС"}));
  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);

  // Relabelling a rank, as a language switch does, tells our table nothing.
  ASSERT_TRUE(ranks.Locate("ID", 2));
  ranks.Edit();
  ranks.FieldByName("Name").SetAsString("MS");
  ranks.Post();
  RunEventLoop();
  EXPECT_GE(changed.count(), 1);
  EXPECT_EQ(ModelColumn(model, colRank), (QStringList{"MS", "КМС", "ЗМС"}));

  // A rank left pending, as the rank fill leaves its last one, is posted by
  // the first lookup read: the model reads through that without losing step.
  ranks.Insert();
  ranks.FieldByName("ID").SetAsInteger(9);
  ranks.FieldByName("Name").SetAsString("IIIю");
  table.First();
  table.Edit();
  table.FieldByName("RankRef").SetAsInteger(9);
  table.Post();
  RunEventLoop();
  EXPECT_EQ(ranks.State(), TDataSetState::dsBrowse);
  ExpectModelShowsView("after the lookup table's pending row");
  EXPECT_EQ(model.index(0, colRank).data().toString(), QString::fromUtf8("IIIю"));
}

TEST_F(GridModel, SeesNothingWhileControlsAreDisabledAndResetsOnceAtTheLastEnable) {
  const QStringList before = ModelColumn(model, colName);
  QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
  QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
  QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
  QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

  table.DisableControls();
  table.DisableControls();
  for (const char* name : {"Козлов", "Орлов", "Лебедев"}) {
    table.Append();
    table.FieldByName("Name").SetAsString(QString::fromUtf8(name));
    table.Post();
  }
  table.First();
  table.Delete();
  table.Edit();
  table.FieldByName("Name").SetAsString("Петров-Водкин");
  table.Post();
  table.SetFilter("Weight > 70");
  table.SetFiltered(true);

  // The views still see the rows they were told about, whatever the table
  // holds by now.
  EXPECT_EQ(model.rowCount(), 3);
  EXPECT_EQ(ModelColumn(model, colName), before);
  table.EnableControls();
  EXPECT_EQ(reset.count(), 0);
  EXPECT_EQ(ModelColumn(model, colName), before);

  table.EnableControls();
  EXPECT_EQ(reset.count(), 1);
  EXPECT_EQ(inserted.count() + removed.count() + changed.count(), 0);
  ExpectModelShowsView("after EnableControls");
}

// A reset reads no row: a view of thousands of rows is read as far as the
// views show it, each row once until it changes. A row the views have not
// asked for yet is not read while the table walks with its controls
// disabled, only once they are back.
TEST_F(GridModel, ReadsARowOnlyWhenAViewAsksForIt) {
  QStringList read;
  table.FieldByName("Name").OnGetText = [&](TField& field, QString&, bool displayText) {
    if (displayText) {
      read << field.AsString();
    }
  };
  table.Close();
  table.CreateDataSet();
  table.DisableControls();
  for (int i = 0; i < 1000; ++i) {
    table.Append();
    table.FieldByName("Name").SetAsString(QStringLiteral("N%1").arg(i));
    table.FieldByName("Weight").SetAsFloat(60 + i % 40);
    table.Post();
  }
  table.EnableControls();
  read.clear();
  table.SetFilter("Weight >= 60");
  table.SetFiltered(true);
  ASSERT_EQ(model.rowCount(), 1000);
  EXPECT_LT(read.size(), 5) << "a reset read " << read.size() << " rows";

  read.clear();
  EXPECT_EQ(model.index(500, colName).data().toString(), "N500");
  EXPECT_EQ(model.index(500, colWeight).data().toString(),
            table.DisplayTextAt(500, table.FieldByName("Weight")));
  EXPECT_EQ(read, QStringList{"N500"});
  table.SetRecNo(501);
  table.Edit();
  table.FieldByName("Name").SetAsString("Changed");
  table.Post();
  read.clear();
  EXPECT_EQ(model.index(500, colName).data().toString(), "Changed");
  EXPECT_EQ(model.index(501, colName).data().toString(), "N501");
  EXPECT_EQ(read, (QStringList{"Changed", "N501"}));

  table.DisableControls();
  table.SetRecNo(700);
  table.Delete();
  read.clear();
  model.index(700, colName).data();
  EXPECT_EQ(model.index(500, colName).data().toString(), "Changed");
  EXPECT_TRUE(read.isEmpty());
  table.EnableControls();
  EXPECT_EQ(model.index(700, colName).data().toString(), "N701");
}

TEST_F(GridModel, ColumnsComeAndGoWithTheFieldsOfALoadedPacket) {
  const QByteArray packet = table.SaveToBytes();

  // A table without fields of its own takes those of the packet it loads.
  TClientDataSet loose("dsTeamProtocol");
  TDataGridModel looseModel;
  looseModel.SetDataSet(&loose);
  const auto looseTester = WatchModel(&looseModel);
  EXPECT_EQ(looseModel.columnCount(), 0);
  loose.LoadFromBytes(packet);
  EXPECT_EQ(Titles(looseModel), (QStringList{"Name", "Weight", "RankRef", "Team", "AtTheTeam"}));
  EXPECT_EQ(ModelColumn(looseModel, 0), ViewTexts(table, "Name"));
  loose.Close();
  EXPECT_EQ(looseModel.rowCount(), 0);
  EXPECT_EQ(looseModel.columnCount(), 0);

  // Fields added to a closed table show once it is created.
  loose.AddField("Position", TFieldType::ftString, 20);
  loose.AddField("Point", TFieldType::ftInteger);
  loose.CreateDataSet();
  EXPECT_EQ(Titles(looseModel), (QStringList{"Position", "Point"}));
}

}  // namespace
