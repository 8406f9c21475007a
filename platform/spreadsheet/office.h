#pragma once

#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "platform/core/exception.h"

// The programs outside that the spreadsheet back end runs: LibreOffice,
// headless, as its print engine, and the desktop's opener for the workbooks
// it hands to the user.
//
// Each program run uses a LibreOffice profile of its own in a temporary
// folder, so that it neither meets the user's open LibreOffice nor another
// run of the program; every call is bounded by a time limit, after which the
// whole LibreOffice process group is killed. LibreOffice is given only ASCII
// paths, its temporary folder (TMPDIR) included: under a locale that LANG
// names but the system lacks, it can neither load nor write a file whose path
// has any other letter. Its locale is left as it is, so that the numbers of a
// protocol keep the user's decimal separator.
//
// Environment:
//   TYAZHAR_SOFFICE             the soffice program to run (default: soffice,
//                               then libreoffice, on PATH); a name that leads
//                               nowhere counts as LibreOffice missing
//   TYAZHAR_OFFICE_TIMEOUT_MS   the time limit of one call (default 120000)
//   TYAZHAR_OPEN_WITH           the command that opens a handed-over workbook,
//                               in place of xdg-open: a program and its
//                               arguments, split at blanks outside double
//                               quotes; the file's path is appended
//   TYAZHAR_OPEN_WAIT_MS        how long the opener is waited for (default
//                               5000)
// While LibreOffice or the opener works, the main thread's event loop keeps
// running without user input, so the window is repainted.
namespace office {

// A file the program was to write could not be written: the message names
// the file and the reason.
class EWriteError : public Exception {
 public:
  using Exception::Exception;
};

// A new temporary folder whose path LibreOffice can read under any locale:
// in the system's temporary folder, or in /tmp when that one's path is not
// ASCII. Raises Exception when it cannot be made.
std::unique_ptr<QTemporaryDir> NewScratchFolder();

// The soffice program, or an empty text with *reason filled (in Russian, for
// the user) when LibreOffice cannot be found.
QString FindSoffice(QString* reason);

// The .xlsx paths below are ASCII (a file in a NewScratchFolder()).

// Prints every sheet of the .xlsx file on the default printer. Raises
// Exception with the reason (Russian) on failure, also when the print
// system (lpstat) names no default printer.
void PrintFile(const QString& xlsxPath);

// Turns the .xlsx file into a PDF of all its sheets at pdfPath (written
// whole, atomically). Raises Exception with the reason on failure, and
// EWriteError when the PDF was made but could not be written at pdfPath.
void ConvertToPdf(const QString& xlsxPath, const QString& pdfPath);

// Opens the file in the desktop's program for it (xdg-open or
// TYAZHAR_OPEN_WITH). Raises Exception with the reason (in Russian, with the
// opener's last line of output) when the opener cannot start or ends with a
// failure, as xdg-open does on a system where no program takes the file. An
// opener still running after the wait has started the program and waits for
// it (xdg-open does so on a desktop without an opener of its own): it counts
// as done and is left to run.
void OpenOnDesktop(const QString& path);

}  // namespace office
