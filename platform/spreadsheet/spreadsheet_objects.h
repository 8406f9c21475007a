#pragma once

// Inside of the spreadsheet back end: the state shared by an application
// instance and its clients. Not for use outside platform/spreadsheet.

#include <memory>
#include <vector>

#include "platform/spreadsheet/automation.h"
#include "platform/spreadsheet/spreadsheet_server.h"
#include "platform/spreadsheet/workbook_model.h"

namespace spreadsheet::detail {

class TApplicationCore;

struct TServerState {
  TSpreadsheetHooks Hooks;
  // The visible instance that GetActiveObject attaches to.
  std::shared_ptr<TApplicationCore> Running;
  std::vector<THandOverTrouble> Troubles;
};

// One instance of the application: its workbooks and settings.
class TApplicationCore : public std::enable_shared_from_this<TApplicationCore> {
 public:
  explicit TApplicationCore(std::shared_ptr<TServerState> server) : FServer(std::move(server)) {}

  bool Visible = false;
  bool DisplayAlerts = true;

  bool HasEnded() const { return FEnded; }
  const TSpreadsheetHooks& Hooks() const { return FServer->Hooks; }

  // Makes this the instance that GetActiveObject finds, unless another runs.
  void Register();

  const std::vector<std::shared_ptr<TWorkbook>>& Workbooks() const { return FWorkbooks; }
  std::shared_ptr<TWorkbook> ActiveWorkbook() const { return FActive; }
  std::shared_ptr<TWorkbook> AddWorkbook();
  void ActivateWorkbook(const std::shared_ptr<TWorkbook>& book) { FActive = book; }
  // The workbook leaves the instance (closed or handed over).
  void RemoveWorkbook(const std::shared_ptr<TWorkbook>& book);

  // Prints every sheet of the workbook (LibreOffice, TYAZHAR_PRINT_TO or the
  // hook); raises EOleException.
  void Print(const TWorkbook& book) const;
  // Saves each workbook under a new name and opens it on the desktop, with
  // those whose hand-over failed before. Never raises: it runs when a client
  // lets go, where nobody could catch, and keeps what went wrong in the
  // server's troubles; a workbook that cannot be saved stays open here and
  // is tried again at the next hand-over.
  void HandOver(const std::vector<std::shared_ptr<TWorkbook>>& books);

  // Quit: the workbooks are discarded unsaved.
  void End();

 private:
  std::shared_ptr<TServerState> FServer;
  std::vector<std::shared_ptr<TWorkbook>> FWorkbooks;
  std::shared_ptr<TWorkbook> FActive;
  std::vector<std::shared_ptr<TWorkbook>> FNotHandedOver;
  bool FEnded = false;
};

// What one client holds: every object handed to it keeps the session alive,
// so the session ends when the client has let go of all of them.
class TClientSession {
 public:
  explicit TClientSession(std::shared_ptr<TApplicationCore> core) : FCore(std::move(core)) {}
  ~TClientSession();
  TClientSession(const TClientSession&) = delete;
  TClientSession& operator=(const TClientSession&) = delete;

  TApplicationCore& Core() const { return *FCore; }
  void NoteAdded(const std::shared_ptr<TWorkbook>& book) { FAdded.push_back(book); }

 private:
  std::shared_ptr<TApplicationCore> FCore;
  std::vector<std::weak_ptr<TWorkbook>> FAdded;
};

// The application object of a new client of the instance.
TAutomationRef NewApplicationObject(std::shared_ptr<TClientSession> session);

// The models behind an object of ours (see spreadsheet_server.h).
std::shared_ptr<TWorkbook> WorkbookBehind(const TAutomationRef& object);
std::shared_ptr<TWorksheet> WorksheetBehind(const TAutomationRef& object);

}  // namespace spreadsheet::detail
