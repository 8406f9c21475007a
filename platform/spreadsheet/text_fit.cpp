#include "platform/spreadsheet/text_fit.h"

#include <QList>
#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace spreadsheet {
namespace {

// Advance widths of Carlito Regular (the same as Calibri's), in units of its
// 2048 to the em, without kerning: the printing program lays a cell's text
// out unkerned to within a fraction of a point.
constexpr double kUnitsPerEm = 2048;

struct TAdvance {
  char16_t Code;
  quint16 Width;
};

// Blanks, digits, Latin letters and punctuation: U+0020 to U+007E.
constexpr std::array<quint16, 95> kBasicLatin{
    463,  667,  821,  1020, 1038, 1464, 1397, 452,  621,  621,  1020, 1020, 511,  627,  517,  791,
    1038, 1038, 1038, 1038, 1038, 1038, 1038, 1038, 1038, 1038, 548,  548,  1020, 1020, 1020, 949,
    1831, 1185, 1114, 1092, 1260, 1000, 941,  1292, 1276, 516,  653,  1064, 861,  1751, 1322, 1356,
    1058, 1378, 1112, 941,  998,  1314, 1162, 1822, 1063, 998,  959,  628,  791,  628,  1020, 1020,
    596,  981,  1076, 866,  1076, 1019, 625,  964,  1076, 470,  490,  931,  470,  1636, 1076, 1080,
    1076, 1076, 714,  801,  686,  1076, 925,  1464, 887,  927,  809,  644,  943,  644,  1020,
};
// The no-break space (as wide as a blank), the soft hyphen (no width) and Latin-1: U+00A0 to U+00FF.
constexpr std::array<quint16, 96> kLatin1{
    463,  667,  1020, 1038, 1020, 1038, 1020, 1020, 804,  1709, 824,  1049, 1020, 0,    1038, 807,
    694,  1020, 688,  685,  598,  1126, 1200, 517,  629,  504,  865,  1049, 1303, 1375, 1383, 949,
    1185, 1185, 1185, 1185, 1185, 1185, 1563, 1092, 1000, 1000, 1000, 1000, 516,  516,  516,  516,
    1279, 1322, 1356, 1356, 1356, 1356, 1356, 1020, 1359, 1314, 1314, 1314, 1314, 998,  1058, 1080,
    981,  981,  981,  981,  981,  981,  1583, 866,  1019, 1019, 1019, 1019, 470,  470,  470,  470,
    1076, 1076, 1080, 1080, 1080, 1080, 1080, 1020, 1084, 1076, 1076, 1076, 1076, 927,  1076, 927,
};
// Cyrillic: U+0400 to U+045F.
constexpr std::array<quint16, 96> kCyrillic{
    1000, 1000, 1279, 880,  1121, 941,  516,  516,  653,  1786, 1795, 1266, 1112, 1314, 1080, 1269,
    1185, 1101, 1114, 880,  1319, 1000, 1640, 970,  1314, 1314, 1112, 1251, 1751, 1276, 1356, 1273,
    1058, 1092, 998,  1080, 1428, 1063, 1308, 1138, 1778, 1822, 1259, 1560, 1088, 1122, 1800, 1137,
    981,  1091, 981,  708,  1143, 1019, 1411, 866,  1107, 1107, 950,  1045, 1385, 1095, 1080, 1066,
    1076, 866,  793,  927,  1278, 887,  1109, 960,  1492, 1534, 1098, 1364, 962,  907,  1478, 971,
    1019, 1019, 1107, 708,  909,  801,  470,  470,  490,  1538, 1576, 1091, 950,  1107, 927,  1075,
};
// Dashes, quotes, the ellipsis, the number sign and the euro.
constexpr TAdvance kPunctuation[] = {{0x2012, 1038}, {0x2013, 1020}, {0x2014, 1854}, {0x2015, 1854},
                                     {0x2018, 511},  {0x2019, 511},  {0x201A, 511},  {0x201C, 857},
                                     {0x201D, 857},  {0x201E, 857},  {0x2026, 1414}, {0x2116, 2099},
                                     {0x20AC, 1038}};

// A character outside the tables comes from another font; a whole em is as
// wide as such a glyph gets.
constexpr quint16 kUnknownWidth = 2048;

// The printing program keeps a point of blank on either side of a cell's
// text, and its rounding of the columns and the text can take up to another point.
constexpr double kCellPadding = 2 + 1;
// How far apart the lines of a text turned by 90 degrees stand across its
// cell: the font's height of 11 points and a point of leading.
constexpr double kTurnedLinePitch = 12;

double Advance(char16_t c) {
  const auto in = [c](char16_t first, const auto& table) -> int {
    const size_t index = size_t(c) - first;
    return c >= first && index < table.size() ? table[index] : -1;
  };
  for (const int width : {in(0x20, kBasicLatin), in(0xA0, kLatin1), in(0x400, kCyrillic)}) {
    if (width >= 0) {
      return width;
    }
  }
  for (const auto& [code, width] : kPunctuation) {
    if (code == c) {
      return width;
    }
  }
  return kUnknownWidth;
}

double Points(double units) {
  return units * FontSize / kUnitsPerEm;
}

// A word of a line: what stands between two places where the line may break,
// and the blanks before it.
struct TWord {
  QStringView Text;
  double Gap = 0;
  double Width = 0;
};

bool IsBlank(QChar c) {
  return c == u' ' || c == u'\t';
}

// Blanks are no place to break before closing punctuation or after an
// opening bracket; a no-break space never is.
bool BreaksAt(QStringView line, qsizetype blanksFrom, qsizetype blanksTo) {
  static constexpr QStringView kNoBreakBefore = u")]}!?,.:;/%";
  static constexpr QStringView kNoBreakAfter = u"([{";
  if (blanksFrom == 0 || blanksTo == line.size()) {
    return false;
  }
  return !kNoBreakBefore.contains(line[blanksTo]) && !kNoBreakAfter.contains(line[blanksFrom - 1]);
}

std::vector<TWord> WordsOf(QStringView line) {
  std::vector<TWord> words;
  TWord word;
  qsizetype start = 0;
  qsizetype i = 0;
  while (i < line.size()) {
    if (!IsBlank(line[i])) {
      word.Width += Points(Advance(line[i].unicode()));
      ++i;
      // A hyphen inside a word, as in a double-barrelled place name, is a
      // place to break after, as it is for the printing program.
      if (line[i - 1] == u'-' && i >= 2 && line[i - 2].isLetter() && i < line.size() && line[i].isLetter()) {
        word.Text = line.mid(start, i - start);
        words.push_back(word);
        word = TWord{};
        start = i;
      }
      continue;
    }
    qsizetype end = i;
    double blanks = 0;
    while (end < line.size() && IsBlank(line[end])) {
      blanks += Points(Advance(u' '));
      ++end;
    }
    if (BreaksAt(line, i, end)) {
      word.Text = line.mid(start, i - start);
      words.push_back(word);
      word = TWord{{}, blanks, 0};
      start = end;
    } else {
      word.Width += blanks;
    }
    i = end;
  }
  word.Text = line.mid(start);
  words.push_back(word);
  return words;
}

int WrappedParagraphLines(QStringView line, double room) {
  int lines = 1;
  double used = 0;
  bool empty = true;
  for (const TWord& word : WordsOf(line)) {
    if (!empty && used + word.Gap + word.Width <= room) {
      used += word.Gap + word.Width;
      continue;
    }
    if (!empty) {
      // The blanks at the break hang past the line's end.
      ++lines;
      used = 0;
    }
    empty = false;
    if (word.Width <= room) {
      used = word.Width;
      continue;
    }
    for (const QChar c : word.Text) {
      const double width = Points(Advance(c.unicode()));
      if (used > 0 && used + width > room) {
        ++lines;
        used = 0;
      }
      used += width;
    }
  }
  return lines;
}

// The widest word of the text, the one that the narrowest cell must hold.
double LongestWord(QStringView text) {
  double longest = 0;
  for (QStringView line : text.split(u'\n')) {
    for (const TWord& word : WordsOf(line)) {
      longest = std::max(longest, word.Width);
    }
  }
  return longest;
}

bool IsTurned(int orientation) {
  return orientation == 90 || orientation == -90 || orientation == xl::Upward || orientation == xl::Downward;
}

// The height the text needs in a cell of that width and format.
double NeededHeight(QStringView text, double width, const TCellFormat& format) {
  if (!IsTurned(format.Orientation)) {
    return format.WrapText ? WrappedLines(text, width) * LineHeight : LineHeight;
  }
  // Turned, the text runs up the row and its lines stand side by side
  // across the cell: the row is made as high as the longest of them once
  // the text is wrapped into as many lines as the width holds.
  const int across = format.WrapText ? std::max(1, int((width - kCellPadding) / kTurnedLinePitch)) : 1;
  double height = std::ceil(TextWidth(text) + kCellPadding);
  if (across > 1) {
    for (double shorter = std::ceil(LongestWord(text) + kCellPadding); shorter < height; ++shorter) {
      if (WrappedLines(text, shorter) <= across) {
        height = shorter;
        break;
      }
    }
  }
  return height;
}

}  // namespace

double TextWidth(QStringView text) {
  double units = 0;
  for (const QChar c : text) {
    units += Advance(c.unicode());
  }
  return Points(units);
}

double ColumnPoints(double width) {
  // The file keeps a width as whole pixels of a 7-pixel reference digit with
  // 5 pixels of padding, in 256ths of a digit; LibreOffice lays each of those
  // digits out 5.55 points wide (the printed digit's width in whole twips).
  const double pixels = width < 1 ? std::floor(width * 12 + 0.5) : std::floor(width * 7 + 0.5) + 5;
  return std::floor(pixels / 7 * 256) / 256 * 5.55;
}

double RangePoints(const TWorksheet& sheet, const TCellRange& range) {
  double width = 0;
  for (int column = range.First.Column; column <= range.Last.Column; ++column) {
    width += ColumnPoints(sheet.ColumnWidth(column).value_or(DefaultColumnWidth));
  }
  return width;
}

int WrappedLines(QStringView text, double cellWidth) {
  const double room = cellWidth - kCellPadding;
  int lines = 0;
  for (QStringView line : text.split(u'\n')) {
    lines += WrappedParagraphLines(line, room);
  }
  return lines;
}

bool WordsFitAcross(QStringView text, double cellWidth) {
  return LongestWord(text) <= cellWidth - kCellPadding;
}

std::optional<int> OrientationToFit(QStringView text, double cellWidth) {
  if (WordsFitAcross(text, cellWidth)) {
    return 0;
  }
  TCellFormat turned;
  turned.WrapText = true;
  turned.Orientation = 90;
  if (NeededHeight(text, cellWidth, turned) > MaxRowHeight) {
    return std::nullopt;
  }
  return 90;
}

std::vector<TTextRefit> TextsTooLongToShrink(const TWorksheet& sheet) {
  std::vector<TTextRefit> found;
  for (const auto& [address, cell] : sheet.Cells()) {
    const auto* text = std::get_if<QString>(&cell.Value);
    if (!text || text->isEmpty() || cell.Format.WrapText || cell.Format.Orientation != 0 ||
        sheet.MergeAt(address)) {
      continue;
    }
    const double width = RangePoints(sheet, {address, address});
    if (TextWidth(*text) * LeastShrink <= width - kCellPadding) {
      continue;
    }
    if (const auto orientation = OrientationToFit(*text, width)) {
      found.push_back({address, *orientation});
    }
  }
  return found;
}

std::map<int, double> RowsToRaise(const TWorksheet& sheet) {
  struct TNeed {
    int First;
    int Last;
    double Height;
  };
  std::vector<TNeed> needs;
  for (const auto& [address, cell] : sheet.Cells()) {
    const auto* text = std::get_if<QString>(&cell.Value);
    if (!text || text->isEmpty()) {
      continue;
    }
    const TCellRange range = sheet.MergeAt(address).value_or(TCellRange{address, address});
    if (range.First != address) {
      continue;  // hidden under a merged area
    }
    needs.push_back(
        {range.First.Row, range.Last.Row, NeededHeight(*text, RangePoints(sheet, range), cell.Format)});
  }
  // A text over one row sets that row; one over several takes what the rows
  // already have and adds what it lacks to the last, the narrowest spans first.
  std::stable_sort(needs.begin(), needs.end(),
                   [](const TNeed& a, const TNeed& b) { return a.Last - a.First < b.Last - b.First; });
  std::map<int, double> heights;
  const auto height = [&](int row) -> double& {
    return heights.try_emplace(row, sheet.RowHeight(row).value_or(DefaultRowHeight)).first->second;
  };
  for (const TNeed& need : needs) {
    double have = 0;
    for (int row = need.First; row <= need.Last; ++row) {
      have += height(row);
    }
    if (need.Height > have) {
      height(need.Last) += need.Height - have;
    }
  }
  std::map<int, double> raised;
  for (const auto& [row, fitted] : heights) {
    const double wanted = std::min(std::ceil(fitted), MaxRowHeight);
    if (wanted > sheet.RowHeight(row).value_or(DefaultRowHeight)) {
      raised[row] = wanted;
    }
  }
  return raised;
}

}  // namespace spreadsheet
