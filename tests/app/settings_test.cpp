// The settings file and the grid-layout file: defaults, the value rules of
// reading, the order and forms of writing, widths by line position.
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>
#include <cerrno>
#include <cstring>

#include "app/frames/stream_frame.h"
#include "platform/widgets/data_grid.h"
#include "tests/app/window_fixture.h"
#include "tests/support/file_events.h"
#include "tests/support/test_sandbox.h"

namespace app_test {
namespace {

using Settings = WindowTest;

TEST_F(Settings, FirstStartShowsTheDefaults) {
  auto window = Start();
  TfrmMain& w = *window;
  for (QCheckBox* box : {w.cbBiathlon, w.cbLongCycle, w.cbSnatch, w.cbRRDJerk, w.cbRRDLongCycle}) {
    EXPECT_TRUE(box->isChecked()) << box->objectName().toStdString();
  }
  for (QCheckBox* box : {w.cbRRDSnatch, w.cbCountTeamProtocolCompetitor, w.cbAddRelayToTeamProtocol}) {
    EXPECT_FALSE(box->isChecked()) << box->objectName().toStdString();
  }
  EXPECT_EQ(w.seCountTeamProtocolCompetitor->value(), 1);
  for (QComboBox* combo : {w.cbSnatchWeightM, w.cbLongCycleWeightM, w.cbBiathlonWeightM}) {
    EXPECT_EQ(combo->currentText(), "32");
  }
  for (QComboBox* combo : {w.cbSnatchWeightW, w.cbLongCycleWeightW, w.cbBiathlonWeightW}) {
    EXPECT_EQ(combo->currentText(), "24");
  }
  for (QLineEdit* edit : {w.edCity, w.edDate, w.edRefereeMain, w.edSecretary, w.edCompetitionName}) {
    EXPECT_TRUE(edit->text().isEmpty());
  }
  EXPECT_EQ(w.Language(), 0);
  EXPECT_TRUE(w.miLanguage_RU->isChecked());
  EXPECT_FALSE(w.miLanguage_EN->isChecked());
}

struct TIntegerCase {
  const char* Stored;
  int Shown;
};

TEST_F(Settings, TeamProtocolCountFollowsTheIntegerRuleAndTheSpinRange) {
  const TIntegerCase cases[] = {{"0x10", 16}, {"0X1f", 31}, {"abc", 1}, {"300", 255},
                                {"0", 1},     {"-5", 1},    {"7", 7},   {"", 1}};
  for (const TIntegerCase& c : cases) {
    WriteIni("Tyazhar.ini", QStringLiteral("[GENERAL]\r\nCountTeamProtocolCompetitor=%1\r\n").arg(c.Stored));
    auto window = Start();
    EXPECT_EQ(window->seCountTeamProtocolCompetitor->value(), c.Shown) << c.Stored;
    window.reset();
  }
}

struct TBooleanCase {
  const char* Section;
  const char* Key;
  const char* Stored;
  const char* Box;
  bool Checked;
};

TEST_F(Settings, BooleansReadAsIntegersWithTheirDefaults) {
  const TBooleanCase cases[] = {
      {"GENERAL", "NeedCountTeamProtocolCompetitor", "2", "cbCountTeamProtocolCompetitor", true},
      {"GENERAL", "NeedCountTeamProtocolCompetitor", "-1", "cbCountTeamProtocolCompetitor", true},
      {"GENERAL", "NeedCountTeamProtocolCompetitor", "yes", "cbCountTeamProtocolCompetitor", false},
      {"GENERAL", "AddRelayToTeamProtocol", "1", "cbAddRelayToTeamProtocol", true},
      {"Discipline", "Biathlon", "0", "cbBiathlon", false},
      {"Discipline", "LongCycle", "yes", "cbLongCycle", true},
      {"discipline", "SNATCH", "0", "cbSnatch", false},
      {"RRDiscipline", "Jark", "0", "cbRRDJerk", false},
      {"RRDiscipline", "Jerk", "0", "cbRRDJerk", true},
      {"RRDiscipline", "LongCycle", "0x0", "cbRRDLongCycle", false},
      {"RRDiscipline", "Snatch", "2", "cbRRDSnatch", true},
  };
  for (const TBooleanCase& c : cases) {
    WriteIni("Tyazhar.ini", QStringLiteral("[%1]\r\n%2=%3\r\n").arg(c.Section, c.Key, c.Stored));
    auto window = Start();
    EXPECT_EQ(Find<QCheckBox>(*window, c.Box)->isChecked(), c.Checked)
        << c.Section << "/" << c.Key << "=" << c.Stored;
    window.reset();
  }
}

TEST_F(Settings, TextsAndKettlebellWeightsComeBackAsStored) {
  WriteIni("Tyazhar.ini",
           "[GENERAL]\r\nCity=Казань\r\nDate=9 марта 2026\r\nRefereeMain=Петров П. П.\r\nSecretary=Орлова\r\n"
           "CompetitionName=Кубок области\r\n[Weight]\r\nSnatchM=20\r\nSnatchW=16\r\nLongCycleM=32\r\n"
           "LongCycleW=двадцать\r\nBiathlonM=\r\nBiathlonW=12,5\r\n");
  auto window = Start();
  TfrmMain& w = *window;
  EXPECT_EQ(w.edCity->text(), "Казань");
  EXPECT_EQ(w.edDate->text(), "9 марта 2026");
  EXPECT_EQ(w.edRefereeMain->text(), "Петров П. П.");
  EXPECT_EQ(w.edSecretary->text(), "Орлова");
  EXPECT_EQ(w.edCompetitionName->text(), "Кубок области");
  EXPECT_EQ(w.cbSnatchWeightM->currentText(), "20");
  EXPECT_EQ(w.cbSnatchWeightW->currentText(), "16");
  EXPECT_EQ(w.cbLongCycleWeightM->currentText(), "32");
  EXPECT_EQ(w.cbLongCycleWeightW->currentText(), "двадцать");
  EXPECT_EQ(w.cbBiathlonWeightM->currentText(), "");
  EXPECT_EQ(w.cbBiathlonWeightW->currentText(), "12,5");
  // The list offers the three usual weights, whatever is typed.
  EXPECT_EQ(w.cbSnatchWeightM->count(), 3);
  EXPECT_TRUE(w.cbSnatchWeightM->isEditable());
  // Reading writes nothing.
  window.reset();
}

TEST_F(Settings, FirstSaveWritesEveryKeyInOrder) {
  auto window = Start();
  TfrmMain& w = *window;
  w.edCity->setText("Казань");
  w.edCompetitionName->setText("Кубок");
  w.seCountTeamProtocolCompetitor->setValue(16);
  w.cbAddRelayToTeamProtocol->setChecked(true);
  w.cbLongCycle->setChecked(false);
  w.cbRRDSnatch->setChecked(true);
  w.cbSnatchWeightW->setCurrentText("20");
  window->miLanguage_EN->trigger();
  Stop(window);
  EXPECT_EQ(ReadIni("Tyazhar.ini"),
            "[GENERAL]\r\nLanguage=EN\r\nCity=Казань\r\nDate=\r\nRefereeMain=\r\nSecretary=\r\n"
            "CompetitionName=Кубок\r\nCountTeamProtocolCompetitor=16\r\nNeedCountTeamProtocolCompetitor=0\r\n"
            "AddRelayToTeamProtocol=1\r\n[Discipline]\r\nBiathlon=1\r\nLongCycle=0\r\nSnatch=1\r\n"
            "[RRDiscipline]\r\nJark=1\r\nLongCycle=1\r\nSnatch=1\r\n[Weight]\r\nSnatchM=32\r\nSnatchW=20\r\n"
            "LongCycleM=32\r\nLongCycleW=24\r\nBiathlonM=32\r\nBiathlonW=24\r\n");
}

// A save of the settings (the close's, the organisers' button's) reaches
// each file in one write, whatever number of keys changed.
TEST_F(Settings, ASaveWritesEachSettingsFileOnce) {
  auto window = Start();
  window->edCity->setText("Казань");
  window->miLanguage_EN->trigger();
  {
    TFileEvents events(DataFolder());
    window->btnSaveOrganizator->click();
    EXPECT_EQ(events.Count("Tyazhar.ini"), 1);
    EXPECT_EQ(events.Count("Grids.ini"), 0);
  }
  window->edCity->setText("Тула");
  window->grCompetitor->SetColumnWidth(0, 150);
  TFileEvents events(DataFolder());
  Stop(window);
  EXPECT_EQ(events.Count("Tyazhar.ini"), 1);
  EXPECT_EQ(events.Count("Grids.ini"), 1);
  EXPECT_TRUE(ReadIni("Tyazhar.ini").startsWith("[GENERAL]\r\nLanguage=EN\r\nCity=Тула\r\n"));
  EXPECT_TRUE(ReadIni("Grids.ini").startsWith("[grCompetitor]\r\nName=0-150\r\n"));
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

TEST_F(Settings, FileOfTheInstallerGetsTheOtherKeysAppended) {
  WriteIni("Tyazhar.ini", "[GENERAL]\r\nLanguage=EN\r\n");
  auto window = Start();
  EXPECT_EQ(window->Language(), 1);
  window->miLanguage_RU->trigger();
  // The switch reaches the file only with the next save.
  EXPECT_EQ(ReadIni("Tyazhar.ini"), "[GENERAL]\r\nLanguage=EN\r\n");
  Stop(window);
  const QStringList lines = ReadIni("Tyazhar.ini").split("\r\n");
  ASSERT_GE(lines.size(), 3);
  EXPECT_EQ(lines[0], "[GENERAL]");
  EXPECT_EQ(lines[1], "Language=RU");
  EXPECT_EQ(lines[2], "City=");
}

// The organisers' save button writes the organisers' table and the
// settings: a file of the two that the user made read-only stays as it was,
// and the error names it, also for root.
TEST_F(Settings, TheOrganisersSaveReplacesNoReadOnlyFile) {
  const struct {
    const char* File;
    const char* Error;
  } cases[] = {
      {"Organizer.xml", "dsOrganizer: Cannot create file \"%1\". %2"},
      {"Tyazhar.ini", "Unable to write to %1: %2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.File);
    QFile::remove(DataFile("Tyazhar.ini"));
    WriteIni("Tyazhar.ini", "[GENERAL]\r\nCity=Тула\r\n");
    Dialogs.Errors.clear();
    auto window = Start();
    const QString path = DataFile(c.File);
    const QByteArray before = testing_sandbox::ReadFile(path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    window->edCity->setText("Казань");
    window->dsOrganizer.Append();
    window->dsOrganizer.FieldByName("Name").SetAsString("Федерация");
    window->btnSaveOrganizator->click();
    EXPECT_EQ(Dialogs.Errors, QStringList{QString::fromUtf8(c.Error).arg(
                                  path, QString::fromLocal8Bit(std::strerror(EACCES)))});
    EXPECT_EQ(testing_sandbox::ReadFile(path), before);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    Stop(window);
  }
}

// ---- Grid layout ----

QList<int> Widths(const TDataGrid& grid) {
  QList<int> widths;
  for (int i = 0; i < grid.ColumnCount(); ++i) {
    widths << grid.ColumnWidth(i);
  }
  return widths;
}

struct TLayoutCase {
  const char* Section;
  QList<int> Widths;
};

TEST_F(Settings, GridWidthsComeBackByLinePosition) {
  // -1: the column's default width, as a start without the file gives it.
  const TLayoutCase cases[] = {
      {"[grWeight]\r\nName=0-250\r\nRealWeight=1-60\r\n", {250, 60, -1, -1}},
      // The keys and the positions before the minus are not read.
      {"[grWeight]\r\nTeam=3-10\r\nAnything=0-20\r\n", {10, 20, -1, -1}},
      {"[grWeight]\r\nName=5\r\n", {5, -1, -1, -1}},
      // Lines that hold no width, and lines beyond the grid's columns, are
      // passed over.
      {"[grWeight]\r\nName=0-abc\r\nRealWeight=\r\nTeam=2-90\r\nBirthday=3-70\r\nExtra=4-10\r\nMore=5-20\r\n",
       {-1, -1, 90, 70}},
      {"[grSomethingElse]\r\nName=0-250\r\n", {-1, -1, -1, -1}},
  };
  QList<int> defaults;
  {
    auto window = Start();
    defaults = Widths(*window->grWeight);
  }
  ASSERT_EQ(defaults.size(), 4);
  for (const TLayoutCase& c : cases) {
    WriteIni("Grids.ini", QString::fromUtf8(c.Section));
    auto window = Start();
    const QList<int> widths = Widths(*window->grWeight);
    ASSERT_EQ(widths.size(), 4);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(widths[i], c.Widths[i] >= 0 ? c.Widths[i] : defaults[i]) << c.Section << " column " << i;
    }
    window.reset();
  }
}

TEST_F(Settings, DesignWidthsOfThePersistedGrids) {
  auto window = Start();
  struct TDesign {
    TDataGrid* Grid;
    QStringList Fields;
    QList<int> Widths;  // -1: the field's default width
  };
  const TDesign designs[] = {
      {window->grCompetitor,
       {"Name", "Sex", "Birthday", "Rank", "Weight", "Team", "Passport", "Trainer", "BestResSnatch",
        "BestResLongCycle", "BestResBiathlon", "BestResJerk"},
       {200, 34, 89, 34, 42, 99, 200, 150, 44, 46, 42, 42}},
      {window->grCompetitorHB,
       {"Name", "Birthday", "Passport", "Rank", "Team", "Trainer", "Weight", "Sex"},
       {150, -1, 150, 150, 150, 150, -1, 150}},
      {window->grWeight, {"Name", "RealWeight", "Team", "Birthday"}, {200, -1, 200, 80}},
      {window->grSnatch,
       {"Position", "Result", "Point", "Name", "Rank", "MadeRank", "Weight", "Team", "Trainer"},
       {-1, -1, -1, 200, 50, 50, -1, 200, 200}},
      {window->grLongCycle,
       {"Position", "Result", "Point", "Name", "Rank", "MadeRank", "Weight", "Team", "Trainer"},
       {-1, -1, -1, 200, 50, 50, -1, 200, 200}},
      {window->grBiathlon,
       {"Position", "PutResult", "JerkResult", "JerkPoint", "Summa", "Point", "Name", "Rank", "MadeRank",
        "Weight", "Team", "Trainer"},
       {-1, -1, -1, -1, -1, -1, 200, 50, 50, -1, 200, 200}},
      {window->frmStreamSnatch->grStream, {"Name", "Weight"}, {233, 46}},
      {window->frmStreamLongCycle->grStream, {"Name", "Weight"}, {233, 46}},
      {window->frmStreamBiathlon->grStream, {"Name", "Weight"}, {233, 46}},
      {window->grRelayRace,
       {"Step", "Result", "StepResult", "WeightCategory", "Name", "Birthday", "Weight", "Trainer"},
       {-1, -1, -1, 50, 200, -1, -1, -1}},
      {window->grRelayRaceHB,
       {"Name", "Weight", "Rank", "Passport", "Birthday", "Trainer"},
       {200, -1, 50, 200, -1, 200}},
  };
  ASSERT_EQ(window->PersistedGrids().size(), int(std::size(designs)));
  for (size_t g = 0; g < std::size(designs); ++g) {
    const TDesign& d = designs[g];
    EXPECT_EQ(window->PersistedGrids()[int(g)], d.Grid);
    ASSERT_EQ(d.Grid->ColumnCount(), d.Fields.size()) << d.Grid->objectName().toStdString();
    for (int i = 0; i < d.Fields.size(); ++i) {
      EXPECT_EQ(d.Grid->ColumnFieldName(i), d.Fields[i]);
      // The design width is the least a column gets: its title or its usual
      // values may need more.
      if (d.Widths[i] >= 0) {
        EXPECT_GE(d.Grid->ColumnWidth(i), d.Widths[i]) << d.Grid->objectName().toStdString() << " " << i;
      }
    }
  }
}

TEST_F(Settings, SavedWidthsFollowTheColumnOrderAndReturnToTheirColumns) {
  auto first = Start();
  const QList<int> widths = Widths(*first->grCompetitor);
  Stop(first);
  QStringList lines = ReadIni("Grids.ini").split("\r\n");
  const int section = int(lines.indexOf("[grCompetitor]"));
  ASSERT_GE(section, 0);
  const QString sex = QString::number(widths[1]);
  const QString birthday = QString::number(widths[2]);
  EXPECT_EQ(lines.mid(section + 1, 3),
            (QStringList{"Name=0-" + QString::number(widths[0]), "Sex=1-" + sex, "Birthday=2-" + birthday}));

  auto second = Start();
  second->grCompetitor->SetColumnWidth(0, 321);
  second->grCompetitor->MoveColumn(0, 2);
  Stop(second);
  lines = ReadIni("Grids.ini").split("\r\n");
  // The lines keep their places; the values tell the new positions.
  EXPECT_EQ(lines.mid(section + 1, 3), (QStringList{"Name=2-321", "Sex=0-" + sex, "Birthday=1-" + birthday}));

  // Column order is not restored, and each width goes back to its column.
  auto third = Start();
  EXPECT_EQ(third->grCompetitor->ColumnFieldName(0), "Name");
  EXPECT_EQ(Widths(*third->grCompetitor).mid(0, 3), (QList<int>{321, widths[1], widths[2]}));
}

TEST_F(Settings, StreamFramesShareOneSectionThatTheLastFrameWrites) {
  auto first = Start();
  const int weight = first->frmStreamBiathlon->grStream->ColumnWidth(1);
  first->frmStreamSnatch->grStream->SetColumnWidth(0, 100);
  first->frmStreamLongCycle->grStream->SetColumnWidth(0, 120);
  first->frmStreamBiathlon->grStream->SetColumnWidth(0, 150);
  Stop(first);
  const QString layout = ReadIni("Grids.ini");
  EXPECT_EQ(layout.count("[grStream]"), 1);
  EXPECT_TRUE(layout.contains("[grStream]\r\nName=0-150\r\nWeight=1-" + QString::number(weight) + "\r\n"));

  auto second = Start();
  for (TfrmStream* frame : {second->frmStreamSnatch, second->frmStreamLongCycle, second->frmStreamBiathlon}) {
    EXPECT_EQ(frame->grStream->ColumnWidth(0), 150);
  }
}

}  // namespace
}  // namespace app_test
