#include "tests/support/automation_double.h"

#include <algorithm>

#include "platform/spreadsheet/workbook_model.h"

namespace automation_double {
namespace {

const QString kProgId = QStringLiteral("Excel.Application");

QString KindWord(TInvokeKind kind) {
  switch (kind) {
    case TInvokeKind::Method:
      return QStringLiteral("call");
    case TInvokeKind::PropertyGet:
      return QStringLiteral("get");
    case TInvokeKind::PropertyPut:
      return QStringLiteral("put");
  }
  return QString();
}

[[noreturn]] void Unknown(const QString& path, const QString& member) {
  throw EOleSysError(QStringLiteral("Unknown name: %1.%2").arg(path, member));
}

int IntArg(const std::vector<TAutomationValue>& args, size_t i) {
  if (i < args.size()) {
    if (const int* v = std::get_if<int>(&args[i])) {
      return *v;
    }
  }
  throw EOleException(QStringLiteral("Type mismatch: an integer was expected"));
}

bool BoolArg(const std::vector<TAutomationValue>& args, size_t i) {
  if (i < args.size()) {
    if (const bool* v = std::get_if<bool>(&args[i])) {
      return *v;
    }
  }
  throw EOleException(QStringLiteral("Type mismatch: a Boolean was expected"));
}

QString TextArg(const std::vector<TAutomationValue>& args, size_t i) {
  if (i < args.size()) {
    if (const QString* v = std::get_if<QString>(&args[i])) {
      return *v;
    }
  }
  throw EOleException(QStringLiteral("Type mismatch: a text was expected"));
}

class TObject : public IAutomationObject {
 public:
  TObject(TAutomationDouble& owner, QString path) : FOwner(owner), FPath(std::move(path)) {}
  const QString& Path() const { return FPath; }

  TAutomationValue Invoke(const QString& member, TInvokeKind kind,
                          const std::vector<TAutomationValue>& args) final {
    FOwner.Record(FPath, member, kind, args);
    return Handle(member.toLower(), member, kind, args);
  }

 protected:
  virtual TAutomationValue Handle(const QString& m, const QString& member, TInvokeKind kind,
                                  const std::vector<TAutomationValue>& args) = 0;
  TAutomationDouble& FOwner;
  QString FPath;
};

class TBorder : public TObject {
 public:
  TBorder(TAutomationDouble& owner, QString path, std::set<int>* edges, int edge)
      : TObject(owner, std::move(path)), FEdges(edges), FEdge(edge) {}

 protected:
  TAutomationValue Handle(const QString& m, const QString& member, TInvokeKind kind,
                          const std::vector<TAutomationValue>& args) override {
    if (m == u"linestyle" && kind == TInvokeKind::PropertyPut) {
      const int style = IntArg(args, 0);
      // -4142 is "no line"
      if (style == -4142) {
        FEdges->erase(FEdge);
      } else {
        FEdges->insert(FEdge);
      }
      return {};
    }
    Unknown(FPath, member);
  }

 private:
  std::set<int>* FEdges;
  int FEdge;
};

TAutomationRef MakeBorder(TAutomationDouble& owner, const QString& parentPath, std::set<int>* edges,
                          const std::vector<TAutomationValue>& args) {
  const int edge = IntArg(args, 0);
  if (edge < 5 || edge > 12) {
    throw EOleException(QStringLiteral("Unable to get the Item property of the Borders class"));
  }
  return std::make_shared<TBorder>(owner, QStringLiteral("%1.Borders[%2]").arg(parentPath).arg(edge), edges,
                                   edge);
}

class TCell : public TObject {
 public:
  TCell(TAutomationDouble& owner, QString path, std::shared_ptr<TSheetState> sheet, int row, int col)
      : TObject(owner, std::move(path)), FSheet(std::move(sheet)), FKey(row, col) {}

 protected:
  TAutomationValue Handle(const QString& m, const QString& member, TInvokeKind kind,
                          const std::vector<TAutomationValue>& args) override {
    TCellState& cell = FSheet->Cells[FKey];
    if (kind == TInvokeKind::PropertyPut) {
      if (m == u"value") {
        // A text is taken as if typed, as the application takes it: "=..." a
        // formula, a number's text a number, "'..." the rest as it stands.
        if (const QString* text = std::get_if<QString>(&args.at(0))) {
          const spreadsheet::TTypedInput typed = spreadsheet::ParseTypedInput(*text);
          if (!typed.Formula.isEmpty()) {
            cell.Formula = typed.Formula;
            cell.Value = {};
            return {};
          }
          if (const double* number = std::get_if<double>(&typed.Value)) {
            cell.Value = *number;
          } else {
            cell.Value = std::get<QString>(typed.Value);
          }
        } else {
          cell.Value = args.at(0);
        }
        cell.Formula.reset();
        return {};
      }
      if (m == u"formula") {
        cell.Formula = TextArg(args, 0);
        cell.Value = {};
        return {};
      }
      if (m == u"horizontalalignment") {
        cell.HorizontalAlignment = IntArg(args, 0);
        return {};
      }
      if (m == u"verticalalignment") {
        cell.VerticalAlignment = IntArg(args, 0);
        return {};
      }
      if (m == u"shrinktofit") {
        cell.ShrinkToFit = BoolArg(args, 0);
        return {};
      }
    } else if (m == u"borders") {
      return MakeBorder(FOwner, FPath, &cell.Borders, args);
    }
    Unknown(FPath, member);
  }

 private:
  std::shared_ptr<TSheetState> FSheet;
  std::pair<int, int> FKey;
};

class TRange : public TObject {
 public:
  TRange(TAutomationDouble& owner, QString path, std::shared_ptr<TSheetState> sheet, QString key)
      : TObject(owner, std::move(path)), FSheet(std::move(sheet)), FKey(std::move(key)) {}

 protected:
  TAutomationValue Handle(const QString& m, const QString& member, TInvokeKind kind,
                          const std::vector<TAutomationValue>& args) override {
    TRangeState& range = FSheet->Ranges[FKey];
    if (kind == TInvokeKind::PropertyPut) {
      if (m == u"mergecells") {
        range.Merged = BoolArg(args, 0);
        return {};
      }
      if (m == u"wraptext") {
        range.WrapText = BoolArg(args, 0);
        return {};
      }
      if (m == u"horizontalalignment") {
        range.HorizontalAlignment = IntArg(args, 0);
        return {};
      }
      if (m == u"orientation") {
        range.Orientation = IntArg(args, 0);
        return {};
      }
    } else if (m == u"borders") {
      return MakeBorder(FOwner, FPath, &range.Borders, args);
    }
    Unknown(FPath, member);
  }

 private:
  std::shared_ptr<TSheetState> FSheet;
  QString FKey;
};

class TDimension : public TObject {
 public:
  // Breaks: where a row's page break goes; null for a column.
  TDimension(TAutomationDouble& owner, QString path, std::map<int, int>* sizes, int index, QString property,
             std::set<int>* breaks)
      : TObject(owner, std::move(path)),
        FSizes(sizes),
        FIndex(index),
        FProperty(std::move(property)),
        FBreaks(breaks) {}

 protected:
  TAutomationValue Handle(const QString& m, const QString& member, TInvokeKind kind,
                          const std::vector<TAutomationValue>& args) override {
    if (kind == TInvokeKind::PropertyPut && m == FProperty) {
      (*FSizes)[FIndex] = IntArg(args, 0);
      return {};
    }
    if (kind == TInvokeKind::PropertyPut && m == u"pagebreak" && FBreaks) {
      // -4135 manual, -4142 none
      const int style = IntArg(args, 0);
      if ((style != -4135 && style != -4142) || FIndex == 1) {
        throw EOleException(QStringLiteral("Unable to set the PageBreak property of the Range class"));
      }
      if (style == -4135) {
        FBreaks->insert(FIndex);
      } else {
        FBreaks->erase(FIndex);
      }
      return {};
    }
    Unknown(FPath, member);
  }

 private:
  std::map<int, int>* FSizes;
  int FIndex;
  QString FProperty;
  std::set<int>* FBreaks;
};

class TPageSetup : public TObject {
 public:
  TPageSetup(TAutomationDouble& owner, QString path, std::shared_ptr<TSheetState> sheet)
      : TObject(owner, std::move(path)), FSheet(std::move(sheet)) {}

 protected:
  TAutomationValue Handle(const QString& m, const QString& member, TInvokeKind kind,
                          const std::vector<TAutomationValue>& args) override {
    static const QStringList known = {QStringLiteral("Orientation"),    QStringLiteral("LeftMargin"),
                                      QStringLiteral("RightMargin"),    QStringLiteral("TopMargin"),
                                      QStringLiteral("BottomMargin"),   QStringLiteral("FitToPagesWide"),
                                      QStringLiteral("FitToPagesTall"), QStringLiteral("LeftFooter")};
    if (kind == TInvokeKind::PropertyPut) {
      for (const QString& name : known) {
        if (m == name.toLower()) {
          if (name == u"LeftFooter") {
            TextArg(args, 0);
          } else if (name.startsWith(u"FitToPages") && std::holds_alternative<bool>(args.at(0))) {
            // False leaves that direction free; True is no number of pages.
            if (BoolArg(args, 0)) {
              throw EOleException(QStringLiteral("Unable to set the %1 property").arg(name));
            }
          } else {
            IntArg(args, 0);
          }
          FSheet->PageSetup[name] = args.at(0);
          return {};
        }
      }
    }
    Unknown(FPath, member);
  }

 private:
  std::shared_ptr<TSheetState> FSheet;
};

class TWorksheet : public TObject {
 public:
  TWorksheet(TAutomationDouble& owner, QString path, std::shared_ptr<TSheetState> sheet)
      : TObject(owner, std::move(path)), FSheet(std::move(sheet)) {}
  const std::shared_ptr<TSheetState>& State() const { return FSheet; }

 protected:
  TAutomationValue Handle(const QString& m, const QString& member, TInvokeKind kind,
                          const std::vector<TAutomationValue>& args) override {
    if (kind == TInvokeKind::PropertyPut) {
      if (m == u"name") {
        FSheet->Name = TextArg(args, 0);
        return {};
      }
      Unknown(FPath, member);
    }
    if (m == u"pagesetup" && args.empty()) {
      return std::make_shared<TPageSetup>(FOwner, FPath + QStringLiteral(".PageSetup"), FSheet);
    }
    if (m == u"columns" || m == u"rows") {
      const int index = IntArg(args, 0);
      if (index < 1) {
        throw EOleException(QStringLiteral("Unable to get the %1 property").arg(member));
      }
      const bool columns = m == u"columns";
      return std::make_shared<TDimension>(
          FOwner, QStringLiteral("%1.%2[%3]").arg(FPath, member).arg(index),
          columns ? &FSheet->ColumnWidths : &FSheet->RowHeights, index,
          columns ? QStringLiteral("columnwidth") : QStringLiteral("rowheight"),
          columns ? nullptr : &FSheet->PageBreaks);
    }
    if (m == u"cells") {
      const int row = IntArg(args, 0);
      const int col = IntArg(args, 1);
      if (row < 1 || col < 1) {
        throw EOleException(QStringLiteral("Unable to get the Item property of the Range class"));
      }
      return std::make_shared<TCell>(FOwner, QStringLiteral("%1.Cells[%2,%3]").arg(FPath).arg(row).arg(col),
                                     FSheet, row, col);
    }
    if (m == u"range") {
      const QString from = TextArg(args, 0);
      const QString to = TextArg(args, 1);
      ParseCellName(from);
      ParseCellName(to);
      return std::make_shared<TRange>(FOwner, QStringLiteral("%1.Range[%2,%3]").arg(FPath, from, to), FSheet,
                                      from + u':' + to);
    }
    Unknown(FPath, member);
  }

 private:
  std::shared_ptr<TSheetState> FSheet;
};

TAutomationRef MakeWorksheet(TAutomationDouble& owner, const TWorkbookState& book,
                             const std::shared_ptr<TSheetState>& sheet) {
  const auto it = std::find(book.Sheets.begin(), book.Sheets.end(), sheet);
  const int index = static_cast<int>(it - book.Sheets.begin()) + 1;
  return std::make_shared<TWorksheet>(owner, QStringLiteral("Application.WorkSheets[%1]").arg(index), sheet);
}

std::shared_ptr<TSheetState> NewSheet(int number) {
  auto sheet = std::make_shared<TSheetState>();
  sheet->Name = QStringLiteral("Sheet%1").arg(number);
  return sheet;
}

class TWorksheets : public TObject {
 public:
  TWorksheets(TAutomationDouble& owner, QString path, std::shared_ptr<TWorkbookState> book)
      : TObject(owner, std::move(path)), FBook(std::move(book)) {}

 protected:
  TAutomationValue Handle(const QString& m, const QString& member, TInvokeKind kind,
                          const std::vector<TAutomationValue>& args) override {
    if (kind == TInvokeKind::PropertyPut) {
      Unknown(FPath, member);
    }
    if (m == u"count") {
      return static_cast<int>(FBook->Sheets.size());
    }
    if (m == u"printout") {
      ++FBook->PrintOuts;
      return {};
    }
    if (m == u"add") {
      auto& sheets = FBook->Sheets;
      auto where = std::find(sheets.begin(), sheets.end(), FBook->ActiveSheet);
      const auto sheetOf = [this](const TAutomationValue& v) -> std::shared_ptr<TSheetState> {
        if (const auto* ref = std::get_if<TAutomationRef>(&v)) {
          if (const auto* ws = dynamic_cast<const TWorksheet*>(ref->get())) {
            return ws->State();
          }
          throw EOleException(QStringLiteral("Add: the argument is not a worksheet"));
        }
        return nullptr;
      };
      const auto before = args.size() > 0 ? sheetOf(args[0]) : nullptr;
      const auto after = args.size() > 1 ? sheetOf(args[1]) : nullptr;
      if (after) {
        where = std::find(sheets.begin(), sheets.end(), after);
        if (where == sheets.end()) {
          throw EOleException(QStringLiteral("Add: the sheet is not in this workbook"));
        }
        ++where;
      } else if (before) {
        where = std::find(sheets.begin(), sheets.end(), before);
      }
      auto sheet = NewSheet(static_cast<int>(sheets.size()) + 1);
      sheets.insert(where, sheet);
      FBook->ActiveSheet = sheet;
      return MakeWorksheet(FOwner, *FBook, sheet);
    }
    if (args.size() == 1) {
      // WorkSheets[i] reached through the collection's default member
      const int index = IntArg(args, 0);
      if (index < 1 || index > static_cast<int>(FBook->Sheets.size())) {
        throw EOleException(QStringLiteral("Invalid index."));
      }
      return MakeWorksheet(FOwner, *FBook, FBook->Sheets[index - 1]);
    }
    Unknown(FPath, member);
  }

 private:
  std::shared_ptr<TWorkbookState> FBook;
};

class TWorkbook : public TObject {
 public:
  TWorkbook(TAutomationDouble& owner, QString path, std::shared_ptr<TWorkbookState> book)
      : TObject(owner, std::move(path)), FBook(std::move(book)) {}

 protected:
  TAutomationValue Handle(const QString& m, const QString& member, TInvokeKind kind,
                          const std::vector<TAutomationValue>& args) override {
    if (kind == TInvokeKind::PropertyPut) {
      if (m == u"author" || m == u"comments" || m == u"title") {
        FBook->Properties[member] = TextArg(args, 0);
        return {};
      }
    } else if (m == u"close") {
      FBook->Closed = true;
      return {};
    }
    Unknown(FPath, member);
  }

 private:
  std::shared_ptr<TWorkbookState> FBook;
};

class TWorkbooks : public TObject {
 public:
  TWorkbooks(TAutomationDouble& owner, QString path, std::shared_ptr<TApplicationState> app)
      : TObject(owner, std::move(path)), FApp(std::move(app)) {}

 protected:
  TAutomationValue Handle(const QString& m, const QString& member, TInvokeKind kind,
                          const std::vector<TAutomationValue>&) override {
    if (kind != TInvokeKind::PropertyPut) {
      if (m == u"add") {
        auto book = std::make_shared<TWorkbookState>();
        for (int i = 1; i <= FOwner.InitialSheets(); ++i) {
          book->Sheets.push_back(NewSheet(i));
        }
        book->ActiveSheet = book->Sheets.empty() ? nullptr : book->Sheets.front();
        FApp->Workbooks.push_back(book);
        return std::make_shared<TWorkbook>(
            FOwner, QStringLiteral("Application.Workbooks[%1]").arg(FApp->Workbooks.size()), book);
      }
      if (m == u"count") {
        return static_cast<int>(FApp->Workbooks.size());
      }
    }
    Unknown(FPath, member);
  }

 private:
  std::shared_ptr<TApplicationState> FApp;
};

class TApplication : public TObject {
 public:
  TApplication(TAutomationDouble& owner, std::shared_ptr<TApplicationState> app)
      : TObject(owner, QStringLiteral("Application")), FApp(std::move(app)) {}

 protected:
  TAutomationValue Handle(const QString& m, const QString& member, TInvokeKind kind,
                          const std::vector<TAutomationValue>& args) override {
    if (FApp->Quit) {
      throw EOleSysError(QStringLiteral("The RPC server is unavailable."));
    }
    if (kind == TInvokeKind::PropertyPut) {
      if (m == u"visible") {
        FApp->Visible = BoolArg(args, 0);
        return {};
      }
      if (m == u"displayalerts") {
        FApp->DisplayAlerts = BoolArg(args, 0);
        return {};
      }
      Unknown(FPath, member);
    }
    if (m == u"workbooks" && args.empty()) {
      return std::make_shared<TWorkbooks>(FOwner, QStringLiteral("Application.Workbooks"), FApp);
    }
    if (m == u"quit") {
      FApp->Quit = true;
      return {};
    }
    if (m == u"worksheets" || m == u"activesheet") {
      if (FApp->Workbooks.empty()) {
        throw EOleException(QStringLiteral("No workbook is open"));
      }
      const auto& book = FApp->Workbooks.back();
      if (m == u"activesheet") {
        return MakeWorksheet(FOwner, *book, book->ActiveSheet);
      }
      if (args.empty()) {
        return std::make_shared<TWorksheets>(FOwner, QStringLiteral("Application.") + member, book);
      }
      const int index = IntArg(args, 0);
      if (index < 1 || index > static_cast<int>(book->Sheets.size())) {
        throw EOleException(QStringLiteral("Invalid index."));
      }
      return MakeWorksheet(FOwner, *book, book->Sheets[index - 1]);
    }
    Unknown(FPath, member);
  }

 private:
  std::shared_ptr<TApplicationState> FApp;
};

}  // namespace

QString ValueText(const TAutomationValue& value) {
  if (std::holds_alternative<std::monostate>(value)) {
    return QStringLiteral("Empty");
  }
  if (std::holds_alternative<TAutomationNull>(value)) {
    return QStringLiteral("Null");
  }
  if (const int* i = std::get_if<int>(&value)) {
    return QString::number(*i);
  }
  if (const bool* b = std::get_if<bool>(&value)) {
    return *b ? QStringLiteral("True") : QStringLiteral("False");
  }
  if (const double* d = std::get_if<double>(&value)) {
    QString text = QString::number(*d, 'g', 15);
    if (!text.contains(u'.') && !text.contains(u'e')) {
      text += QStringLiteral(".0");
    }
    return text;
  }
  if (const QString* s = std::get_if<QString>(&value)) {
    return u'"' + *s + u'"';
  }
  const auto& ref = std::get<TAutomationRef>(value);
  if (const auto* object = dynamic_cast<const TObject*>(ref.get())) {
    return object->Path();
  }
  return QStringLiteral("<object>");
}

QString TCall::Text() const {
  QString text = Path + u'.' + Member + u' ' + KindWord(Kind);
  QStringList parts;
  for (const auto& arg : Args) {
    parts << ValueText(arg);
  }
  if (!parts.isEmpty()) {
    text += u' ' + parts.join(QStringLiteral(", "));
  }
  return text;
}

std::pair<int, int> ParseCellName(const QString& name) {
  int i = 0;
  int col = 0;
  while (i < name.size() && name[i] >= u'A' && name[i] <= u'Z') {
    col = col * 26 + (name[i].unicode() - u'A' + 1);
    ++i;
  }
  bool ok = false;
  const int row = name.mid(i).toInt(&ok);
  if (i == 0 || !ok || row < 1 || name.mid(i).startsWith(u'0') || name.mid(i).startsWith(u'+')) {
    throw EOleException(QStringLiteral("Method 'Range' of object '_Worksheet' failed (%1)").arg(name));
  }
  return {row, col};
}

QString TSheetState::Text(const QString& cell) const {
  const TCellState* state = Cell(cell);
  if (!state) {
    return QString();
  }
  if (state->Formula) {
    return *state->Formula;
  }
  if (std::holds_alternative<std::monostate>(state->Value)) {
    return QString();
  }
  if (const QString* s = std::get_if<QString>(&state->Value)) {
    return *s;
  }
  return ValueText(state->Value);
}

const TCellState* TSheetState::Cell(const QString& cell) const {
  const auto it = Cells.find(ParseCellName(cell));
  return it == Cells.end() ? nullptr : &it->second;
}

const TRangeState* TSheetState::Range(const QString& from, const QString& to) const {
  const auto it = Ranges.find(from + u':' + to);
  return it == Ranges.end() ? nullptr : &it->second;
}

bool TSheetState::IsMerged(const QString& from, const QString& to) const {
  const TRangeState* range = Range(from, to);
  return range && range->Merged;
}

bool TSheetState::IsFramed(const QString& from, const QString& to) const {
  const TRangeState* range = Range(from, to);
  return range && range->Framed();
}

bool TSheetState::IsBoxed(const QString& cell) const {
  const TCellState* state = Cell(cell);
  return state && state->Boxed();
}

QStringList TSheetState::Merges() const {
  QStringList result;
  for (const auto& [key, range] : Ranges) {
    if (range.Merged) {
      result << key;
    }
  }
  return result;
}

std::set<int> TSheetState::UsedRows() const {
  std::set<int> rows;
  for (const auto& [key, cell] : Cells) {
    const bool hasValue = cell.Formula || !std::holds_alternative<std::monostate>(cell.Value);
    if (hasValue) {
      rows.insert(key.first);
    }
  }
  return rows;
}

TAutomationDouble::TAutomationDouble(int initialSheets) : FInitialSheets(initialSheets) {}

TAutomationDouble::~TAutomationDouble() = default;

void TAutomationDouble::SetRunning(bool running) {
  FRunning = running;
  if (running && !FRunningState) {
    FRunningState = std::make_shared<TApplicationState>();
    FRunningState->Visible = true;
    auto book = std::make_shared<TWorkbookState>();
    book->Sheets.push_back(NewSheet(1));
    book->ActiveSheet = book->Sheets.front();
    FRunningState->Workbooks.push_back(book);
  }
}

void TAutomationDouble::FailAt(const QString& member, int nth, TFailure kind, const QString& message) {
  FRules.push_back(TRule{member, nth, kind, message});
}

void TAutomationDouble::Record(const QString& path, const QString& member, TInvokeKind kind,
                               const std::vector<TAutomationValue>& args) {
  FCalls.push_back(TCall{path, member, kind, args});
  for (TRule& rule : FRules) {
    if (rule.Member.compare(member, Qt::CaseInsensitive) != 0) {
      continue;
    }
    ++rule.Seen;
    if (rule.Nth == 0 || rule.Seen == rule.Nth) {
      if (rule.Kind == TFailure::OleSysError) {
        throw EOleSysError(rule.Message);
      }
      throw EOleException(rule.Message);
    }
  }
}

TAutomationRef TAutomationDouble::MakeApplication(bool startedNew) {
  auto state = std::make_shared<TApplicationState>();
  state->StartedNew = startedNew;
  FStarted.push_back(state);
  FCurrent = state;
  return std::make_shared<TApplication>(*this, state);
}

TAutomationRef TAutomationDouble::CreateInstance(const QString& progId) {
  Record(QStringLiteral("Server"), QStringLiteral("CreateInstance"), TInvokeKind::Method, {progId});
  if (progId != kProgId) {
    throw EOleSysError(QStringLiteral("Invalid class string"));
  }
  return MakeApplication(true);
}

TAutomationRef TAutomationDouble::GetActiveObject(const QString& progId) {
  Record(QStringLiteral("Server"), QStringLiteral("GetActiveObject"), TInvokeKind::Method, {progId});
  if (progId != kProgId || !FRunning) {
    throw EOleSysError(QStringLiteral("Operation unavailable"));
  }
  FCurrent = FRunningState;
  return std::make_shared<TApplication>(*this, FRunningState);
}

QStringList TAutomationDouble::CallTexts() const {
  QStringList texts;
  for (const TCall& call : FCalls) {
    texts << call.Text();
  }
  return texts;
}

QStringList TAutomationDouble::CallTexts(const QStringList& members) const {
  QStringList texts;
  for (const TCall& call : FCalls) {
    if (members.contains(call.Member, Qt::CaseInsensitive)) {
      texts << call.Text();
    }
  }
  return texts;
}

TWorkbookState& TAutomationDouble::Workbook() const {
  if (!FCurrent || FCurrent->Workbooks.empty()) {
    throw std::logic_error("the double holds no workbook");
  }
  return *FCurrent->Workbooks.back();
}

TSheetState& TAutomationDouble::Sheet(int index) const {
  auto& sheets = Workbook().Sheets;
  if (index < 1 || index > static_cast<int>(sheets.size())) {
    throw std::logic_error("no such sheet in the double");
  }
  return *sheets[index - 1];
}

int TAutomationDouble::SheetCount() const {
  return static_cast<int>(Workbook().Sheets.size());
}

QStringList TAutomationDouble::SheetNames() const {
  QStringList names;
  for (const auto& sheet : Workbook().Sheets) {
    names << sheet->Name;
  }
  return names;
}

}  // namespace automation_double
