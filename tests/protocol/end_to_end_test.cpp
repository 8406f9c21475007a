// The whole way out: the protocol builder through the program's own
// spreadsheet back end to an .xlsx file, read back by LibreOffice as CSV and
// PDF. Each LibreOffice run takes seconds.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>
#include <functional>
#include <map>

#include "platform/spreadsheet/office.h"
#include "platform/spreadsheet/spreadsheet_server.h"
#include "protocol/protocol.h"
#include "tests/protocol/competition_fixture.h"
#include "tests/support/automation_double.h"
#include "tests/support/pdf_reader.h"
#include "tests/support/test_sandbox.h"

using competition_fixture::TCompetition;
using competition_fixture::TCompetitor;
using competition_fixture::TInterface;
using competition_fixture::TStage;

namespace {

// A CSV file as rows of fields.
using TCsv = std::vector<QStringList>;

TCsv ParseCsv(const QString& text) {
  TCsv rows;
  QStringList row;
  QString field;
  bool quoted = false;
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar ch = text[i];
    if (quoted) {
      if (ch == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
        field += u'"';
        ++i;
      } else if (ch == u'"') {
        quoted = false;
      } else {
        field += ch;
      }
    } else if (ch == u'"') {
      quoted = true;
    } else if (ch == u',') {
      row << field;
      field.clear();
    } else if (ch == u'\n') {
      row << field;
      field.clear();
      rows.push_back(row);
      row.clear();
    } else if (ch != u'\r') {
      field += ch;
    }
  }
  if (!field.isEmpty() || !row.isEmpty()) {
    row << field;
    rows.push_back(row);
  }
  return rows;
}

// "B9" of a CSV sheet; "" outside what the sheet holds.
QString At(const TCsv& csv, const QString& cell) {
  int col = 0;
  int i = 0;
  while (i < cell.size() && cell[i].isLetter()) {
    col = col * 26 + (cell[i].unicode() - u'A' + 1);
    ++i;
  }
  const int row = cell.mid(i).toInt();
  if (row < 1 || row > static_cast<int>(csv.size()) || col > csv[row - 1].size()) {
    return QString();
  }
  return csv[row - 1][col - 1];
}

// Runs LibreOffice with a profile of this test's own; fails the test on error.
bool RunSoffice(const QStringList& arguments) {
  QProcess process;
  process.setProgram(office::FindSoffice(nullptr));
  process.setArguments(
      QStringList{QStringLiteral("-env:UserInstallation=") +
                      QUrl::fromLocalFile(testing_sandbox::Path(QStringLiteral("profile"))).toString(),
                  "--headless", "--invisible", "--nologo", "--norestore", "--nodefault", "--nolockcheck"} +
      arguments);
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.start();
  if (!process.waitForFinished(300000)) {
    process.kill();
    process.waitForFinished();
    ADD_FAILURE() << "LibreOffice did not finish";
    return false;
  }
  if (process.exitCode() != 0) {
    ADD_FAILURE() << "LibreOffice failed: " << process.readAll().toStdString();
    return false;
  }
  return true;
}

// Every sheet of the workbook as CSV, by sheet name, values as shown.
std::map<QString, TCsv> SheetsAsCsv(const QString& xlsx) {
  const QString folder = testing_sandbox::Path(QStringLiteral("csv"));
  QDir().mkpath(folder);
  // Comma, double quote, UTF-8, from line 1, values as shown, every sheet (-1).
  RunSoffice({"--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,true,false,false,-1",
              "--outdir", folder, xlsx});
  std::map<QString, TCsv> sheets;
  const QString prefix = QFileInfo(xlsx).completeBaseName() + u'-';
  for (const QFileInfo& file : QDir(folder).entryInfoList({"*.csv"}, QDir::Files)) {
    sheets[file.completeBaseName().mid(prefix.size())] =
        ParseCsv(QString::fromUtf8(testing_sandbox::ReadFile(file.absoluteFilePath())));
  }
  return sheets;
}

// Keeps a copy for looking at the pages when TYAZHAR_KEEP_OUTPUT names a folder.
void Keep(const QString& path) {
  const QString folder = qEnvironmentVariable("TYAZHAR_KEEP_OUTPUT");
  if (!folder.isEmpty()) {
    QDir().mkpath(folder);
    const QString copy = folder + u'/' + QFileInfo(path).fileName();
    QFile::remove(copy);
    QFile::copy(path, copy);
  }
}

class EndToEndTest : public ::testing::Test {
 protected:
  EndToEndTest() {
    server.SetHooks(
        {.WorkbookAdded = {}, .Print = {}, .Open = [this](const QString& path) { opened << path; }});
    Fill();
  }

  void Fill() {
    c.AddOrganizer(QStringLiteral("Федерация гиревого спорта России"));
    c.AddOrganizer(QStringLiteral("Министерство спорта Тульской области"));
    for (const int limit : {58, 63, 1000}) {
      c.AddWeightClass(0, limit, QStringLiteral("Смирнова А.А."), QStringLiteral("Кузнецова Б.Б."));
    }
    for (const int limit : {68, 73, 1000}) {
      c.AddWeightClass(1, limit, QStringLiteral("Попов В.В."), QStringLiteral("Васильев Г.Г."));
    }
    c.AddCompetitor(c.Snatch, {"Анна Иванова", 0, 57.5, "Тула", 110, 1, 3, 2, 20, "Орлов О.О."});
    c.AddCompetitor(c.Snatch, {"Вера Петрова", 0, 55.0, "Москва", 95, 2, 4, 3, 18, "Соколов С.С."});
    c.AddCompetitor(c.Snatch, {"Галина Сидорова", 0, 56.2, "Калуга", 80, 3, 5, 4, 16, "Орлов О.О."});
    c.AddCompetitor(c.Snatch, {"Дмитрий Козлов", 1, 67.0, "Тула", 150, 1, 2, 21, 20, "Лебедев Л.Л."});
    c.AddCompetitor(c.Snatch, {"Евгений Новиков", 1, 66.5, "Москва", 130, 2, 3, 2, 18, "Лебедев Л.Л."});
    c.AddCompetitor(c.LongCycle, {"Жорж Морозов", 1, 72.0, "Тула", 60, 1, 2, 2, 20, "Волков В.В."});
    c.AddCompetitor(c.LongCycle, {"Захар Павлов", 1, 70.5, "Калуга", 45, 2, 3, 3, 18, "Волков В.В."});
    TCompetitor biathlonFirst{"Игорь Фёдоров", 1, 67.8, "Москва", 110, 1, 2, 2, 20, "Зайцев З.З."};
    biathlonFirst.SnatchResult = 130;
    TCompetitor biathlonSecond{"Кирилл Михайлов", 1, 65.0, "Тула", 90, 2, 3, 3, 18, "Зайцев З.З."};
    biathlonSecond.SnatchResult = 100;
    c.AddCompetitor(c.Biathlon, biathlonFirst);
    c.AddCompetitor(c.Biathlon, biathlonSecond);
    for (const auto& [rank, result] : {std::pair{21, 165}, std::pair{2, 110}, std::pair{3, 70}}) {
      c.AddRequirement({"Двоеборье", "68", 1, rank, 32, result});
      c.AddRequirement({"Рывок", "58", 0, rank, 24, result - 40});
    }
    int position = 1;
    for (const char* team : {"Тула", "Москва"}) {
      for (int step = 1; step <= 3; ++step) {
        c.AddStage(TStage(QString::fromUtf8(team), step, 1, 2, position,
                          QStringLiteral("%1 этап %2").arg(QString::fromUtf8(team)).arg(step), 70.0 + step,
                          10 * step + position));
      }
      ++position;
    }
    c.DefineTeamProtocol({"LC_058", "LC_063", "LC_068", "LC_01000", "LC_163", "LC_168", "LC_173", "LC_178",
                          "LC_185", "S_058", "S_063", "B_168", "B_173"});
    c.AddTeamRow("1", "Тула", 112, {"20", "", "18", "", "", "", "20+16", "", "", "20", "", "18", ""});
    c.AddTeamRow("2", "Москва", 100, {"", "20", "", "16", "18", "", "", "20", "", "", "18", "", "20"});
    c.AddTeamRow("3", "Калуга", 76, {"", "", "", "", "", "20", "", "", "18", "18", "", "20", ""});
    c.AddStream(1, QStringLiteral("Анна Иванова"), 57.5);
    c.AddStream(1, QStringLiteral("Вера Петрова"), 55);
    c.AddStream(2, QStringLiteral("Дмитрий Козлов"), 67);
  }

  void SetUp() override {
    if (office::FindSoffice(nullptr).isEmpty()) {
      GTEST_SKIP() << "LibreOffice is not installed";
    }
  }

  spreadsheet::TSpreadsheetServer server;
  automation_double::TServerScope scope{&server};
  QStringList opened;
  TInterface ui;
  TCompetition c;
};

TEST_F(EndToEndTest, TheExportedWorkbookReadsBackSheetBySheet) {
  TProtocol(ui.Translate())
      .ExportAll("Кубок России 2027", "12.03.2027", "Тула", c.Organizer, c.ManWeight, c.WomanWeight,
                 c.Biathlon, c.LongCycle, c.Snatch, c.RelayRace, c.TeamProtocol, "Алексеев А.А.",
                 "Борисова Б.Б.", c.Normative, "32", "24", "32", "24", "32", "24");
  ASSERT_EQ(opened.size(), 1);
  const QString xlsx = testing_sandbox::Path(QStringLiteral("export.xlsx"));
  ASSERT_TRUE(QFile::copy(opened[0], xlsx));
  Keep(xlsx);

  const auto sheets = SheetsAsCsv(xlsx);
  QStringList names;
  for (const auto& [name, csv] : sheets) {
    names << name;
  }
  names.sort();
  QStringList expected = {"Р0д58", "Р1д68", "Д1д68", "ДЦ1д73", "СводКом", "Эст10",
                          "Эст11", "Эст20", "Эст21", "Эст30",  "Эст31"};
  expected.sort();
  ASSERT_EQ(names, expected);

  const TCsv& snatch = sheets.at("Р0д58");
  EXPECT_EQ(At(snatch, "A1"), QStringLiteral("Федерация гиревого спорта России"));
  EXPECT_EQ(At(snatch, "C5"), QStringLiteral("Кубок России 2027 по гиревому спорту среди женщин (рывок)"));
  EXPECT_EQ(At(snatch, "C7"), QStringLiteral("до 58 кг"));
  EXPECT_EQ(At(snatch, "J7"), QStringLiteral("125"));
  EXPECT_EQ(At(snatch, "B10"), QStringLiteral("Анна Иванова"));
  EXPECT_EQ(At(snatch, "H10"), QStringLiteral("110"));
  EXPECT_EQ(At(snatch, "B12"), QStringLiteral("Галина Сидорова"));
  EXPECT_TRUE(At(snatch, "A16").startsWith(QStringLiteral("Старший судья на помосте")));

  const TCsv& biathlon = sheets.at("Д1д68");
  EXPECT_EQ(At(biathlon, "D5"),
            QStringLiteral("Кубок России 2027 по гиревому спорту среди мужчин (двоеборье)"));
  EXPECT_EQ(At(biathlon, "N7"), QStringLiteral("165"));
  EXPECT_EQ(At(biathlon, "B11"), QStringLiteral("Игорь Фёдоров"));
  EXPECT_EQ(At(biathlon, "L11"), QStringLiteral("175"));
  EXPECT_EQ(At(biathlon, "K12"), QStringLiteral("50"));

  // The relay's running results and totals are formulas the reader computes.
  const TCsv& relay = sheets.at("Эст21");
  EXPECT_EQ(At(relay, "D6"), QStringLiteral("Тула"));
  EXPECT_EQ(At(relay, "H8"), QStringLiteral("11"));
  EXPECT_EQ(At(relay, "H9"), QStringLiteral("32"));
  EXPECT_EQ(At(relay, "H10"), QStringLiteral("63"));
  EXPECT_EQ(At(relay, "H12"), QStringLiteral("63"));
  EXPECT_EQ(At(relay, "F11"), QStringLiteral("216"));
  EXPECT_TRUE(sheets.at("Эст10").empty() || At(sheets.at("Эст10"), "A1").isEmpty());

  const TCsv& team = sheets.at("СводКом");
  EXPECT_EQ(At(team, "C3"), QStringLiteral("СВОДНЫЙ ПРОТОКОЛ"));
  EXPECT_EQ(At(team, "C6"), QStringLiteral("Женщины (Длинный цикл)"));
  EXPECT_EQ(At(team, "G6"), QStringLiteral("Мужчины (Длинный цикл)"));
  EXPECT_EQ(At(team, "L6"), QStringLiteral("Женщины (Рывок)"));
  EXPECT_EQ(At(team, "N6"), QStringLiteral("Мужчины (Двоеборье)"));
  EXPECT_EQ(At(team, "F7"), QStringLiteral("1000"));
  EXPECT_EQ(At(team, "I8"), QStringLiteral("20+16"));
  EXPECT_EQ(At(team, "P8"), QStringLiteral("112"));
  EXPECT_EQ(At(team, "B10"), QStringLiteral("Калуга"));

  const QString pdf = testing_sandbox::Path(QStringLiteral("export.pdf"));
  office::ConvertToPdf(xlsx, pdf);
  Keep(pdf);
  EXPECT_GE(testing_pdf::Pages(pdf), 5);
  const QString text = testing_pdf::Text(pdf);
  for (const char* expectedText : {"Кубок России 2027 по гиревому спорту среди женщин (рывок)",
                                   "Игорь Фёдоров", "СВОДНЫЙ ПРОТОКОЛ", "Общий вес команды:"}) {
    EXPECT_TRUE(text.contains(QString::fromUtf8(expectedText))) << expectedText;
  }
}

struct PrintCase {
  const char* file;
  std::function<void(TProtocol&, TCompetition&)> print;
  QStringList expected;
};

TEST_F(EndToEndTest, EveryPrintGoesToThePdfOnePageWide) {
  const QString name = QStringLiteral("Кубок России 2027");
  const auto narrow = [](TClientDataSet& table, const char* filter) {
    table.SetFilter(QString::fromLatin1(filter));
    table.SetFiltered(true);
  };
  const PrintCase cases[] = {
      {"sheet-snatch",
       [&](TProtocol& p, TCompetition& c) {
         narrow(c.Snatch, "(SexRef=0) and (Weight > 0) and (Weight <= 58)");
         p.PrintSnatch(name, "12.03.2027", "Тула", "до", "Алексеев А.А.", "Борисова Б.Б.", "Смирнова А.А.",
                       "Кузнецова Б.Б.", c.Organizer, c.Snatch, c.Normative, "32", "24", 58, "до");
       },
       {"среди женщин (рывок)", "Галина Сидорова", "до 58 кг", "125",
        "Подготовлено с помощью программного обеспечения"}},
      {"sheet-longcycle",
       [&](TProtocol& p, TCompetition& c) {
         narrow(c.LongCycle, "(SexRef=1) and (Weight > 68) and (Weight <= 73)");
         p.PrintLongCycle(name, "12.03.2027", "Тула", "до", "Алексеев А.А.", "Борисова Б.Б.", "Попов В.В.",
                          "Васильев Г.Г.", c.Organizer, c.LongCycle, c.Normative, "32", "24", 73, "до");
       },
       {"(длинный цикл)", "Жорж Морозов", "до 73 кг", "Тяжарнет.ПРОТОКОЛ"}},
      {"sheet-biathlon",
       [&](TProtocol& p, TCompetition& c) {
         narrow(c.Biathlon, "(SexRef=1) and (Weight > 63) and (Weight <= 68)");
         p.PrintBiathlon(name, "12.03.2027", "Тула", "до", "Алексеев А.А.", "Борисова Б.Б.", "Попов В.В.",
                         "Васильев Г.Г.", c.Organizer, c.Biathlon, c.Normative, "32", "24", 68, "до");
       },
       {"(двоеборье)", "Игорь Фёдоров", "175", "165"}},
      {"sheet-relay",
       [&](TProtocol& p, TCompetition& c) {
         p.PrintRelayRace(1, 2, name, "12.03.2027", "Тула", c.Organizer, c.RelayRace);
       },
       {"Эстафета (толчок ДЦ)", "Москва этап 3", "Общий вес команды:", "216"}},
      {"sheet-team",
       [&](TProtocol& p, TCompetition& c) {
         p.PrintTeamProtocol(name, "12.03.2027", "Тула", c.Organizer, c.TeamProtocol, "Алексеев А.А.",
                             "Борисова Б.Б.");
       },
       {"СВОДНЫЙ ПРОТОКОЛ", "20+16", "Калуга", "Главный судья Алексеев А.А."}},
      {"sheet-stream",
       [&](TProtocol& p, TCompetition& c) { p.PrintStream(c.Stream); },
       {"Порядок выхода спортсменов", "Поток № 1", "Вера Петрова, 55", "Поток № 2"}},
  };
  for (const auto& cs : cases) {
    const QString pdf = testing_sandbox::Path(QString::fromLatin1(cs.file) + QStringLiteral(".pdf"));
    qputenv("TYAZHAR_PRINT_TO", pdf.toUtf8());
    TProtocol builder(ui.Translate());
    cs.print(builder, c);
    qunsetenv("TYAZHAR_PRINT_TO");
    Keep(pdf);
    const QString text = testing_pdf::Text(pdf);
    for (const QString& expected : cs.expected) {
      EXPECT_TRUE(text.contains(expected)) << cs.file << ": " << expected.toStdString() << "\n"
                                           << text.toStdString();
    }
    EXPECT_EQ(testing_pdf::Pages(pdf), 1) << cs.file;
  }
  // The hidden instances were quit: nothing to attach to, nothing handed over.
  EXPECT_THROW(server.GetActiveObject(QStringLiteral("Excel.Application")), EOleSysError);
  EXPECT_TRUE(opened.isEmpty());
}

}  // namespace
