#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "platform/spreadsheet/automation.h"
#include "platform/spreadsheet/workbook_model.h"

// The program's own spreadsheet application behind the automation members
// that printing uses ("Excel.Application"): workbooks in memory
// (workbook_model.h), printed through LibreOffice (office.h) and, for a
// visible instance, handed to the desktop's spreadsheet program.
//
// A visible instance is the running one that GetActiveObject finds, one per
// server (per program run) until it quits. A client (what CreateInstance or
// GetActiveObject handed out, with every object reached through it) that
// lets go of its last reference leaves the workbooks it added to the user:
// each is saved under a new name in HandOverFolder() and opened in the
// desktop's spreadsheet program (one that cannot be saved stays open in the
// instance and goes with the next hand-over). What kept a workbook from the
// user's screen waits in TakeHandOverTroubles(): the letting go happens
// where nobody can be told. A hidden instance just forgets its workbooks
// then; Quit ends an instance, Close discards a workbook unsaved.
//
// Environment:
//   TYAZHAR_PRINT_TO   PrintOut writes a PDF of all sheets to this file
//                      instead of printing on the default printer
// and those of office.h for finding and bounding LibreOffice and for the
// desktop's opener.
//
// Errors: a member the object does not have, or invoked the wrong way, is an
// EOleSysError ("Unknown name: Range.Font", "Member not found: ..."), as is
// a call on an object whose instance has quit or whose workbook is closed;
// an argument the member cannot take is an EOleException. These texts are
// English, as the automation library's are. A LibreOffice that cannot be
// found or fails is reported in Russian for the user: a hidden instance
// looks for LibreOffice as soon as it is told to stay hidden (Visible :=
// False; not when a Print hook stands in), so that the failure comes with
// the start-up; PrintOut raises EOleException with
// "Проблемы с открытием Excel:" + CR LF + the reason, or with the reason
// alone when the PDF of TYAZHAR_PRINT_TO could not be written.
namespace spreadsheet {

// A workbook that a visible instance handed over and that did not reach the
// user's screen.
struct THandOverTrouble {
  // Where it was saved; empty when it could not be saved (it then stays open
  // in the instance and is tried again at the next hand-over).
  QString Path;
  // Why it could not be saved, or why no program opened it (Russian).
  QString Reason;
};

// What a test, or a program run without a printer or desktop, puts in place
// of the world outside.
struct TSpreadsheetHooks {
  // Told of every workbook that Workbooks.Add makes. The model stays
  // readable after Close, Quit or hand-over.
  std::function<void(const std::shared_ptr<const TWorkbook>&)> WorkbookAdded;
  // Prints in place of LibreOffice (and of TYAZHAR_PRINT_TO).
  std::function<void(const TWorkbook&)> Print;
  // Opens a handed-over workbook file in place of the desktop's program;
  // an exception is a failure to open it.
  std::function<void(const QString& path)> Open;
};

namespace detail {
struct TServerState;
}

class TSpreadsheetServer : public IAutomationServer {
 public:
  TSpreadsheetServer();
  ~TSpreadsheetServer() override;
  TSpreadsheetServer(const TSpreadsheetServer&) = delete;
  TSpreadsheetServer& operator=(const TSpreadsheetServer&) = delete;

  // Only "Excel.Application" (any letter case) is known.
  TAutomationRef CreateInstance(const QString& progId) override;
  // The visible instance; EOleSysError "Operation unavailable" when none runs.
  TAutomationRef GetActiveObject(const QString& progId) override;

  // Returns the hooks in force before.
  TSpreadsheetHooks SetHooks(TSpreadsheetHooks hooks);

  // The troubles of the hand-overs since the last call, oldest first.
  std::vector<THandOverTrouble> TakeHandOverTroubles();

 private:
  std::shared_ptr<detail::TServerState> FState;
};

// The server that AutomationServer() gives when no other is installed.
TSpreadsheetServer& DefaultSpreadsheetServer();

// The workbook model behind an automation object of this back end: an
// application's active workbook, a workbook, or the workbook of a sheet,
// range, page setup or collection. Null for anything else (a test double).
std::shared_ptr<TWorkbook> WorkbookOf(const TAutomationRef& object);
// The worksheet behind a worksheet, range, border or page setup object, or an
// application's active sheet. Null for anything else.
std::shared_ptr<TWorksheet> WorksheetOf(const TAutomationRef& object);

// Where handed-over workbooks are saved: <cache folder>/tyazharnet/export.
// The cache folder is kept across restarts, unlike /tmp, so that a workbook
// the user has not saved elsewhere survives one.
QString HandOverFolder();

}  // namespace spreadsheet
