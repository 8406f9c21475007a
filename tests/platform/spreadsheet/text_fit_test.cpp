#include <gtest/gtest.h>

#include <QFile>
#include <algorithm>
#include <cmath>
#include <map>

#include "platform/spreadsheet/text_fit.h"

namespace {

using namespace spreadsheet;

// The advance widths of a TrueType font, by character, in its own units.
class TTrueType {
 public:
  explicit TTrueType(const QString& path) {
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
      FData = file.readAll();
    }
    if (FData.isEmpty()) {
      return;
    }
    std::map<QByteArray, qsizetype> tables;
    for (int i = 0; i < U16(4); ++i) {
      tables[FData.mid(12 + 16 * i, 4)] = U32(12 + 16 * i + 8);
    }
    UnitsPerEm = U16(tables["head"] + 18);
    const int metrics = U16(tables["hhea"] + 34);
    const qsizetype hmtx = tables["hmtx"];
    const auto advance = [&](int glyph) { return U16(hmtx + 4 * std::min(glyph, metrics - 1)); };
    // The Windows Unicode map (platform 3, encoding 1), format 4: segments
    // of characters with a delta or an offset into the glyph array.
    const qsizetype cmap = tables["cmap"];
    for (int i = 0; i < U16(cmap + 2); ++i) {
      const qsizetype at = cmap + U32(cmap + 4 + 8 * i + 4);
      if (U16(cmap + 4 + 8 * i) != 3 || U16(cmap + 4 + 8 * i + 2) != 1 || U16(at) != 4) {
        continue;
      }
      const int segments = U16(at + 6) / 2;
      const qsizetype ends = at + 14;
      const qsizetype starts = ends + 2 * segments + 2;
      const qsizetype deltas = starts + 2 * segments;
      const qsizetype offsets = deltas + 2 * segments;
      for (int s = 0; s < segments; ++s) {
        for (int c = U16(starts + 2 * s); c <= U16(ends + 2 * s) && c < 0xFFFF; ++c) {
          const int offset = U16(offsets + 2 * s);
          int glyph = offset == 0 ? c : U16(offsets + 2 * s + offset + 2 * (c - U16(starts + 2 * s)));
          if (offset != 0 && glyph == 0) {
            continue;
          }
          glyph = (glyph + qint16(U16(deltas + 2 * s))) & 0xFFFF;
          if (glyph != 0) {
            Advances[char16_t(c)] = advance(glyph);
          }
        }
      }
    }
  }

  int UnitsPerEm = 0;
  std::map<char16_t, int> Advances;

 private:
  int U16(qsizetype at) const { return quint8(FData[at]) << 8 | quint8(FData[at + 1]); }
  qsizetype U32(qsizetype at) const { return qsizetype(U16(at)) << 16 | U16(at + 2); }
  QByteArray FData;
};

// The sheets are measured with the font they print in: every character of
// the Latin and Cyrillic blocks, and the marks the sheets use, as wide as the
// installed Carlito draws it.
TEST(TextFit, MeasuresWithCarlitosOwnWidths) {
  const TTrueType carlito(QStringLiteral("/usr/share/fonts/truetype/crosextra/Carlito-Regular.ttf"));
  if (carlito.Advances.empty()) {
    GTEST_SKIP() << "Carlito is not installed";
  }
  std::vector<char16_t> characters = {u'–', u'—', u'«', u'»', u'№', u'…'};
  for (char16_t c = 0x20; c <= 0x7E; ++c) {
    characters.push_back(c);
  }
  for (char16_t c = 0xA1; c <= 0xFF; ++c) {
    characters.push_back(c);
  }
  for (char16_t c = 0x400; c <= 0x45F; ++c) {
    characters.push_back(c);
  }
  for (const char16_t c : characters) {
    const auto advance = carlito.Advances.find(c);
    if (advance == carlito.Advances.end()) {
      continue;  // the soft hyphen, which the font leaves to the layout
    }
    EXPECT_DOUBLE_EQ(TextWidth(QStringView(&c, 1)), advance->second * FontSize / carlito.UnitsPerEm)
        << "U+" << QString::number(c, 16).toStdString();
  }
}

// Widths in the spreadsheet's character unit come out as LibreOffice lays
// the columns out (read back from its own files).
TEST(TextFit, ColumnsAreAsWideAsLibreOfficePrintsThem) {
  const std::pair<double, double> cases[] = {{5, 31.69},   {7, 42.80},   {10, 59.44},
                                             {23, 131.62}, {42, 237.06}, {DefaultColumnWidth, 50.74}};
  for (const auto& [width, points] : cases) {
    EXPECT_NEAR(ColumnPoints(width), points, 0.05) << width;
  }
}

struct WrapCase {
  const char* what;
  QString text;
  double width;
  int lines;
};

// Never fewer lines than LibreOffice prints, and hardly more: the pairs of
// texts a little shorter and a little longer than a line are those on either
// side of where it starts to wrap them, in a column and over a merged area.
TEST(TextFit, WrapsNoTighterThanThePrintingProgram) {
  const double name = ColumnPoints(7) + 2 * ColumnPoints(5);
  const auto digits = [](int zeros, int ells, int stops) {
    return "0000 " + QString(zeros, u'0') + QString(ells, u'l') + QString(stops, u'.');
  };
  const WrapCase cases[] = {
      {"one line", "Иванов Иван", name, 1},
      {"between words", "Богатырёв Святослав Никитич", name, 2},
      {"a word longer than a line", "тренера(тренеров)", ColumnPoints(10), 2},
      {"blanks at the break hang past the line", "Судья" + QString(48, u' ') + "Попов В.В.", name, 2},
      {"a line feed", "Место\nPlace", name, 2},
      {"after the hyphen of a double-barrelled name", "Ханты-Мансийский", ColumnPoints(15), 2},
      {"a dash between blanks is a word", "Тула - Югра", ColumnPoints(10), 1},
      {"55.4 points in a column of 10", digits(5, 0, 1), ColumnPoints(10), 1},
      {"57.4 points in a column of 10", digits(4, 3, 1), ColumnPoints(10), 2},
      {"143.3 points over 15 and 10", digits(18, 5, 2), ColumnPoints(15) + ColumnPoints(10), 1},
      {"144.1 points over 15 and 10", digits(20, 2, 1), ColumnPoints(15) + ColumnPoints(10), 2},
      {"233.9 points in a column of 42", digits(37, 0, 1), ColumnPoints(42), 1},
      {"235.3 points in a column of 42", digits(35, 5, 1), ColumnPoints(42), 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WrappedLines(c.text, c.width), c.lines) << c.what;
  }
  EXPECT_TRUE(WordsFitAcross(u"Мужчины (Двоеборье)", 2 * ColumnPoints(5) + 20));
  EXPECT_FALSE(WordsFitAcross(u"Мужчины (Двоеборье)", ColumnPoints(5)));
  EXPECT_TRUE(WordsFitAcross(u"Ханты-Мансийский автономный округ", ColumnPoints(15)));
}

// A text in a cell of its own is shrunk while it stays readable; beyond that
// it wraps where its words allow it, and else it is turned, running up its
// row, as a narrow column's caption does.
TEST(TextFit, WrapsOrTurnsWhatShrinkingWouldMakeTooSmallToRead) {
  TWorksheet sheet(QStringLiteral("Лист1"));
  sheet.SetColumnWidth(1, 15);
  sheet.SetColumnWidth(2, 8);
  struct {
    const char* what;
    int column;
    QString text;
    bool wrap;
    bool merged;
    std::optional<int> orientation;  // nothing: left as it is
  } cases[] = {
      {"fits", 1, "Тульская область", false, false, std::nullopt},
      {"shrinks a little", 1, "Московская область", false, false, std::nullopt},
      {"too long to shrink", 1, "Ханты-Мансийский автономный округ - Югра", false, false, 0},
      {"a word wider than the cell", 1, "Восточно-Казахстанскаяобластьрегион", false, false, 90},
      // Its first word is a hair too wide for the relay's column G.
      {"the relay's caption", 2, "Результат участника", false, false, 90},
      {"too long even turned", 1, QString(90, u'Ж'), false, false, std::nullopt},
      {"already wrapped", 1, "Ханты-Мансийский автономный округ - Югра", true, false, std::nullopt},
      {"in a merged area", 1, "Ханты-Мансийский автономный округ - Югра", false, true, std::nullopt},
  };
  int row = 1;
  for (const auto& c : cases) {
    TCell& cell = sheet.EditCell({row, c.column});
    cell.Value = c.text;
    cell.Format.ShrinkToFit = true;
    cell.Format.WrapText = c.wrap;
    if (c.merged) {
      sheet.Merge({{row, 1}, {row, 2}});
    }
    ++row;
  }
  const std::vector<TTextRefit> found = TextsTooLongToShrink(sheet);
  row = 1;
  for (const auto& c : cases) {
    const auto it = std::find_if(found.begin(), found.end(), [&](const TTextRefit& refit) {
      return refit.Cell == TCellAddress{row, c.column};
    });
    EXPECT_EQ(it == found.end() ? std::nullopt : std::optional(it->Orientation), c.orientation) << c.what;
    ++row;
  }
}

// A sheet in small, a row for each rule.
TEST(TextFit, RaisesTheRowsThatTheirTextsNeed) {
  TWorksheet sheet(QStringLiteral("Лист1"));
  for (const auto& [column, width] : {std::pair{1, 7}, {2, 5}, {3, 5}}) {
    sheet.SetColumnWidth(column, width);
  }
  const auto put = [&](int row, int column, const QString& text, bool wrap, int orientation = 0) {
    TCell& cell = sheet.EditCell({row, column});
    cell.Value = text;
    cell.Format.ShrinkToFit = true;
    cell.Format.WrapText = wrap;
    cell.Format.Orientation = orientation;
  };
  const QString longName = QStringLiteral("Богатырёв Святослав Никитич");
  // A name merged over A..C takes two lines.
  put(1, 1, longName, true);
  sheet.Merge({{1, 1}, {1, 3}});
  // Shrunk to fit, a text keeps to one line.
  put(2, 1, longName, false);
  // A row set higher than its text needs keeps its height.
  put(3, 1, longName, true);
  sheet.Merge({{3, 1}, {3, 3}});
  sheet.SetRowHeight(3, 40);
  // Over two rows: what the rows lack goes to the last one.
  put(4, 1, QStringLiteral("Место Место Место Место Место"), true);
  sheet.Merge({{4, 1}, {5, 1}});
  put(4, 2, longName, true);
  sheet.Merge({{4, 2}, {4, 3}});
  // Under a merged area a text does not print and needs nothing.
  put(7, 1, QStringLiteral("Тула"), true);
  sheet.Merge({{7, 1}, {7, 3}});
  sheet.EditCell({7, 2}).Value = longName;
  // Turned, a caption is wrapped into the two lines its column holds.
  put(8, 2, QStringLiteral("Женщины (Длинный цикл)"), true, 90);

  const auto raised = RowsToRaise(sheet);
  ASSERT_EQ(raised.size(), 4u) << raised.size();
  EXPECT_EQ(raised.at(1), 30);
  EXPECT_EQ(raised.at(4), 45);  // three lines of the name over B..C
  EXPECT_EQ(raised.at(5), 30);  // five lines in column A: 75 over the two rows
  EXPECT_GT(raised.at(8), TextWidth(u"(Длинный цикл)"));
  EXPECT_LT(raised.at(8), TextWidth(u"Женщины (Длинный цикл)"));
}

}  // namespace
