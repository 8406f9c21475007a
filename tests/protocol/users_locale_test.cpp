// The printouts and the export on the secretary's own desktop: the numbers of
// a class in the run's locale (the test command runs this under ru_RU,
// de_DE, en_US and C), printed as the window shows them and stored in the
// workbook in the file format's form, and texts that look like formulas or
// numbers printed as typed. Through the real back end and LibreOffice.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cmath>
#include <functional>

#include "platform/core/format_settings.h"
#include "platform/spreadsheet/office.h"
#include "platform/spreadsheet/spreadsheet_server.h"
#include "protocol/protocol.h"
#include "tests/platform/spreadsheet/xlsx_reader.h"
#include "tests/protocol/competition_fixture.h"
#include "tests/protocol/typed_texts.h"
#include "tests/support/automation_double.h"
#include "tests/support/comma_locale.h"
#include "tests/support/pdf_reader.h"
#include "tests/support/test_sandbox.h"

using competition_fixture::TCompetitor;
using competition_fixture::TStage;
using namespace typed_texts;

namespace {

class UsersLocaleTest : public ::testing::Test {
 protected:
  UsersLocaleTest() {
    // The window's forms are those of the desktop, as when the program starts.
    SetFormatSettings(SystemFormatSettings());
    server.SetHooks(
        {.WorkbookAdded = {}, .Print = {}, .Open = [this](const QString& path) { opened << path; }});

    c.AddOrganizer(kQuotedOrganiser);
    c.AddWeightClass(1, 68);
    c.AddWeightClass(1, 73);
    // Two body weights that only their fractions tell apart, places 3 and 4.
    c.AddCompetitor(c.LongCycle, {kFormulaName, 1, 72.0, kNumberTeam, 60, 1, 2, 2, 20, kFormulaCoach});
    c.AddCompetitor(c.LongCycle, {kLinkName, 1, 71.0, "Тульская область", 50, 2, 3, 3, 18, "Соколов С.С."});
    c.AddCompetitor(c.LongCycle, {"Волков Виктор Викторович", 1, 70.0, "Калужская область", 45, 3, 3, 3, 16,
                                  "Зайцев З.З."});
    c.AddCompetitor(c.LongCycle, {"Павлов Захар Иннокентьевич", 1, 70.5, "Калужская область", 45, 4, 3, 3, 15,
                                  "Зайцев З.З."});
    // A snatch of 131 lifts counts 65.5, the sum 175.5.
    TCompetitor biathlon{
        "Богатырёв Святослав Никитич", 1, 67.8, "Тульская область", 110, 1, 2, 2, 20, "Лебедев Л.Л."};
    biathlon.SnatchResult = 131;
    c.AddCompetitor(c.Biathlon, biathlon);
    // A team of 208.4 kg.
    int step = 1;
    for (const double weight : {70.2, 69.1, 69.1}) {
      c.AddStage(
          TStage(kNumberTeam, step, 1, 2, 1, QStringLiteral("Этапов Этап %1").arg(step), weight, 10 * step));
      ++step;
    }
    c.DefineTeamProtocol({"LC_173"});
    c.AddTeamRow("1", kNumberTeam, 20, {"20+16"});
  }

  void SetUp() override {
    if (office::FindSoffice(nullptr).isEmpty()) {
      GTEST_SKIP() << "LibreOffice is not installed";
    }
    point = FormatSettings().DecimalSeparator;
    // What the window shows must be what the C library of the run uses.
    if (testing_locale::RunByTheTestCommand()) {
      ASSERT_EQ(QString(point), testing_locale::MeantDecimalPoint());
    }
  }

  // "67,8" or "67.8": the number as the window shows it.
  QString Shown(const char* number) const { return QString::fromLatin1(number).replace(u'.', point); }

  void Narrow(TClientDataSet& table, const char* filter) {
    table.SetFilter(QString::fromLatin1(filter));
    table.SetFiltered(true);
  }

  // Prints to a PDF and returns the path.
  QString Print(const QString& name, const std::function<void(TProtocol&)>& print) {
    const QString pdf = testing_sandbox::Path(name + QStringLiteral(".pdf"));
    qputenv("TYAZHAR_PRINT_TO", pdf.toUtf8());
    TProtocol builder(ui.Translate());
    print(builder);
    qunsetenv("TYAZHAR_PRINT_TO");
    return pdf;
  }

  QString Export() {
    TProtocol(ui.Translate())
        .ExportAll(QStringLiteral("Кубок России"), "12.03.2027", "Тула", c.Organizer, c.ManWeight,
                   c.WomanWeight, c.Biathlon, c.LongCycle, c.Snatch, c.RelayRace, c.TeamProtocol,
                   "Алексеев Алексей Алексеевич", "Борисова Бронислава Борисовна", c.Normative, "32", "24",
                   "32", "24", "32", "24");
    EXPECT_EQ(opened.size(), 1);
    return opened.value(0);
  }

  spreadsheet::TSpreadsheetServer server;
  automation_double::TServerScope scope{&server};
  QStringList opened;
  competition_fixture::TInterface ui;
  competition_fixture::TCompetition c;
  QChar point;
};

// Every expected word stands on the pages, and no word over another.
void ExpectWords(const QString& pdf, const QStringList& expected) {
  QStringList printed;
  for (const testing_pdf::TPage& page : testing_pdf::Words(pdf)) {
    for (const testing_pdf::TWord& word : page.Words) {
      printed << word.Text;
    }
    for (const auto& [a, b] : testing_pdf::Overprints(page)) {
      ADD_FAILURE() << pdf.toStdString() << ": \"" << a.Text.toStdString() << "\" over \""
                    << b.Text.toStdString() << "\"";
    }
  }
  for (const QString& word : expected) {
    EXPECT_TRUE(printed.contains(word)) << pdf.toStdString() << ": " << word.toStdString() << "\n"
                                        << printed.join(u' ').toStdString();
  }
}

TEST_F(UsersLocaleTest, PrintsShowTheNumbersAsTheWindowDoesAndTheTextsAsTyped) {
  const QString longCycle = Print(QStringLiteral("longcycle"), [&](TProtocol& p) {
    Narrow(c.LongCycle, "(SexRef=1) and (Weight > 68) and (Weight <= 73)");
    p.PrintLongCycle("Кубок России", "12.03.2027", "Тула", "до", "Алексеев А.А.", "Борисова Б.Б.",
                     kFormulaCoach, kFormulaName, c.Organizer, c.LongCycle, c.Normative, "32", "24", 73,
                     "до");
  });
  ExpectWords(longCycle, {Shown("70.5"), QStringLiteral("70"), kFormulaName, kLinkName, kNumberTeam,
                          kFormulaCoach, kQuotedOrganiser});

  const QString biathlon = Print(QStringLiteral("biathlon"), [&](TProtocol& p) {
    Narrow(c.Biathlon, "(SexRef=1) and (Weight > 0) and (Weight <= 68)");
    p.PrintBiathlon("Кубок России", "12.03.2027", "Тула", "до", "Алексеев А.А.", "Борисова Б.Б.",
                    "Попов П.П.", "Васильев В.В.", c.Organizer, c.Biathlon, c.Normative, "32", "24", 68,
                    "до");
  });
  ExpectWords(biathlon, {Shown("67.8"), QStringLiteral("131"), Shown("65.5"), Shown("175.5")});

  const QString relay = Print(QStringLiteral("relay"), [&](TProtocol& p) {
    p.PrintRelayRace(1, 2, "Кубок России", "12.03.2027", "Тула", c.Organizer, c.RelayRace);
  });
  // The running results after each stage, and the totals.
  ExpectWords(relay, {Shown("70.2"), Shown("69.1"), Shown("208.4"), QStringLiteral("30"),
                      QStringLiteral("60"), kNumberTeam});
}

// A cell of the sheet found by what it shows.
QString FindCell(const xlsx_reader::TBook& book, const QString& sheet,
                 const std::function<bool(const xlsx_reader::TCellContent&)>& matches) {
  for (int row = 1; row <= 60; ++row) {
    for (char column = 'A'; column <= 'Q'; ++column) {
      const QString name = QChar(column) + QString::number(row);
      const auto cell = book.Cell(sheet, name);
      if (cell && matches(*cell)) {
        return name;
      }
    }
  }
  return QString();
}

TEST_F(UsersLocaleTest, TheExportStoresNumbersInTheFilesFormAndTextsAsTyped) {
  const QString xlsx = Export();
  ASSERT_FALSE(xlsx.isEmpty());
  const xlsx_reader::TBook book(xlsx);
  ASSERT_TRUE(book.SheetNames().contains(QStringLiteral("ДЦ1д73")))
      << book.SheetNames().join(u' ').toStdString();

  // A text stays a text of its own, never a formula or a number.
  const auto text = [&](const QString& sheet, const QString& value) {
    const QString at =
        FindCell(book, sheet, [&](const xlsx_reader::TCellContent& cell) { return cell.Text == value; });
    ASSERT_FALSE(at.isEmpty()) << sheet.toStdString() << ": " << value.toStdString();
    const auto cell = book.Cell(sheet, at);
    EXPECT_EQ(cell->Type, QStringLiteral("s")) << sheet.toStdString() << "!" << at.toStdString();
    EXPECT_EQ(cell->Formula, QString()) << sheet.toStdString() << "!" << at.toStdString();
  };
  for (const QString& typed : {kFormulaName, kLinkName, kNumberTeam, kFormulaCoach, kQuotedOrganiser}) {
    text(QStringLiteral("ДЦ1д73"), typed);
  }
  text(QStringLiteral("СводКом"), kNumberTeam);
  text(QStringLiteral("СводКом"), QStringLiteral("20+16"));
  text(QStringLiteral("Эст21"), kNumberTeam);

  // A number is a number of the file format ("67.8", whatever the locale).
  const auto number = [&](const QString& sheet, double value) {
    const QString at = FindCell(book, sheet, [&](const xlsx_reader::TCellContent& cell) {
      bool ok = false;
      const double stored = cell.Text.toDouble(&ok);
      return cell.Type.isEmpty() && cell.Formula.isEmpty() && ok && std::abs(stored - value) < 1e-9;
    });
    EXPECT_FALSE(at.isEmpty()) << sheet.toStdString() << ": no number " << value;
  };
  for (const double value : {70.5, 70.0, 71.0, 72.0}) {
    number(QStringLiteral("ДЦ1д73"), value);
  }
  for (const double value : {67.8, 110.0, 131.0, 65.5, 175.5}) {
    number(QStringLiteral("Д1д68"), value);
  }
  for (const double value : {70.2, 69.1}) {
    number(QStringLiteral("Эст21"), value);
  }
  number(QStringLiteral("СводКом"), 20);

  // The relay's own formulas compute: the running results and the team's weight.
  const QString weight = FindCell(book, QStringLiteral("Эст21"), [](const xlsx_reader::TCellContent& cell) {
    return cell.Formula.startsWith(QStringLiteral("SUM(F"));
  });
  ASSERT_FALSE(weight.isEmpty());
  bool ok = false;
  EXPECT_NEAR(book.Cell(QStringLiteral("Эст21"), weight)->Text.toDouble(&ok), 208.4, 1e-9);
  EXPECT_TRUE(ok) << book.Cell(QStringLiteral("Эст21"), weight)->Text.toStdString();
  EXPECT_FALSE(FindCell(book, QStringLiteral("Эст21"), [](const xlsx_reader::TCellContent& cell) {
                 return cell.Formula.contains(u'+') && cell.Text == u"60";
               }).isEmpty());

  // Widths, heights and margins are numbers of the file format too (the
  // reader fails on any other form).
  EXPECT_GT(book.ColumnWidth(QStringLiteral("ДЦ1д73"), 1).value_or(0), 7);
  EXPECT_GE(book.RowHeight(QStringLiteral("ДЦ1д73"), 8).value_or(0), 40);
  EXPECT_NEAR(book.Page(QStringLiteral("ДЦ1д73")).Left, 0.7, 1e-9);

  // The same workbook as a reader prints it in this locale.
  const QString pdf = testing_sandbox::Path(QStringLiteral("export.pdf"));
  office::ConvertToPdf(xlsx, pdf);
  ExpectWords(pdf, {Shown("70.5"), Shown("67.8"), Shown("175.5"), Shown("208.4"), kFormulaName, kLinkName,
                    kNumberTeam, kFormulaCoach, kQuotedOrganiser, QStringLiteral("20+16")});
}

}  // namespace
