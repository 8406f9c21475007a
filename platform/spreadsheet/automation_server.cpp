#include "platform/spreadsheet/automation.h"
#include "platform/spreadsheet/spreadsheet_server.h"

namespace {

IAutomationServer*& Installed() {
  static IAutomationServer* server = nullptr;
  return server;
}

}  // namespace

IAutomationServer& AutomationServer() {
  return Installed() ? *Installed() : spreadsheet::DefaultSpreadsheetServer();
}

IAutomationServer* SetAutomationServer(IAutomationServer* server) {
  IAutomationServer* previous = Installed();
  Installed() = server;
  return previous;
}
