// The weight class tables: the open class and its limit, a class row
// without a limit, class files in other programs' encodings, and what a
// changed, added or deleted limit does once the protocols are built (the
// weights that change class, the classes numbered afresh, the notice).
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QTabBar>
#include <QTimer>
#include <QToolButton>

#include "app/main_window.h"
#include "app/protocol_rules.h"
#include "platform/spreadsheet/spreadsheet_server.h"
#include "platform/spreadsheet/workbook_model.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/data_navigator.h"
#include "tests/app/athletes.h"
#include "tests/app/window_fixture.h"

namespace app_test {
namespace {

using Weighing = WindowTest;

// ---- Class tables ----

TEST_F(Weighing, TheOpenClassKeepsItsLimitAndItsRow) {
  auto window = Start();
  ShowActive(*window);
  TDataGrid& grid = *window->grManWeight;
  ShowPageOf(&grid);
  const int open = window->dsManWeight.RecordCount() - 1;
  EXPECT_EQ(grid.model()->index(open, 0).data().toString(), QStringLiteral("свыше"));

  EnterCell(grid, open, "Weight", QStringLiteral("70"));
  window->dsManWeight.Post();
  window->dsManWeight.Last();
  EXPECT_EQ(window->dsManWeight.FieldByName("Weight").AsInteger(), 1000);

  EnterCell(grid, 0, "Weight", QStringLiteral("1200"));
  EXPECT_EQ(Dialogs.Errors, QStringList{"Значение не может быть больше, чем 999"});
  window->dsManWeight.Cancel();
  window->dsManWeight.First();
  EXPECT_EQ(window->dsManWeight.FieldByName("Weight").AsInteger(), 63);

  window->dsManWeight.Last();
  window->dbnvgrManWeight->Button(nbDelete)->click();
  EXPECT_EQ(window->dsManWeight.RecordCount(), 8);
  window->dsManWeight.First();
  window->dbnvgrManWeight->Button(nbDelete)->click();
  EXPECT_EQ(window->dsManWeight.RecordCount(), 7);
  EXPECT_EQ(Dialogs.Errors.size(), 1) << Errors(Dialogs);

  SwitchTo(*window, 1);
  EXPECT_EQ(grid.model()->index(window->dsManWeight.RecordCount() - 1, 0).data().toString(),
            QStringLiteral("above"));
}

// The places on an exported class sheet, each with its athlete: "1 Name".
QStringList ExportedPlaces(const spreadsheet::TWorkbook& book, const QString& sheetName) {
  QStringList places;
  for (int i = 1; i <= book.SheetCount(); ++i) {
    const spreadsheet::TWorksheet& sheet = book.Sheet(i);
    if (sheet.Name() != sheetName) {
      continue;
    }
    const auto text = [&](int row, int column) {
      const spreadsheet::TCellValue value = sheet.ValueAt(row, column);
      if (const auto* number = std::get_if<double>(&value)) {
        return QString::number(*number);
      }
      const auto* word = std::get_if<QString>(&value);
      return word ? *word : QString();
    };
    for (const auto& [address, cell] : sheet.Cells()) {
      if (address.Column == 2 && text(address.Row, 2).startsWith(QStringLiteral("Атлет"))) {
        places << text(address.Row, 1) + u' ' + text(address.Row, 2);
      }
    }
  }
  return places;
}

// A change of the class limits as the body weights see it: each run of
// weights that changes class, from where (the class as named afterwards) to
// where.
TEST(WeightClassChange, TheWeightsThatChangeClassAndWhere) {
  const struct {
    const char* What;
    std::vector<int> Before;
    std::vector<int> After;
    QStringList Moves;  // "(lower,upper] from>to", "-" for none
  } cases[] = {
      {"no limit changed", {63, 68, 1000}, {63, 68, 1000}, {}},
      {"90 deleted", {85, 90, 95, 1000}, {85, 95, 1000}, {"(85,90] ->95"}},
      {"85 lowered to 80", {78, 85, 95}, {78, 80, 95}, {"(80,85] 80>95"}},
      {"85 raised to 90", {78, 85, 95}, {78, 90, 95}, {"(85,90] 95>90"}},
      {"90 added", {85, 95, 1000}, {85, 90, 95, 1000}, {"(85,90] 95>90"}},
      {"85 raised past 95", {78, 85, 95, 105}, {78, 95, 100, 105}, {"(78,85] 100>95", "(95,100] 105>100"}},
      {"the first class lowered", {63, 68}, {60, 68}, {"(60,63] 60>68"}},
      {"a first class in an empty table", {}, {58}, {"(,58] ->58"}},
      {"the heaviest class deleted, none above it", {63, 68}, {63}, {}},
  };
  const auto text = [](const std::optional<int>& limit) {
    return limit ? QString::number(*limit) : QStringLiteral("-");
  };
  for (const auto& c : cases) {
    QStringList moves;
    for (const TClassMove& move : ClassMoves(c.Before, c.After)) {
      moves << QStringLiteral("(%1,%2] %3>%4")
                   .arg(move.Lower ? QString::number(*move.Lower) : QString(), QString::number(move.Upper),
                        text(move.From), text(move.To));
    }
    EXPECT_EQ(moves, c.Moves) << c.What;
  }
}

// The whole competition exported, as the recording double receives it.
std::shared_ptr<const spreadsheet::TWorkbook> Export(TfrmMain& window) {
  std::vector<std::shared_ptr<const spreadsheet::TWorkbook>> books;
  spreadsheet::TSpreadsheetServer& server = spreadsheet::DefaultSpreadsheetServer();
  const spreadsheet::TSpreadsheetHooks old = server.SetHooks(
      {[&](const std::shared_ptr<const spreadsheet::TWorkbook>& book) { books.push_back(book); },
       {},
       [](const QString&) {}});
  window.miExportExcel->trigger();
  QApplication::processEvents();
  server.SetHooks(old);
  EXPECT_EQ(books.size(), 1u);
  return books.empty() ? nullptr : books.front();
}

// What a grid shows, row by row: the texts of the fields' columns, joined by "|".
QStringList Shown(TDataGrid& grid, const QStringList& fields) {
  QStringList rows;
  for (int row = 0; row < grid.model()->rowCount(); ++row) {
    QStringList values;
    for (const QString& field : fields) {
      const int column = grid.horizontalHeader()->logicalIndex(grid.ColumnPosition(field));
      values << grid.model()->index(row, column).data().toString();
    }
    rows << values.join(u'|');
  }
  return rows;
}

// Types a result into the row of the athlete in the class view shown.
void TypeResult(TDataGrid& grid, const char* name, const char* result) {
  const int row = Shown(grid, {"Name"}).indexOf(QString::fromUtf8(name));
  ASSERT_GE(row, 0) << name;
  EnterCell(grid, row, "Result", QString::fromLatin1(result));
}

// Puts the class grid's cursor on a row with the keys, from the top.
void ToClassRow(TDataGrid& classes, int row) {
  ShowPageOf(&classes);
  Focus(&classes);
  QTest::keyClick(&classes, Qt::Key_Home, Qt::ControlModifier);
  for (int i = 0; i < row; ++i) {
    QTest::keyClick(&classes, Qt::Key_Down);
  }
  QApplication::processEvents();
}

// Deleting the men's class 90 once the protocols are built: its athletes
// fall into 95, whose places were numbered without them. The secretary is
// asked; Cancel keeps everything, OK numbers the merged class afresh, so
// that its sheet has one athlete on each place, and the competition tab
// lists the classes left, the class 95 still shown.
TEST_F(Weighing, DeletingAClassTheProtocolsUseAsksAndNumbersTheMergedClassAfresh) {
  const struct {
    const char* What;
    bool Ok;
    QStringList Classes;  // of the men's grid and the competition selector afterwards
    QStringList Places;   // of every men's snatch row: place, name
    const char* Filter;   // of the class 95 shown
  } cases[] = {
      {"Cancel",
       false,
       {"63", "68", "73", "78", "85", "90", "95", "105", "свыше"},
       {"1|Атлет А", "2|Атлет Б", "1|Атлет В", "2|Атлет Г", "1|Атлет Д"},
       "SexRef=1 and Weight > 90 and Weight <= 95"},
      {"OK",
       true,
       {"63", "68", "73", "78", "85", "95", "105", "свыше"},
       {"2|Атлет А", "3|Атлет Б", "1|Атлет В", "4|Атлет Г", "1|Атлет Д"},
       "SexRef=1 and Weight > 85 and Weight <= 95"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    QFile::remove(DataFile("ManWeight.xml"));  // the default classes, without the 90 of the case before
    WriteAthletes(
        {{"Атлет А", 1, 88}, {"Атлет Б", 1, 89}, {"Атлет В", 1, 93}, {"Атлет Г", 1, 94}, {"Атлет Д", 1, 70}});
    auto window = Start();
    ShowActive(*window);
    TDataGrid& classes = *window->grManWeight;
    ShowPageOf(&classes);
    Focus(&classes);
    QTest::keyClick(&classes, Qt::Key_Insert);
    EnterCell(classes, 0, "Weight", QStringLiteral("90"));
    Click(window->dbnvgrManWeight->Button(nbPost));

    // Results typed into the classes 90 and 95, each numbered on its own.
    ShowPageOf(window->tbshCompetition);
    Click(window->btnNewCompetition);
    ShowPageOf(window->tbshCompMan);
    TDataGrid& snatch = *window->grSnatch;
    const struct {
      int Item;
      const char* First;
      const char* Second;
    } results[] = {{5, "100", "90"}, {6, "120", "80"}, {2, "50", nullptr}};
    for (const auto& r : results) {
      Choose(*window->cbCompManWeightClass, r.Item);
      EnterCell(snatch, 0, "Result", QString::fromLatin1(r.First));
      if (r.Second) {
        EnterCell(snatch, 1, "Result", QString::fromLatin1(r.Second));
      }
    }
    Choose(*window->cbCompManWeightClass, 6);
    const QString shownAthlete = window->dsSnatch.FieldByName("Name").AsString();

    // The class 90 chosen with the keys and deleted with Ctrl+Delete.
    ToClassRow(classes, 5);
    ASSERT_EQ(window->dsManWeight.FieldByName("Weight").AsInteger(), 90);
    QStringList questions;
    const TConfirmation recorder = SetConfirmation([&](const QString& question) {
      questions << question;
      return question == RecordDeletePrompt() || c.Ok;
    });
    QTest::keyClick(&classes, Qt::Key_Delete, Qt::ControlModifier);
    QApplication::processEvents();
    SetConfirmation(recorder);
    ASSERT_EQ(questions.size(), 2) << questions.join(u'\n').toStdString();
    EXPECT_EQ(
        questions[1],
        QStringLiteral("В протоколах есть спортсмены весовой категории 90. После удаления категории они "
                       "перейдут в категорию 95, и места в ней будут пересчитаны; командные очки и "
                       "выполненные разряды этой категории нужно будет проставить заново. Удалить "
                       "категорию?"));
    EXPECT_EQ(GridColumn(classes), c.Classes);
    EXPECT_EQ(Items(*window->cbCompManWeightClass), c.Classes);
    EXPECT_EQ(window->cbCompManWeightClass->currentText(), QStringLiteral("95"));
    EXPECT_EQ(window->dsSnatch.Filter(), QString::fromLatin1(c.Filter));
    EXPECT_EQ(window->dsSnatch.FieldByName("Name").AsString(), shownAthlete);
    window->dsSnatch.SetFiltered(false);
    window->dsSnatch.SetIndexName(QString());
    EXPECT_EQ(ViewRows(window->dsSnatch, {"Position", "Name"}), c.Places);
    window->dsSnatch.SetIndexName(QStringLiteral("dsJerkIndex"));
    window->dsSnatch.SetFilter(QString::fromLatin1(c.Filter));
    window->dsSnatch.SetFiltered(true);
    EXPECT_TRUE(Dialogs.Informations.isEmpty()) << Dialogs.Informations.join(u'\n').toStdString();
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);

    // The exported sheet of the class that took them in.
    const auto book = Export(*window);
    ASSERT_NE(book, nullptr);
    const QStringList exported = c.Ok ? QStringList{"1 Атлет В", "2 Атлет А", "3 Атлет Б", "4 Атлет Г"}
                                      : QStringList{"1 Атлет В", "2 Атлет Г"};
    EXPECT_EQ(ExportedPlaces(*book, QStringLiteral("Р1д95")), exported);
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
  }
}

// A limit typed over or a class added after the build moves athletes between
// classes whose places were numbered without them: two athletes on place 1,
// or places that skip one. The classes that take athletes in or lose some
// are numbered afresh, on screen and on the exported sheets, and the
// secretary is told which once the row is posted.
TEST_F(Weighing, AChangedOrAddedLimitNumbersTheClassesItChangesAfresh) {
  const struct {
    const char* What;
    bool Insert;  // a new row above 85, else the limit 85 typed over
    const char* Limit;
    QStringList Classes;  // of the men's grid afterwards
    const char* Told;
    std::vector<std::pair<const char*, QStringList>> Sheets;
    QStringList Shown;  // the class 95, chosen before: place|name
  } cases[] = {
      {"85 lowered to 80: 80 to 85 go up to 95",
       false,
       "80",
       {"63", "68", "73", "78", "80", "95", "105", "свыше"},
       "80, 95",
       {{"Р1д80", {"1 Атлет А"}}, {"Р1д95", {"1 Атлет Г", "2 Атлет Б", "3 Атлет В", "4 Атлет Д"}}},
       {"1|Атлет Г", "2|Атлет Б", "3|Атлет В", "4|Атлет Д"}},
      {"85 raised to 90: 85 to 90 come down",
       false,
       "90",
       {"63", "68", "73", "78", "90", "95", "105", "свыше"},
       "90, 95",
       {{"Р1д90", {"1 Атлет Г", "2 Атлет Б", "3 Атлет А", "4 Атлет В"}}, {"Р1д95", {"1 Атлет Д"}}},
       {"1|Атлет Д"}},
      {"90 added: 95 split",
       true,
       "90",
       {"63", "68", "73", "78", "85", "90", "95", "105", "свыше"},
       "90, 95",
       {{"Р1д85", {"1 Атлет Б", "2 Атлет А", "3 Атлет В"}},
        {"Р1д90", {"1 Атлет Г"}},
        {"Р1д95", {"1 Атлет Д"}}},
       {"1|Атлет Д"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.What);
    QFile::remove(DataFile("ManWeight.xml"));
    Dialogs.Informations.clear();
    WriteAthletes(
        {{"Атлет А", 1, 79}, {"Атлет Б", 1, 82}, {"Атлет В", 1, 84}, {"Атлет Г", 1, 88}, {"Атлет Д", 1, 93}});
    auto window = Start();
    ShowActive(*window);
    ShowPageOf(window->tbshCompetition);
    Click(window->btnNewCompetition);
    ShowPageOf(window->tbshCompMan);
    TDataGrid& snatch = *window->grSnatch;
    Choose(*window->cbCompManWeightClass, 4);
    for (const auto& [name, result] : {std::pair{"Атлет А", "100"}, {"Атлет Б", "110"}, {"Атлет В", "90"}}) {
      TypeResult(snatch, name, result);
    }
    Choose(*window->cbCompManWeightClass, 5);
    for (const auto& [name, result] : {std::pair{"Атлет Г", "120"}, {"Атлет Д", "80"}}) {
      TypeResult(snatch, name, result);
    }
    ASSERT_EQ(Shown(snatch, {"Position", "Name"}), (QStringList{"1|Атлет Г", "2|Атлет Д"}));

    TDataGrid& classes = *window->grManWeight;
    ToClassRow(classes, 4);
    if (c.Insert) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Insert);
    }
    TypeText(QString::fromLatin1(c.Limit));
    if (c.Insert) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QApplication::processEvents();
    EXPECT_EQ(window->dsManWeight.State(), TDataSetState::dsBrowse);
    EXPECT_EQ(GridColumn(classes), c.Classes);
    EXPECT_TRUE(Dialogs.Questions.isEmpty()) << Dialogs.Questions.join(u'\n').toStdString();
    EXPECT_EQ(Dialogs.Informations,
              QStringList{QStringLiteral("Спортсмены перешли в другие весовые категории. Места пересчитаны в "
                                         "категориях: %1; командные очки и выполненные разряды этих "
                                         "категорий нужно проставить заново.")
                              .arg(QString::fromLatin1(c.Told))});

    ShowPageOf(window->tbshCompetition);
    EXPECT_EQ(window->cbCompManWeightClass->currentText(), QStringLiteral("95"));
    EXPECT_EQ(Shown(snatch, {"Position", "Name"}), c.Shown);
    const auto book = Export(*window);
    ASSERT_NE(book, nullptr);
    for (const auto& [sheet, places] : c.Sheets) {
      EXPECT_EQ(ExportedPlaces(*book, QString::fromUtf8(sheet)), places) << sheet;
    }
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
  }
}

// The notice after a limit typed over is the program's own box, which takes
// the focus as a real one does; once it is answered, the keys go on in the
// class grid, on the row the Down went to.
TEST_F(Weighing, AfterTheRenumberingNoticeTheKeysGoOnInTheClassGrid) {
  WriteAthletes({{"Атлет А", 1, 79}, {"Атлет Б", 1, 82}, {"Атлет Г", 1, 88}});
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->tbshCompetition);
  Click(window->btnNewCompetition);
  QStringList shown;
  // The program's own box, answered with Return once it is up.
  const TInformationDisplay recorder = SetInformationDisplay({});
  TInformationDisplay programBox;
  programBox = SetInformationDisplay([&](const QString& message) {
    shown << message;
    QTimer::singleShot(0, [] {
      if (QWidget* open = QApplication::activeModalWidget()) {
        QTest::keyClick(open, Qt::Key_Return);
      }
    });
    programBox(message);
  });
  TDataGrid& classes = *window->grManWeight;
  ToClassRow(classes, 4);
  TypeText(QStringLiteral("80"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  QApplication::processEvents();
  SetInformationDisplay(recorder);
  EXPECT_EQ(shown.size(), 1);
  EXPECT_EQ(QApplication::focusWidget(), &classes);
  TypeText(QStringLiteral("96"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
  QApplication::processEvents();
  EXPECT_EQ(GridColumn(classes), (QStringList{"63", "68", "73", "78", "80", "96", "105", "свыше"}));
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

TEST_F(Weighing, AClassRowIsNotPostedWithoutItsLimit) {
  auto window = Start();
  ShowActive(*window);
  TDataGrid& grid = *window->grManWeight;
  TClientDataSet& classes = window->dsManWeight;
  ShowPageOf(&grid);
  Focus(&grid);
  QTest::keyClick(&grid, Qt::Key_Insert);
  EnterCell(grid, 0, "RefereePlatform", QStringLiteral("Орлов"));
  const QString refused = QStringLiteral("dsManWeight: Field 'вес' must have a value");

  // Neither the post button nor leaving the grid posts it.
  Click(window->dbnvgrManWeight->Button(nbPost));
  window->pcMain->tabBar()->setFocus();
  QApplication::processEvents();
  EXPECT_EQ(Dialogs.Errors, (QStringList{refused, refused}));
  EXPECT_EQ(classes.State(), TDataSetState::dsInsert);
  EXPECT_EQ(classes.RecordCount(), 8);

  // With its limit the row is a class like the others.
  EnterCell(grid, 0, "Weight", QStringLiteral("90"));
  Click(window->dbnvgrManWeight->Button(nbPost));
  EXPECT_EQ(classes.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(GridColumn(grid, 1).value(5), QStringLiteral("Орлов"));
  EXPECT_EQ(GridColumn(grid).value(5), QStringLiteral("90"));
  EXPECT_EQ(Dialogs.Errors.size(), 2) << Errors(Dialogs);
}

// Class files another program wrote, in the encodings many tools declare:
// they load at start-up in their own encoding, and so do the tables after
// them.
TEST_F(Weighing, ClassFilesDeclaredLatin1OrAsciiLoadAtStartUp) {
  const QByteArray fields =
      "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS><FIELD attrname=\"Weight\" fieldtype=\"i4\"/>"
      "<FIELD attrname=\"RefereePlatform\" fieldtype=\"string\" WIDTH=\"255\"/><FIELD "
      "attrname=\"RefereePlatformMain\" fieldtype=\"string\" WIDTH=\"255\"/></FIELDS><PARAMS/></METADATA>";
  // "José Müller" in ISO-8859-1 bytes; "Орлов" and "Иванова" as references.
  testing_sandbox::WriteFile(DataFile("ManWeight.xml"),
                             "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n" + fields +
                                 "<ROWDATA><ROW Weight=\"63\" RefereePlatform=\"Jos\xE9 M\xFCller\"/><ROW "
                                 "Weight=\"1000\" RefereePlatform=\"&#1054;&#1088;&#1083;&#1086;&#1074;\"/>"
                                 "</ROWDATA></DATAPACKET>");
  testing_sandbox::WriteFile(DataFile("WomanWeight.xml"),
                             "<?xml version='1.0' encoding='us-ascii'?>" + fields +
                                 "<ROWDATA><ROW Weight=\"58\" RefereePlatform=\"&#1048;&#1074;&#1072;&#1085;"
                                 "&#1086;&#1074;&#1072;\"/><ROW Weight=\"1000\"/></ROWDATA></DATAPACKET>");
  WriteAthletes({{"Иванов", 1, 60}});
  auto window = Start();
  ShowActive(*window);
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
  ShowPageOf(window->grManWeight);
  EXPECT_EQ(GridColumn(*window->grManWeight), (QStringList{"63", "свыше"}));
  EXPECT_EQ(GridColumn(*window->grManWeight, 1), (QStringList{"José Müller", "Орлов"}));
  EXPECT_EQ(GridColumn(*window->grWomanWeight, 1), (QStringList{"Иванова", ""}));
  EXPECT_EQ(ViewTexts(window->dsCompetitor, "Name"), QStringList{"Иванов"});
  EXPECT_TRUE(window->dsNormative.Active());
}

TEST_F(Weighing, AClassRowWithoutALimitFromAnOlderFileIsNoClassToChoose) {
  TCompetitionTables tables;
  WriteTable(tables.dsManWeight, QStringLiteral("ManWeight.xml"), [](TClientDataSet& t) {
    // As older builds posted it.
    t.FieldByName("Weight").SetRequired(false);
    for (const QVariant& limit : {QVariant(63), QVariant(), QVariant(68), QVariant(1000)}) {
      t.Append();
      t.FieldByName("Weight").SetValue(limit);
      t.FieldByName("RefereePlatform").SetAsString(QStringLiteral("Орлов"));
      t.Post();
    }
  });
  WriteAthletes({{"Лёгкий", 1, 60}, {"Средний", 1, 66}, {"Тяжёлый", 1, 90}, {"Лёгкая", 0, 55}});
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->tbshWeight);
  ShowPageOf(window->tbshMan);
  EXPECT_EQ(Items(*window->cbManWeightClass), (QStringList{"все", "63", "68", "свыше"}));
  const QStringList listed[] = {{"Лёгкий", "Средний", "Тяжёлый"}, {"Лёгкий"}, {"Средний"}, {"Тяжёлый"}};
  for (int item = 0; item < 4; ++item) {
    Choose(*window->cbManWeightClass, item);
    EXPECT_EQ(GridColumn(*window->grWeight), listed[item]) << item;
  }

  ShowPageOf(window->tbshCompetition);
  QTest::mouseClick(window->btnNewCompetition, Qt::LeftButton);
  ShowPageOf(window->tbshCompMan);
  EXPECT_EQ(Items(*window->cbCompManWeightClass), (QStringList{"63", "68", "свыше"}));
  Choose(*window->cbCompManWeightClass, 1);
  EXPECT_EQ(ViewTexts(window->dsSnatch, "Name"), QStringList{"Средний"});
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

}  // namespace
}  // namespace app_test
