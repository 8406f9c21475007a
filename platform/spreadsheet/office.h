#pragma once

#include <QString>

// LibreOffice run headless as the print engine of the spreadsheet back end.
// Each program run uses a LibreOffice profile of its own in a temporary
// folder, so that it neither meets the user's open LibreOffice nor another
// run of the program; every call is bounded by a time limit, after which the
// whole LibreOffice process group is killed.
//
// Environment:
//   TYAZHAR_SOFFICE             the soffice program to run (default: soffice,
//                               then libreoffice, on PATH); a name that leads
//                               nowhere counts as LibreOffice missing
//   TYAZHAR_OFFICE_TIMEOUT_MS   the time limit of one call (default 120000)
// While LibreOffice works, the main thread's event loop keeps running without
// user input, so the window is repainted.
namespace office {

// The soffice program, or an empty text with *reason filled (in Russian, for
// the user) when LibreOffice cannot be found.
QString FindSoffice(QString* reason);

// Prints every sheet of the .xlsx file on the default printer. Raises
// Exception with the reason (Russian) on failure, also when the print
// system (lpstat) names no default printer.
void PrintFile(const QString& xlsxPath);

// Turns the .xlsx file into a PDF of all its sheets at pdfPath (written
// whole, atomically). Raises Exception with the reason on failure.
void ConvertToPdf(const QString& xlsxPath, const QString& pdfPath);

}  // namespace office
