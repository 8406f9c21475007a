#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <vector>

#include "platform/spreadsheet/automation.h"
#include "tests/support/test_sandbox.h"

// A stand-in for the spreadsheet application that records every automation
// call in order and keeps what it was told (cell values, merges, borders,
// widths, page setup), so that tests can assert both the conversation and the
// resulting sheet. A text put as a cell's value is kept as the application
// would take it typed: a formula, a number, or (after an apostrophe, or when
// it looks like neither) the text. It can be told to refuse a chosen call.
namespace automation_double {

// One call as the program made it. Path is the object the member was invoked
// on, e.g. "Application.WorkSheets[1].Cells[9,1]".
struct TCall {
  QString Path;
  QString Member;
  TInvokeKind Kind = TInvokeKind::Method;
  std::vector<TAutomationValue> Args;
  // "Application.WorkSheets[1].Cells[9,1].Value put "x"": path, member, "call",
  // "get" or "put", and the arguments (texts quoted, objects by their path).
  QString Text() const;
};

QString ValueText(const TAutomationValue& value);

struct TCellState {
  TAutomationValue Value;
  std::optional<QString> Formula;
  std::optional<int> HorizontalAlignment;
  std::optional<int> VerticalAlignment;
  std::optional<bool> ShrinkToFit;
  // Edges (7 left, 8 top, 9 bottom, 10 right) given a line style.
  std::set<int> Borders;
  bool Boxed() const { return Borders == std::set<int>{7, 8, 9, 10}; }
};

struct TRangeState {
  bool Merged = false;
  std::optional<int> HorizontalAlignment;
  std::optional<bool> WrapText;
  std::optional<int> Orientation;
  std::set<int> Borders;
  bool Framed() const { return Borders == std::set<int>{7, 8, 9, 10}; }
};

struct TSheetState {
  QString Name;
  std::map<std::pair<int, int>, TCellState> Cells;  // by (row, column)
  std::map<QString, TRangeState> Ranges;            // by "A1:L1"
  std::map<int, int> ColumnWidths;
  std::map<int, int> RowHeights;
  // Rows with a page break above them.
  std::set<int> PageBreaks;
  std::map<QString, TAutomationValue> PageSetup;  // property name -> value

  // The cell's value as text ("" when never written); the formula when one was set.
  QString Text(const QString& cell) const;
  const TCellState* Cell(const QString& cell) const;
  const TRangeState* Range(const QString& from, const QString& to) const;
  bool IsMerged(const QString& from, const QString& to) const;
  bool IsFramed(const QString& from, const QString& to) const;
  bool IsBoxed(const QString& cell) const;
  // Every range merged, as "A1:L1", in name order.
  QStringList Merges() const;
  // The rows that hold at least one value.
  std::set<int> UsedRows() const;
};

struct TWorkbookState {
  std::map<QString, QString> Properties;  // Author, Comments, Title
  std::vector<std::shared_ptr<TSheetState>> Sheets;
  // As the application does, a newly added worksheet becomes the active one.
  std::shared_ptr<TSheetState> ActiveSheet;
  bool Closed = false;
  int PrintOuts = 0;
};

struct TApplicationState {
  std::optional<bool> Visible;
  std::optional<bool> DisplayAlerts;
  bool Quit = false;
  bool StartedNew = false;  // made by CreateInstance rather than attached
  std::vector<std::shared_ptr<TWorkbookState>> Workbooks;
};

enum class TFailure { OleException, OleSysError };

class TAutomationDouble : public IAutomationServer {
 public:
  // InitialSheets: the worksheets a new workbook starts with.
  explicit TAutomationDouble(int initialSheets = 3);
  ~TAutomationDouble() override;

  // A running application that GetActiveObject attaches to (with one workbook
  // of the user's open in it). Without one, GetActiveObject fails with
  // EOleSysError, as when nothing runs.
  void SetRunning(bool running);

  // Refuse the nth call (counted from 1) of the member, letter case ignored;
  // nth 0 refuses every call. "CreateInstance" and "GetActiveObject" name the
  // two ways of reaching the application. The refused call is still recorded.
  void FailAt(const QString& member, int nth = 1, TFailure kind = TFailure::OleException,
              const QString& message = QStringLiteral("refused"));

  TAutomationRef CreateInstance(const QString& progId) override;
  TAutomationRef GetActiveObject(const QString& progId) override;

  const std::vector<TCall>& Calls() const { return FCalls; }
  QStringList CallTexts() const;
  // The calls whose member is one of the names, in order, as texts.
  QStringList CallTexts(const QStringList& members) const;
  void ClearCalls() { FCalls.clear(); }

  // The application last started or attached to; null before that.
  TApplicationState* Application() const { return FCurrent.get(); }
  // Every application started by CreateInstance, in order.
  const std::vector<std::shared_ptr<TApplicationState>>& Started() const { return FStarted; }
  // The workbook the program added last, and its sheets (from 1).
  TWorkbookState& Workbook() const;
  TSheetState& Sheet(int index) const;
  int SheetCount() const;
  QStringList SheetNames() const;

  // Used by the fake objects.
  void Record(const QString& path, const QString& member, TInvokeKind kind,
              const std::vector<TAutomationValue>& args);
  int InitialSheets() const { return FInitialSheets; }

 private:
  struct TRule {
    QString Member;
    int Nth;
    TFailure Kind;
    QString Message;
    int Seen = 0;
  };
  TAutomationRef MakeApplication(bool startedNew);

  int FInitialSheets;
  bool FRunning = false;
  std::vector<TRule> FRules;
  std::vector<TCall> FCalls;
  std::shared_ptr<TApplicationState> FCurrent;
  std::shared_ptr<TApplicationState> FRunningState;
  std::vector<std::shared_ptr<TApplicationState>> FStarted;
};

// Installs a server for the life of the scope and puts the previous one back.
class TServerScope {
 public:
  explicit TServerScope(IAutomationServer* server) : FPrevious(SetAutomationServer(server)) {}
  ~TServerScope() { SetAutomationServer(FPrevious); }
  TServerScope(const TServerScope&) = delete;
  TServerScope& operator=(const TServerScope&) = delete;

 private:
  IAutomationServer* FPrevious;
};

// "B9" -> (9, 2); throws EOleException for a name that is not a cell.
std::pair<int, int> ParseCellName(const QString& name);

}  // namespace automation_double

