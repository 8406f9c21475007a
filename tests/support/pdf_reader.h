#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <utility>
#include <vector>

// Reads back a PDF that a print wrote, through poppler's command-line tools.
namespace testing_pdf {

// The text of every page, laid out as printed (pdftotext -layout); fails the
// test when pdftotext does not finish.
QString Text(const QString& pdf);
// The number of pages (pdfinfo); 0 when it cannot tell.
int Pages(const QString& pdf);
// The names of the fonts the pages use (pdffonts), without the subset tag:
// "Carlito", not "BAAAAA+Carlito".
QStringList Fonts(const QString& pdf);

struct TWord {
  QString Text;
  QRectF Box;  // points, from the page's top left corner
};
struct TPage {
  QSizeF Size;
  std::vector<TWord> Words;
};
// Every word of every page with its box (pdftotext -bbox).
std::vector<TPage> Words(const QString& pdf);

// The words of the page that print over one another. A word's box runs from
// its font's top to its bottom, beyond the line its text takes; this judges
// by the line (inside the box by a share of the page's common font size,
// whichever way the word is turned), so that the lines of one wrapped text
// touch but do not count, while a line drawn into another text's does.
std::vector<std::pair<TWord, TWord>> Overprints(const TPage& page);

}  // namespace testing_pdf
