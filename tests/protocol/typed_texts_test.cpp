// What the tables and the window's boxes hold goes onto the sheets as it
// stands: a protocol file from elsewhere may carry texts that a spreadsheet
// would take for formulas, numbers or dates.
#include <QRegularExpression>

#include "tests/protocol/sheet_test.h"
#include "tests/protocol/typed_texts.h"

using competition_fixture::TCompetitor;
using competition_fixture::TStage;
using namespace typed_texts;

namespace {

// More of them, in the boxes of the window and the other text fields.
const QString kCommaNumberOrganiser = QStringLiteral("12,5");
const QString kFormulaCompetition = QStringLiteral("=Кубок");
const QString kFormulaCity = QStringLiteral("=Тула");
const QString kFormulaRelayTeam = QStringLiteral("=B2");
const QString kNumberWeightCategory = QStringLiteral("73");

class TypedTextsTest : public SheetTest {
 protected:
  TypedTextsTest() {
    c.AddOrganizer(kQuotedOrganiser);
    c.AddOrganizer(kCommaNumberOrganiser);
    c.AddWeightClass(1, 73);
    c.AddCompetitor(c.Snatch, {kFormulaName, 1, 70.5, kNumberTeam, 100, 1, 3, 2, 20, kFormulaCoach});
    c.AddCompetitor(c.LongCycle, {kLinkName, 1, 70.0, kNumberTeam, 50, 1, 3, 2, 20, kFormulaCoach});
    TCompetitor biathlon{kFormulaName, 1, 67.8, kNumberTeam, 110, 1, 3, 2, 20, kFormulaCoach};
    biathlon.SnatchResult = 131;
    c.AddCompetitor(c.Biathlon, biathlon);
    TCompetitor waiting{QStringLiteral("Ждущий"), 1, 71.0, kNumberTeam, 0, 2};
    waiting.Entered = false;
    c.AddCompetitor(c.Biathlon, waiting);
    for (int step = 1; step <= 2; ++step) {
      TStage stage(kFormulaRelayTeam, step, 1, 2, 1, kFormulaName, 70.2, 10);
      stage.WeightCategory = kNumberWeightCategory;
      stage.Trainer = kFormulaCoach;
      c.AddStage(stage);
    }
    c.DefineTeamProtocol({"S_173"});
    c.AddTeamRow("1", kNumberTeam, 20, {kFormulaName});
  }

  void Export() {
    protocol.ExportAll(kFormulaCompetition, "12.03.2027", kFormulaCity, c.Organizer, c.ManWeight,
                       c.WomanWeight, c.Biathlon, c.LongCycle, c.Snatch, c.RelayRace, c.TeamProtocol,
                       kFormulaCoach, kFormulaName, c.Normative, "32", "24", "32", "24", "32", "24");
  }
};

TEST_F(TypedTextsTest, TextsStandAsTypedNumbersStayNumbersAndOnlyTheRelaysOwnFormulasCompute) {
  Export();
  ASSERT_EQ(excel.SheetNames().mid(0, 5), (QStringList{"Р1д73", "ДЦ1д73", "Д1д73", "СводКом", "Эст10"}));
  // The running results and the block's two sums.
  static const QRegularExpression relayFormula(QStringLiteral(R"(^=(H\d+\+G\d+|SUM\(([FG])\d+:\2\d+\))$)"));
  for (int i = 1; i <= excel.SheetCount(); ++i) {
    const TSheetState& sheet = Sheet(i);
    std::map<QString, int> texts;
    for (const auto& [address, cell] : sheet.Cells) {
      if (cell.Formula) {
        EXPECT_TRUE(sheet.Name.startsWith(u"Эст") && relayFormula.match(*cell.Formula).hasMatch())
            << sheet.Name.toStdString() << ": " << cell.Formula->toStdString();
      } else if (const QString* text = std::get_if<QString>(&cell.Value)) {
        ++texts[*text];
      }
    }
    if (sheet.Cells.empty()) {
      continue;
    }
    for (const QString& organiser : {kQuotedOrganiser, kCommaNumberOrganiser}) {
      EXPECT_EQ(texts[organiser], 1) << sheet.Name.toStdString() << ": " << organiser.toStdString();
    }
  }

  const int relay = static_cast<int>(excel.SheetNames().indexOf(QStringLiteral("Эст21"))) + 1;
  ASSERT_GT(relay, 0);
  struct TextCase {
    int sheet;
    const char* cell;
    QString text;
  };
  const TextCase cases[] = {
      {1, "B10", kFormulaName},
      {1, "F10", kNumberTeam},
      {1, "K10", kFormulaCoach},
      {1, "D10", QStringLiteral("02.01.2000")},
      {1, "A3", QStringLiteral("12.03.2027")},
      {1, "A4", kFormulaCity},
      {1, "C5", kFormulaCompetition + QStringLiteral(" по гиревому спорту среди мужчин (рывок)")},
      {2, "B10", kLinkName},
      {3, "B11", kFormulaName},
      {3, "G11", kNumberTeam},
      {4, "B8", kNumberTeam},
      {4, "A8", QStringLiteral("1")},
      {4, "C8", kFormulaName},
      {4, "C7", QStringLiteral("73")},
      {relay, "D6", kFormulaRelayTeam},
      {relay, "C8", kNumberWeightCategory},
      {relay, "D8", kFormulaName},
      {relay, "I8", kFormulaCoach},
  };
  for (const auto& t : cases) {
    const auto* cell = Sheet(t.sheet).Cell(QString::fromLatin1(t.cell));
    ASSERT_TRUE(cell) << t.sheet << " " << t.cell;
    EXPECT_EQ(cell->Value, TAutomationValue(t.text)) << t.sheet << " " << t.cell;
  }

  struct NumberCase {
    int sheet;
    const char* cell;
    TAutomationValue value;
  };
  const NumberCase numbers[] = {
      {1, "A10", 1},
      {1, "G10", 70.5},
      {1, "H10", 100},
      {1, "I10", 20},
      {3, "H11", 67.8},
      {3, "K11", 65.5},
      {3, "L11", 175.5},
      {4, "D8", 20},
      {relay, "A8", 1},
      {relay, "B9", 2},
      {relay, "F8", 70.2},
      {relay, "H8", 10},
      // Results not entered yet: empty cells, neither 0 nor an empty text.
      {3, "I12", {}},
      {3, "K12", {}},
      {3, "L12", {}},
  };
  for (const auto& n : numbers) {
    const auto* cell = Sheet(n.sheet).Cell(QString::fromLatin1(n.cell));
    ASSERT_TRUE(cell) << n.sheet << " " << n.cell;
    EXPECT_EQ(cell->Value, n.value) << n.sheet << " " << n.cell << ": "
                                    << automation_double::ValueText(cell->Value).toStdString();
  }
}

}  // namespace
