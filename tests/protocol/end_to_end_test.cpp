// The whole way out: the protocol builder through the program's own
// spreadsheet back end to an .xlsx file, read back by LibreOffice as CSV and
// PDF. Each LibreOffice run takes seconds.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QUrl>
#include <functional>
#include <map>
#include <set>

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

// A word with a hyphen between letters may be printed broken after it, so
// both the cells and the page count its two sides.
QStringList HyphenParts(const QString& word) {
  static const QRegularExpression afterHyphen(QStringLiteral("(?<=\\p{L}-)(?=\\p{L})"));
  return word.split(afterHyphen);
}

// The words that the sheets of the workbooks hold as texts, each as often as
// it stands there. Numbers are left out: the reader shows them in its own
// form.
std::map<QString, int> WordsOfTexts(const std::vector<std::shared_ptr<const spreadsheet::TWorkbook>>& books) {
  std::map<QString, int> words;
  for (const auto& book : books) {
    for (int i = 1; i <= book->SheetCount(); ++i) {
      for (const auto& [address, cell] : book->Sheet(i).Cells()) {
        if (const auto* text = std::get_if<QString>(&cell.Value)) {
          for (const QString& word : text->split(u' ', Qt::SkipEmptyParts)) {
            for (const QString& part : HyphenParts(word)) {
              ++words[part];
            }
          }
        }
      }
    }
  }
  return words;
}

// The PDF shows every word of the workbooks' texts, whole, inside its page and
// over no other word, in the font the sheets are laid out for, and no page
// without a word.
void ExpectPrintedWhole(const QString& pdf,
                        const std::vector<std::shared_ptr<const spreadsheet::TWorkbook>>& books) {
  EXPECT_EQ(testing_pdf::Fonts(pdf), QStringList{QStringLiteral("Carlito")}) << pdf.toStdString();
  std::map<QString, int> printed;
  for (const testing_pdf::TPage& page : testing_pdf::Words(pdf)) {
    EXPECT_FALSE(page.Words.empty()) << pdf.toStdString() << ": an empty page";
    const QRectF paper(QPointF(0, 0), page.Size);
    for (const testing_pdf::TWord& word : page.Words) {
      for (const QString& part : HyphenParts(word.Text)) {
        ++printed[part];
      }
      EXPECT_TRUE(paper.contains(word.Box))
          << pdf.toStdString() << ": " << word.Text.toStdString() << " off the page";
    }
    for (const auto& [a, b] : testing_pdf::Overprints(page)) {
      ADD_FAILURE() << pdf.toStdString() << ": \"" << a.Text.toStdString() << "\" over \""
                    << b.Text.toStdString() << "\"";
    }
  }
  for (const auto& [word, count] : WordsOfTexts(books)) {
    EXPECT_GE(printed[word], count) << pdf.toStdString() << ": " << word.toStdString();
  }
}

// A class as a secretary prints it: full three-word names, two coaches, long
// region names, and a competition name that takes more than one line.
const QString kCompetition = QStringLiteral("Чемпионат и первенство Центрального федерального округа");
const QString kTwoCoaches = QStringLiteral("Тренеров Т.Т., Наставников Н.Н.");
const QString kLongRegion = QStringLiteral("Ханты-Мансийский автономный округ - Югра");

class EndToEndTest : public ::testing::Test {
 protected:
  EndToEndTest() {
    server.SetHooks({.WorkbookAdded = [this](const auto& book) { books.push_back(book); },
                     .Print = {},
                     .Open = [this](const QString& path) { opened << path; }});
    Fill();
  }

  void Fill() {
    c.AddOrganizer(QStringLiteral("Федерация гиревого спорта России"));
    c.AddOrganizer(QStringLiteral("Министерство спорта Тульской области"));
    for (const int limit : {58, 63, 1000}) {
      c.AddWeightClass(0, limit, QStringLiteral("Смирнова Анастасия Андреевна"),
                       QStringLiteral("Кузнецова Бронислава Борисовна"));
    }
    for (const int limit : {68, 73, 1000}) {
      c.AddWeightClass(1, limit, QStringLiteral("Попов Владислав Валентинович"),
                       QStringLiteral("Васильев Григорий Геннадьевич"));
    }
    c.AddCompetitor(c.Snatch,
                    {"Иванова Анна Сергеевна", 0, 57.5, "Тульская область", 110, 1, 3, 2, 20, kTwoCoaches});
    c.AddCompetitor(c.Snatch,
                    {"Петрова Вера Александровна", 0, 55.0, kLongRegion, 95, 2, 4, 3, 18, "Соколов С.С."});
    c.AddCompetitor(c.Snatch, {"Сидорова Галина Константиновна", 0, 56.2, "Калужская область", 80, 3, 5, 4,
                               16, kTwoCoaches});
    c.AddCompetitor(c.Snatch, {"Козлов Дмитрий Олегович", 1, 67.0, "Тульская область", 150, 1, 2, 21, 20,
                               "Лебедев Л.Л."});
    c.AddCompetitor(
        c.Snatch, {"Новиков Евгений Петрович", 1, 66.5, "Московская область", 130, 2, 3, 2, 18, kTwoCoaches});
    c.AddCompetitor(c.LongCycle,
                    {"Морозов Жорж Владимирович", 1, 72.0, kLongRegion, 60, 1, 2, 2, 20, kTwoCoaches});
    c.AddCompetitor(c.LongCycle, {"Павлов Захар Иннокентьевич", 1, 70.5, "Калужская область", 45, 2, 3, 3, 18,
                                  "Волков В.В."});
    TCompetitor biathlonFirst{
        "Богатырёв Святослав Никитич", 1, 67.8, kLongRegion, 110, 1, 2, 2, 20, kTwoCoaches};
    biathlonFirst.SnatchResult = 130;
    TCompetitor biathlonSecond{
        "Михайлов Кирилл Станиславович", 1, 65.0, "Тульская область", 90, 2, 3, 3, 18, "Зайцев З.З."};
    biathlonSecond.SnatchResult = 100;
    c.AddCompetitor(c.Biathlon, biathlonFirst);
    c.AddCompetitor(c.Biathlon, biathlonSecond);
    for (const auto& [rank, result] : {std::pair{21, 165}, std::pair{2, 110}, std::pair{3, 70}}) {
      c.AddRequirement({"Двоеборье", "68", 1, rank, 32, result});
      c.AddRequirement({"Рывок", "58", 0, rank, 24, result - 40});
    }
    int position = 1;
    for (const QString& team : {QStringLiteral("Тульская область"), kLongRegion}) {
      const QStringList names = position == 1
                                    ? QStringList{"Алексеев Александр Александрович",
                                                  "Борисов Борислав Борисович", "Васильев Василий Васильевич"}
                                    : QStringList{"Григорьев Григорий Григорьевич",
                                                  "Дмитриев Дмитрий Дмитриевич", "Егоров Егор Егорович"};
      for (int step = 1; step <= 3; ++step) {
        TStage stage(team, step, 1, 2, position, names[step - 1], 70.0 + step, 10 * step + position);
        stage.Trainer = kTwoCoaches;
        c.AddStage(stage);
      }
      ++position;
    }
    c.DefineTeamProtocol({"LC_058", "LC_063", "LC_068", "LC_01000", "LC_163", "LC_168", "LC_173", "LC_178",
                          "LC_185", "S_058", "S_063", "B_168", "B_173", "B_01000"});
    c.AddTeamRow("1", "Тульская область", 112,
                 {"20", "", "18", "", "", "", "20+16", "", "", "20", "", "18", "", "20"});
    c.AddTeamRow("2", kLongRegion, 100, {"", "20", "", "16", "18", "", "", "20", "", "", "18", "", "20", ""});
    c.AddTeamRow("3", "Калужская область", 76,
                 {"", "", "", "", "", "20", "", "", "18", "18", "", "20", "", ""});
    c.AddStream(1, QStringLiteral("Иванова Анна Сергеевна"), 57.5);
    c.AddStream(1, QStringLiteral("Петрова Вера Александровна"), 55);
    c.AddStream(2, QStringLiteral("Козлов Дмитрий Олегович"), 67);
  }

  void SetUp() override {
    if (office::FindSoffice(nullptr).isEmpty()) {
      GTEST_SKIP() << "LibreOffice is not installed";
    }
  }

  void Export() {
    TProtocol(ui.Translate())
        .ExportAll(kCompetition, "12.03.2027", "Тула", c.Organizer, c.ManWeight, c.WomanWeight, c.Biathlon,
                   c.LongCycle, c.Snatch, c.RelayRace, c.TeamProtocol, "Алексеев Алексей Алексеевич",
                   "Борисова Бронислава Борисовна", c.Normative, "32", "24", "32", "24", "32", "24");
  }

  spreadsheet::TSpreadsheetServer server;
  automation_double::TServerScope scope{&server};
  QStringList opened;
  std::vector<std::shared_ptr<const spreadsheet::TWorkbook>> books;
  TInterface ui;
  TCompetition c;
};

TEST_F(EndToEndTest, TheExportedWorkbookReadsBackSheetBySheet) {
  Export();
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
  EXPECT_EQ(At(snatch, "C5"), kCompetition + QStringLiteral(" по гиревому спорту среди женщин (рывок)"));
  EXPECT_EQ(At(snatch, "C7"), QStringLiteral("до 58 кг"));
  EXPECT_EQ(At(snatch, "J7"), QStringLiteral("125"));
  EXPECT_EQ(At(snatch, "B10"), QStringLiteral("Иванова Анна Сергеевна"));
  EXPECT_EQ(At(snatch, "H10"), QStringLiteral("110"));
  EXPECT_EQ(At(snatch, "K10"), kTwoCoaches);
  EXPECT_EQ(At(snatch, "F11"), kLongRegion);
  EXPECT_EQ(At(snatch, "B12"), QStringLiteral("Сидорова Галина Константиновна"));
  EXPECT_TRUE(At(snatch, "A16").startsWith(QStringLiteral("Старший судья на помосте")));

  const TCsv& biathlon = sheets.at("Д1д68");
  EXPECT_EQ(At(biathlon, "D5"),
            kCompetition + QStringLiteral(" по гиревому спорту среди мужчин (двоеборье)"));
  EXPECT_EQ(At(biathlon, "N7"), QStringLiteral("165"));
  EXPECT_EQ(At(biathlon, "B11"), QStringLiteral("Богатырёв Святослав Никитич"));
  EXPECT_EQ(At(biathlon, "L11"), QStringLiteral("175"));
  EXPECT_EQ(At(biathlon, "K12"), QStringLiteral("50"));

  // The relay's running results and totals are formulas the reader computes.
  const TCsv& relay = sheets.at("Эст21");
  EXPECT_EQ(At(relay, "D6"), QStringLiteral("Тульская область"));
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
  EXPECT_EQ(At(team, "P6"), QStringLiteral("Женщины (Двоеборье)"));
  EXPECT_EQ(At(team, "F7"), QStringLiteral("1000"));
  EXPECT_EQ(At(team, "I8"), QStringLiteral("20+16"));
  EXPECT_EQ(At(team, "Q8"), QStringLiteral("112"));
  EXPECT_EQ(At(team, "B10"), QStringLiteral("Калужская область"));

  const QString pdf = testing_sandbox::Path(QStringLiteral("export.pdf"));
  office::ConvertToPdf(xlsx, pdf);
  Keep(pdf);
  EXPECT_GE(testing_pdf::Pages(pdf), 5);
  ExpectPrintedWhole(pdf, books);
}

// The export's sheets are the print's writers; in English they show the
// captions that run longest.
TEST_F(EndToEndTest, TheEnglishExportPrintsWhole) {
  ui.English = true;
  Export();
  ASSERT_EQ(opened.size(), 1);
  const QString pdf = testing_sandbox::Path(QStringLiteral("export-en.pdf"));
  office::ConvertToPdf(opened[0], pdf);
  Keep(pdf);
  const QString text = testing_pdf::Text(pdf);
  for (const char* expected : {"Weight of kettlebell 32 kg.", "TEAM PROTOCOL", "Main judge of competition"}) {
    EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected;
  }
  ExpectPrintedWhole(pdf, books);
}

// A national championship's team protocol, 26 and 40 class columns wide,
// printed and exported: one page wide, every caption, team and value whole,
// and the class columns past Z in the workbook where the spreadsheet names
// them.
TEST_F(EndToEndTest, ANationalMeetsTeamProtocolPrintsAndExportsOnePageWide) {
  for (const int columns : {26, 40}) {
    TCompetition national;
    national.AddOrganizer(QStringLiteral("Федерация гиревого спорта России"));
    national.AddWeightClass(0, 58);
    national.AddCompetitor(national.Snatch, {"Иванова Анна Сергеевна", 0, 57.5, "Тульская область", 110, 1});
    const QStringList names = competition_fixture::NationalMeetColumns(columns);
    national.DefineTeamProtocol(names);
    const QStringList teams = {"Тульская область", kLongRegion,       "Калужская область",
                               "Москва",           "Санкт-Петербург", "Республика Татарстан"};
    for (int t = 0; t < teams.size(); ++t) {
      QStringList values;
      for (int i = 0; i < names.size(); ++i) {
        values << ((i + t) % 4 == 0   ? QStringLiteral("20+16")
                   : (i + t) % 4 == 1 ? QStringLiteral("18")
                                      : QString());
      }
      if (t == 0) {
        // A class where the whole team scored: longer than its column holds.
        values[1] = QStringLiteral("20+18+16+15+14+13+12+11+10+9+8+7");
      }
      national.AddTeamRow(QString::number(t + 1), teams[t], 300 - 10 * t, values);
    }
    const QString referee = QStringLiteral("Алексеев Алексей Алексеевич");
    const QString secretary = QStringLiteral("Борисова Бронислава Борисовна");

    const QString printed = testing_sandbox::Path(QStringLiteral("team-%1.pdf").arg(columns));
    qputenv("TYAZHAR_PRINT_TO", printed.toUtf8());
    books.clear();
    TProtocol(ui.Translate())
        .PrintTeamProtocol(kCompetition, "12.03.2027", "Тула", national.Organizer, national.TeamProtocol,
                           referee, secretary);
    qunsetenv("TYAZHAR_PRINT_TO");
    Keep(printed);
    EXPECT_EQ(testing_pdf::Pages(printed), 1) << columns;
    ExpectPrintedWhole(printed, books);

    books.clear();
    opened.clear();
    TProtocol(ui.Translate())
        .ExportAll(kCompetition, "12.03.2027", "Тула", national.Organizer, national.ManWeight,
                   national.WomanWeight, national.Biathlon, national.LongCycle, national.Snatch,
                   national.RelayRace, national.TeamProtocol, referee, secretary, national.Normative, "32",
                   "24", "32", "24", "32", "24");
    ASSERT_EQ(opened.size(), 1) << columns;
    const QString xlsx = testing_sandbox::Path(QStringLiteral("team-export-%1.xlsx").arg(columns));
    ASSERT_TRUE(QFile::copy(opened[0], xlsx));
    Keep(xlsx);
    const TCsv team = SheetsAsCsv(xlsx).at(QStringLiteral("СводКом"));
    const QString points = spreadsheet::ColumnName(3 + columns);
    EXPECT_EQ(At(team, points + "5"), QStringLiteral("Очки")) << columns;
    EXPECT_EQ(At(team, points + "7"), QStringLiteral("300")) << columns;
    EXPECT_EQ(At(team, "AA7"), QStringLiteral("20+16")) << columns;
    EXPECT_EQ(At(team, "B12"), QStringLiteral("Республика Татарстан")) << columns;
    const QString exported = testing_sandbox::Path(QStringLiteral("team-export-%1.pdf").arg(columns));
    office::ConvertToPdf(xlsx, exported);
    Keep(exported);
    // The snatch sheet and the team sheet, a page each.
    EXPECT_EQ(testing_pdf::Pages(exported), 2) << columns;
    ExpectPrintedWhole(exported, books);
  }
}

// A relay of enough teams to fill more than a page, printed and exported:
// each team's block (its caption, stages and totals) stands on one page, and
// the narrow column's caption prints at the sheet's size.
TEST_F(EndToEndTest, ARelayOverSeveralPagesKeepsEachTeamOnOnePage) {
  TCompetition relay;
  relay.AddOrganizer(QStringLiteral("Федерация гиревого спорта России"));
  relay.AddOrganizer(QStringLiteral("Министерство спорта Тульской области"));
  QStringList teams;
  for (int t = 1; t <= 11; ++t) {
    teams << QStringLiteral("Команда%1").arg(t);
    for (int step = 1; step <= 4; ++step) {
      TStage stage(teams.back(), step, 1, 2, t, QStringLiteral("%1 Спортсмен %2").arg(teams.back()).arg(step),
                   70.0 + step, 10 * step + t);
      stage.Trainer = kTwoCoaches;
      relay.AddStage(stage);
    }
  }
  const auto expectBlocksWhole = [&](const QString& pdf, int minimumPages) {
    const auto pages = testing_pdf::Words(pdf);
    EXPECT_GE(int(pages.size()), minimumPages) << pdf.toStdString();
    // A team's name stands in its caption and in each of its stage names.
    std::map<QString, std::set<int>> pagesOfTeam;
    std::map<QString, int> timesOfTeam;
    for (int p = 0; p < int(pages.size()); ++p) {
      int captions = 0;
      int totals = 0;
      for (const testing_pdf::TWord& word : pages[p].Words) {
        if (teams.contains(word.Text)) {
          pagesOfTeam[word.Text].insert(p);
          ++timesOfTeam[word.Text];
        }
        captions += word.Text == u"КОМАНДА:";
        totals += word.Text == u"подъёмов):";
      }
      EXPECT_EQ(captions, totals) << pdf.toStdString() << " page " << p + 1;
    }
    for (const QString& team : teams) {
      EXPECT_EQ(timesOfTeam[team], 5) << pdf.toStdString() << " " << team.toStdString();
      EXPECT_EQ(pagesOfTeam[team].size(), 1u) << pdf.toStdString() << " " << team.toStdString();
    }
  };

  const QString printed = testing_sandbox::Path(QStringLiteral("relay-pages.pdf"));
  qputenv("TYAZHAR_PRINT_TO", printed.toUtf8());
  books.clear();
  TProtocol(ui.Translate())
      .PrintRelayRace(1, 2, kCompetition, "12.03.2027", "Тула", relay.Organizer, relay.RelayRace);
  qunsetenv("TYAZHAR_PRINT_TO");
  Keep(printed);
  expectBlocksWhole(printed, 3);
  ExpectPrintedWhole(printed, books);

  books.clear();
  TProtocol(ui.Translate())
      .ExportAll(kCompetition, "12.03.2027", "Тула", relay.Organizer, relay.ManWeight, relay.WomanWeight,
                 relay.Biathlon, relay.LongCycle, relay.Snatch, relay.RelayRace, relay.TeamProtocol, "", "",
                 relay.Normative, "32", "24", "32", "24", "32", "24");
  ASSERT_EQ(opened.size(), 1);
  const QString exported = testing_sandbox::Path(QStringLiteral("relay-pages-export.pdf"));
  office::ConvertToPdf(opened[0], exported);
  Keep(exported);
  expectBlocksWhole(exported, 3);
  ExpectPrintedWhole(exported, books);
}

struct PrintCase {
  const char* file;
  std::function<void(TProtocol&, TCompetition&)> print;
  QStringList expected;  // lines that stay whole
};

TEST_F(EndToEndTest, EveryPrintGoesToThePdfOnePageWideAndWhole) {
  const QString referee = QStringLiteral("Алексеев Алексей Алексеевич");
  const QString secretary = QStringLiteral("Борисова Бронислава Борисовна");
  const auto narrow = [](TClientDataSet& table, const char* filter) {
    table.SetFilter(QString::fromLatin1(filter));
    table.SetFiltered(true);
  };
  const PrintCase cases[] = {
      {"sheet-snatch",
       [&](TProtocol& p, TCompetition& c) {
         narrow(c.Snatch, "(SexRef=0) and (Weight > 0) and (Weight <= 58)");
         p.PrintSnatch(kCompetition, "12.03.2027", "Тула", "до", referee, secretary,
                       "Смирнова Анастасия Андреевна", "Кузнецова Бронислава Борисовна", c.Organizer,
                       c.Snatch, c.Normative, "32", "24", 58, "до");
       },
       {"до 58 кг", "Подготовлено с помощью программного обеспечения"}},
      {"sheet-longcycle",
       [&](TProtocol& p, TCompetition& c) {
         narrow(c.LongCycle, "(SexRef=1) and (Weight > 68) and (Weight <= 73)");
         p.PrintLongCycle(kCompetition, "12.03.2027", "Тула", "до", referee, secretary,
                          "Попов Владислав Валентинович", "Васильев Григорий Геннадьевич", c.Organizer,
                          c.LongCycle, c.Normative, "32", "24", 73, "до");
       },
       {"до 73 кг", "Тяжарнет.ПРОТОКОЛ"}},
      {"sheet-biathlon",
       [&](TProtocol& p, TCompetition& c) {
         narrow(c.Biathlon, "(SexRef=1) and (Weight > 63) and (Weight <= 68)");
         p.PrintBiathlon(kCompetition, "12.03.2027", "Тула", "до", referee, secretary,
                         "Попов Владислав Валентинович", "Васильев Григорий Геннадьевич", c.Organizer,
                         c.Biathlon, c.Normative, "32", "24", 68, "до");
       },
       {"до 68 кг", "175", "165"}},
      {"sheet-relay",
       [&](TProtocol& p, TCompetition& c) {
         p.PrintRelayRace(1, 2, kCompetition, "12.03.2027", "Тула", c.Organizer, c.RelayRace);
       },
       {"Общий вес команды:", "216"}},
      {"sheet-team",
       [&](TProtocol& p, TCompetition& c) {
         p.PrintTeamProtocol(kCompetition, "12.03.2027", "Тула", c.Organizer, c.TeamProtocol, referee,
                             secretary);
       },
       {"СВОДНЫЙ ПРОТОКОЛ", "20+16"}},
      {"sheet-stream",
       [&](TProtocol& p, TCompetition& c) { p.PrintStream(c.Stream); },
       {"Порядок выхода спортсменов", "Поток № 1", "Петрова Вера Александровна, 55", "Поток № 2"}},
  };
  for (const auto& cs : cases) {
    const QString pdf = testing_sandbox::Path(QString::fromLatin1(cs.file) + QStringLiteral(".pdf"));
    qputenv("TYAZHAR_PRINT_TO", pdf.toUtf8());
    books.clear();
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
    ExpectPrintedWhole(pdf, books);
  }
  // The hidden instances were quit: nothing to attach to, nothing handed over.
  EXPECT_THROW(server.GetActiveObject(QStringLiteral("Excel.Application")), EOleSysError);
  EXPECT_TRUE(opened.isEmpty());
}

}  // namespace
