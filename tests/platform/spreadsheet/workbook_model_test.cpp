#include <gtest/gtest.h>

#include "platform/core/format_settings.h"
#include "platform/spreadsheet/formula.h"
#include "platform/spreadsheet/workbook_model.h"

namespace {

using namespace spreadsheet;

TEST(CellNames, ParseWithinTheSheetOnly) {
  struct Case {
    const char* text;
    std::optional<TCellAddress> expected;
  };
  const Case cases[] = {
      {"A1", TCellAddress{1, 1}},     {"H12", TCellAddress{12, 8}},
      {"h12", TCellAddress{12, 8}},   {"$H$12", TCellAddress{12, 8}},
      {"AA10", TCellAddress{10, 27}}, {"XFD1048576", TCellAddress{1048576, 16384}},
      {"XFE1", std::nullopt},         {"A1048577", std::nullopt},
      {"A0", std::nullopt},           {"A01", std::nullopt},
      {"1A", std::nullopt},           {"A", std::nullopt},
      {"ABCD1", std::nullopt},        {"", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseCellName(QString::fromLatin1(c.text)), c.expected) << c.text;
  }
  EXPECT_EQ(ParseRangeName(u"I5:C5"), (TCellRange{{5, 3}, {5, 9}}));
  EXPECT_EQ(ParseRangeName(u"B2"), (TCellRange{{2, 2}, {2, 2}}));
  EXPECT_EQ(ParseRangeName(u"B2:"), std::nullopt);
  EXPECT_EQ(ColumnName(26), QStringLiteral("Z"));
  EXPECT_EQ(ColumnName(27), QStringLiteral("AA"));
  EXPECT_EQ(ColumnName(16384), QStringLiteral("XFD"));
}

TEST(TypedInput, FormulasNumbersAndTextsAsTheSpreadsheetTakesTypedInput) {
  SetFormatSettings(TFormatSettings{u',', QStringLiteral("dd.MM.yyyy")});
  struct Case {
    QString text;
    TCellValue value;
    QString formula;
  };
  const Case cases[] = {
      {"=H11+G12", std::monostate{}, "=H11+G12"},
      {"1", 1.0, {}},
      {"-12", -12.0, {}},
      {" 57 ", 57.0, {}},
      {"007", 7.0, {}},
      {"68,5", 68.5, {}},  // the locale's separator
      {"68.5", 68.5, {}},  // and the point
      {".5", 0.5, {}},
      {"01.02.1990", QString("01.02.1990"), {}},  // dates stay texts
      {"20+16", QString("20+16"), {}},
      {"18(л)", QString("18(л)"), {}},
      {"1,5,0", QString("1,5,0"), {}},
      {"1e5", QString("1e5"), {}},
      {"-", QString("-"), {}},
      {"", QString(""), {}},
      {"=", QString("="), {}},
      {"'=A1", QString("=A1"), {}},  // an apostrophe keeps the rest as text
      {"'12", QString("12"), {}},
  };
  for (const auto& c : cases) {
    const TTypedInput typed = ParseTypedInput(c.text);
    EXPECT_EQ(typed.Value, c.value) << c.text.toStdString();
    EXPECT_EQ(typed.Formula, c.formula) << c.text.toStdString();
  }
  // With a point as the locale's separator a comma is no decimal separator.
  SetFormatSettings(TFormatSettings{u'.', QStringLiteral("dd.MM.yyyy")});
  EXPECT_EQ(ParseTypedInput("68,5").Value, TCellValue(QString("68,5")));
}

// A relay block as the relay sheet writes it: results in G, a running total
// in H, the sums under the block; plus cells that test the edges.
class FormulaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Put("G11", 10.0);
    Put("G12", 20.0);
    Put("G13", 30.0);
    Put("H11", 10.0);
    sheet.EditCell(*ParseCellName(u"H12")).Formula = "=H11+G12";
    sheet.EditCell(*ParseCellName(u"H13")).Formula = "=H12+G13";
    Put("F11", 68.5);
    Put("F12", QString("text"));  // skipped by SUM, fails + -
    Put("F13", QString("5"));     // a number to + -, a text to SUM
    Put("F14", true);
    sheet.EditCell(*ParseCellName(u"Z1")).Formula = "=Z2+1";
    sheet.EditCell(*ParseCellName(u"Z2")).Formula = "=Z1+1";
  }
  void Put(const char* a1, TCellValue value) {
    sheet.EditCell(*ParseCellName(QString::fromLatin1(a1))).Value = value;
  }

  TWorksheet sheet{"Эст10"};
};

TEST_F(FormulaTest, ComputesWhatTheSheetsWriteAndNothingElse) {
  struct Case {
    const char* formula;
    std::optional<double> expected;
  };
  const Case cases[] = {
      {"=H11+G12", 30},
      {"=H12+G13", 60},  // through another formula
      {"=SUM(G11:G13)", 60},
      {"=sum(g13:g11)", 60},
      {"=SUM($G$11:$G$13)", 60},
      {"=SUM(F11:F15)", 68.5},  // texts and Booleans in a range add nothing
      {"=SUM(G11, 2; H13)", 72},
      {"=SUM(G11:G12, G13*2)", 90},
      {"=SUM()", 0},
      {"=SUM(A1:B2)", 0},  // empty cells
      {"=-G11 + (2*3) - 4/2", -6},
      {"=F13+1", 6},  // a numeric text counts in + -
      {"=F14+1", 2},  // so does a Boolean
      {"=A1+1", 1},   // an empty cell counts 0
      {"=F12+1", std::nullopt},
      {"=G11/0", std::nullopt},
      {"=Z1", std::nullopt},  // circular
      {"=AVERAGE(G11:G13)", std::nullopt},
      {"=Лист2!A1", std::nullopt},
      {"=G11>1", std::nullopt},
      {"=G11+", std::nullopt},
      {"=SUM(G11:G13", std::nullopt},
      {"G11+1", std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EvaluateFormula(sheet, QString::fromUtf8(c.formula)), c.expected) << c.formula;
  }
  EXPECT_EQ(sheet.ValueAt(13, 8), TCellValue(60.0));
  EXPECT_EQ(sheet.ValueAt(1, 26), TCellValue());
}

TEST_F(FormulaTest, LongRunningTotalsDoNotExhaustTheStack) {
  TWorksheet tall("tall");
  tall.EditCell({1, 1}).Value = 1.0;
  for (int r = 2; r <= 20000; ++r) {
    tall.EditCell({r, 1}).Formula = QStringLiteral("=A%1+1").arg(r - 1);
  }
  EXPECT_EQ(tall.ValueAt(20000, 1), TCellValue(20000.0));
  // A circle at the far end fails the whole chain, without a crash.
  tall.EditCell({1, 1}).Formula = QStringLiteral("=A20000");
  EXPECT_EQ(tall.ValueAt(20000, 1), TCellValue());
}

TEST(Merges, TakeInWhatTheyOverlapAndKeepOnlyTheTopLeftContent) {
  TWorksheet sheet("s");
  sheet.EditCell({1, 1}).Value = QString("kept");
  sheet.EditCell({1, 2}).Value = QString("dropped");
  sheet.EditCell({1, 2}).Format.WrapText = true;
  sheet.Merge(*ParseRangeName(u"A1:B1"));
  EXPECT_EQ(sheet.CellAt(1, 1).Value, TCellValue(QString("kept")));
  EXPECT_TRUE(sheet.CellAt(1, 2).IsEmpty());
  EXPECT_TRUE(sheet.CellAt(1, 2).Format.WrapText);  // formats stay

  // A single cell is never merged, also not inside a merged area.
  sheet.Merge(*ParseRangeName(u"D4:D4"));
  sheet.Merge(*ParseRangeName(u"A1:A1"));
  EXPECT_EQ(sheet.MergedRanges(), std::vector<TCellRange>{*ParseRangeName(u"A1:B1")});

  // B1:E4 reaches into A1:B1; grown to A1:E4 it reaches E4:F5 too: all three
  // become one area.
  sheet.Merge(*ParseRangeName(u"E4:F5"));
  sheet.Merge(*ParseRangeName(u"B1:E4"));
  EXPECT_EQ(sheet.MergedRanges(), std::vector<TCellRange>{*ParseRangeName(u"A1:F5")});
  EXPECT_EQ(sheet.MergeAt({4, 4}), ParseRangeName(u"A1:F5"));

  sheet.Unmerge(*ParseRangeName(u"F5"));
  EXPECT_TRUE(sheet.MergedRanges().empty());
}

// Areas side by side in one row, one over several rows beside them, and a
// cell between them: each cell finds its own area and no other.
TEST(Merges, EachCellFindsTheAreaThatHoldsIt) {
  TWorksheet sheet("s");
  for (const char* range : {"A1:C1", "D1:E3", "B2:C2", "G2:H2", "A5:A9"}) {
    sheet.Merge(*ParseRangeName(QString::fromLatin1(range)));
  }
  struct Case {
    const char* cell;
    const char* area;  // nullptr: none
  };
  const Case cases[] = {
      {"A1", "A1:C1"}, {"C1", "A1:C1"}, {"D1", "D1:E3"}, {"E3", "D1:E3"}, {"D2", "D1:E3"},
      {"A2", nullptr}, {"C2", "B2:C2"}, {"F2", nullptr}, {"H2", "G2:H2"}, {"I2", nullptr},
      {"F1", nullptr}, {"A4", nullptr}, {"A7", "A5:A9"}, {"B7", nullptr}, {"A10", nullptr},
  };
  for (const auto& c : cases) {
    const auto cell = ParseCellName(QString::fromLatin1(c.cell));
    const auto expected = c.area ? ParseRangeName(QString::fromLatin1(c.area)) : std::nullopt;
    EXPECT_EQ(sheet.MergeAt(*cell), expected) << c.cell;
  }
  EXPECT_EQ(sheet.MergesOverlapping(*ParseRangeName(u"C2:G3")),
            (std::vector<TCellRange>{*ParseRangeName(u"D1:E3"), *ParseRangeName(u"B2:C2"),
                                     *ParseRangeName(u"G2:H2")}));
  // A whole column asks each area, and finds the same.
  EXPECT_EQ(sheet.MergesOverlapping({{1, 1}, {MaxRows, 1}}),
            (std::vector<TCellRange>{*ParseRangeName(u"A1:C1"), *ParseRangeName(u"A5:A9")}));

  // A merge drops the contents of its own cells only, on every row it spans.
  sheet.EditCell({11, 1}).Value = QString("kept");
  sheet.EditCell({12, 2}).Value = QString("dropped");
  sheet.EditCell({12, 4}).Value = QString("beside");
  sheet.EditCell({13, 1}).Value = QString("below");
  sheet.Merge(*ParseRangeName(u"A11:C12"));
  EXPECT_EQ(sheet.CellAt(11, 1).Value, TCellValue(QString("kept")));
  EXPECT_TRUE(sheet.CellAt(12, 2).IsEmpty());
  EXPECT_EQ(sheet.CellAt(12, 4).Value, TCellValue(QString("beside")));
  EXPECT_EQ(sheet.CellAt(13, 1).Value, TCellValue(QString("below")));

  // Unmerging splits what it touches and leaves the neighbours.
  sheet.Unmerge(*ParseRangeName(u"E2"));
  EXPECT_EQ(sheet.MergeAt({2, 5}), std::nullopt);
  EXPECT_EQ(sheet.MergeAt({2, 3}), ParseRangeName(u"B2:C2"));
  EXPECT_EQ(sheet.MergedRanges().size(), 5u);
}

TEST(Workbooks, SheetNamesFollowTheApplicationsRules) {
  TWorkbook book;
  ASSERT_EQ(book.SheetCount(), 1);
  EXPECT_EQ(book.Sheet(1).Name(), QStringLiteral("Лист1"));
  TWorksheet& first = book.Sheet(1);
  book.RenameSheet(first, "Лист2");
  // The next default name steps over one that is taken.
  EXPECT_EQ(book.InsertSheet(2)->Name(), QStringLiteral("Лист3"));

  struct Case {
    QString name;
    bool accepted;
  };
  const Case cases[] = {
      {"Р0д58", true},
      {"ДЦ1с105", true},
      {"Лист2", true},   // its own name
      {"лист3", false},  // another sheet's, in other letter case
      {"", false},
      {QString(31, u'Я'), true},
      {QString(32, u'Я'), false},
      {"a/b", false},
      {"a[1]", false},
      {"why?", false},
      {"'quoted'", false},
      {"it's", true},
      {"history", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(book.SheetNameProblem(first, c.name).isEmpty(), c.accepted) << c.name.toStdString();
  }
}

}  // namespace
