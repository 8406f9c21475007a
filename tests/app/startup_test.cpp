// Start-up and shutdown of the main window: the files of a first start and
// their order, a second start, a start-up that stops at a damaged file or a
// missing data folder, the writes at close and their failures, the splash
// window's shape.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

#include "app/frames/stream_frame.h"
#include "app/program.h"
#include "app/splash.h"
#include "platform/widgets/data_edit.h"
#include "platform/widgets/data_grid.h"
#include "tests/app/window_fixture.h"
#include "tests/support/file_events.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/test_sandbox.h"

namespace app_test {
namespace {

const QStringList kStartUpFiles = {
    "Organizer.xml",  "ManWeight.xml",    "WomanWeight.xml", "RefereePlatform.xml", "RefereePlatformMain.xml",
    "Competitor.xml", "CompetitorHB.xml", "TeamHB.xml",      "TrainerHB.xml",       "Normative.xml"};

using StartUp = WindowTest;

TEST_F(StartUp, FirstStartCreatesTheTableFilesInOrderWithTheDefaultClasses) {
  TFileEvents births(DataFolder());
  auto window = Start();
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(u'\n').toStdString();
  EXPECT_EQ(births.Names(".xml"), kStartUpFiles);
  // The settings files are only read at start-up.
  EXPECT_FALSE(QFile::exists(DataFile("Tyazhar.ini")));
  EXPECT_FALSE(QFile::exists(DataFile("Grids.ini")));

  EXPECT_EQ(ReadRows(&TCompetitionTables::dsManWeight, "ManWeight.xml", {"Weight"}),
            (QStringList{"63", "68", "73", "78", "85", "95", "105", "1000"}));
  EXPECT_EQ(ReadRows(&TCompetitionTables::dsWomanWeight, "WomanWeight.xml", {"Weight"}),
            (QStringList{"58", "63", "68", "1000"}));
  // The installer normally writes the ranks requirements; without them the
  // table starts empty.
  EXPECT_TRUE(ReadRows(&TCompetitionTables::dsNormative, "Normative.xml", {"Result"}).isEmpty());
  for (TClientDataSet* table : {&window->dsOrganizer, &window->dsManWeight, &window->dsCompetitor,
                                &window->dsNormative, &window->dsRank, &window->dsSex}) {
    EXPECT_TRUE(table->Active()) << table->Name().toStdString();
  }
  EXPECT_EQ(window->dsRank.RecordCount() + (window->dsRank.State() == TDataSetState::dsInsert ? 1 : 0), 11);
  EXPECT_EQ(window->DataFolder(), DataFolder());

  Stop(window);
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(u'\n').toStdString();
  EXPECT_TRUE(QFile::exists(DataFile("Tyazhar.ini")));
  EXPECT_TRUE(QFile::exists(DataFile("Grids.ini")));
}

TEST_F(StartUp, SecondStartChangesNoFile) {
  auto first = Start();
  Stop(first);
  const QMap<QString, QByteArray> before = Snapshot();
  ASSERT_EQ(before.size(), kStartUpFiles.size() + 2);

  auto second = Start();
  EXPECT_EQ(second->dsManWeight.RecordCount(), 8);
  // Nothing changed, so the close writes nothing at all (a folder that
  // takes no writes has nothing to refuse) and asks nothing.
  TFileEvents births(DataFolder());
  Stop(second);
  EXPECT_EQ(births.Names(QString()), QStringList{});
  EXPECT_TRUE(Dialogs.Questions.isEmpty()) << Dialogs.Questions.join(u'\n').toStdString();
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(u'\n').toStdString();
  EXPECT_EQ(Snapshot(), before);
}

TEST_F(StartUp, DamagedFileStopsTheSequenceAndTheWindowStillWorks) {
  WriteIni("Tyazhar.ini", "[GENERAL]\r\nLanguage=EN\r\n");
  const QByteArray damaged = "<?xml version=\"1.0\"?><DATAPACKET Version=\"2.0\"><METADATA><FIEL";
  testing_sandbox::WriteFile(DataFile("ManWeight.xml"), damaged);

  auto window = Start();
  ASSERT_EQ(Dialogs.Errors.size(), 1);
  EXPECT_TRUE(Dialogs.Errors[0].startsWith("dsManWeight: ")) << Dialogs.Errors[0].toStdString();
  EXPECT_TRUE(window->dsOrganizer.Active());
  for (TClientDataSet* table :
       {&window->dsManWeight, &window->dsWomanWeight, &window->dsRefereePlatform,
        &window->dsRefereePlatformMain, &window->dsRank, &window->dsSex, &window->dsCompetitor,
        &window->dsCompetitorHB, &window->dsHBTeam, &window->dsHBTrainer, &window->dsNormative}) {
    EXPECT_FALSE(table->Active()) << table->Name().toStdString();
  }
  EXPECT_FALSE(QFile::exists(DataFile("WomanWeight.xml")));
  // The texts were never applied: the window shows its design-time Russian
  // although the settings ask for English.
  EXPECT_EQ(window->pcMain->tabText(0), "Протокол соревнований");
  EXPECT_EQ(window->Language(), 1);

  // The menu still shows its design-time check; a switch runs the pass and
  // finds the lookup tables closed, so there is nothing to relabel.
  window->miLanguage_EN->trigger();
  EXPECT_EQ(Dialogs.Errors.size(), 1) << Dialogs.Errors.join(u'\n').toStdString();
  EXPECT_EQ(window->pcMain->tabText(0), "Protocol");

  ShowActive(*window);
  Stop(window);
  EXPECT_EQ(Dialogs.Errors.size(), 1) << Dialogs.Errors.join(u'\n').toStdString();
  // A file that could not be read is never overwritten.
  EXPECT_EQ(testing_sandbox::ReadFile(DataFile("ManWeight.xml")), damaged);
}

TEST_F(StartUp, MissingDataFolderIsShownAndNothingIsWritten) {
  // The "AppData" folder itself is gone: the data folder cannot be made.
  QDir(testing_sandbox::Folder() + "/data").removeRecursively();
  auto window = Start();
  EXPECT_EQ(Dialogs.Errors, QStringList{"Не удается создать каталог с данными приложения"});
  EXPECT_FALSE(window->dsOrganizer.Active());
  Stop(window);
  EXPECT_EQ(Dialogs.Errors.size(), 1) << Dialogs.Errors.join(u'\n').toStdString();
  EXPECT_FALSE(QDir(testing_sandbox::Folder() + "/data").exists());
}

// Saves cut short by a kill leave their temporary files beside the data
// (see the atomic write's tests); the next start removes those and nothing
// that only looks like them.
TEST_F(StartUp, AStartRemovesWhatInterruptedSavesLeftAndNothingElse) {
  const QStringList leftovers = {"Competitor.xml.tyazharnet-Ab3dE9.tmp", "SStream.xml.tyazharnet-ZZZZZZ.tmp",
                                 "Tyazhar.ini.tyazharnet-000000.tmp"};
  const QStringList others = {"Competitor.xml.bak", "notes.tmp", "Competitor.xml.tyazharnet-Ab3dE9.tmp.txt",
                              "Competitor.xml.Ab3dE9"};
  for (const QString& name : leftovers + others) {
    testing_sandbox::WriteFile(DataFile(name), "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACK");
  }
  auto window = Start();
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
  for (const QString& name : leftovers) {
    EXPECT_FALSE(QFile::exists(DataFile(name))) << name.toStdString();
  }
  for (const QString& name : others) {
    EXPECT_TRUE(QFile::exists(DataFile(name))) << name.toStdString();
  }
}

// A first start on a disk too full for a table file: the start-up stops
// there, and the table that could not be created keeps its path, so that
// what is typed into it reaches its file once there is room, by its save
// button or by the close, and a write that still fails says so.
class FullDisk : public WindowTest {
 protected:
  // The window started with room for files of that many bytes; the one error
  // of the start-up says that the file cannot be created.
  std::unique_ptr<TfrmMain> StartWithRoomFor(rlim_t bytes, const char* table, const char* file) {
    std::unique_ptr<TfrmMain> window;
    {
      TFileSizeLimit full(bytes);
      window = Start();
    }
    Cannot = QStringLiteral("%1: Cannot create file \"%2\". ").arg(table, DataFile(file));
    EXPECT_EQ(Dialogs.Errors.size(), 1);
    EXPECT_TRUE(Dialogs.Errors.value(0).startsWith(Cannot)) << Errors(Dialogs);
    EXPECT_FALSE(QFile::exists(DataFile(file)));
    ShowActive(*window);
    return window;
  }
  QString Cannot;
};

TEST_F(FullDisk, TheOrganisersTypedAfterAFailedStartReachTheirFileByTheSaveButton) {
  auto window = StartWithRoomFor(100, "dsOrganizer", "Organizer.xml");
  ShowPageOf(window->grOrganizer);
  Focus(window->grOrganizer);
  QTest::keyClick(window->grOrganizer, Qt::Key_Insert);
  Type("Федерация");
  {
    TFileSizeLimit full(100);
    QTest::mouseClick(window->btnSaveOrganizator, Qt::LeftButton);
  }
  ASSERT_EQ(Dialogs.Errors.size(), 2);
  EXPECT_TRUE(Dialogs.Errors[1].startsWith(Cannot)) << Errors(Dialogs);
  QTest::mouseClick(window->btnSaveOrganizator, Qt::LeftButton);
  EXPECT_EQ(ReadRows(&TCompetitionTables::dsOrganizer, "Organizer.xml", {"Name"}), QStringList{"Федерация"});

  // A table the start-up never reached takes no typing.
  ShowPageOf(window->grManWeight);
  Focus(window->grManWeight);
  QTest::keyClick(window->grManWeight, Qt::Key_Insert);
  Type("70");
  EXPECT_FALSE(window->dsManWeight.Active());
  Stop(window);
  EXPECT_EQ(Dialogs.Errors.size(), 2) << Errors(Dialogs);
  EXPECT_TRUE(Dialogs.Questions.isEmpty());
}

TEST_F(FullDisk, ACompetitorTypedAfterAFailedStartReachesTheRegisterByTheClose) {
  auto window = StartWithRoomFor(700, "dsCompetitor", "Competitor.xml");
  ShowPageOf(window->tbshCredentialsCommittee);
  Click(Find<QToolButton>(*window, "dbnvgrCompetitor_insert"));
  window->edName->setFocus(Qt::OtherFocusReason);
  Type("Новиков");
  Dialogs.Answer = false;
  {
    TFileSizeLimit full(700);
    EXPECT_FALSE(window->close());
  }
  ASSERT_EQ(Dialogs.Questions.size(), 1);
  EXPECT_TRUE(Dialogs.Questions[0].startsWith(Cannot)) << Dialogs.Questions[0].toStdString();
  Dialogs.Answer = true;
  EXPECT_TRUE(window->close());
  window.reset();
  EXPECT_EQ(Dialogs.Questions.size(), 1);
  EXPECT_EQ(Dialogs.Errors.size(), 1) << Errors(Dialogs);
  EXPECT_EQ(ReadRows(&TCompetitionTables::dsCompetitor, "Competitor.xml", {"Name"}), QStringList{"Новиков"});
}

// The close writes what changed before the window goes; writes that fail
// are listed with the question, and once the user closes over them the end
// of the window does not raise them again.
TEST_F(StartUp, CloseWritesTheChangedTablesAndClosingOverFailedWritesRaisesNothingAfter) {
  auto window = Start();
  // A stream table opened from its file, as the streams tab opens it.
  TClientDataSet& stream = window->frmStreamSnatch->dsStream;
  stream.CreateDataSet();
  stream.SaveToFile(DataFile("SStream.xml"), 1);
  stream.Close();
  stream.SetFileName(DataFile("SStream.xml"));
  stream.Open();
  stream.Append();
  stream.FieldByName("ID").SetAsInteger(1);
  stream.FieldByName("Name").SetAsString("Иванов");
  stream.Post();
  window->dsHBTeam.Append();
  window->dsHBTeam.FieldByName("Name").SetAsString("Динамо");
  window->dsHBTeam.Post();
  window->dsHBTrainer.Append();
  window->dsHBTrainer.FieldByName("Name").SetAsString("Кузнецов");
  window->dsHBTrainer.Post();
  // A row still in edit is what the user typed last: the close posts it.
  window->dsOrganizer.Append();
  window->dsOrganizer.FieldByName("Name").SetAsString("typed last");
  window->miLanguage_EN->trigger();

  // Neither the settings file nor the coach handbook can be written now.
  QDir().mkdir(DataFile("Tyazhar.ini"));
  QFile::remove(DataFile("TrainerHB.xml"));
  QDir().mkdir(DataFile("TrainerHB.xml"));
  EXPECT_TRUE(window->close());
  ASSERT_EQ(Dialogs.Questions.size(), 1);
  const QStringList lines = Dialogs.Questions[0].split(u'\n');
  ASSERT_EQ(lines.size(), 4) << Dialogs.Questions[0].toStdString();
  EXPECT_TRUE(lines[0].startsWith("dsHBTrainer: ")) << lines[0].toStdString();
  EXPECT_TRUE(lines[0].contains(DataFile("TrainerHB.xml"))) << lines[0].toStdString();
  EXPECT_TRUE(lines[1].startsWith("Unable to write to")) << lines[1].toStdString();
  EXPECT_TRUE(lines[1].contains(DataFile("Tyazhar.ini"))) << lines[1].toStdString();
  EXPECT_EQ(lines[2], "");
  EXPECT_EQ(lines[3], "Data is not saved. Close the program?");
  window.reset();
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(u'\n').toStdString();
  EXPECT_EQ(Dialogs.Questions.size(), 1);

  // What could be written was: the tables and the grid layout.
  EXPECT_TRUE(QFile::exists(DataFile("Grids.ini")));
  EXPECT_TRUE(QFileInfo(DataFile("TrainerHB.xml")).isDir());
  EXPECT_EQ(ReadRows(&TCompetitionTables::dsHBTeam, "TeamHB.xml", {"Name"}), QStringList{"Динамо"});
  EXPECT_EQ(ReadRows(&TCompetitionTables::dsOrganizer, "Organizer.xml", {"Name"}), QStringList{"typed last"});
  TClientDataSet streamRead("dsStream");
  DefineStreamTable(streamRead);
  streamRead.SetFileName(DataFile("SStream.xml"));
  streamRead.Open();
  EXPECT_EQ(streamRead.RecordCount(), 1);
  EXPECT_EQ(streamRead.FieldByName("Name").AsString(), "Иванов");
}

// The general tab's texts go into the settings file at destruction and
// come back at the next start, letters outside Windows-1251 included; the
// language key, which the installer shares, reads from the same file.
TEST_F(StartUp, SettingsKeepEveryLetterAcrossARestart) {
  const QString city = QString::fromUtf8("Алматы");
  const QString name = QString::fromUtf8("Кубок «Қазақстан» 🏆");
  const QString referee = QString::fromUtf8("Әлия Қасымова");
  const QString secretary = QString::fromUtf8("ნინო ბერიძე");
  auto first = Start();
  first->edCity->setText(city);
  first->edCompetitionName->setText(name);
  first->edRefereeMain->setText(referee);
  first->edSecretary->setText(secretary);
  first->miLanguage_EN->trigger();
  Stop(first);
  EXPECT_TRUE(testing_sandbox::ReadFile(DataFile("Tyazhar.ini")).startsWith("\xEF\xBB\xBF[GENERAL]\r\n"));

  auto second = Start();
  EXPECT_EQ(second->edCity->text(), city);
  EXPECT_EQ(second->edCompetitionName->text(), name);
  EXPECT_EQ(second->edRefereeMain->text(), referee);
  EXPECT_EQ(second->edSecretary->text(), secretary);
  EXPECT_EQ(second->Language(), 1);
  // Back inside the code page, the file keeps every letter all the same.
  second->edCompetitionName->setText(QString::fromUtf8("Кубок области"));
  Stop(second);
  auto third = Start();
  EXPECT_EQ(third->edRefereeMain->text(), referee);
  EXPECT_EQ(third->edCompetitionName->text(), QString::fromUtf8("Кубок области"));
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(u'\n').toStdString();
}

TEST_F(StartUp, WindowOpensMaximisedOnItsFirstPages) {
  auto window = Start();
  EXPECT_TRUE(window->windowState() & Qt::WindowMaximized);
  EXPECT_EQ(window->pcMain->currentWidget(), window->tbshProtocol);
  EXPECT_EQ(window->pcProtocol->currentWidget(), window->tbshProtocol_General);
}

// ---- Splash window ----

// The shape by its own rule: the rectangle, less every pixel of the corner
// colour taken away one by one.
QRegion ShapeByPixels(const QImage& picture) {
  const QRgb transparent = picture.pixel(0, 0);
  QRegion region(0, 0, picture.width(), picture.height());
  for (int x = 0; x < picture.width(); ++x) {
    for (int y = 0; y < picture.height(); ++y) {
      if (picture.pixel(x, y) == transparent) {
        region -= QRegion(x, y, 1, 1);
      }
    }
  }
  return region;
}

QImage Picture(const QStringList& rows) {
  QImage picture(int(rows[0].size()), int(rows.size()), QImage::Format_RGB32);
  for (int y = 0; y < rows.size(); ++y) {
    for (int x = 0; x < rows[y].size(); ++x) {
      const QChar c = rows[y][x];
      picture.setPixel(x, y,
                       c == u'.'   ? qRgb(255, 0, 255)
                       : c == u'a' ? qRgb(20, 30, 40)
                                   : qRgb(255, 0, 254));
    }
  }
  return picture;
}

TEST(Splash, ShapeTakesAwayExactlyThePixelsOfTheCornerColour) {
  const QList<QStringList> pictures = {
      {".aa.", "aaaa", ".aa."},
      // A colour one step off the corner's stays.
      {"..b..", ".aaa.", "ba.ab", ".aaa."},
      {"....", "...."},
      {".aaaaa", "a.a.a.", "aaaaaa"},
  };
  for (const QStringList& rows : pictures) {
    const QImage picture = Picture(rows);
    EXPECT_EQ(SplashShape(picture), ShapeByPixels(picture)) << rows.join(u'/').toStdString();
  }
}

TEST(Splash, WindowHoldsTheBitmapAndAOneSecondTimerThatStopsAtItsTick) {
  TfrmHeadPiece splash;
  EXPECT_EQ(splash.size(), QSize(354, 170));
  ASSERT_NE(splash.Image->pixmap().isNull(), true);
  const QImage picture = splash.Image->pixmap().toImage();
  EXPECT_EQ(picture.size(), QSize(354, 170));
  const QRegion shape = SplashShape(picture);
  EXPECT_FALSE(shape.isEmpty());
  EXPECT_FALSE(shape.contains(QPoint(0, 0)));
  EXPECT_TRUE(shape.contains(QPoint(177, 85)));

  EXPECT_TRUE(splash.Timer->isActive());
  EXPECT_EQ(splash.Timer->interval(), 1000);
  QMetaObject::invokeMethod(splash.Timer, "timeout");
  EXPECT_FALSE(splash.Timer->isActive());
}

}  // namespace
}  // namespace app_test

namespace app_test {
namespace {

TEST_F(StartUp, ProgramMakesAMissingShellDataFolderBeforeTheWindowStarts) {
  QDir(testing_sandbox::Folder() + "/data").removeRecursively();
  MakeShellDataFolder();
  EXPECT_TRUE(QDir(testing_sandbox::Folder() + "/data").exists());
  auto window = Start();
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(u'\n').toStdString();
  EXPECT_TRUE(window->dsNormative.Active());
}

TEST_F(StartUp, MessagesCarryTheProgramNameInTheWindowLanguage) {
  EXPECT_EQ(ProgramTitle(), "Тяжарнет.ПРОТОКОЛ");
  WriteIni("Tyazhar.ini", "[GENERAL]\r\nLanguage=EN\r\n");
  auto window = Start();
  EXPECT_EQ(ProgramTitle(), "Tyazharnet.PROTOCOL");
}

}  // namespace
}  // namespace app_test
