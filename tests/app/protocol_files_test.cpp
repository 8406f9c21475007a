// Protocol files: the default names, saving and reopening each protocol, a
// file of another kind refused, cancelled dialogs, and the question before a
// close would lose protocol changes.
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTabWidget>
#include <QToolButton>
#include <cerrno>
#include <cstring>

#include "app/file_dialog.h"
#include "app/main_window.h"
#include "platform/widgets/data_grid.h"
#include "tests/app/athletes.h"
#include "tests/app/team_protocol_fixture.h"
#include "tests/app/window_fixture.h"
#include "tests/support/test_sandbox.h"

namespace app_test {
namespace {

class ProtocolFiles : public WindowTest {
 protected:
  TFileAnswers Files;
};

void Build(TfrmMain& window) {
  ShowPageOf(window.tbshCompetition);
  Click(window.btnNewCompetition);
  ShowPageOf(window.tbshCompMan);
  Choose(*window.cbCompManWeightClass, 1);
}

void SetResult(TClientDataSet& protocol, const char* field, int value) {
  protocol.First();
  protocol.Edit();
  protocol.FieldByName(QString::fromLatin1(field)).SetAsInteger(value);
  protocol.Post();
}

TEST_F(ProtocolFiles, TheDefaultNameCarriesTheKindAndTheDateDigits) {
  EXPECT_EQ(ProtocolFileName(QStringLiteral("longcycle"), QDate(2026, 3, 9)),
            QStringLiteral("protocol_longcycle20260309.ktp"));
  // Whatever the short date form, no separator of it gets into the name.
  for (const char* locale : {"C", "en_US", "en_GB", "ru_RU", "de_DE"}) {
    QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
    EXPECT_EQ(ProtocolFileName(QStringLiteral("snatch"), QDate(2026, 12, 1)),
              QStringLiteral("protocol_snatch20261201.ktp"))
        << locale;
  }
  QLocale::setDefault(QLocale::c());

  WriteAthletes({{"Иванов", 1, 66, "Динамо", true, true, true}});
  auto window = Start();
  ShowActive(*window);
  Build(*window);
  Click(window->btnSaveSnatch);
  Click(window->btnSaveLongCycle);
  Click(window->btnSaveBiathlon);
  const QString today = QDate::currentDate().toString(QStringLiteral("yyyyMMdd"));
  EXPECT_EQ(Files.Offered,
            (QStringList{"protocol_snatch" + today + ".ktp", "protocol_longcycle" + today + ".ktp",
                         "protocol_biathlon" + today + ".ktp"}));
  // Cancelled: nothing written.
  EXPECT_TRUE(QDir(testing_sandbox::Folder()).entryList({"*.ktp"}).isEmpty());
}

struct TRoundTrip {
  const char* What;
  TClientDataSet TCompetitionTables::*Table;
  QToolButton* TfrmMain::*Save;
  QToolButton* TfrmMain::*Load;
  const char* Field;
};

TEST_F(ProtocolFiles, EachDisciplineProtocolComesBackAsItWasSaved) {
  const TRoundTrip cases[] = {
      {"snatch", &TCompetitionTables::dsSnatch, &TfrmMain::btnSaveSnatch, &TfrmMain::btnLoadSnatch, "Result"},
      {"long cycle", &TCompetitionTables::dsLongCycle, &TfrmMain::btnSaveLongCycle,
       &TfrmMain::btnLoadLongCycle, "Result"},
      {"biathlon", &TCompetitionTables::dsBiathlon, &TfrmMain::btnSaveBiathlon, &TfrmMain::btnLoadBiathlon,
       "PutResult"},
  };
  WriteAthletes(
      {{"Иванов", 1, 66, "Динамо", true, true, true}, {"Иванова", 0, 60, "Динамо", true, true, true}});
  auto window = Start();
  ShowActive(*window);
  Build(*window);
  for (const TRoundTrip& c : cases) {
    TClientDataSet& table = window->Tables().*c.Table;
    SetResult(table, c.Field, 77);
    Files.Path = testing_sandbox::Path(QString::fromLatin1(c.What) + QStringLiteral(" protocol"));
    Click((*window).*c.Save);
    ASSERT_TRUE(QFile::exists(Files.Path + QStringLiteral(".ktp"))) << c.What;
  }
  Build(*window);
  // The women's page is shown: what opens is filtered to the women's class.
  ShowPageOf(window->tbshCompWoman);
  Choose(*window->cbCompWomanWeightClass, 1);
  for (const TRoundTrip& c : cases) {
    TClientDataSet& table = window->Tables().*c.Table;
    Files.Path = testing_sandbox::Path(QString::fromLatin1(c.What) + QStringLiteral(" protocol.ktp"));
    Click((*window).*c.Load);
    EXPECT_EQ(table.Filter(), QStringLiteral("SexRef=0 and Weight > 58 and Weight <= 63")) << c.What;
    EXPECT_EQ(ViewTexts(table, "Name"), QStringList{"Иванова"}) << c.What;
    ShowPageOf(window->tbshCompMan);
    EXPECT_EQ(ViewTexts(table, c.Field), QStringList{"77"}) << c.What;
    ShowPageOf(window->tbshCompWoman);
  }
  EXPECT_TRUE(Dialogs.Informations.isEmpty()) << Dialogs.Informations.join(u'\n').toStdString();
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

TEST_F(ProtocolFiles, ASnatchFileFitsTheLongCycleButNotTheBiathlon) {
  WriteAthletes({{"Иванов", 1, 66, "Динамо", true, true, true}});
  auto window = Start();
  ShowActive(*window);
  Build(*window);
  SetResult(window->dsSnatch, "Result", 88);
  Files.Path = testing_sandbox::Path(QStringLiteral("snatch.ktp"));
  Click(window->btnSaveSnatch);

  Click(window->btnLoadLongCycle);
  EXPECT_EQ(ViewTexts(window->dsLongCycle, "Result"), QStringList{"88"});

  window->miLanguage_EN->trigger();
  Click(window->btnLoadBiathlon);
  EXPECT_EQ(Dialogs.Informations, QStringList{"File incorrect: dsBiathlon: Field 'PutResult' not found"});
  // The refused file leaves the biathlon protocol as it was.
  EXPECT_TRUE(window->dsBiathlon.Active());
  EXPECT_EQ(GridColumn(*window->grBiathlon, window->grBiathlon->ColumnPosition("Name")),
            QStringList{"Иванов"});
  EXPECT_EQ(window->dsBiathlon.Filter(), QStringLiteral("SexRef=1 and Weight > 63 and Weight <= 68"));
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

TEST_F(ProtocolFiles, CancellingEitherDialogLeavesTheProtocolAsItWas) {
  WriteAthletes({{"Иванов", 1, 66}});
  auto window = Start();
  ShowActive(*window);
  Build(*window);
  SetResult(window->dsSnatch, "Result", 50);
  Files.Path.clear();
  Click(window->btnSaveSnatch);
  Click(window->btnLoadSnatch);
  EXPECT_EQ(Files.Kinds, (QList<TFileDialog::TKind>{TFileDialog::fdSave, TFileDialog::fdOpen}));
  EXPECT_EQ(ViewTexts(window->dsSnatch, "Result"), QStringList{"50"});
  EXPECT_TRUE(QDir(testing_sandbox::Folder()).entryList({"*.ktp"}).isEmpty());
}

TEST_F(ProtocolFiles, TheRegisterSavesToItsOwnFileFirstAndKeepsItsFileName) {
  WriteAthletes({{"Иванов", 1, 66}});
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->tbshCredentialsCommittee);
  window->dsCompetitor.Append();
  window->dsCompetitor.FieldByName("Name").SetAsString(QStringLiteral("Петров"));
  window->dsCompetitor.FieldByName("SexRef").SetAsInteger(1);
  window->dsCompetitor.FieldByName("Birthday").SetAsString(QStringLiteral("01.01.1991"));
  window->dsCompetitor.FieldByName("Weight").SetAsFloat(70);
  Files.Path = testing_sandbox::Path(QStringLiteral("register.ktp"));
  Click(window->btnSaveCompetitor);
  EXPECT_EQ(ReadRows(&TCompetitionTables::dsCompetitor, QStringLiteral("Competitor.xml"), {"Name"}),
            (QStringList{"Иванов", "Петров"}));
  ASSERT_TRUE(QFile::exists(Files.Path));

  window->dsCompetitor.First();
  window->dsCompetitor.Delete();
  Click(window->btnLoadCompetitor);
  EXPECT_EQ(ViewTexts(window->dsCompetitor, "Name"), (QStringList{"Иванов", "Петров"}));
  EXPECT_EQ(window->dsCompetitor.FileName(), DataFile(QStringLiteral("Competitor.xml")));

  // A file that is not there leaves the register open as it was.
  Files.Path = testing_sandbox::Path(QStringLiteral("gone.ktp"));
  Click(window->btnLoadCompetitor);
  ASSERT_EQ(Dialogs.Informations.size(), 1);
  EXPECT_TRUE(Dialogs.Informations[0].startsWith("Файл не содержит нужной информации: dsCompetitor: "));
  EXPECT_EQ(ViewTexts(window->dsCompetitor, "Name"), (QStringList{"Иванов", "Петров"}));
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

TEST_F(ProtocolFiles, AProtocolThatIsNotOpenWritesNothingAndAsksNothing) {
  auto window = Start();
  ShowActive(*window);
  Files.Path = testing_sandbox::Path(QStringLiteral("team.ktp"));
  Click(window->btnSaveTeamProtocol);
  EXPECT_TRUE(Files.Offered.isEmpty());
  EXPECT_FALSE(QFile::exists(Files.Path));
}

TEST_F(ProtocolFiles, AFileOpenedIntoTheTeamProtocolBeforeAnyBuildBringsItsColumns) {
  const QString path = testing_sandbox::Path(QStringLiteral("team.ktp"));
  testing_sandbox::WriteFile(
      path, TeamProtocolPacket({"Team", "LC_058"}, 255, {{{"Team", "Динамо"}, {"LC_058", "20+18"}}}));
  auto window = Start();
  ShowActive(*window);
  Files.Path = path;
  Click(window->btnLoadTeamProtocol);
  ASSERT_TRUE(window->dsTeamProtocol.Active());
  EXPECT_EQ(window->dsTeamProtocol.FieldCount(), 2);
  EXPECT_EQ(ViewTexts(window->dsTeamProtocol, "LC_058"), QStringList{"20+18"});

  // Columns a file brought do not bind the next file to them.
  Files.Path = testing_sandbox::Path(QStringLiteral("other.ktp"));
  testing_sandbox::WriteFile(Files.Path, TeamProtocolPacket({"Team", "S_163", "S_168"}, 255,
                                                            {{{"Team", "Спартак"}, {"S_168", "16"}}}));
  Click(window->btnLoadTeamProtocol);
  ASSERT_TRUE(window->dsTeamProtocol.Active());
  EXPECT_EQ(window->dsTeamProtocol.FieldCount(), 3);
  EXPECT_EQ(ViewRows(window->dsTeamProtocol, {"Team", "S_168"}), QStringList{"Спартак|16"});
  EXPECT_TRUE(Dialogs.Informations.isEmpty()) << Dialogs.Informations.join(u'\n').toStdString();
}

TEST_F(ProtocolFiles, OnceBuiltTheTeamProtocolOpensOnlyAFileWithEveryBuiltColumn) {
  // A file of another competition: only the women's long cycle 58.
  const QString otherPath = testing_sandbox::Path(QStringLiteral("other.ktp"));
  testing_sandbox::WriteFile(otherPath, TeamProtocolPacket({"Team", "LC_058"}, 255));

  WriteAthletes({{"Иванов", 1, 66, "Динамо", true, true, false}});
  auto window = Start();
  ShowActive(*window);
  Build(*window);
  ShowPageOf(window->tbshTeamProtocol);
  Click(window->btnCreateTeamProtocol);
  const int columns = window->dsTeamProtocol.FieldCount();
  ASSERT_GT(columns, 3);
  Files.Path = testing_sandbox::Path(QStringLiteral("team.ktp"));
  Click(window->btnSaveTeamProtocol);
  Click(window->btnLoadTeamProtocol);
  EXPECT_TRUE(window->dsTeamProtocol.Active());
  EXPECT_EQ(window->dsTeamProtocol.FieldCount(), columns);
  EXPECT_EQ(ViewTexts(window->dsTeamProtocol, "Team"), QStringList{"Динамо"});

  Files.Path = otherPath;
  Click(window->btnLoadTeamProtocol);
  ASSERT_EQ(Dialogs.Informations.size(), 1);
  EXPECT_TRUE(Dialogs.Informations[0].startsWith(
      QStringLiteral("Файл не содержит нужной информации: dsTeamProtocol: ")))
      << Dialogs.Informations[0].toStdString();
  // The refused file leaves the protocol as it was, its columns and rows.
  EXPECT_TRUE(window->dsTeamProtocol.Active());
  EXPECT_EQ(window->dsTeamProtocol.FieldCount(), columns);
  EXPECT_EQ(ViewTexts(window->dsTeamProtocol, "Team"), QStringList{"Динамо"});
  // The built columns stay with the table: the next build has them all.
  Click(window->btnCreateTeamProtocol);
  EXPECT_TRUE(window->dsTeamProtocol.Active());
  EXPECT_EQ(window->dsTeamProtocol.FieldCount(), columns);
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

// A folder that is not there, or a file the user made read-only (renaming
// over it needs only its folder's permission, so it must be refused all the
// same, also for root): the error names the file, which stays as it was,
// and the protocol still counts as unsaved.
TEST_F(ProtocolFiles, ASaveThatCannotBeWrittenIsReportedAndCountsAsUnsaved) {
  WriteAthletes({{"Иванов", 1, 66}});
  auto window = Start();
  ShowActive(*window);
  Build(*window);
  SetResult(window->dsSnatch, "Result", 50);
  const struct {
    const char* Name;
    bool ReadOnly;  // an existing file, set read-only
    int Reason;
  } cases[] = {{"no such folder/snatch.ktp", false, ENOENT}, {"snatch.ktp", true, EACCES}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    Dialogs.Errors.clear();
    Files.Path = testing_sandbox::Path(QString::fromLatin1(c.Name));
    if (c.ReadOnly) {
      testing_sandbox::WriteFile(Files.Path, "kept");
      QFile::setPermissions(Files.Path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    }
    Click(window->btnSaveSnatch);
    EXPECT_EQ(Dialogs.Errors,
              QStringList{QStringLiteral("dsSnatch: Cannot create file \"%1\". %2")
                              .arg(Files.Path, QString::fromLocal8Bit(std::strerror(c.Reason)))});
    if (c.ReadOnly) {
      EXPECT_EQ(testing_sandbox::ReadFile(Files.Path), "kept");
    }
    EXPECT_TRUE(window->ProtocolUnsaved(window->dsSnatch));
  }
}

// ---- Opening over unsaved results ----

TEST_F(ProtocolFiles, AnOpenOverUnsavedResultsAsksAndAFailedOneKeepsThem) {
  WriteAthletes(
      {{"Иванов", 1, 66, "Динамо", true, true, true}, {"Петров", 1, 67, "Спартак", true, true, true}});
  auto window = Start();
  ShowActive(*window);
  Build(*window);
  // The files that will not open: one cut short, one of another kind, one
  // gone between the choice and the reading.
  const QString cut = testing_sandbox::Path(QStringLiteral("cut.ktp"));
  const QString biathlon = testing_sandbox::Path(QStringLiteral("biathlon.ktp"));
  Files.Path = cut;
  Click(window->btnSaveSnatch);
  const QByteArray whole = testing_sandbox::ReadFile(cut);
  testing_sandbox::WriteFile(cut, whole.left(whole.size() / 2));
  Files.Path = biathlon;
  Click(window->btnSaveBiathlon);
  const QString gone = testing_sandbox::Path(QStringLiteral("gone.ktp"));

  EnterCell(*window->grSnatch, 0, "Result", QStringLiteral("60"));
  TClientDataSet& snatch = window->dsSnatch;
  const QString filter = snatch.Filter();
  const QStringList rows{"Иванов|60", "Петров|"};
  ASSERT_EQ(ViewRows(snatch, {"Name", "Result"}), rows);
  ASSERT_TRUE(window->ProtocolUnsaved(snatch));

  // Cancel: no file is even asked for.
  Dialogs.Answer = false;
  Files.Path = biathlon;
  Files.Kinds.clear();
  Click(window->btnLoadSnatch);
  EXPECT_EQ(Dialogs.Questions, QStringList{"Протокол не сохранен. Открыть другой?"});
  EXPECT_TRUE(Files.Kinds.isEmpty());
  EXPECT_EQ(ViewRows(snatch, {"Name", "Result"}), rows);

  Dialogs.Answer = true;
  for (const QString& path : {cut, biathlon, gone}) {
    Files.Path = path;
    Dialogs.Informations.clear();
    Click(window->btnLoadSnatch);
    ASSERT_EQ(Dialogs.Informations.size(), 1) << path.toStdString();
    EXPECT_TRUE(Dialogs.Informations[0].startsWith("Файл не содержит нужной информации: dsSnatch: "))
        << Dialogs.Informations[0].toStdString();
    EXPECT_TRUE(snatch.Active()) << path.toStdString();
    EXPECT_EQ(ViewRows(snatch, {"Name", "Result"}), rows) << path.toStdString();
    EXPECT_EQ(GridColumn(*window->grSnatch, window->grSnatch->ColumnPosition("Name")),
              (QStringList{"Иванов", "Петров"}));
    EXPECT_EQ(snatch.Filter(), filter);
    EXPECT_TRUE(snatch.Filtered());
    EXPECT_TRUE(window->ProtocolUnsaved(snatch)) << path.toStdString();
  }
  EXPECT_EQ(Dialogs.Questions.size(), 4);

  // The close still knows the result is not saved.
  Dialogs.Answer = false;
  EXPECT_FALSE(window->close());
  EXPECT_EQ(Dialogs.Questions.last(), "Протоколы не сохранены. Закрыть программу?");
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

TEST_F(ProtocolFiles, TheRelayAsksBeforeItsMembersAreReplacedAndKeepsThemOnAFailedOpen) {
  WriteAthletes({{"Иванов", 1, 66, "Динамо"}, {"Петров", 1, 67, "Динамо"}});
  auto window = Start();
  ShowActive(*window);
  // A snatch protocol file: another kind for the relay.
  Build(*window);
  const QString snatch = testing_sandbox::Path(QStringLiteral("snatch.ktp"));
  Files.Path = snatch;
  Click(window->btnSaveSnatch);

  ShowPageOf(window->tbshRRJerk);
  Click(window->btnNewRelayRace);
  ASSERT_TRUE(window->dsCompetitor.Locate("Name", QStringLiteral("Петров")));
  Click(window->butCompetitorSelect);
  TClientDataSet& relay = window->dsRelayRace;
  const QString filter = relay.Filter();
  ASSERT_EQ(ViewTexts(relay, "Name"), QStringList{"Петров"});
  ASSERT_TRUE(window->ProtocolUnsaved(relay));

  window->miLanguage_EN->trigger();
  Dialogs.Answer = false;
  Click(window->btnLoadRR);
  EXPECT_EQ(Dialogs.Questions, QStringList{"The protocol is not saved. Open another?"});
  Dialogs.Answer = true;
  Click(window->btnLoadRR);
  ASSERT_EQ(Dialogs.Informations.size(), 1);
  EXPECT_TRUE(Dialogs.Informations[0].startsWith("File incorrect: dsRelayRace: "))
      << Dialogs.Informations[0].toStdString();
  EXPECT_EQ(ViewTexts(relay, "Name"), QStringList{"Петров"});
  EXPECT_EQ(relay.Filter(), filter);
  EXPECT_TRUE(window->ProtocolUnsaved(relay));

  // Once saved, a file opens without the question.
  Files.Path = testing_sandbox::Path(QStringLiteral("relay.ktp"));
  Click(window->btnSaveRR);
  Dialogs.Questions.clear();
  Click(window->btnLoadRR);
  EXPECT_TRUE(Dialogs.Questions.isEmpty());
  EXPECT_EQ(ViewTexts(relay, "Name"), QStringList{"Петров"});
  EXPECT_FALSE(window->ProtocolUnsaved(relay));
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

// ---- The close ----

TEST_F(ProtocolFiles, ClosingAsksOnlyWhenAProtocolHoldsChangesNotSaved) {
  WriteAthletes({{"Иванов", 1, 66}});
  auto window = Start();
  ShowActive(*window);
  Build(*window);
  // Just built: nothing typed is lost.
  EXPECT_FALSE(window->ProtocolUnsaved(window->dsSnatch));

  EnterCell(*window->grSnatch, 0, "Result", QStringLiteral("60"));
  Dialogs.Answer = false;
  EXPECT_FALSE(window->close());
  EXPECT_EQ(Dialogs.Questions, QStringList{"Протоколы не сохранены. Закрыть программу?"});
  EXPECT_TRUE(window->isVisible());
  // Cancel ran nothing of the close: the register was not merged.
  EXPECT_TRUE(
      ReadRows(&TCompetitionTables::dsCompetitorHB, QStringLiteral("CompetitorHB.xml"), {"Name"}).isEmpty());

  Files.Path = testing_sandbox::Path(QStringLiteral("snatch.ktp"));
  Click(window->btnSaveSnatch);
  EXPECT_FALSE(window->ProtocolUnsaved(window->dsSnatch));
  // A row being typed into counts, posted or not.
  window->dsSnatch.Edit();
  window->dsSnatch.FieldByName("Point").SetAsInteger(3);
  EXPECT_TRUE(window->ProtocolUnsaved(window->dsSnatch));
  window->dsSnatch.Cancel();
  EXPECT_FALSE(window->ProtocolUnsaved(window->dsSnatch));
  Click(window->btnLoadLongCycle);
  EXPECT_FALSE(window->ProtocolUnsaved(window->dsLongCycle));
  window->dsLongCycle.First();
  window->dsLongCycle.Delete();
  EXPECT_TRUE(window->ProtocolUnsaved(window->dsLongCycle));

  window->miLanguage_EN->trigger();
  Dialogs.Answer = true;
  EXPECT_TRUE(window->close());
  EXPECT_EQ(Dialogs.Questions.last(), QStringLiteral("Protocols are not saved. Close the program?"));
  window.reset();
}

}  // namespace
}  // namespace app_test
