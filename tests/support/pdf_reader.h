#pragma once

#include <QString>

// Reads back a PDF that a print wrote, through poppler's command-line tools.
namespace testing_pdf {

// The text of every page, laid out as printed (pdftotext -layout); fails the
// test when pdftotext does not finish.
QString Text(const QString& pdf);
// The number of pages (pdfinfo); 0 when it cannot tell.
int Pages(const QString& pdf);

}  // namespace testing_pdf
