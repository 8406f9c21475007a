// The streams tab: the stream files, stream numbers, the order of going out,
// the list of competitors still to be placed with its exclusions, deleting
// rows and streams, and the printed order of going out.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QTabWidget>
#include <QToolButton>

#include "app/frames/stream_frame.h"
#include "app/main_window.h"
#include "platform/spreadsheet/office.h"
#include "platform/widgets/data_grid.h"
#include "tests/app/athletes.h"
#include "tests/app/window_fixture.h"
#include "tests/support/pdf_reader.h"
#include "tests/support/test_sandbox.h"

namespace app_test {
namespace {

const QString kOnlyLast = QStringLiteral("Удалять можно только последний");
const QString kNotEmpty = QStringLiteral("Поток не пуст");
const QString kDeleteAll = QStringLiteral("Будут удалены все потоки");

// A registered competitor; a discipline is entered when its best result is
// given (0 counts as entered without a result, -1 as not entered).
struct TEntrant {
  const char* Name;
  double Weight;
  int Snatch = -1;
  int LongCycle = -1;
  double Biathlon = -1;
};

void WriteRegister(const QList<TEntrant>& entrants) {
  QList<TAthlete> athletes;
  for (const TEntrant& e : entrants) {
    athletes << TAthlete{.Name = e.Name,
                         .Weight = e.Weight,
                         .Snatch = e.Snatch >= 0,
                         .LongCycle = e.LongCycle >= 0,
                         .Biathlon = e.Biathlon >= 0,
                         .BestSnatch = e.Snatch > 0 ? e.Snatch : -1,
                         .BestLongCycle = e.LongCycle > 0 ? e.LongCycle : -1,
                         .BestBiathlon = e.Biathlon > 0 ? e.Biathlon : -1};
  }
  WriteAthletes(athletes);
}

// The rows of a stream file as "ID|Name|Weight|BestResult", in the order of
// going out.
QStringList StoredStreams(const char* fileName) {
  TClientDataSet stream(QStringLiteral("dsStream"));
  DefineStreamTable(stream);
  stream.SetFileName(testing_sandbox::Folder() + "/data/Tyazharnet-protocol/" +
                     QString::fromLatin1(fileName));
  stream.Open();
  QStringList rows;
  for (stream.First(); !stream.Eof(); stream.Next()) {
    QStringList values;
    for (const char* field : {"ID", "Name", "Weight", "BestResult"}) {
      values << stream.FieldByName(QString::fromLatin1(field)).AsString();
    }
    rows << values.join(u'|');
  }
  return rows;
}

enum class TChoose { Button, DoubleClick, Enter };

class Streams : public WindowTest {
 protected:
  void TearDown() override {
    if (window) {
      Stop(window);
    }
    WindowTest::TearDown();
  }

  // The program started over this register, on the streams tab.
  void Open(const QList<TEntrant>& entrants) {
    if (window) {
      Stop(window);
    }
    WriteRegister(entrants);
    Restart();
  }
  // A new run of the program over the same data folder, on the streams tab.
  void Restart() {
    if (window) {
      Stop(window);
    }
    window = Start();
    ShowActive(*window);
    ShowStreams();
  }

  template <class T = QWidget>
  T* Named(const char* name) {
    return Find<T>(*window, name);
  }
  TfrmStream& Frame(const char* name) { return *Named<TfrmStream>(name); }
  TfrmStream& Snatch() { return Frame("frmStreamSnatch"); }
  TDataGrid& List() { return *Named<TDataGrid>("grStreamHB"); }
  QStringList Listed() { return GridColumn(List()); }
  static QStringList Shown(TfrmStream& frame) { return GridColumn(*frame.grStream); }

  void ShowStreams() { ShowPageOf(Named("tbshStream")); }
  void ShowPage(const char* page) { ShowPageOf(Named(page)); }
  void SetExcept(bool on) { Named<QCheckBox>("cbExcept")->setChecked(on); }

  // Makes the competitor the list's current row, as a click on it does, and
  // chooses it into the stream shown.
  // Occurrence: which of the rows of that name, from 0.
  void Choose(const char* name, TChoose how = TChoose::Button, int occurrence = 0) {
    TDataGrid& grid = List();
    int row = -1;
    for (int seen = 0; seen <= occurrence; ++seen) {
      row = int(Listed().indexOf(QString::fromUtf8(name), row + 1));
    }
    ASSERT_GE(row, 0) << name << " is not listed";
    const QRect cell = grid.visualRect(grid.model()->index(row, 0));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    switch (how) {
      case TChoose::Button:
        QTest::mouseClick(Named<QToolButton>("butCompetitorStreamSelect"), Qt::LeftButton);
        break;
      case TChoose::DoubleClick:
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
        break;
      case TChoose::Enter:
        QTest::keyClick(&grid, Qt::Key_Return);
        break;
    }
    QApplication::processEvents();
  }

  static void Press(TfrmStream& frame, const char* button) {
    auto* found = frame.findChild<QToolButton*>(QString::fromLatin1(button));
    ASSERT_NE(found, nullptr) << button;
    QTest::mouseClick(found, Qt::LeftButton);
  }
  // Picks the stream from the selector by keyboard, as the user would.
  static void Pick(TfrmStream& frame, const char* number) {
    QComboBox& combo = *frame.cbStream;
    const int target = combo.findText(QString::fromLatin1(number));
    ASSERT_GE(target, 0) << number;
    while (combo.currentIndex() > target) {
      QTest::keyClick(&combo, Qt::Key_Up);
    }
    while (combo.currentIndex() < target) {
      QTest::keyClick(&combo, Qt::Key_Down);
    }
  }
  // Deletes the frame's row of the competitor by the navigator.
  static void DeleteRow(TfrmStream& frame, const char* name) {
    const int row = int(Shown(frame).indexOf(QString::fromUtf8(name)));
    ASSERT_GE(row, 0) << name << " is not in the stream shown";
    frame.dsStream.MoveToViewRow(row);
    Press(frame, "dbnvgrStream_delete");
  }

  std::string Errors() const { return Dialogs.Errors.join(u'\n').toStdString(); }

  std::unique_ptr<TfrmMain> window;
};

// ---- Opening the tab ----

TEST_F(Streams, ShowsThePagesOfTheDisciplinesHeld) {
  struct TCase {
    bool Snatch, LongCycle, Biathlon;
    QStringList Visible;
    const char* Current;
  };
  const TCase cases[] = {
      {true,
       true,
       true,
       {"tbshStreamSnatch", "tbshStreamLongCycle", "tbshStreamBiathlon"},
       "tbshStreamSnatch"},
      {false, true, true, {"tbshStreamLongCycle", "tbshStreamBiathlon"}, "tbshStreamLongCycle"},
      {false, false, true, {"tbshStreamBiathlon"}, "tbshStreamBiathlon"},
      {true, false, false, {"tbshStreamSnatch"}, "tbshStreamSnatch"},
  };
  Open({});
  auto* pages = Named<QTabWidget>("pcStream");
  for (const TCase& c : cases) {
    Named<QTabWidget>("pcMain")->setCurrentIndex(0);
    Named<QCheckBox>("cbSnatch")->setChecked(c.Snatch);
    Named<QCheckBox>("cbLongCycle")->setChecked(c.LongCycle);
    Named<QCheckBox>("cbBiathlon")->setChecked(c.Biathlon);
    // The page shown last time gives way to the first one held.
    pages->setCurrentIndex(pages->count() - 1);
    ShowStreams();
    QStringList visible;
    for (int i = 0; i < pages->count(); ++i) {
      if (pages->isTabVisible(i)) {
        visible << pages->widget(i)->objectName();
      }
    }
    EXPECT_EQ(visible, c.Visible) << c.Current;
    EXPECT_EQ(pages->currentWidget()->objectName(), c.Current);
  }
}

TEST_F(Streams, FirstShowingCreatesTheThreeStreamFilesAndListsTheEntrantsOfThePage) {
  Open({{"Иванов", 70, 50}, {"Петров", 75, -1, 40}, {"Сидоров", 80, 30, 20, 55.5}});
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors();
  for (const char* file : {"SStream.xml", "LStream.xml", "BStream.xml"}) {
    EXPECT_TRUE(QFileInfo::exists(DataFile(QString::fromLatin1(file)))) << file;
  }
  for (const char* frame : {"frmStreamSnatch", "frmStreamLongCycle", "frmStreamBiathlon"}) {
    EXPECT_EQ(Items(*Frame(frame).cbStream), QStringList{"1"}) << frame;
  }
  EXPECT_EQ(Listed().size(), 2);
  EXPECT_TRUE(Listed().contains("Иванов") && Listed().contains("Сидоров"))
      << Listed().join(',').toStdString();
  ShowPage("tbshStreamLongCycle");
  EXPECT_EQ(Listed().size(), 2);
  EXPECT_TRUE(Listed().contains("Петров") && Listed().contains("Сидоров"));
  ShowPage("tbshStreamBiathlon");
  EXPECT_EQ(Listed(), QStringList{"Сидоров"});
}

TEST_F(Streams, ARegisterRowAppendedAndLeftEmptyIsNoCompetitor) {
  WriteRegister({{"Иванов", 70, 50}});
  window = Start();
  ShowActive(*window);
  ShowPageOf(Named("tbshCredentialsCommittee"));
  QTest::mouseClick(Named<QToolButton>("dbnvgrCompetitor_insert"), Qt::LeftButton);
  ASSERT_EQ(window->dsCompetitor.State(), TDataSetState::dsInsert);
  ShowStreams();
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors();
  EXPECT_EQ(Listed(), QStringList{"Иванов"});
  EXPECT_EQ(window->dsCompetitor.RecordCount(), 1);
}

TEST_F(Streams, AStreamFileThatCannotBeReadKeepsOnlyItsOwnDisciplineClosed) {
  WriteRegister({{"Иванов", 70, 50, 40}});
  const QByteArray damaged = "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET";
  testing_sandbox::WriteFile(DataFile("SStream.xml"), damaged);
  Restart();
  EXPECT_EQ(Dialogs.Errors.size(), 1) << Errors();
  EXPECT_FALSE(Snatch().dsStream.Active());
  ShowPage("tbshStreamLongCycle");
  Choose("Иванов");
  EXPECT_EQ(Shown(Frame("frmStreamLongCycle")), QStringList{"Иванов"});
  Stop(window);
  EXPECT_EQ(testing_sandbox::ReadFile(DataFile("SStream.xml")), damaged);
  EXPECT_EQ(StoredStreams("LStream.xml"), QStringList{"1|Иванов|70|40"});
}

TEST_F(Streams, AStreamFileThatCannotBeCreatedIsTriedAgainAtTheNextShowing) {
  WriteRegister({{"Иванов", 70, 50}});
  window = Start();
  ShowActive(*window);
  ASSERT_TRUE(QDir(DataFolder()).removeRecursively());
  ShowStreams();
  EXPECT_EQ(Dialogs.Errors.size(), 1) << Errors();
  // Nothing is placed into a table that has no file to go to.
  EXPECT_FALSE(Snatch().dsStream.Active());

  QDir().mkpath(DataFolder());
  Named<QTabWidget>("pcMain")->setCurrentIndex(0);
  ShowStreams();
  EXPECT_EQ(Dialogs.Errors.size(), 1) << Errors();
  Choose("Иванов");
  Stop(window);
  EXPECT_EQ(StoredStreams("SStream.xml"), QStringList{"1|Иванов|70|50"});
}

// ---- Stream numbers ----

TEST_F(Streams, OnlyTheLastStreamIsDeletedAndOnlyWhenEmpty) {
  for (const bool english : {false, true}) {
    Open({{"Иванов", 70, 50}});
    if (english) {
      window->miLanguage_EN->trigger();
    }
    const QString onlyLast = english ? QStringLiteral("Delete may be jast last") : kOnlyLast;
    const QString notEmpty = english ? QStringLiteral("Stream is not empty") : kNotEmpty;
    Dialogs.Informations.clear();
    TfrmStream& frame = Snatch();
    QComboBox& numbers = *frame.cbStream;

    // A single stream 1 stays.
    Press(frame, "btnDelStream");
    EXPECT_EQ(Dialogs.Informations, QStringList{onlyLast});
    EXPECT_EQ(Items(numbers), QStringList{"1"});

    Press(frame, "btnAddStream");
    Press(frame, "btnAddStream");
    EXPECT_EQ(Items(numbers), (QStringList{"1", "2", "3"}));
    EXPECT_EQ(numbers.currentText(), "3");
    EXPECT_EQ(frame.dsStream.Filter(), "ID=3");

    Pick(frame, "2");
    Press(frame, "btnDelStream");
    EXPECT_EQ(Dialogs.Informations.value(1), onlyLast);
    EXPECT_EQ(Items(numbers), (QStringList{"1", "2", "3"}));

    // Stream 3 holds a competitor.
    Pick(frame, "3");
    Choose("Иванов");
    EXPECT_EQ(Shown(frame), QStringList{"Иванов"});
    Press(frame, "btnDelStream");
    EXPECT_EQ(Dialogs.Informations.value(2), notEmpty);
    EXPECT_EQ(Items(numbers), (QStringList{"1", "2", "3"}));

    DeleteRow(frame, "Иванов");
    Press(frame, "btnDelStream");
    EXPECT_EQ(Items(numbers), (QStringList{"1", "2"}));
    EXPECT_EQ(numbers.currentText(), "2");
    EXPECT_EQ(frame.dsStream.Filter(), "ID=2");
    EXPECT_EQ(Dialogs.Informations.size(), 3);
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors();
  }
}

TEST_F(Streams, StoredStreamsAreWithinReachAfterARestart) {
  Open({{"Иванов", 70, 50}, {"Петров", 72.5, 45}});
  TfrmStream* frame = &Snatch();
  Press(*frame, "btnAddStream");
  Press(*frame, "btnAddStream");
  Choose("Петров");
  Pick(*frame, "1");
  Choose("Иванов");
  Restart();
  EXPECT_EQ(StoredStreams("SStream.xml"), (QStringList{"1|Иванов|70|50", "3|Петров|72,5|45"}));

  frame = &Snatch();
  EXPECT_EQ(Items(*frame->cbStream), (QStringList{"1", "2", "3"}));
  EXPECT_EQ(frame->cbStream->currentText(), "1");
  EXPECT_EQ(Shown(*frame), QStringList{"Иванов"});
  Pick(*frame, "3");
  EXPECT_EQ(Shown(*frame), QStringList{"Петров"});
  Press(*frame, "btnDelStream");
  EXPECT_EQ(Dialogs.Informations, QStringList{kNotEmpty});
  // The next stream added after them is 4.
  Press(*frame, "btnAddStream");
  EXPECT_EQ(frame->cbStream->currentText(), "4");
}

// ---- Choosing competitors ----

TEST_F(Streams, GoOutLighterFirstThenByLowerBestResultWhicheverWayChosen) {
  Open({{"Тяжёлый сильный", 70, 50}, {"Тяжёлый слабый", 70, 40}, {"Лёгкий", 65, 60}});
  Choose("Тяжёлый сильный", TChoose::Button);
  Choose("Тяжёлый слабый", TChoose::DoubleClick);
  Choose("Лёгкий", TChoose::Enter);
  TfrmStream& frame = Snatch();
  EXPECT_EQ(Shown(frame), (QStringList{"Лёгкий", "Тяжёлый слабый", "Тяжёлый сильный"}));
  EXPECT_EQ(GridColumn(*frame.grStream, 1), (QStringList{"65", "70", "70"}));
  // Without the exclusion everyone stays listed and can be placed again.
  EXPECT_EQ(Listed().size(), 3);
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors();
  Stop(window);
  EXPECT_EQ(StoredStreams("SStream.xml"),
            (QStringList{"1|Лёгкий|65|60", "1|Тяжёлый слабый|70|40", "1|Тяжёлый сильный|70|50"}));
}

TEST_F(Streams, AnExcludedCompetitorLeavesEveryPageUntilTheStreamRowGoes) {
  // The apostrophe must not break anything the name passes through.
  Open({{"O'Нил", 70, 50, 40, 90}, {"Петров", 75, 45, 35, 80}});
  SetExcept(true);
  Choose("O'Нил");
  EXPECT_EQ(Shown(Snatch()), QStringList{"O'Нил"});
  for (const char* page : {"tbshStreamSnatch", "tbshStreamLongCycle", "tbshStreamBiathlon"}) {
    ShowPage(page);
    EXPECT_EQ(Listed(), QStringList{"Петров"}) << page;
  }
  // Placed in a second discipline too: one row per discipline, the one flag.
  ShowPage("tbshStreamLongCycle");
  SetExcept(false);
  Choose("Петров");
  EXPECT_EQ(Shown(Frame("frmStreamLongCycle")), QStringList{"Петров"});
  EXPECT_EQ(Listed(), QStringList{"Петров"});

  ShowPage("tbshStreamSnatch");
  DeleteRow(Snatch(), "O'Нил");
  EXPECT_EQ(Dialogs.Questions, QStringList{"Удалить запись?"});
  EXPECT_TRUE(Shown(Snatch()).isEmpty());
  for (const char* page : {"tbshStreamSnatch", "tbshStreamLongCycle", "tbshStreamBiathlon"}) {
    ShowPage(page);
    EXPECT_EQ(Listed().size(), 2) << page;
    EXPECT_TRUE(Listed().contains("O'Нил")) << page;
  }
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors();
}

TEST_F(Streams, OfNamesakesOfOneWeightTheExcludedOneComesBack) {
  Open({{"Иванов", 70, 50}, {"Иванов", 70, 40}});
  TfrmStream& frame = Snatch();
  SetExcept(true);
  Choose("Иванов", TChoose::Button, 1);
  EXPECT_EQ(Listed(), QStringList{"Иванов"});
  // The one still listed is placed again without leaving the list.
  SetExcept(false);
  Choose("Иванов");
  EXPECT_EQ(Shown(frame).size(), 2);
  DeleteRow(frame, "Иванов");
  EXPECT_EQ(Listed(), (QStringList{"Иванов", "Иванов"}));

  // Both placed and excluded: a rebuild keeps both out, not one twice.
  SetExcept(true);
  Choose("Иванов");
  Choose("Иванов");
  EXPECT_TRUE(Listed().isEmpty());
  QTest::mouseClick(Named<QToolButton>("btnRefreshStreamHB"), Qt::LeftButton);
  EXPECT_TRUE(Listed().isEmpty());
}

TEST_F(Streams, ChoosingFromAnEmptyListDoesNothing) {
  Open({{"Петров", 75, -1, 40}});
  EXPECT_TRUE(Listed().isEmpty());
  QTest::mouseClick(Named<QToolButton>("butCompetitorStreamSelect"), Qt::LeftButton);
  QTest::keyClick(&List(), Qt::Key_Return);
  EXPECT_TRUE(Snatch().dsStream.IsEmpty());
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors();
}

// ---- Rebuilding the list ----

TEST_F(Streams, RebuildingKeepsEveryExclusionWhateverThePageShown) {
  Open({{"Рывков", 70, 50}, {"Двоеборов", 75, 45, 40}, {"Толкачёв", 80, -1, 30}});
  SetExcept(true);
  Choose("Рывков");
  Choose("Двоеборов");
  EXPECT_TRUE(Listed().isEmpty());

  // Registered after the list was built: listed only after the next rebuild.
  TClientDataSet& register_ = window->dsCompetitor;
  register_.Append();
  register_.FieldByName("Name").SetAsString("Новиков");
  register_.FieldByName("SexRef").SetAsInteger(1);
  register_.FieldByName("Birthday").SetAsString("03.04.1995");
  register_.FieldByName("Weight").SetAsFloat(68);
  register_.FieldByName("Snatch").SetAsBoolean(true);
  register_.FieldByName("LongCycle").SetAsBoolean(true);
  register_.Post();
  ShowPage("tbshStreamLongCycle");
  EXPECT_EQ(Listed(), QStringList{"Толкачёв"});

  // A snatch-only competitor excluded on the snatch page stays excluded
  // after a rebuild on another page.
  QTest::mouseClick(Named<QToolButton>("btnRefreshStreamHB"), Qt::LeftButton);
  EXPECT_EQ(Listed().size(), 2);
  EXPECT_TRUE(Listed().contains("Толкачёв") && Listed().contains("Новиков"));
  ShowPage("tbshStreamSnatch");
  EXPECT_EQ(Listed(), QStringList{"Новиков"});

  // And the exclusion still ends with the stream row.
  DeleteRow(Snatch(), "Рывков");
  EXPECT_EQ(Listed().size(), 2);
  EXPECT_TRUE(Listed().contains("Рывков"));
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors();
}

TEST_F(Streams, RebuildStopsAtARegisterRowWithoutANameAndKeepsTheExclusions) {
  Open({{"Иванов", 70, 50}, {"Петров", 75, 45}, {"", 80, 40}, {"Сидоров", 85, 35}});
  const QString refused = QStringLiteral("Не допускается пустое значение поля \"ФИО\"");
  EXPECT_EQ(Dialogs.Errors, QStringList{refused});
  EXPECT_EQ(Listed().size(), 2);
  SetExcept(true);
  Choose("Петров");
  QTest::mouseClick(Named<QToolButton>("btnRefreshStreamHB"), Qt::LeftButton);
  EXPECT_EQ(Dialogs.Errors, (QStringList{refused, refused}));
  EXPECT_EQ(Listed(), QStringList{"Иванов"});
}

// ---- Deleting all streams ----

TEST_F(Streams, DeletingAllStreamsAsksThenEmptiesThemAndListsEveryoneAgain) {
  Open({{"Иванов", 70, 50}, {"Петров", 75, 45}, {"Сидоров", 80, 40}});
  TfrmStream& frame = Snatch();
  SetExcept(true);
  Choose("Иванов");
  Press(frame, "btnAddStream");
  Choose("Петров");
  Choose("Сидоров");
  EXPECT_TRUE(Listed().isEmpty());

  Dialogs.Answer = false;
  Press(frame, "btnDelAllStream");
  EXPECT_EQ(Dialogs.Questions, QStringList{kDeleteAll});
  EXPECT_EQ(Items(*frame.cbStream), (QStringList{"1", "2"}));
  EXPECT_EQ(Shown(frame), (QStringList{"Петров", "Сидоров"}));
  EXPECT_TRUE(Listed().isEmpty());

  Dialogs.Answer = true;
  Press(frame, "btnDelAllStream");
  EXPECT_EQ(Dialogs.Questions.size(), 2);
  EXPECT_EQ(frame.cbStream->count(), 0);
  EXPECT_EQ(frame.cbStream->currentIndex(), -1);
  EXPECT_TRUE(Shown(frame).isEmpty());
  EXPECT_EQ(Listed().size(), 3);

  // With no stream left, the next competitor chosen opens stream 1.
  Choose("Сидоров");
  EXPECT_EQ(Items(*frame.cbStream), QStringList{"1"});
  EXPECT_EQ(Shown(frame), QStringList{"Сидоров"});
  Press(frame, "btnDelAllStream");
  Press(frame, "btnAddStream");
  EXPECT_EQ(Items(*frame.cbStream), QStringList{"1"});
  EXPECT_EQ(frame.dsStream.Filter(), "ID=1");
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors();
  Stop(window);
  EXPECT_TRUE(StoredStreams("SStream.xml").isEmpty());
}

// ---- Printing ----

TEST_F(Streams, PrintButtonPrintsEveryStreamOfTheFrame) {
  if (office::FindSoffice(nullptr).isEmpty()) {
    GTEST_SKIP() << "LibreOffice is not installed";
  }
  Open({{"Иванов", 70, 50}, {"Петров", 72.5, 45}, {"Сидоров", 80, 40}});
  TfrmStream& frame = Snatch();
  Choose("Петров");
  Choose("Иванов");
  Press(frame, "btnAddStream");
  Choose("Сидоров");

  const QString pdf = testing_sandbox::Path("stream.pdf");
  const TPrintToPdf printTo(pdf);
  Press(frame, "btnPrintStream");
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors();

  const QString text = testing_pdf::Text(pdf);
  const QStringList lines = {
      "Порядок выхода спортсменов", "Поток № 1", "Иванов, 70", "Петров, 72,5", "Поток № 2", "Сидоров, 80"};
  qsizetype from = 0;
  for (const QString& line : lines) {
    const qsizetype at = text.indexOf(line, from);
    EXPECT_GE(at, from) << line.toStdString() << " in order in\n" << text.toStdString();
    from = std::max(from, at);
  }
  EXPECT_EQ(testing_pdf::Pages(pdf), 1);
  // The frame shows its own stream again.
  EXPECT_EQ(Shown(frame), QStringList{"Сидоров"});
}

}  // namespace
}  // namespace app_test
