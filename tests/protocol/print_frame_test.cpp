#include "tests/protocol/sheet_test.h"

using automation_double::TAutomationDouble;
using automation_double::TFailure;
using automation_double::TServerScope;
using competition_fixture::TCompetition;
using competition_fixture::TTableView;
using competition_fixture::ViewOf;

namespace {

class PrintFrameTest : public SheetTest {
 protected:
  // Every table printed here holds rows and a filter of the window's own.
  static void Fill(TCompetition& c) {
    c.AddOrganizer(QStringLiteral("Федерация"));
    c.AddCompetitor(c.Snatch, {"Иванов Иван", 1, 67.5, "Динамо", 120, 1});
    c.AddCompetitor(c.Snatch, {"Петров Пётр", 1, 66.0, "Урал", 110, 2});
    c.Snatch.SetFilter(QStringLiteral("(SexRef=1) and (Weight > 63) and (Weight <= 68)"));
    c.Snatch.SetFiltered(true);
    c.AddStage({"Альфа", 1, 1, 2, 1});
    c.AddStage({"Альфа", 2, 1, 2, 1});
    c.RelayRace.SetFilter(QStringLiteral("Discipline=2"));
    c.RelayRace.SetFiltered(true);
    c.DefineTeamProtocol({"S_058"});
    c.AddTeamRow("1", "Динамо", 20, {"20"});
    c.AddTeamRow("2", "Урал", 0, {""});
    c.TeamProtocol.SetFilter(QStringLiteral("Point > 0"));
    c.TeamProtocol.SetFiltered(true);
    c.AddStream(1, QStringLiteral("Алексеев"), 60.5);
    c.AddStream(1, QStringLiteral("Борисов"), 62);
    c.AddStream(2, QStringLiteral("Васильев"), 70);
    c.Stream.SetFilter(QStringLiteral("ID=2"));
    c.Stream.SetFiltered(true);
  }
};

TEST_F(PrintFrameTest, StreamListCoversEveryStreamInPortrait) {
  Fill(c);
  protocol.PrintStream(c.Stream);
  const auto& sheet = Sheet();
  ExpectCells(sheet, {{"A1", "Порядок выхода спортсменов"},
                      {"A2", ""},
                      {"A3", "Поток № 1"},
                      {"A4", "Алексеев, 60,5"},
                      {"A5", "Борисов, 62"},
                      {"A6", ""},
                      {"A7", "Поток № 2"},
                      {"A8", "Васильев, 70"}});
  EXPECT_EQ(sheet.UsedRows(), Rows({1, 3, 4, 5, 7, 8}));
  EXPECT_EQ(sheet.Cell("A4")->HorizontalAlignment, -4108);
  EXPECT_EQ(sheet.Cell("A4")->ShrinkToFit, true);
  EXPECT_EQ(sheet.ColumnWidths, (std::map<int, int>{{1, 50}}));
  EXPECT_EQ(sheet.PageSetup.at("Orientation"), TAutomationValue(1));
  EXPECT_EQ(sheet.PageSetup.at("FitToPagesWide"), TAutomationValue(1));
  // The frame shows its one stream again.
  EXPECT_EQ(ViewOf(c.Stream), (TTableView{"ID=2", true, false, "dsStreamIndex"}));
  EXPECT_EQ(c.Stream.RecordCount(), 1);
}

struct Operation {
  const char* name;
  std::function<void(TProtocol&, TCompetition&)> print;
  std::function<TClientDataSet&(TCompetition&)> table;
  const char* emptyView;  // a window filter that leaves no row
};

const Operation kOperations[] = {
    {"snatch",
     [](TProtocol& p, TCompetition& c) {
       p.PrintSnatch("Cup", "d", "c", "до", "", "", "", "", c.Organizer, c.Snatch, c.Normative, "32", "24",
                     68, "до");
     },
     [](TCompetition& c) -> TClientDataSet& { return c.Snatch; }, "Weight > 500"},
    {"relay",
     [](TProtocol& p, TCompetition& c) { p.PrintRelayRace(1, 2, "Cup", "d", "c", c.Organizer, c.RelayRace); },
     [](TCompetition& c) -> TClientDataSet& { return c.RelayRace; }, "Step > 100"},
    {"team",
     [](TProtocol& p, TCompetition& c) {
       p.PrintTeamProtocol("Cup", "d", "c", c.Organizer, c.TeamProtocol, "", "");
     },
     [](TCompetition& c) -> TClientDataSet& { return c.TeamProtocol; }, "Point > 100"},
    {"stream", [](TProtocol& p, TCompetition& c) { p.PrintStream(c.Stream); },
     [](TCompetition& c) -> TClientDataSet& { return c.Stream; }, "ID > 100"},
};

struct FailureCase {
  const char* name;
  std::vector<std::pair<const char*, int>> failAt;  // member and occurrence
  QString error;
  bool printed;
};

TEST_F(PrintFrameTest, TheTableIsRestoredAndTheInstancePutAwayWhateverFails) {
  const QString shutdown = QStringLiteral("Завершения работы прошло с ошибками:");
  const FailureCase failures[] = {
      {"clean", {}, "<no error>", true},
      {"start refused", {{"CreateInstance", 1}}, "Проблемы с открытием Excel:\r\nrefused", false},
      {"no workbook", {{"Add", 1}}, "Не удалось создать новую книгу:\r\nrefused", false},
      {"writer fails midway", {{"Value", 5}}, "refused", false},
      {"printing refused", {{"PrintOut", 1}}, "refused", false},
      {"close fails", {{"Close", 1}}, shutdown + "\r\nЗакрытие книги: refused", true},
      {"quit fails", {{"Quit", 1}}, shutdown + "\r\nЗакрытие Excel: refused", true},
      // The shutdown's error is the one the user hears of.
      {"writer and close fail",
       {{"Value", 5}, {"Close", 1}},
       shutdown + "\r\nЗакрытие книги: refused",
       false},
  };
  for (const auto& op : kOperations) {
    for (const auto& failure : failures) {
      TCompetition local;
      Fill(local);
      TClientDataSet& table = op.table(local);
      const TTableView before = ViewOf(table);
      const TTableView organizersBefore = ViewOf(local.Organizer);
      TAutomationDouble double_(1);
      TServerScope localScope(&double_);
      for (const auto& [member, nth] : failure.failAt) {
        double_.FailAt(QString::fromLatin1(member), nth);
      }
      TProtocol builder(ui.Translate());
      EXPECT_EQ(ErrorOf([&] { op.print(builder, local); }), failure.error) << op.name << ": " << failure.name;
      EXPECT_EQ(ViewOf(table), before) << op.name << ": " << failure.name;
      EXPECT_EQ(ViewOf(local.Organizer), organizersBefore) << op.name << ": " << failure.name;
      if (!double_.Started().empty()) {
        EXPECT_TRUE(double_.Started().back()->Quit || failure.failAt.back().first == std::string("Quit"))
            << op.name << ": " << failure.name;
      }
      const int printOuts = double_.Started().empty() || double_.Application()->Workbooks.empty()
                                ? 0
                                : double_.Workbook().PrintOuts;
      EXPECT_EQ(printOuts, failure.printed ? 1 : 0) << op.name << ": " << failure.name;
    }
  }
}

TEST_F(PrintFrameTest, AClosedOrEmptyTableStillPrintsAnEmptyWorkbook) {
  for (const auto& op : kOperations) {
    for (const bool closed : {true, false}) {
      TCompetition local;
      Fill(local);
      TClientDataSet& table = op.table(local);
      if (closed) {
        table.Close();
      } else {
        table.SetFilter(QString::fromLatin1(op.emptyView));
        if (&table == &local.Stream) {
          // The stream list counts rows without the frame's filter.
          table.Close();
          table.CreateDataSet();
        }
      }
      const TTableView before = ViewOf(table);
      TAutomationDouble double_(1);
      TServerScope localScope(&double_);
      TProtocol builder(ui.Translate());
      op.print(builder, local);
      EXPECT_TRUE(double_.Sheet(1).Cells.empty()) << op.name << closed;
      EXPECT_EQ(double_.Workbook().PrintOuts, 1) << op.name << closed;
      EXPECT_TRUE(double_.Application()->Quit) << op.name << closed;
      EXPECT_EQ(ViewOf(table), before) << op.name << closed;
    }
  }
}

}  // namespace
