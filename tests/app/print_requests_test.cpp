// Print requests from the window: the class caption and referees of the
// class shown, a class printed to PDF and read back, the export of the whole
// competition from the menu, and one competition day from the register to the
// printout.
#include <signal.h>
#include <sys/resource.h>

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTabWidget>
#include <QToolButton>
#include <memory>

#include "app/file_dialog.h"
#include "app/main_window.h"
#include "platform/core/exception.h"
#include "platform/spreadsheet/spreadsheet_server.h"
#include "platform/widgets/data_grid.h"
#include "tests/app/athletes.h"
#include "tests/app/window_fixture.h"
#include "tests/support/pdf_reader.h"
#include "tests/support/test_sandbox.h"

namespace app_test {
namespace {

using PrintRequests = WindowTest;

void WriteClasses(TClientDataSet TCompetitionTables::*table, const QString& fileName,
                  const QList<std::tuple<int, const char*, const char*>>& rows) {
  TCompetitionTables tables;
  WriteTable(tables.*table, fileName, [&](TClientDataSet& t) {
    for (const auto& [limit, referee, main] : rows) {
      t.Append();
      t.FieldByName("Weight").SetAsInteger(limit);
      t.FieldByName("RefereePlatform").SetAsString(QString::fromUtf8(referee));
      t.FieldByName("RefereePlatformMain").SetAsString(QString::fromUtf8(main));
      t.Post();
    }
  });
}

TEST_F(PrintRequests, CaptionAndRefereesAreThoseOfTheClassShown) {
  WriteClasses(&TCompetitionTables::dsManWeight, QStringLiteral("ManWeight.xml"),
               {{63, "Орлов", "Соколов"}, {68, "Белов", "Чернов"}, {1000, "Открытый", "Старший"}});
  WriteClasses(&TCompetitionTables::dsWomanWeight, QStringLiteral("WomanWeight.xml"),
               {{58, "Женский", "Старшая"}, {1000, "", ""}});
  WriteAthletes({{"Иванов"}});
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->tbshCompetition);
  Click(window->btnNewCompetition);
  const struct {
    const char* What;
    bool Men;
    int Item;
    bool English;
    const char* Caption;
    const char* Referee;
    const char* Main;
  } cases[] = {
      {"men's 68", true, 1, false, "до", "Белов", "Чернов"},
      {"men's 68 in English", true, 1, true, "до", "Белов", "Чернов"},
      {"men's open class", true, 2, false, "свыше", "Открытый", "Старший"},
      {"men's open class in English", true, 2, true, "above", "Открытый", "Старший"},
      {"women's class without referees", false, 1, false, "свыше", "", ""},
      {"women's 58", false, 0, false, "до", "Женский", "Старшая"},
  };
  for (const auto& c : cases) {
    (c.English ? window->miLanguage_EN : window->miLanguage_RU)->trigger();
    // The other sex's selector shows something else: only the page shown counts.
    Choose(*window->cbCompManWeightClass, c.Men ? c.Item : 0);
    Choose(*window->cbCompWomanWeightClass, c.Men ? 0 : c.Item);
    ShowPageOf(c.Men ? window->tbshCompMan : window->tbshCompWoman);
    QString referee = QStringLiteral("x");
    QString main = QStringLiteral("x");
    window->GetPlatformReferees(referee, main);
    EXPECT_EQ(window->GetWeightClassCaption(), QString::fromUtf8(c.Caption)) << c.What;
    EXPECT_EQ(referee, QString::fromUtf8(c.Referee)) << c.What;
    EXPECT_EQ(main, QString::fromUtf8(c.Main)) << c.What;
  }
}

TEST_F(PrintRequests, TheOpenClassPrintsWithTheRequirementsOfTheHeaviestClosedLimit) {
  WriteRequirements({{"Рывок", "105+", 1, 21, 32, 141}, {"Рывок", "105+", 1, 2, 32, 127}});
  WriteAthletes({{"Тяжеловес Пётр", 1, 120}});
  auto window = Start();
  ShowActive(*window);
  window->edCompetitionName->setText(QStringLiteral("Кубок области"));
  ShowPageOf(window->tbshCompetition);
  Click(window->btnNewCompetition);
  ShowPageOf(window->tbshCompMan);
  Choose(*window->cbCompManWeightClass, 7);
  const TPrintToPdf pdf(testing_sandbox::Path(QStringLiteral("open.pdf")));
  ShowPageOf(window->tbshSnatch);
  Click(window->btnPrintSnatch);
  ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
  const QString text = testing_pdf::Text(pdf.Path);
  for (const char* expected : {"Кубок области", "Тяжеловес Пётр", "свыше 105", "141", "127"}) {
    EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
  }
  // The builder gave the protocol its class filter back.
  EXPECT_EQ(window->dsSnatch.Filter(), QStringLiteral("SexRef=1 and Weight > 105 and Weight <= 1000"));
  EXPECT_FALSE(window->dsSnatch.ControlsDisabled());
}

TEST_F(PrintRequests, TheMenuExportsTheWholeCompetitionIntoOneOpenWorkbook) {
  WriteAthletes({{"Анна", 0, 55}, {"Борис", 1, 66, "Урал", false, true, false}});
  std::vector<std::shared_ptr<const spreadsheet::TWorkbook>> books;
  QStringList opened;
  spreadsheet::TSpreadsheetServer& server = spreadsheet::DefaultSpreadsheetServer();
  const spreadsheet::TSpreadsheetHooks old = server.SetHooks(
      {[&](const std::shared_ptr<const spreadsheet::TWorkbook>& book) { books.push_back(book); },
       {},
       [&](const QString& path) { opened << path; }});
  {
    auto window = Start();
    ShowActive(*window);
    window->edCompetitionName->setText(QStringLiteral("Первенство"));
    ShowPageOf(window->tbshCompetition);
    Click(window->btnNewCompetition);
    window->miExportExcel->trigger();
    QApplication::processEvents();
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
    EXPECT_EQ(window->dsSnatch.Filter(), QStringLiteral("SexRef=0 and Weight <= 58"));
  }
  server.SetHooks(old);
  ASSERT_EQ(books.size(), 1u);
  ASSERT_EQ(opened.size(), 1);
  QStringList names;
  QStringList texts;
  for (int i = 1; i <= books[0]->SheetCount(); ++i) {
    const spreadsheet::TWorksheet& sheet = books[0]->Sheet(i);
    names << sheet.Name();
    for (const auto& [address, cell] : sheet.Cells()) {
      if (const auto* text = std::get_if<QString>(&cell.Value)) {
        texts << *text;
      }
    }
  }
  EXPECT_GT(names.size(), 2) << names.join(u',').toStdString();
  const QString all = texts.join(u'|');
  for (const char* expected : {"Первенство по гиревому спорту", "|Анна|", "|Борис|"}) {
    EXPECT_TRUE(all.contains(QString::fromUtf8(expected))) << expected << "\n" << all.toStdString();
  }
}

// The spreadsheet's desktop opener fails for one test, as on a machine where
// no program takes .xlsx files.
class TOpenerFails {
 public:
  explicit TOpenerFails(const QString& reason)
      : FOld(spreadsheet::DefaultSpreadsheetServer().SetHooks(
            {{}, {}, [reason](const QString&) { throw Exception(reason); }})) {}
  ~TOpenerFails() { spreadsheet::DefaultSpreadsheetServer().SetHooks(FOld); }
  TOpenerFails(const TOpenerFails&) = delete;
  TOpenerFails& operator=(const TOpenerFails&) = delete;

 private:
  spreadsheet::TSpreadsheetHooks FOld;
};

TEST_F(PrintRequests, AnExportNoProgramOpensTellsWhereTheWorkbookWasSaved) {
  WriteAthletes({{"Анна", 0, 55}});
  const TOpenerFails opener(QStringLiteral("нет программы для .xlsx"));
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->tbshCompetition);
  Click(window->btnNewCompetition);
  const struct {
    bool English;
    const char* Pattern;
  } cases[] = {
      {false, "^Книга сохранена: (/.+\\.xlsx)\nОткрыть её не удалось: нет программы для \\.xlsx$"},
      {true, "^The workbook was saved: (/.+\\.xlsx)\nIt could not be opened: нет программы для \\.xlsx$"},
  };
  QStringList saved;
  for (const auto& c : cases) {
    (c.English ? window->miLanguage_EN : window->miLanguage_RU)->trigger();
    Dialogs.Informations.clear();
    window->miExportExcel->trigger();
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
    ASSERT_EQ(Dialogs.Informations.size(), 1) << c.English;
    const QRegularExpressionMatch told = QRegularExpression(c.Pattern).match(Dialogs.Informations[0]);
    ASSERT_TRUE(told.hasMatch()) << Dialogs.Informations[0].toStdString();
    const QString path = told.captured(1);
    EXPECT_TRUE(testing_sandbox::ReadFile(path).startsWith("PK")) << path.toStdString();
    saved << path;
  }
  EXPECT_NE(saved[0], saved[1]);
}

TEST_F(PrintRequests, AnExportThatCannotBeSavedIsAnError) {
  // A cache "folder" that is a file: the folder for exported workbooks cannot be made.
  testing_sandbox::WriteFile(testing_sandbox::Path(QStringLiteral("cache-file")), "x");
  qputenv("XDG_CACHE_HOME", testing_sandbox::Path(QStringLiteral("cache-file")).toUtf8());
  const TOpenerFails opener(QStringLiteral("не должна открываться"));
  auto window = Start();
  ShowActive(*window);
  window->miExportExcel->trigger();
  EXPECT_TRUE(Dialogs.Informations.isEmpty()) << Dialogs.Informations.join(u'|').toStdString();
  ASSERT_EQ(Dialogs.Errors.size(), 1) << Errors(Dialogs);
  EXPECT_TRUE(
      Dialogs.Errors[0].startsWith(QStringLiteral("Книгу не удалось сохранить: Не удалось создать папку ")))
      << Dialogs.Errors[0].toStdString();
}

TEST_F(PrintRequests, APdfThatCannotBeWrittenNamesTheFileAndTheReason) {
  // LibreOffice, played by a script, makes a PDF of 1 MB; the program may
  // write files of 256 KB only. The script lifts the limit for itself.
  const QString soffice = testing_sandbox::Path(QStringLiteral("soffice"));
  testing_sandbox::WriteFile(soffice,
                             "#!/bin/sh\nulimit -f unlimited\n"
                             "while [ $# -gt 1 ]; do [ \"$1\" = --outdir ] && out=$2; shift; done\n"
                             "head -c 1048576 /dev/zero > \"$out/$(basename \"$1\" .xlsx).pdf\"\n");
  QFile::setPermissions(soffice, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  qputenv("TYAZHAR_SOFFICE", soffice.toUtf8());
  WriteAthletes({{"Тяжеловес Пётр", 1, 120}});
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->tbshCompetition);
  Click(window->btnNewCompetition);
  ShowPageOf(window->tbshCompMan);
  const TPrintToPdf pdf(testing_sandbox::Path(QStringLiteral("Протокол.pdf")));
  testing_sandbox::WriteFile(pdf.Path, "the protocol printed before");
  {
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    const auto oldSignal = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = old;
    limited.rlim_cur = 256 * 1024;
    ::setrlimit(RLIMIT_FSIZE, &limited);
    const auto restore = qScopeGuard([&] {
      ::setrlimit(RLIMIT_FSIZE, &old);
      ::signal(SIGXFSZ, oldSignal);
    });
    ShowPageOf(window->tbshSnatch);
    Click(window->btnPrintSnatch);
  }
  qunsetenv("TYAZHAR_SOFFICE");
  ASSERT_EQ(Dialogs.Errors.size(), 1) << Errors(Dialogs);
  const QString prefix = QStringLiteral("Не удалось записать файл ") + pdf.Path + QStringLiteral(": ");
  EXPECT_TRUE(Dialogs.Errors[0].startsWith(prefix)) << Dialogs.Errors[0].toStdString();
  EXPECT_GT(Dialogs.Errors[0].size(), prefix.size()) << "no reason given";
  EXPECT_EQ(testing_sandbox::ReadFile(pdf.Path), QByteArray("the protocol printed before"));
}

// ---- A competition day ----

TEST_F(PrintRequests, ACompetitionDayFromTheRegisterToThePrintout) {
  WriteRequirements({{"Рывок", "68", 1, 3, 32, 100}});
  WriteClasses(&TCompetitionTables::dsManWeight, QStringLiteral("ManWeight.xml"),
               {{63, "", ""}, {68, "Белов Б.Б.", "Чернов Ч.Ч."}, {1000, "", ""}});
  auto window = Start();
  ShowActive(*window);
  window->edCompetitionName->setText(QStringLiteral("Кубок города"));

  // Registration: three men entered for the snatch.
  const struct {
    const char* Name;
    const char* Weight;
  } people[] = {{"Алексей Смирнов", "66"}, {"Борис Кузнецов", "67"}, {"Виктор Попов", "62"}};
  ShowPageOf(window->tbshCredentialsCommittee);
  for (const auto& p : people) {
    window->dsCompetitor.Append();
    window->dsCompetitor.FieldByName("Name").SetAsString(QString::fromUtf8(p.Name));
    window->dsCompetitor.FieldByName("Sex").SetAsString(QStringLiteral("М"));
    window->dsCompetitor.FieldByName("Birthday").SetAsString(QStringLiteral("03.04.1999"));
    window->dsCompetitor.FieldByName("Weight").SetAsString(QString::fromLatin1(p.Weight));
    window->dsCompetitor.FieldByName("Team").SetAsString(QStringLiteral("Динамо"));
    window->dsCompetitor.FieldByName("Snatch").SetAsBoolean(true);
    window->dsCompetitor.Post();
  }
  ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);

  // Weighing: Popov weighs in at 64.5 and moves up into the 68 class.
  ShowPageOf(window->tbshWeight);
  ShowPageOf(window->tbshMan);
  Choose(*window->cbManWeightClass, 1);
  ASSERT_EQ(GridColumn(*window->grWeight), QStringList{"Виктор Попов"});
  EnterCell(*window->grWeight, 0, "RealWeight", QStringLiteral("64,5"));
  window->dsCompetitor.Post();
  EXPECT_TRUE(GridColumn(*window->grWeight).isEmpty());

  // The protocols, the men's 68 class, the results typed into the grid.
  ShowPageOf(window->tbshCompetition);
  Click(window->btnNewCompetition);
  ShowPageOf(window->tbshCompMan);
  Choose(*window->cbCompManWeightClass, 1);
  TDataGrid& grid = *window->grSnatch;
  ASSERT_EQ(ViewTexts(window->dsSnatch, "Name"),
            (QStringList{"Виктор Попов", "Алексей Смирнов", "Борис Кузнецов"}));
  EnterCell(grid, 0, "Result", QStringLiteral("95"));
  EnterCell(grid, 1, "Result", QStringLiteral("110"));
  EnterCell(grid, 2, "Result", QStringLiteral("110"));
  EXPECT_EQ(ViewTexts(window->dsSnatch, "Name"),
            (QStringList{"Алексей Смирнов", "Борис Кузнецов", "Виктор Попов"}));
  EXPECT_EQ(ViewTexts(window->dsSnatch, "Position"), (QStringList{"1", "2", "3"}));
  Click(window->btnSetPointSnatch);
  Click(window->btnSetMadeRankSnatch);
  EXPECT_EQ(ViewTexts(window->dsSnatch, "Point"), (QStringList{"20", "18", "16"}));
  EXPECT_EQ(ViewTexts(window->dsSnatch, "MadeRank"), (QStringList{"КМС", "КМС", ""}));

  // Saved, rebuilt empty, reopened.
  TFileDialog::ExecuteHook = [](TFileDialog& dialog) {
    dialog.FileName = testing_sandbox::Path(QStringLiteral("day"));
    return true;
  };
  Click(window->btnSaveSnatch);
  Click(window->btnNewCompetition);
  Choose(*window->cbCompManWeightClass, 1);
  EXPECT_EQ(ViewTexts(window->dsSnatch, "Result"), (QStringList{"", "", ""}));
  TFileDialog::ExecuteHook = [](TFileDialog& dialog) {
    dialog.FileName = testing_sandbox::Path(QStringLiteral("day.ktp"));
    return true;
  };
  Click(window->btnLoadSnatch);
  TFileDialog::ExecuteHook = {};
  EXPECT_EQ(ViewTexts(window->dsSnatch, "Point"), (QStringList{"20", "18", "16"}));

  // Printed.
  const TPrintToPdf pdf(testing_sandbox::Path(QStringLiteral("day.pdf")));
  Click(window->btnPrintSnatch);
  ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
  const QString text = testing_pdf::Text(pdf.Path);
  for (const char* expected : {"Кубок города", "до 68", "Алексей Смирнов", "Борис Кузнецов", "Виктор Попов",
                               "Белов Б.Б.", "Чернов Ч.Ч."}) {
    EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
  }
  // Nothing unsaved: the window closes without a question (the one asked was
  // the rebuild's).
  EXPECT_TRUE(window->close());
  EXPECT_EQ(Dialogs.Questions, QStringList{"Протокол будет удален и пересоздан"});
}

}  // namespace
}  // namespace app_test
