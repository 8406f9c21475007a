#include "platform/spreadsheet/automation.h"

// Until the program's own spreadsheet back end is registered here, no
// application answers: as on a machine without the spreadsheet installed.
namespace {

class TNoServer : public IAutomationServer {
 public:
  TAutomationRef CreateInstance(const QString&) override {
    throw EOleSysError(QStringLiteral("Invalid class string"));
  }
  TAutomationRef GetActiveObject(const QString&) override {
    throw EOleSysError(QStringLiteral("Operation unavailable"));
  }
};

IAutomationServer*& Installed() {
  static IAutomationServer* server = nullptr;
  return server;
}

}  // namespace

IAutomationServer& AutomationServer() {
  static TNoServer fallback;
  return Installed() ? *Installed() : fallback;
}

IAutomationServer* SetAutomationServer(IAutomationServer* server) {
  IAutomationServer* previous = Installed();
  Installed() = server;
  return previous;
}
