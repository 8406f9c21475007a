// Closing the window merges the whole register, whatever a tab shows of it,
// into the whole competitor handbook by name, sex and birthday, ignoring
// letter case; a refused value keeps the window open; a row that cannot be
// posted costs only itself; a data folder removed under the running window
// gets every open table back.
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QToolButton>

#include "app/frames/stream_frame.h"
#include "platform/core/format_settings.h"
#include "platform/widgets/data_edit.h"
#include "platform/widgets/data_grid.h"
#include "tests/app/window_fixture.h"
#include "tests/support/test_sandbox.h"

namespace app_test {
namespace {

struct TPerson {
  const char* Name;
  int Sex;               // none when negative
  const char* Birthday;  // dd.MM.yyyy, or empty
  const char* Team;
  double Weight = 0;
};

void WritePeople(TClientDataSet TCompetitionTables::*table, const QString& fileName,
                 const QList<TPerson>& people) {
  TCompetitionTables tables;
  WriteTable(tables.*table, fileName, [&](TClientDataSet& t) {
    for (const TPerson& p : people) {
      t.Append();
      t.FieldByName("Name").SetAsString(QString::fromUtf8(p.Name));
      if (p.Sex >= 0) {
        t.FieldByName("SexRef").SetAsInteger(p.Sex);
      }
      t.FieldByName("Birthday").SetAsString(QString::fromLatin1(p.Birthday));
      t.FieldByName("Team").SetAsString(QString::fromUtf8(p.Team));
      if (p.Weight > 0) {
        t.FieldByName("Weight").SetAsFloat(p.Weight);
      }
      t.Post();
    }
  });
}

QStringList Handbook() {
  QStringList rows = ReadRows(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml",
                              {"Name", "SexRef", "Birthday", "Team"});
  rows.sort();
  return rows;
}

struct TMergeCase {
  const char* What;
  QList<TPerson> Register;
  QList<TPerson> HandbookBefore;
  QStringList HandbookAfter;  // sorted
};

using Merge = WindowTest;

TEST_F(Merge, RegisterRowsUpdateOrJoinTheHandbook) {
  const TMergeCase cases[] = {
      {"letter case only",
       {{"ИВАНОВ иван", 1, "01.02.1990", "Динамо"}},
       {{"Иванов Иван", 1, "01.02.1990", "Спартак"}},
       {"ИВАНОВ иван|1|01.02.1990|Динамо"}},
      {"another birthday",
       {{"Иванов Иван", 1, "02.02.1990", "Динамо"}},
       {{"Иванов Иван", 1, "01.02.1990", "Спартак"}},
       {"Иванов Иван|1|01.02.1990|Спартак", "Иванов Иван|1|02.02.1990|Динамо"}},
      {"another sex",
       {{"Саша Белова", 0, "03.03.2000", "Динамо"}},
       {{"Саша Белова", 1, "03.03.2000", "Спартак"}},
       {"Саша Белова|0|03.03.2000|Динамо", "Саша Белова|1|03.03.2000|Спартак"}},
      {"both without birthday",
       {{"Петров", 1, "", "Динамо"}},
       {{"петров", 1, "", "Спартак"}},
       {"Петров|1||Динамо"}},
      {"the same competitor twice in the register",
       {{"Петров", 1, "", "Динамо"}, {"ПЕТРОВ", 1, "", "Урал"}},
       {},
       {"ПЕТРОВ|1||Урал"}},
      {"empty handbook",
       {{"Петров", 1, "", "Динамо"}, {"Сидорова", 0, "05.05.2005", ""}},
       {},
       {"Петров|1||Динамо", "Сидорова|0|05.05.2005|"}},
  };
  for (const TMergeCase& c : cases) {
    WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", c.Register);
    WritePeople(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml", c.HandbookBefore);
    auto window = Start();
    Stop(window);
    EXPECT_EQ(Handbook(), c.HandbookAfter) << c.What;
  }
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(u'\n').toStdString();
}

// Three women and a man, entered in this order.
void WriteFourCompetitors() {
  WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml",
              {{"Анна", 0, "01.01.2000", "A", 55.0},
               {"Вера", 0, "01.01.2001", "B", 60.5},
               {"Галина", 0, "01.01.2002", "B", 63.0},
               {"Борис", 1, "01.01.2003", "D", 61.0}});
  WritePeople(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml", {});
}

// The weighing tab's women of the class up to 63 kg, chosen as the user
// chooses them; the register is then listed by body weight.
void ShowWomenUpTo63(TfrmMain& window) {
  ShowPageOf(window.grWeight);
  Choose(*window.cbWomanWeightClass, 2);
  ASSERT_EQ(window.dsCompetitor.RecordCount(), 2);
}

TEST_F(Merge, EveryRegisterRowReachesTheHandbookWhateverViewATabLeft) {
  const struct {
    const char* What;
    std::function<void(TfrmMain&)> Leave;
  } views[] = {
      {"weighing tab", [](TfrmMain& w) { ShowWomenUpTo63(w); }},
      {"one team in a temporary order",
       [](TfrmMain& w) {
         w.dsCompetitor.SetIndexFieldNames("Name");
         w.dsCompetitor.SetFilter("Team='B'");
         w.dsCompetitor.SetFiltered(true);
       }},
      {"a view of nobody",
       [](TfrmMain& w) {
         w.dsCompetitor.SetFilter("Team='nobody'");
         w.dsCompetitor.SetFiltered(true);
       }},
  };
  for (const auto& view : views) {
    WriteFourCompetitors();
    auto window = Start();
    ShowActive(*window);
    view.Leave(*window);
    Stop(window);
    // The new handbook rows in the order the competitors were entered.
    EXPECT_EQ(ReadRows(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml", {"Name"}),
              (QStringList{"Анна", "Вера", "Галина", "Борис"}))
        << view.What;
  }
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

// A close that the user gives up on (a write failed) leaves the weighing tab
// as it was: the same class, order and competitor.
TEST_F(Merge, AGivenUpCloseLeavesTheRegisterAsTheTabShowedIt) {
  WriteFourCompetitors();
  auto window = Start();
  ShowActive(*window);
  ShowWomenUpTo63(*window);
  TClientDataSet& register_ = window->dsCompetitor;
  register_.Last();
  register_.Prior();
  const QString filter = register_.Filter();
  const QStringList shown = GridColumn(*window->grWeight);
  ASSERT_EQ(shown, (QStringList{"Вера", "Галина"}));

  QFile::remove(DataFile("CompetitorHB.xml"));
  QDir().mkdir(DataFile("CompetitorHB.xml"));
  Dialogs.Answer = false;
  EXPECT_FALSE(window->close());
  ASSERT_EQ(Dialogs.Questions.size(), 1);
  EXPECT_TRUE(Dialogs.Questions[0].startsWith("dsCompetitorHB: ")) << Dialogs.Questions[0].toStdString();
  EXPECT_EQ(register_.Filter(), filter);
  EXPECT_TRUE(register_.Filtered());
  EXPECT_EQ(register_.IndexName(), "dsCompetitorIndexWeight");
  EXPECT_EQ(register_.FieldByName("Name").AsString(), "Вера");
  EXPECT_EQ(GridColumn(*window->grWeight), shown);

  QDir().rmdir(DataFile("CompetitorHB.xml"));
  EXPECT_TRUE(window->close());
  window.reset();
  EXPECT_EQ(Handbook(), (QStringList{"Анна|0|01.01.2000|A", "Борис|1|01.01.2003|D", "Вера|0|01.01.2001|B",
                                     "Галина|0|01.01.2002|B"}));
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

TEST_F(Merge, ClosedHandbookOrRegisterMergesNothing) {
  WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {{"Анна", 0, "01.01.2000", "A"}});
  const QByteArray damaged = "not a data packet";
  testing_sandbox::WriteFile(DataFile("CompetitorHB.xml"), damaged);
  auto window = Start();
  ASSERT_EQ(Dialogs.Errors.size(), 1);
  EXPECT_TRUE(window->dsCompetitor.Active());
  EXPECT_FALSE(window->dsCompetitorHB.Active());
  Stop(window);
  EXPECT_EQ(Dialogs.Errors.size(), 1) << Dialogs.Errors.join(u'\n').toStdString();
  EXPECT_EQ(testing_sandbox::ReadFile(DataFile("CompetitorHB.xml")), damaged);

  // The register closed, the handbook open.
  QFile::remove(DataFile("CompetitorHB.xml"));
  auto second = Start();
  second->dsCompetitor.Close();
  Stop(second);
  EXPECT_TRUE(Handbook().isEmpty());
  EXPECT_EQ(Dialogs.Errors.size(), 1) << Dialogs.Errors.join(u'\n').toStdString();
}

// Dates and numbers pass the merge as texts, in the locale's forms: each must
// read back, and what the installer's file held as dd.mm.yyyy is taken.
TEST_F(Merge, BirthdaysAndWeightsPassTheMergeUnderEveryLocale) {
  for (const char* locale : {"C", "C.UTF-8", "en_US", "en_GB", "ru_RU", "de_DE"}) {
    SetFormatSettings(FormatSettingsOf(QLocale(QString::fromLatin1(locale))));
    WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml",
                {{"Иванов Иван", 1, "05.01.1980", "Динамо", 72.5}});
    WritePeople(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml",
                {{"иванов иван", 1, "05.01.1980", "Спартак", 70}});
    auto window = Start();
    Stop(window);
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << locale << ": " << Dialogs.Errors.join(u'\n').toStdString();
    Dialogs.Errors.clear();
    TCompetitionTables tables;
    TClientDataSet& handbook = tables.dsCompetitorHB;
    handbook.SetFileName(DataFile("CompetitorHB.xml"));
    handbook.Open();
    ASSERT_EQ(handbook.RecordCount(), 1) << locale;
    EXPECT_EQ(handbook.FieldByName("Birthday").AsDateTime(), QDate(1980, 1, 5)) << locale;
    EXPECT_EQ(handbook.FieldByName("Weight").AsFloat(), 72.5) << locale;
    EXPECT_EQ(handbook.FieldByName("Team").AsString(), "Динамо") << locale;
  }
}

// Each close re-reads the whole register into the handbook: only a value
// that differs may reach the file, or it grows by a row version per
// competitor at every close. The values pass as texts in the locale's forms.
TEST_F(Merge, AHandbookRowChangesOnlyWhenARegisterValueDiffers) {
  const TFormatSettings pinned = FormatSettings();
  for (const char* locale : {"C.UTF-8", "en_US", "ru_RU"}) {
    SetFormatSettings(pinned);
    // A row left without sex and birthday matches a handbook row without them.
    WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml",
                {{"Иванов Иван", 1, "05.01.1980", "Динамо", 72.5},
                 {"Петрова", 0, "", "", 60.25},
                 {"Сидоров", -1, "", "Урал"}});
    WritePeople(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml", {{"петрова", 0, "", "Спартак"}});
    SetFormatSettings(FormatSettingsOf(QLocale(QString::fromLatin1(locale))));
    auto first = Start();
    Stop(first);
    const QByteArray merged = testing_sandbox::ReadFile(DataFile("CompetitorHB.xml"));

    for (int close = 0; close < 2; ++close) {
      auto again = Start();
      Stop(again);
      EXPECT_EQ(testing_sandbox::ReadFile(DataFile("CompetitorHB.xml")), merged) << locale << " " << close;
    }

    auto changed = Start();
    TClientDataSet& register_ = changed->dsCompetitor;
    ASSERT_TRUE(register_.Locate("Name", QStringLiteral("Иванов Иван")));
    register_.Edit();
    register_.FieldByName("Team").SetAsString(QStringLiteral("Спартак"));
    register_.Post();
    Stop(changed);
    SetFormatSettings(pinned);
    EXPECT_EQ(Handbook(), (QStringList{"Иванов Иван|1|05.01.1980|Спартак", "Петрова|0||", "Сидоров|||Урал"}))
        << locale;
    // One new version: the row that changed.
    TCompetitionTables read;
    read.dsCompetitorHB.SetFileName(DataFile("CompetitorHB.xml"));
    read.dsCompetitorHB.Open();
    TCompetitionTables before;
    before.dsCompetitorHB.LoadFromBytes(merged);
    EXPECT_EQ(read.dsCompetitorHB.VersionCount(), before.dsCompetitorHB.VersionCount() + 1) << locale;
  }
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

// A new register row begun with the navigator of an active window, the
// caret in the name box.
void BeginRegisterRow(TfrmMain& window) {
  window.pcMain->setCurrentWidget(window.tbshCredentialsCommittee);
  QApplication::processEvents();
  auto* insert = window.findChild<QToolButton*>(QStringLiteral("dbnvgrCompetitor_insert"));
  ASSERT_NE(insert, nullptr);
  QTest::mouseClick(insert, Qt::LeftButton);
  ASSERT_EQ(window.dsCompetitor.State(), TDataSetState::dsInsert);
  window.edName->setFocus(Qt::OtherFocusReason);
  QApplication::processEvents();
}

TEST_F(Merge, TheCaretInTheNameBoxLeavesTheWholeHandbookToTheMerge) {
  WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml",
              {{"ИВАНОВ иван", 1, "01.02.1990", "Динамо"}});
  WritePeople(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml",
              {{"Иванов Иван", 1, "01.02.1990", "Спартак"}, {"Петров Пётр", 1, "03.04.1991", "Спартак"}});
  auto window = Start();
  ShowActive(*window);
  BeginRegisterRow(*window);
  Type("Петров");
  // The completion shows only the names begun so.
  ASSERT_EQ(window->dsCompetitorHB.RecordCount(), 1);
  ASSERT_TRUE(window->edName->hasFocus());
  Stop(window);
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(u'\n').toStdString();
  EXPECT_EQ(Handbook(), (QStringList{"ИВАНОВ иван|1|01.02.1990|Динамо", "Петров Пётр|1|03.04.1991|Спартак",
                                     "Петров|||"}));
}

class Shutdown : public WindowTest {
 protected:
  // The window over a register of Анна and an empty handbook, with the new
  // competitor Новиков of the team Динамо typed into the register's boxes.
  std::unique_ptr<TfrmMain> StartTypingARow() {
    WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {{"Анна", 0, "01.01.2000", "A"}});
    WritePeople(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml", {});
    auto window = Start();
    ShowActive(*window);
    BeginRegisterRow(*window);
    Type("Новиков");
    window->edTeam->setFocus(Qt::OtherFocusReason);
    Type("Динамо");
    return window;
  }
  // The data folder becomes a plain file, so that nothing can be written into
  // it, and later comes back as it was.
  QString Folder() { return DataFolder().chopped(1); }
  void BreakDataFolder() {
    ASSERT_TRUE(QDir().rename(Folder(), Folder() + QStringLiteral(".aside")));
    testing_sandbox::WriteFile(Folder(), "not a folder");
  }
  void MendDataFolder() {
    ASSERT_TRUE(QFile::remove(Folder()));
    ASSERT_TRUE(QDir().rename(Folder() + QStringLiteral(".aside"), Folder()));
  }
};

TEST_F(Shutdown, ARefusedValueKeepsTheWindowOpenWithTheRowAsTyped) {
  auto window = StartTypingARow();
  window->edWeight->setFocus(Qt::OtherFocusReason);
  Type("abc");
  const QMap<QString, QByteArray> files = Snapshot();

  EXPECT_FALSE(window->close());
  ASSERT_EQ(Dialogs.Errors.size(), 1);
  EXPECT_TRUE(Dialogs.Errors[0].startsWith("dsCompetitor: 'abc' is not a valid floating point value"))
      << Dialogs.Errors[0].toStdString();
  // Nothing of the close ran: the row is still being typed, no file changed.
  EXPECT_TRUE(window->isVisible());
  TClientDataSet& table = window->dsCompetitor;
  EXPECT_EQ(table.State(), TDataSetState::dsInsert);
  EXPECT_EQ(table.FieldByName("Name").AsString(), "Новиков");
  EXPECT_EQ(table.FieldByName("Team").AsString(), "Динамо");
  EXPECT_EQ(Snapshot(), files);

  // Corrected, the close goes through with the row, its team and the merge.
  window->edWeight->setFocus(Qt::OtherFocusReason);
  window->edWeight->selectAll();
  Type("72,5");
  EXPECT_TRUE(window->close());
  window.reset();
  EXPECT_EQ(Dialogs.Errors.size(), 1) << Dialogs.Errors.join(u'\n').toStdString();
  EXPECT_EQ(Handbook(), (QStringList{"Анна|0|01.01.2000|A", "Новиков|||Динамо"}));
  EXPECT_EQ(ReadRows(&TCompetitionTables::dsCompetitor, "Competitor.xml", {"Name", "Weight"}),
            (QStringList{"Анна|", "Новиков|72,5"}));
  EXPECT_EQ(ReadRows(&TCompetitionTables::dsHBTeam, "TeamHB.xml", {"Name"}), QStringList{"Динамо"});
}

TEST_F(Shutdown, ARowNobodyFilledIsDroppedAndTheFirstCompetitorTypedIsKept) {
  WritePeople(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml", {});
  for (const bool typed : {false, true}) {
    QFile::remove(DataFile("Competitor.xml"));
    auto window = Start();
    ShowActive(*window);
    BeginRegisterRow(*window);
    if (typed) {
      Type("Новиков");  // still in the box when the window closes
    }
    Stop(window);
    EXPECT_EQ(ReadRows(&TCompetitionTables::dsCompetitor, "Competitor.xml", {"Name"}),
              typed ? QStringList{"Новиков"} : QStringList{})
        << typed;
  }
  EXPECT_EQ(Handbook(), (QStringList{"Новиков|||"}));
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(u'\n').toStdString();
}

// The files are written before the window may close: a write that fails
// asks, and Cancel leaves the window and everything typed in it, so the
// folder can be put right and the window closed again.
TEST_F(Shutdown, AFailedWriteKeepsTheWindowOpenUntilTheFolderIsPutRight) {
  auto window = StartTypingARow();

  BreakDataFolder();
  Dialogs.Answer = false;
  EXPECT_FALSE(window->close());
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
  ASSERT_EQ(Dialogs.Questions.size(), 1);
  const QStringList lines = Dialogs.Questions[0].split(u'\n');
  EXPECT_EQ(lines.first(), "Не удается создать каталог с данными приложения");
  EXPECT_EQ(lines.last(), "Данные не сохранены. Закрыть программу?");
  EXPECT_EQ(lines[lines.size() - 2], "");
  EXPECT_EQ(lines.filter("dsCompetitor: ").size(), 1) << Dialogs.Questions[0].toStdString();
  EXPECT_TRUE(lines.filter("dsCompetitor: ").value(0).contains(DataFile("Competitor.xml")))
      << Dialogs.Questions[0].toStdString();
  EXPECT_EQ(lines.count("Не удается создать каталог с данными приложения"), 1);
  EXPECT_EQ(testing_sandbox::ReadFile(Folder()), "not a folder");
  // Everything is still in memory.
  QStringList rows = ViewRows(window->dsCompetitor, {"Name", "Team"});
  rows.sort();
  EXPECT_EQ(rows, (QStringList{"Анна|A", "Новиков|Динамо"}));

  MendDataFolder();
  EXPECT_TRUE(window->close());
  window.reset();
  EXPECT_EQ(Dialogs.Questions.size(), 1);
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
  EXPECT_TRUE(Dialogs.Informations.isEmpty()) << Dialogs.Informations.join(u'\n').toStdString();
  EXPECT_EQ(ReadRows(&TCompetitionTables::dsCompetitor, "Competitor.xml", {"Name", "Team"}),
            (QStringList{"Анна|A", "Новиков|Динамо"}));
  EXPECT_EQ(Handbook(), (QStringList{"Анна|0|01.01.2000|A", "Новиков|||Динамо"}));
  EXPECT_EQ(ReadRows(&TCompetitionTables::dsHBTeam, "TeamHB.xml", {"Name"}), QStringList{"Динамо"});
}

// A referee typed into the platform referees' grid and not yet posted is part
// of what the user entered: a close that fails keeps it, one that succeeds
// writes it.
TEST_F(Shutdown, ARowLeftInEditInAReferenceTableIsWrittenNotDropped) {
  auto window = Start();
  TClientDataSet& referees = window->dsRefereePlatform;
  referees.Append();
  referees.FieldByName("Name").SetAsString("Судья Петров");

  BreakDataFolder();
  Dialogs.Answer = false;
  EXPECT_FALSE(window->close());
  ASSERT_EQ(Dialogs.Questions.size(), 1);
  EXPECT_EQ(ViewRows(referees, {"Name"}), QStringList{"Судья Петров"});

  MendDataFolder();
  EXPECT_TRUE(window->close());
  window.reset();
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
  EXPECT_EQ(ReadRows(&TCompetitionTables::dsRefereePlatform, "RefereePlatform.xml", {"Name"}),
            QStringList{"Судья Петров"});
}

TEST_F(Shutdown, ADataFolderRemovedUnderTheWindowGetsEveryOpenTableBack) {
  WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {{"Анна", 0, "01.01.2000", "A"}});
  WritePeople(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml", {{"Борис", 1, "02.02.2002", "B"}});
  TCompetitionTables written;
  WriteTable(written.dsOrganizer, "Organizer.xml", [](TClientDataSet& t) {
    t.Append();
    t.FieldByName("Name").SetAsString("Федерация гиревого спорта");
    t.Post();
  });
  auto window = Start();
  // A stream table opened from its file, as the streams tab opens it.
  TClientDataSet& stream = window->frmStreamSnatch->dsStream;
  stream.CreateDataSet();
  stream.Append();
  stream.FieldByName("ID").SetAsInteger(1);
  stream.FieldByName("Name").SetAsString("Анна");
  stream.SaveToFile(DataFile("SStream.xml"), 1);
  stream.Close();
  stream.SetFileName(DataFile("SStream.xml"));
  stream.Open();
  const QMap<QString, QByteArray> before = Snapshot();
  ASSERT_EQ(before.size(), 11);

  ASSERT_TRUE(QDir(DataFolder()).removeRecursively());
  window->dsRefereePlatform.Append();
  window->dsRefereePlatform.FieldByName("Name").SetAsString("Судья Петров");
  window->dsRefereePlatform.Post();
  Stop(window);

  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(u'\n').toStdString();
  ASSERT_EQ(Dialogs.Informations.size(), 1);
  EXPECT_TRUE(Dialogs.Informations[0].startsWith(
      "Каталог с данными приложения был удален во время работы программы и создан заново"))
      << Dialogs.Informations[0].toStdString();
  EXPECT_TRUE(Dialogs.Informations[0].endsWith(QDir::toNativeSeparators(DataFolder())));
  // Every table that was open is back as it was in memory; the settings too.
  const QMap<QString, QByteArray> after = Snapshot();
  for (auto file = before.begin(); file != before.end(); ++file) {
    ASSERT_TRUE(after.contains(file.key())) << file.key().toStdString();
    if (file.key() != "CompetitorHB.xml" && file.key() != "RefereePlatform.xml") {
      EXPECT_EQ(after[file.key()], file.value()) << file.key().toStdString();
    }
  }
  EXPECT_TRUE(after.contains("Tyazhar.ini"));
  EXPECT_TRUE(after.contains("Grids.ini"));
  EXPECT_EQ(Handbook(), (QStringList{"Анна|0|01.01.2000|A", "Борис|1|02.02.2002|B"}));
  EXPECT_EQ(ReadRows(&TCompetitionTables::dsRefereePlatform, "RefereePlatform.xml", {"Name"}),
            QStringList{"Судья Петров"});

  // The next start opens them as they were, without a word.
  auto again = Start();
  EXPECT_EQ(again->dsOrganizer.FieldByName("Name").AsString(), "Федерация гиревого спорта");
  EXPECT_EQ(again->dsManWeight.RecordCount(), 8);
  Stop(again);
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(u'\n').toStdString();
  EXPECT_EQ(Dialogs.Informations.size(), 1);
}

using RefusedRow = WindowTest;

// A new weight class typed at close with only a referee, or with a limit the
// table already has, cannot be posted: the question names it, Cancel keeps
// it as typed, and OK gives up that row alone; the referee posted before it
// reaches the file.
TEST_F(RefusedRow, CostsOnlyItselfAndTheQuestionNamesIt) {
  const struct {
    const char* Limit;  // none when null
    const char* Refusal;
    const char* Row;
  } cases[] = {
      {nullptr, "dsManWeight: Field 'вес' must have a value", "Строка не будет сохранена: Судья Сидоров"},
      {"68", "dsManWeight: Key violation.", "Строка не будет сохранена: 68, Судья Сидоров"},
  };
  for (const auto& c : cases) {
    QFile::remove(DataFile("ManWeight.xml"));
    auto window = Start();
    ShowActive(*window);
    TDataGrid& grid = *window->grManWeight;
    EnterCell(grid, 0, "RefereePlatform", QStringLiteral("Судья Петров"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Insert);
    Type(QStringLiteral("Судья Сидоров"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    if (c.Limit != nullptr) {
      EnterCell(grid, window->dsManWeight.CurrentViewRow(), "Weight", QString::fromLatin1(c.Limit));
    }
    ASSERT_EQ(window->dsManWeight.State(), TDataSetState::dsInsert) << c.Refusal;

    Dialogs.Answer = false;
    EXPECT_FALSE(window->close());
    ASSERT_EQ(Dialogs.Questions.size(), 1) << c.Refusal;
    EXPECT_EQ(Dialogs.Questions[0].split(u'\n'),
              (QStringList{c.Refusal, c.Row, "", "Данные не сохранены. Закрыть программу?"}));
    EXPECT_EQ(window->dsManWeight.State(), TDataSetState::dsInsert) << c.Refusal;
    EXPECT_EQ(window->dsManWeight.FieldByName("RefereePlatform").AsString(), "Судья Сидоров");

    Dialogs.Answer = true;
    EXPECT_TRUE(window->close());
    window.reset();
    EXPECT_EQ(Dialogs.Questions.size(), 2) << c.Refusal;
    EXPECT_EQ(ReadRows(&TCompetitionTables::dsManWeight, "ManWeight.xml", {"Weight", "RefereePlatform"}),
              (QStringList{"63|Судья Петров", "68|", "73|", "78|", "85|", "95|", "105|", "1000|"}))
        << c.Refusal;
    Dialogs.Questions.clear();
  }
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

}  // namespace
}  // namespace app_test
