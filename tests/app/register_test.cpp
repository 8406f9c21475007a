// The registration tab: the register's field rules and new rows, the insert
// guards of the tabs, the register grid's keys, the table copy, the save
// buttons and what showing the tab resets.
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>

#include "app/main_window.h"
#include "platform/widgets/data_check_box.h"
#include "platform/widgets/data_edit.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/data_navigator.h"
#include "tests/app/register_files.h"
#include "tests/app/window_fixture.h"
#include "tests/support/test_sandbox.h"

namespace app_test {
namespace {

using Register = WindowTest;

// ---- Field rules ----

struct TValidateCase {
  const char* What;
  bool English;
  bool Stream;  // the streams tab's list instead of the register
  const char* Field;
  const char* Text;
  const char* Error;  // empty: accepted
};

TEST_F(Register, EmptyValuesAndOversizedWeightsAreRefusedWithTheFieldsLabel) {
  WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {{"Иванов"}});
  const TValidateCase cases[] = {
      {"empty name", false, false, "Name", "", "Не допускается пустое значение поля \"ФИО\""},
      {"three blanks", false, false, "Name", "   ", "Не допускается пустое значение поля \"ФИО\""},
      {"control characters", false, false, "Name", "\t\r\n ", "Не допускается пустое значение поля \"ФИО\""},
      {"blanks around a name", false, false, "Name", "  Петров ", ""},
      {"no birthday", false, false, "Birthday", "", "Не допускается пустое значение поля \"Дата рождения\""},
      {"no weight", false, false, "Weight", "", "Не допускается пустое значение поля \"Вес\""},
      {"no sex", false, false, "Sex", "", "Не допускается пустое значение поля \"Пол\""},
      {"a sex", false, false, "Sex", "Ж", ""},
      {"999.4 rounds to 999", false, false, "Weight", "999,4", ""},
      {"999.5 rounds to 1000", false, false, "Weight", "999,5", "Не допустимое значение"},
      {"1000", false, false, "Weight", "1000", "Не допустимое значение"},
      {"English empty name", true, false, "Name", "", "Field is null \"Name\""},
      {"English no birthday", true, false, "Birthday", "", "Field is null \"Date of Birth\""},
      {"English weight", true, false, "Weight", "1200", "Invalid value"},
      {"stream list empty name", false, true, "Name", " ", "Не допускается пустое значение поля \"ФИО\""},
      {"stream list empty weight", false, true, "Weight", "", "Не допускается пустое значение поля \"Вес\""},
      {"stream list weight has no bound", false, true, "Weight", "1200", ""},
  };
  for (const TValidateCase& c : cases) {
    auto window = Start();
    // The language of the last window comes back from the settings file.
    (c.English ? window->miLanguage_EN : window->miLanguage_RU)->trigger();
    TClientDataSet& table = c.Stream ? window->dsCompetitorStream : window->dsCompetitor;
    if (c.Stream) {
      table.CreateDataSet();
      table.Append();
      table.FieldByName("Name").SetAsString("Иванов");
      table.FieldByName("Weight").SetAsFloat(70);
      table.Post();
    }
    table.First();
    table.Edit();
    TField& field = table.FieldByName(c.Field);
    const QString before = field.AsString();
    Dialogs.Errors.clear();
    RunGuarded([&] { field.SetText(QString::fromUtf8(c.Text)); });
    const QString error = QString::fromUtf8(c.Error);
    if (error.isEmpty()) {
      EXPECT_TRUE(Dialogs.Errors.isEmpty()) << c.What << ": " << Errors(Dialogs);
      EXPECT_EQ(field.AsString(), QString::fromUtf8(c.Text)) << c.What;
    } else {
      EXPECT_EQ(Dialogs.Errors, QStringList{error}) << c.What;
      EXPECT_EQ(field.AsString(), before) << c.What;
    }
    table.Cancel();
    window.reset();
  }
}

TEST_F(Register, ClearingTheNameInItsBoxIsRefusedAndTheOldNameComesBack) {
  WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {{"Иванов"}});
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->edName);
  Focus(window->edName);
  window->edName->selectAll();
  QTest::keyClick(window->edName, Qt::Key_Backspace);
  Focus(window->edPassport);
  EXPECT_EQ(Dialogs.Errors, QStringList{kRefused + "\"ФИО\""});
  EXPECT_EQ(window->dsCompetitor.FieldByName("Name").AsString(), "Иванов");
  EXPECT_EQ(window->edName->text(), "Иванов");
}

struct TMeasuredCase {
  const char* Typed;
  double RealWeight;
  double Weight;
  const char* Error;
};

TEST_F(Register, MeasuredWeightBecomesTheBodyWeightWithinItsBound) {
  const TMeasuredCase cases[] = {
      {"72,5", 72.5, 72.5, ""},
      {"", 0, 0, ""},
      {"1200", 1200, 60, "Не допустимое значение"},
  };
  for (const TMeasuredCase& c : cases) {
    WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {{"Иванов", 1, "01.02.1990", 60}});
    auto window = Start();
    TClientDataSet& table = window->dsCompetitor;
    table.First();
    table.Edit();
    table.FieldByName("RealWeight").SetAsFloat(61);
    table.FieldByName("Weight").SetAsFloat(60);
    Dialogs.Errors.clear();
    RunGuarded([&] { table.FieldByName("RealWeight").SetText(QString::fromLatin1(c.Typed)); });
    EXPECT_EQ(table.FieldByName("RealWeight").AsFloat(), c.RealWeight) << c.Typed;
    EXPECT_EQ(table.FieldByName("RealWeight").IsNull(), QString(c.Typed).isEmpty()) << c.Typed;
    EXPECT_EQ(table.FieldByName("Weight").AsFloat(), c.Weight) << c.Typed;
    EXPECT_FALSE(table.FieldByName("Weight").IsNull()) << c.Typed;
    EXPECT_EQ(Dialogs.Errors,
              QString(c.Error).isEmpty() ? QStringList{} : QStringList{QString::fromUtf8(c.Error)})
        << c.Typed;
    table.Cancel();
    window.reset();
  }
}

TEST_F(Register, NewRowStartsInTheTeamAndInNoDisciplineAndPostsWithoutAName) {
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->edName);
  auto* insert = Find<QToolButton>(*window, "dbnvgrCompetitor_insert");
  auto* post = Find<QToolButton>(*window, "dbnvgrCompetitor_post");
  ASSERT_NE(insert, nullptr);
  ASSERT_NE(post, nullptr);
  QTest::mouseClick(insert, Qt::LeftButton);
  TClientDataSet& table = window->dsCompetitor;
  ASSERT_EQ(table.State(), TDataSetState::dsInsert);
  EXPECT_FALSE(window->edSnatch->isChecked());
  EXPECT_FALSE(window->edBiathlon->isChecked());
  EXPECT_FALSE(window->edLongCycle->isChecked());
  EXPECT_TRUE(window->edAtTheTeam->isChecked());
  for (const char* name : {"Snatch", "Biathlon", "LongCycle", "AtTheTeam"}) {
    EXPECT_FALSE(table.FieldByName(name).IsNull()) << name;
  }
  for (const char* name :
       {"Name", "Passport", "Birthday", "RankRef", "Team", "Trainer", "Weight", "SexRef", "RealWeight",
        "BestResSnatch", "BestResLongCycle", "BestResBiathlon", "BestResJerk"}) {
    EXPECT_TRUE(table.FieldByName(name).IsNull()) << name;
  }
  QTest::mouseClick(post, Qt::LeftButton);
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(table.RecordCount(), 1);
  EXPECT_TRUE(table.FieldByName("Name").IsNull());
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

// ---- Insert guards ----

struct TGuardCase {
  const char* Grid;
  const char* Page;  // the main page shown
  bool Refused;
};

TEST_F(Register, RowsAppendedBelowAGridsLastRowAreRefusedOnTheGuardedTabs) {
  const TGuardCase cases[] = {
      {"grWeight", "tbshWeight", true},        {"grCompetitor", "tbshCredentialsCommittee", false},
      {"grSnatch", "tbshCompetition", true},   {"grLongCycle", "tbshCompetition", true},
      {"grBiathlon", "tbshCompetition", true}, {"grRelayRace", "tbshRelayRace", true},
  };
  for (const TGuardCase& c : cases) {
    WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {{"Иванов"}});
    auto window = Start();
    for (TClientDataSet* protocol :
         {&window->dsSnatch, &window->dsLongCycle, &window->dsBiathlon, &window->dsRelayRace}) {
      protocol->CreateDataSet();
    }
    ShowActive(*window);
    auto* grid = Find<TDataGrid>(*window, c.Grid);
    ASSERT_NE(grid, nullptr);
    ShowPageOf(grid);
    ASSERT_EQ(window->pcMain->currentWidget(), Find<QWidget>(*window, c.Page)) << c.Grid;
    TClientDataSet& table = *grid->DataSet();
    const int rows = table.ViewRowCount();
    Focus(grid);
    table.Last();
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(table.State(), c.Refused ? TDataSetState::dsBrowse : TDataSetState::dsInsert) << c.Grid;
    EXPECT_EQ(table.ViewRowCount(), c.Refused ? rows : rows + 1) << c.Grid;
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << c.Grid << ": " << Errors(Dialogs);
    table.Cancel();
    window->hide();
    window.reset();
  }
}

TEST_F(Register, GuardsLetInsertsThroughElsewhereExceptTheRelays) {
  auto window = Start();
  for (TClientDataSet* protocol :
       {&window->dsSnatch, &window->dsLongCycle, &window->dsBiathlon, &window->dsRelayRace}) {
    protocol->CreateDataSet();
  }
  ShowActive(*window);
  ShowPageOf(window->tbshCredentialsCommittee);
  for (TClientDataSet* allowed :
       {&window->dsCompetitor, &window->dsSnatch, &window->dsLongCycle, &window->dsBiathlon}) {
    allowed->Insert();
    EXPECT_EQ(allowed->State(), TDataSetState::dsInsert) << allowed->Name().toStdString();
    allowed->Cancel();
  }
  EXPECT_THROW(window->dsRelayRace.Insert(), EAbort);
  EXPECT_EQ(window->dsRelayRace.State(), TDataSetState::dsBrowse);
  ShowPageOf(window->tbshWeight);
  EXPECT_THROW(window->dsCompetitor.Append(), EAbort);
  EXPECT_EQ(window->dsCompetitor.RecordCount(), 0);
}

// ---- The register grid's keys ----

// Up and Down go to the next row from the rank's list cell as from any other
// cell: the rank stays as it was (КМС did become I). The list opens with
// Alt+Down, and inside it the arrows choose.
TEST_F(Register, UpAndDownLeaveTheRankCellWithoutChangingTheRank) {
  struct TCase {
    const char* What;
    const char* Keys;  // after the rank cell of the row is made current
    int Row;
    int RowAfter;
    QStringList Ranks;
  };
  const TCase cases[] = {
      {"F2, Down", "F2 Down", 0, 1, {"КМС", "МС", "I"}},
      {"F2, Up", "F2 Up", 2, 1, {"КМС", "МС", "I"}},
      {"F2, Down, Down", "F2 Down Down", 0, 2, {"КМС", "МС", "I"}},
      {"F2, the list opened, Down in it, Return", "F2 Alt+Down Down Return", 0, 0, {"I", "МС", "I"}},
      {"F2, the list opened and chosen from, then Down",
       "F2 Alt+Down Down Return Down",
       0,
       1,
       {"I", "МС", "I"}},
  };
  const QMap<QString, std::pair<Qt::Key, Qt::KeyboardModifiers>> keys = {
      {"F2", {Qt::Key_F2, Qt::NoModifier}},         {"Down", {Qt::Key_Down, Qt::NoModifier}},
      {"Up", {Qt::Key_Up, Qt::NoModifier}},         {"Alt+Down", {Qt::Key_Down, Qt::AltModifier}},
      {"Return", {Qt::Key_Return, Qt::NoModifier}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml",
                {{"Иванов", 1, "01.02.1990", 70, "", "", "", 3},
                 {"Петров", 1, "01.02.1990", 70, "", "", "", 2},
                 {"Сидоров", 1, "01.02.1990", 70, "", "", "", 4}});
    auto window = Start();
    ShowActive(*window);
    TDataGrid& grid = *window->grCompetitor;
    ShowPageOf(&grid);
    Focus(&grid);
    const int rank = grid.ColumnPosition(QStringLiteral("Rank"));
    grid.setCurrentIndex(grid.model()->index(c.Row, grid.horizontalHeader()->logicalIndex(rank)));
    for (const QString& key : QString::fromLatin1(c.Keys).split(u' ')) {
      QTest::keyClick(QApplication::focusWidget(), keys[key].first, keys[key].second);
      QApplication::processEvents();
    }
    EXPECT_EQ(ViewTexts(window->dsCompetitor, "Rank"), c.Ranks);
    EXPECT_EQ(window->dsCompetitor.CurrentViewRow(), c.RowAfter);
    EXPECT_EQ(grid.currentIndex().row(), c.RowAfter);
    EXPECT_EQ(grid.currentIndex().column(), grid.horizontalHeader()->logicalIndex(rank));
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
    window->dsCompetitor.Cancel();
    window.reset();
  }
}

// ---- The table copy ----

TEST_F(Register, CopyTakesTheSourcesViewAndLeavesItAtItsEnd) {
  WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml",
              {{"Анна", 0, "01.01.2000", 55},
               {"Борис", 1, "01.01.2001", 81},
               {"Вера", 0, "01.01.2002", 63},
               {"Глеб", 1, "01.01.2003", 73}});
  auto window = Start();
  TClientDataSet& source = window->dsCompetitor;
  TClientDataSet& dest = window->dsSnatch;
  dest.CreateDataSet();
  source.SetFilter("SexRef=1");
  source.SetFiltered(true);
  window->CopyAllRecords(source, dest);
  EXPECT_TRUE(source.Eof());
  EXPECT_EQ(dest.State(), TDataSetState::dsBrowse);
  // The protocol lists them by body weight.
  EXPECT_EQ(ViewTexts(dest, "Name"), (QStringList{"Глеб", "Борис"}));
  EXPECT_EQ(ViewTexts(dest, "Birthday"), (QStringList{"01.01.2003", "01.01.2001"}));

  // The competition tab refuses the copy until its guard is detached.
  ShowActive(*window);
  ShowPageOf(window->tbshCompetition);
  dest.CreateDataSet();
  EXPECT_THROW(window->CopyAllRecords(source, dest), EAbort);
  EXPECT_EQ(dest.RecordCount(), 0);
}

TEST_F(Register, CopyStopsAtARefusedValueAndLeavesNoHalfRow) {
  WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {});
  WritePeople(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml",
              {{"Анна", 0, "01.01.2000", 55}, {"Борис", 1, "", 81}, {"Вера", 0, "01.01.2002", 63}});
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->tbshCredentialsCommittee);
  try {
    window->CopyAllRecords(window->dsCompetitorHB, window->dsCompetitor);
    ADD_FAILURE() << "the row without a birthday was copied";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), kRefused + "\"Дата рождения\"");
  }
  EXPECT_EQ(window->dsCompetitor.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(ViewTexts(window->dsCompetitor, "Name"), QStringList{"Анна"});
}

// ---- Save buttons ----

struct TSaveCase {
  const char* Button;
  TClientDataSet TCompetitionTables::*Table;
  const char* File;
  const char* Field;
  int Value;  // for the integer fields; texts get "Новый"
};

const TSaveCase kSaveCases[] = {
    {"btnSaveNormative", &TCompetitionTables::dsNormative, "Normative.xml", "Discipline", 0},
    {"btnSaveManWeight", &TCompetitionTables::dsManWeight, "ManWeight.xml", "Weight", 150},
    {"btnSaveWomanWeight", &TCompetitionTables::dsWomanWeight, "WomanWeight.xml", "Weight", 150},
    {"btnSaveRefereePM", &TCompetitionTables::dsRefereePlatformMain, "RefereePlatformMain.xml", "Name", 0},
    {"btnSaveRefereeP", &TCompetitionTables::dsRefereePlatform, "RefereePlatform.xml", "Name", 0},
    {"btnSaveOrganizator", &TCompetitionTables::dsOrganizer, "Organizer.xml", "Name", 0},
    {"btnSaveCompetitorWeight", &TCompetitionTables::dsCompetitor, "Competitor.xml", "Name", 0},
};

TEST_F(Register, SaveButtonsPostAndWriteTheirTableToItsOwnFile) {
  for (const TSaveCase& c : kSaveCases) {
    auto window = Start();
    TClientDataSet& table = window->Tables().*c.Table;
    TField& field = table.FieldByName(c.Field);
    const QString value = c.Value != 0 ? QString::number(c.Value) : QStringLiteral("Новый");
    table.Append();
    field.SetAsString(value);
    auto* button = Find<QToolButton>(*window, c.Button);
    ASSERT_NE(button, nullptr);
    button->click();
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse) << c.Button;
    EXPECT_TRUE(ReadRows(c.Table, QString::fromLatin1(c.File), {c.Field}).contains(value)) << c.Button;
    EXPECT_FALSE(table.ContentChanged()) << c.Button;
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << c.Button << ": " << Errors(Dialogs);
    window.reset();
  }
}

TEST_F(Register, SaveButtonsOfClosedTablesWriteNothing) {
  for (const TSaveCase& c : kSaveCases) {
    auto window = Start();
    (window->Tables().*c.Table).Close();
    const auto before = Snapshot();
    Find<QToolButton>(*window, c.Button)->click();
    const auto after = Snapshot();
    EXPECT_EQ(after.value(QString::fromLatin1(c.File)), before.value(QString::fromLatin1(c.File)))
        << c.Button;
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << c.Button << ": " << Errors(Dialogs);
    window.reset();
  }
}

TEST_F(Register, OrganisersSaveTakesTheOpenCellAndTheSettings) {
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->grOrganizer);
  window->edCity->setText("Тула");
  Focus(window->grOrganizer);
  QTest::keyClick(window->grOrganizer, Qt::Key_Insert);
  Type("Федерация");
  ASSERT_TRUE(window->grOrganizer->EditorOpen());
  QTest::mouseClick(window->btnSaveOrganizator, Qt::LeftButton);
  EXPECT_EQ(ReadRows(&TCompetitionTables::dsOrganizer, "Organizer.xml", {"Name"}), QStringList{"Федерация"});
  EXPECT_TRUE(ReadIni("Tyazhar.ini").contains("City=Тула")) << ReadIni("Tyazhar.ini").toStdString();
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

TEST_F(Register, OrganisersSaveWithoutADataFolderDoesNothing) {
  QDir(testing_sandbox::Folder() + "/data").removeRecursively();
  auto window = Start();
  ASSERT_EQ(Dialogs.Errors.size(), 1);
  window->btnSaveOrganizator->click();
  EXPECT_EQ(Dialogs.Errors.size(), 1) << Errors(Dialogs);
  EXPECT_FALSE(QDir(testing_sandbox::Folder() + "/data").exists());
}

// ---- Showing the tab ----

struct TShowCase {
  bool Biathlon;
  bool Snatch;
  bool LongCycle;
};

TEST_F(Register, ShowingTheTabShowsTheWholeRegisterAndTheDisciplinesHeld) {
  WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml",
              {{"Борис", 1, "01.01.2001", 81}, {"Анна", 0, "01.01.2000", 55}});
  const TShowCase cases[] = {
      {true, true, true}, {false, true, false}, {true, false, true}, {false, false, false}};
  auto window = Start();
  ShowActive(*window);
  TClientDataSet& table = window->dsCompetitor;
  for (const TShowCase& c : cases) {
    ShowPageOf(window->tbshWeight);
    table.SetIndexName("dsCompetitorIndexWeight");
    table.SetFilter("SexRef=0");
    table.SetFiltered(true);
    window->cbBiathlon->setChecked(c.Biathlon);
    window->cbSnatch->setChecked(c.Snatch);
    window->cbLongCycle->setChecked(c.LongCycle);
    ShowPageOf(window->tbshCredentialsCommittee);
    EXPECT_FALSE(table.Filtered());
    EXPECT_TRUE(table.Filter().isEmpty());
    EXPECT_TRUE(table.IndexName().isEmpty());
    EXPECT_EQ(ViewTexts(table, "Name"), (QStringList{"Борис", "Анна"}));
    EXPECT_EQ(window->edBiathlon->isVisible(), c.Biathlon);
    EXPECT_EQ(window->edSnatch->isVisible(), c.Snatch);
    EXPECT_EQ(window->edLongCycle->isVisible(), c.LongCycle);
  }
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

}  // namespace
}  // namespace app_test
