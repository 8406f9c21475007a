#include "platform/spreadsheet/spreadsheet_objects.h"

#include <QStringList>
#include <climits>
#include <cmath>
#include <functional>

#include "platform/spreadsheet/office.h"
#include "platform/spreadsheet/xlsx_writer.h"

namespace spreadsheet::detail {
namespace {

// A change cell by cell over more cells than this (a whole column's values,
// say) is refused rather than filling memory with a million entries.
constexpr qint64 MaxCellsPerChange = 100000;

const QString& DisconnectedText() {
  static const QString text = QStringLiteral("The object invoked has disconnected from its clients.");
  return text;
}

// One Invoke: the member, how it was invoked and its arguments, with the
// checks that every member makes.
class TCall {
 public:
  TCall(const char16_t* className, const QString& member, TInvokeKind kind,
        const std::vector<TAutomationValue>& args)
      : FClass(className), FMember(member), FKind(kind), FArgs(args) {}

  bool Is(QStringView name) const { return FMember.compare(name, Qt::CaseInsensitive) == 0; }
  const QString& Member() const { return FMember; }
  bool IsPut() const { return FKind == TInvokeKind::PropertyPut; }

  // The arguments before the assigned value of a put.
  size_t IndexCount() const { return IsPut() && !FArgs.empty() ? FArgs.size() - 1 : FArgs.size(); }
  // An optional argument that was left out reads as empty.
  const TAutomationValue& Index(size_t i) const {
    static const TAutomationValue absent;
    return i < IndexCount() ? FArgs[i] : absent;
  }

  // A read-write property with `indexes` index arguments: the assigned value
  // for a put, null for a get.
  const TAutomationValue* Assigned(size_t indexes = 0) const {
    if (IsPut() && FArgs.empty()) {
      BadParameterCount();
    }
    if (IndexCount() != indexes) {
      BadParameterCount();
    }
    return IsPut() ? &FArgs.back() : nullptr;
  }
  // A read-only property or a method, with minIndexes to maxIndexes arguments.
  void NotPut(size_t minIndexes = 0, size_t maxIndexes = 0) const {
    if (IsPut()) {
      throw EOleSysError(QStringLiteral("Member not found: %1.%2").arg(QString::fromUtf16(FClass), FMember));
    }
    if (IndexCount() < minIndexes || IndexCount() > maxIndexes) {
      BadParameterCount();
    }
  }

  [[noreturn]] void UnknownName() const {
    throw EOleSysError(QStringLiteral("Unknown name: %1.%2").arg(QString::fromUtf16(FClass), FMember));
  }
  [[noreturn]] void BadParameterCount() const {
    throw EOleException(
        QStringLiteral("Invalid number of parameters: %1.%2").arg(QString::fromUtf16(FClass), FMember));
  }
  [[noreturn]] void TypeMismatch() const {
    throw EOleException(QStringLiteral("Type mismatch: %1.%2").arg(QString::fromUtf16(FClass), FMember));
  }
  // The application's refusal of a value.
  [[noreturn]] void Refuse(const QString& detail = {}) const {
    QString text = QStringLiteral("Unable to %1 the %2 property of the %3 class")
                       .arg(IsPut() ? QStringLiteral("set") : QStringLiteral("get"), FMember,
                            QString::fromUtf16(FClass));
    if (!detail.isEmpty()) {
      text += QStringLiteral(": ") + detail;
    }
    throw EOleException(text);
  }
  [[noreturn]] void Unsupported(const QString& what) const {
    throw EOleException(QStringLiteral("%1.%2: %3").arg(QString::fromUtf16(FClass), FMember, what));
  }

  // Conversions as the automation library makes them between variant types.
  std::optional<double> Number(const TAutomationValue& value) const {
    if (std::holds_alternative<std::monostate>(value)) {
      return 0.0;
    }
    if (const auto* i = std::get_if<int>(&value)) {
      return *i;
    }
    if (const auto* d = std::get_if<double>(&value)) {
      return *d;
    }
    if (const auto* b = std::get_if<bool>(&value)) {
      return *b ? -1.0 : 0.0;
    }
    if (const auto* s = std::get_if<QString>(&value)) {
      // A number in a text reads as it would typed into a cell.
      const TTypedInput typed = ParseTypedInput(*s);
      if (const auto* d = std::get_if<double>(&typed.Value)) {
        return *d;
      }
      return std::nullopt;
    }
    return std::nullopt;
  }
  double ToDouble(const TAutomationValue& value) const {
    const auto number = Number(value);
    if (!number || !std::isfinite(*number)) {
      TypeMismatch();
    }
    return *number;
  }
  int ToInt(const TAutomationValue& value) const {
    // Halves go to the even neighbour, as the library rounds.
    const double rounded = std::nearbyint(ToDouble(value));
    if (rounded < INT_MIN || rounded > INT_MAX) {
      throw EOleException(QStringLiteral("Overflow: %1.%2").arg(QString::fromUtf16(FClass), FMember));
    }
    return static_cast<int>(rounded);
  }
  bool ToBool(const TAutomationValue& value) const {
    if (const auto* b = std::get_if<bool>(&value)) {
      return *b;
    }
    if (const auto* s = std::get_if<QString>(&value)) {
      if (s->compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0) {
        return true;
      }
      if (s->compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0) {
        return false;
      }
    }
    return ToDouble(value) != 0;
  }
  QString ToText(const TAutomationValue& value) const {
    if (const auto* s = std::get_if<QString>(&value)) {
      return *s;
    }
    if (std::holds_alternative<std::monostate>(value)) {
      return {};
    }
    if (const auto* i = std::get_if<int>(&value)) {
      return QString::number(*i);
    }
    if (const auto* d = std::get_if<double>(&value)) {
      return QString::number(*d, 'g', 15);
    }
    if (const auto* b = std::get_if<bool>(&value)) {
      return *b ? QStringLiteral("True") : QStringLiteral("False");
    }
    TypeMismatch();
  }
  // An optional argument: given means neither empty nor Null.
  static bool Given(const TAutomationValue& value) {
    return !std::holds_alternative<std::monostate>(value) && !std::holds_alternative<TAutomationNull>(value);
  }

 private:
  const char16_t* FClass;
  const QString& FMember;
  TInvokeKind FKind;
  const std::vector<TAutomationValue>& FArgs;
};

class TObject : public IAutomationObject {
 public:
  explicit TObject(std::shared_ptr<TClientSession> session) : FSession(std::move(session)) {}

  TAutomationValue Invoke(const QString& member, TInvokeKind kind,
                          const std::vector<TAutomationValue>& args) final {
    CheckAlive();
    return Dispatch(TCall(ClassName(), member, kind, args));
  }

  virtual std::shared_ptr<TWorkbook> Book() const { return nullptr; }
  virtual std::shared_ptr<TWorksheet> Sheet() const { return nullptr; }

 protected:
  virtual const char16_t* ClassName() const = 0;
  virtual TAutomationValue Dispatch(const TCall& call) = 0;
  virtual void CheckAlive() const {
    if (FSession->Core().HasEnded()) {
      throw EOleSysError(DisconnectedText());
    }
  }
  TApplicationCore& Core() const { return FSession->Core(); }

  std::shared_ptr<TClientSession> FSession;
};

// An object that belongs to one workbook.
class TBookObject : public TObject {
 public:
  TBookObject(std::shared_ptr<TClientSession> session, std::shared_ptr<TWorkbook> book)
      : TObject(std::move(session)), FBook(std::move(book)) {}
  std::shared_ptr<TWorkbook> Book() const override { return FBook; }

 protected:
  void CheckAlive() const override {
    TObject::CheckAlive();
    if (FBook->IsClosed()) {
      throw EOleSysError(DisconnectedText());
    }
  }
  std::shared_ptr<TWorkbook> FBook;
};

// An object that belongs to one worksheet.
class TSheetObject : public TBookObject {
 public:
  TSheetObject(std::shared_ptr<TClientSession> session, std::shared_ptr<TWorkbook> book,
               std::shared_ptr<TWorksheet> sheet)
      : TBookObject(std::move(session), std::move(book)), FSheet(std::move(sheet)) {}
  std::shared_ptr<TWorksheet> Sheet() const override { return FSheet; }

 protected:
  std::shared_ptr<TWorksheet> FSheet;
};

TAutomationRef NewWorkbookObject(const std::shared_ptr<TClientSession>& session,
                                 const std::shared_ptr<TWorkbook>& book);
TAutomationRef NewSheetsObject(const std::shared_ptr<TClientSession>& session,
                               const std::shared_ptr<TWorkbook>& book);
TAutomationRef NewWorksheetObject(const std::shared_ptr<TClientSession>& session,
                                  const std::shared_ptr<TWorkbook>& book,
                                  const std::shared_ptr<TWorksheet>& sheet);

std::shared_ptr<TWorksheet> SheetByIndex(const TCall& call, const TWorkbook& book,
                                         const TAutomationValue& index) {
  if (const auto* name = std::get_if<QString>(&index)) {
    if (const TWorksheet* sheet = book.FindSheet(*name)) {
      return book.SheetPtr(book.IndexOf(*sheet));
    }
    throw EOleException(QStringLiteral("Invalid index: no sheet \"%1\" (%2)").arg(*name, call.Member()));
  }
  const int i = call.ToInt(index);
  if (i < 1 || i > book.SheetCount()) {
    throw EOleException(QStringLiteral("Invalid index: sheet %1 of %2 (%3)")
                            .arg(i)
                            .arg(book.SheetCount())
                            .arg(call.Member()));
  }
  return book.SheetPtr(i);
}

// ---------------------------------------------------------------------------
// Ranges and their borders

using TCellVisitor = std::function<void(TCell&)>;

void EditCells(const TCall& call, TWorksheet& sheet, const TCellRange& range, const TCellVisitor& edit) {
  if (range.CellCount() > MaxCellsPerChange) {
    call.Unsupported(QStringLiteral("the range %1 is too large to change cell by cell").arg(range.A1()));
  }
  for (int r = range.First.Row; r <= range.Last.Row; ++r) {
    for (int c = range.First.Column; c <= range.Last.Column; ++c) {
      edit(sheet.EditCell({r, c}));
    }
  }
}

// The common value of the range's cells, or Null when they differ.
template <class Read>
TAutomationValue CommonValue(const TCall& call, const TWorksheet& sheet, const TCellRange& range, Read read) {
  if (range.CellCount() > MaxCellsPerChange) {
    call.Unsupported(QStringLiteral("the range %1 is too large to read cell by cell").arg(range.A1()));
  }
  std::optional<TAutomationValue> common;
  for (int r = range.First.Row; r <= range.Last.Row; ++r) {
    for (int c = range.First.Column; c <= range.Last.Column; ++c) {
      TAutomationValue value = read(sheet.CellAt(r, c).Format);
      if (common && !(*common == value)) {
        return TAutomationNull{};
      }
      common = std::move(value);
    }
  }
  return common.value_or(TAutomationValue{});
}

bool ValidEdge(int edge) {
  return edge >= xl::EdgeLeft && edge <= xl::InsideHorizontal;
}

// The cell edges that a border of the range stands for: the outline edges
// on the cells along that side only, the inside ones between neighbours.
void ForEachEdgeCell(const TCellRange& range, int edge,
                     const std::function<void(TCellAddress, TEdge)>& visit) {
  switch (edge) {
    case xl::EdgeLeft:
      for (int r = range.First.Row; r <= range.Last.Row; ++r) {
        visit({r, range.First.Column}, TEdge::Left);
      }
      break;
    case xl::EdgeRight:
      for (int r = range.First.Row; r <= range.Last.Row; ++r) {
        visit({r, range.Last.Column}, TEdge::Right);
      }
      break;
    case xl::EdgeTop:
      for (int c = range.First.Column; c <= range.Last.Column; ++c) {
        visit({range.First.Row, c}, TEdge::Top);
      }
      break;
    case xl::EdgeBottom:
      for (int c = range.First.Column; c <= range.Last.Column; ++c) {
        visit({range.Last.Row, c}, TEdge::Bottom);
      }
      break;
    case xl::InsideVertical:
      for (int r = range.First.Row; r <= range.Last.Row; ++r) {
        for (int c = range.First.Column; c < range.Last.Column; ++c) {
          visit({r, c}, TEdge::Right);
          visit({r, c + 1}, TEdge::Left);
        }
      }
      break;
    case xl::InsideHorizontal:
      for (int r = range.First.Row; r < range.Last.Row; ++r) {
        for (int c = range.First.Column; c <= range.Last.Column; ++c) {
          visit({r, c}, TEdge::Bottom);
          visit({r + 1, c}, TEdge::Top);
        }
      }
      break;
  }
}

qint64 EdgeCellCount(const TCellRange& range, int edge) {
  const qint64 rows = range.Last.Row - range.First.Row + 1;
  const qint64 columns = range.Last.Column - range.First.Column + 1;
  switch (edge) {
    case xl::EdgeLeft:
    case xl::EdgeRight:
      return rows;
    case xl::EdgeTop:
    case xl::EdgeBottom:
      return columns;
    default:
      return 2 * rows * columns;
  }
}

bool ValidLineStyle(int style) {
  switch (style) {
    case xl::Continuous:
    case xl::Dash:
    case xl::DashDot:
    case xl::DashDotDot:
    case xl::Dot:
    case xl::Double:
    case xl::SlantDashDot:
    case xl::LineStyleNone:
      return true;
    default:
      return false;
  }
}

class TBordersObject : public TSheetObject {
 public:
  // No edge: the whole collection, every edge at once.
  TBordersObject(std::shared_ptr<TClientSession> session, std::shared_ptr<TWorkbook> book,
                 std::shared_ptr<TWorksheet> sheet, TCellRange range, std::optional<int> edge)
      : TSheetObject(std::move(session), std::move(book), std::move(sheet)), FRange(range), FEdge(edge) {}

 protected:
  const char16_t* ClassName() const override { return FEdge ? u"Border" : u"Borders"; }

  std::vector<int> Edges() const {
    if (FEdge) {
      return {*FEdge};
    }
    return {xl::EdgeLeft,  xl::EdgeTop,        xl::EdgeBottom,
            xl::EdgeRight, xl::InsideVertical, xl::InsideHorizontal};
  }

  TAutomationValue Dispatch(const TCall& call) override {
    if (call.Is(u"LineStyle")) {
      const auto edges = Edges();
      for (const int edge : edges) {
        if (EdgeCellCount(FRange, edge) > MaxCellsPerChange) {
          call.Unsupported(QStringLiteral("the range %1 is too large for borders").arg(FRange.A1()));
        }
      }
      if (const auto* value = call.Assigned()) {
        const int style = call.ToInt(*value);
        if (!ValidLineStyle(style)) {
          call.Refuse(QString::number(style));
        }
        for (const int edge : edges) {
          ForEachEdgeCell(FRange, edge, [&](TCellAddress cell, TEdge side) {
            FSheet->EditCell(cell).Format.Borders[static_cast<size_t>(side)] = style;
          });
        }
        return {};
      }
      std::optional<int> common;
      bool mixed = false;
      for (const int edge : edges) {
        ForEachEdgeCell(FRange, edge, [&](TCellAddress cell, TEdge side) {
          const int style = FSheet->CellAt(cell.Row, cell.Column).Format.Border(side);
          mixed = mixed || (common && *common != style);
          common = style;
        });
      }
      if (mixed) {
        return TAutomationNull{};
      }
      return common.value_or(xl::LineStyleNone);
    }
    if (call.Is(u"Item") && !FEdge) {
      call.NotPut(1, 1);
      const int edge = call.ToInt(call.Index(0));
      if (!ValidEdge(edge)) {
        call.Refuse(QStringLiteral("no border %1").arg(edge));
      }
      return std::make_shared<TBordersObject>(FSession, FBook, FSheet, FRange, edge);
    }
    call.UnknownName();
  }

 private:
  TCellRange FRange;
  std::optional<int> FEdge;
};

bool ValidHorizontal(int value) {
  switch (value) {
    case xl::General:
    case xl::Left:
    case xl::Center:
    case xl::Right:
    case xl::Fill:
    case xl::Justify:
    case xl::CenterAcrossSelection:
    case xl::Distributed:
      return true;
    default:
      return false;
  }
}

bool ValidVertical(int value) {
  switch (value) {
    case xl::Top:
    case xl::Center:
    case xl::Bottom:
    case xl::Justify:
    case xl::Distributed:
      return true;
    default:
      return false;
  }
}

// The stored orientation for an assigned one: degrees, or stacked letters.
std::optional<int> OrientationDegrees(int value) {
  switch (value) {
    case xl::Horizontal:
      return 0;
    case xl::Upward:
      return 90;
    case xl::Downward:
      return -90;
    case xl::Vertical:
      return xl::Vertical;
    default:
      return value >= -90 && value <= 90 ? std::optional(value) : std::nullopt;
  }
}

// What the application reports for a stored orientation.
int OrientationValue(int degrees) {
  switch (degrees) {
    case 0:
      return xl::Horizontal;
    case 90:
      return xl::Upward;
    case -90:
      return xl::Downward;
    default:
      return degrees;
  }
}

TAutomationValue ToAutomation(const TCellValue& value) {
  if (const auto* d = std::get_if<double>(&value)) {
    return *d;
  }
  if (const auto* s = std::get_if<QString>(&value)) {
    return *s;
  }
  if (const auto* b = std::get_if<bool>(&value)) {
    return *b;
  }
  return {};
}

class TRangeObject : public TSheetObject {
 public:
  TRangeObject(std::shared_ptr<TClientSession> session, std::shared_ptr<TWorkbook> book,
               std::shared_ptr<TWorksheet> sheet, TCellRange range)
      : TSheetObject(std::move(session), std::move(book), std::move(sheet)), FRange(range) {}

  const TCellRange& Range() const { return FRange; }

 protected:
  const char16_t* ClassName() const override { return u"Range"; }

  TAutomationValue Dispatch(const TCall& call) override {
    if (call.Is(u"Value") || call.Is(u"Value2") || call.Is(u"Formula")) {
      if (const auto* value = call.Assigned()) {
        PutContent(call, *value);
        return {};
      }
      if (!FRange.IsSingleCell()) {
        call.Unsupported(QStringLiteral("reading several cells at once is not supported"));
      }
      if (call.Is(u"Formula")) {
        const TCell cell = FSheet->CellAt(FRange.First.Row, FRange.First.Column);
        if (cell.HasFormula()) {
          return cell.Formula;
        }
        if (const auto* b = std::get_if<bool>(&cell.Value)) {
          return *b ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        }
        return call.ToText(ToAutomation(cell.Value));
      }
      return ToAutomation(FSheet->ValueAt(FRange.First.Row, FRange.First.Column));
    }
    if (call.Is(u"HorizontalAlignment")) {
      return FormatProperty(
          call, [](const TCellFormat& f) -> TAutomationValue { return f.HorizontalAlignment; },
          [&](TCellFormat& f, const TAutomationValue& v) {
            const int value = call.ToInt(v);
            if (!ValidHorizontal(value)) {
              call.Refuse(QString::number(value));
            }
            f.HorizontalAlignment = value;
          });
    }
    if (call.Is(u"VerticalAlignment")) {
      return FormatProperty(
          call, [](const TCellFormat& f) -> TAutomationValue { return f.VerticalAlignment; },
          [&](TCellFormat& f, const TAutomationValue& v) {
            const int value = call.ToInt(v);
            if (!ValidVertical(value)) {
              call.Refuse(QString::number(value));
            }
            f.VerticalAlignment = value;
          });
    }
    if (call.Is(u"ShrinkToFit")) {
      return FormatProperty(
          call, [](const TCellFormat& f) -> TAutomationValue { return f.ShrinkToFit; },
          [&](TCellFormat& f, const TAutomationValue& v) { f.ShrinkToFit = call.ToBool(v); });
    }
    if (call.Is(u"WrapText")) {
      return FormatProperty(
          call, [](const TCellFormat& f) -> TAutomationValue { return f.WrapText; },
          [&](TCellFormat& f, const TAutomationValue& v) { f.WrapText = call.ToBool(v); });
    }
    if (call.Is(u"Orientation")) {
      return FormatProperty(
          call, [](const TCellFormat& f) -> TAutomationValue { return OrientationValue(f.Orientation); },
          [&](TCellFormat& f, const TAutomationValue& v) {
            const int value = call.ToInt(v);
            const auto degrees = OrientationDegrees(value);
            if (!degrees) {
              call.Refuse(QString::number(value));
            }
            f.Orientation = *degrees;
          });
    }
    if (call.Is(u"MergeCells")) {
      if (const auto* value = call.Assigned()) {
        if (call.ToBool(*value)) {
          FSheet->Merge(FRange);
        } else {
          FSheet->Unmerge(FRange);
        }
        return {};
      }
      return MergeState();
    }
    if (call.Is(u"Merge")) {
      call.NotPut(0, 1);
      if (call.ToBool(call.Index(0))) {
        for (int r = FRange.First.Row; r <= FRange.Last.Row; ++r) {
          FSheet->Merge({{r, FRange.First.Column}, {r, FRange.Last.Column}});
        }
      } else {
        FSheet->Merge(FRange);
      }
      return {};
    }
    if (call.Is(u"UnMerge")) {
      call.NotPut();
      FSheet->Unmerge(FRange);
      return {};
    }
    if (call.Is(u"Borders")) {
      call.NotPut(0, 1);
      if (!TCall::Given(call.Index(0))) {
        return std::make_shared<TBordersObject>(FSession, FBook, FSheet, FRange, std::nullopt);
      }
      const int edge = call.ToInt(call.Index(0));
      if (!ValidEdge(edge)) {
        call.Refuse(QStringLiteral("no border %1").arg(edge));
      }
      return std::make_shared<TBordersObject>(FSession, FBook, FSheet, FRange, edge);
    }
    if (call.Is(u"ColumnWidth")) {
      if (const auto* value = call.Assigned()) {
        const double width = call.ToDouble(*value);
        if (width < 0 || width > 255) {
          call.Refuse(QString::number(width));
        }
        for (int c = FRange.First.Column; c <= FRange.Last.Column; ++c) {
          FSheet->SetColumnWidth(c, width);
        }
        return {};
      }
      std::optional<double> common;
      for (int c = FRange.First.Column; c <= FRange.Last.Column; ++c) {
        const double width = FSheet->ColumnWidth(c).value_or(DefaultColumnWidth);
        if (common && *common != width) {
          return TAutomationNull{};
        }
        common = width;
      }
      return *common;
    }
    if (call.Is(u"RowHeight")) {
      if (const auto* value = call.Assigned()) {
        const double height = call.ToDouble(*value);
        if (height < 0 || height > MaxRowHeight) {
          call.Refuse(QString::number(height));
        }
        if (FRange.Last.Row - FRange.First.Row >= MaxCellsPerChange) {
          call.Unsupported(QStringLiteral("the range %1 has too many rows").arg(FRange.A1()));
        }
        for (int r = FRange.First.Row; r <= FRange.Last.Row; ++r) {
          FSheet->SetRowHeight(r, height);
        }
        return {};
      }
      std::optional<double> common;
      for (int r = FRange.First.Row; r <= FRange.Last.Row && r - FRange.First.Row < MaxCellsPerChange; ++r) {
        const double height = FSheet->RowHeight(r).value_or(DefaultRowHeight);
        if (common && *common != height) {
          return TAutomationNull{};
        }
        common = height;
      }
      return *common;
    }
    if (call.Is(u"PageBreak")) {
      // A new page above the range's first row; whole rows only, as the
      // printing code sets them (the application would break a cell's
      // column too).
      if (FRange.First.Column != 1 || FRange.Last.Column != MaxColumns) {
        call.Unsupported(QStringLiteral("page breaks are set on whole rows"));
      }
      if (const auto* value = call.Assigned()) {
        const int kind = call.ToInt(*value);
        if ((kind != xl::PageBreakManual && kind != xl::PageBreakNone) || FRange.First.Row == 1) {
          call.Refuse(QString::number(kind));
        }
        FSheet->SetRowBreak(FRange.First.Row, kind == xl::PageBreakManual);
        return {};
      }
      return FSheet->RowBreaks().contains(FRange.First.Row) ? xl::PageBreakManual : xl::PageBreakNone;
    }
    if (call.Is(u"Row")) {
      call.NotPut();
      return FRange.First.Row;
    }
    if (call.Is(u"Column")) {
      call.NotPut();
      return FRange.First.Column;
    }
    if (call.Is(u"Count")) {
      call.NotPut();
      const qint64 count = FRange.CellCount();
      return count <= INT_MAX ? TAutomationValue(static_cast<int>(count)) : TAutomationValue(double(count));
    }
    if (call.Is(u"Address")) {
      call.NotPut(0, 5);
      return FRange.A1();
    }
    call.UnknownName();
  }

 private:
  template <class Read, class Write>
  TAutomationValue FormatProperty(const TCall& call, Read read, Write write) {
    if (const auto* value = call.Assigned()) {
      // Checked once before any cell changes, so a refused value leaves the
      // range as it was.
      TCellFormat probe;
      write(probe, *value);
      EditCells(call, *FSheet, FRange, [&](TCell& cell) { write(cell.Format, *value); });
      return {};
    }
    return CommonValue(call, *FSheet, FRange, read);
  }

  void PutContent(const TCall& call, const TAutomationValue& value) {
    TCell content;
    if (const auto* i = std::get_if<int>(&value)) {
      content.Value = double(*i);
    } else if (const auto* d = std::get_if<double>(&value)) {
      if (!std::isfinite(*d)) {
        call.Refuse(QStringLiteral("not a finite number"));
      }
      content.Value = *d;
    } else if (const auto* b = std::get_if<bool>(&value)) {
      content.Value = *b;
    } else if (const auto* s = std::get_if<QString>(&value)) {
      if (s->size() > MaxTextLength) {
        call.Refuse(QStringLiteral("a cell holds at most %1 characters").arg(MaxTextLength));
      }
      const TTypedInput typed = ParseTypedInput(*s);
      content.Value = typed.Value;
      content.Formula = typed.Formula;
    } else if (std::holds_alternative<TAutomationRef>(value)) {
      call.TypeMismatch();
    }
    EditCells(call, *FSheet, FRange, [&](TCell& cell) {
      cell.Value = content.Value;
      cell.Formula = content.Formula;
    });
  }

  TAutomationValue MergeState() const {
    bool any = false;
    for (const auto& merged : FSheet->MergesOverlapping(FRange)) {
      if (merged.Contains(FRange.First) && merged.Contains(FRange.Last)) {
        return true;
      }
      any = true;
    }
    return any ? TAutomationValue(TAutomationNull{}) : TAutomationValue(false);
  }

  TCellRange FRange;
};

// ---------------------------------------------------------------------------
// Page setup

class TPageSetupObject : public TSheetObject {
 public:
  using TSheetObject::TSheetObject;

 protected:
  const char16_t* ClassName() const override { return u"PageSetup"; }

  TAutomationValue Dispatch(const TCall& call) override {
    TPageSetup& setup = FSheet->EditPageSetup();
    if (call.Is(u"Orientation")) {
      if (const auto* value = call.Assigned()) {
        const int orientation = call.ToInt(*value);
        if (orientation != xl::Portrait && orientation != xl::Landscape) {
          call.Refuse(QString::number(orientation));
        }
        setup.Orientation = orientation;
        return {};
      }
      return setup.Orientation;
    }
    struct TMargin {
      const char16_t* Name;
      double TPageSetup::*Field;
    };
    static constexpr TMargin margins[] = {{u"LeftMargin", &TPageSetup::LeftMargin},
                                          {u"RightMargin", &TPageSetup::RightMargin},
                                          {u"TopMargin", &TPageSetup::TopMargin},
                                          {u"BottomMargin", &TPageSetup::BottomMargin}};
    for (const auto& margin : margins) {
      if (call.Is(margin.Name)) {
        if (const auto* value = call.Assigned()) {
          const double points = call.ToDouble(*value);
          // Beyond a large sheet of paper, nothing would remain to print on.
          if (points < 0 || points > 1584) {
            call.Refuse(QString::number(points));
          }
          setup.*margin.Field = points;
          return {};
        }
        return setup.*margin.Field;
      }
    }
    struct TFit {
      const char16_t* Name;
      int TPageSetup::*Field;
    };
    static constexpr TFit fits[] = {{u"FitToPagesWide", &TPageSetup::FitToPagesWide},
                                    {u"FitToPagesTall", &TPageSetup::FitToPagesTall}};
    for (const auto& fit : fits) {
      if (call.Is(fit.Name)) {
        if (const auto* value = call.Assigned()) {
          // False leaves the direction free, as the application takes it.
          const bool isFalse = std::holds_alternative<bool>(*value) && !std::get<bool>(*value);
          const int pages = isFalse ? 0 : call.ToInt(*value);
          if (pages < 0 || pages > 32767) {
            call.Refuse(QString::number(pages));
          }
          setup.*fit.Field = pages;
          return {};
        }
        return setup.*fit.Field == 0 ? TAutomationValue(false) : TAutomationValue(setup.*fit.Field);
      }
    }
    struct TText {
      const char16_t* Name;
      QString TPageSetup::*Field;
    };
    static constexpr TText texts[] = {
        {u"LeftHeader", &TPageSetup::LeftHeader},     {u"CenterHeader", &TPageSetup::CenterHeader},
        {u"RightHeader", &TPageSetup::RightHeader},   {u"LeftFooter", &TPageSetup::LeftFooter},
        {u"CenterFooter", &TPageSetup::CenterFooter}, {u"RightFooter", &TPageSetup::RightFooter}};
    for (const auto& text : texts) {
      if (call.Is(text.Name)) {
        if (const auto* value = call.Assigned()) {
          QString assigned = call.ToText(*value);
          // The file format holds a header or footer of 255 characters at
          // most, its three parts and their codes together.
          TPageSetup probe = setup;
          probe.*text.Field = assigned;
          const bool footer = QStringView(text.Name).endsWith(u"Footer");
          const qsizetype total =
              footer ? probe.LeftFooter.size() + probe.CenterFooter.size() + probe.RightFooter.size()
                     : probe.LeftHeader.size() + probe.CenterHeader.size() + probe.RightHeader.size();
          if (total + 6 > 255) {
            call.Refuse(QStringLiteral("too long"));
          }
          setup.*text.Field = std::move(assigned);
          return {};
        }
        return setup.*text.Field;
      }
    }
    call.UnknownName();
  }
};

// ---------------------------------------------------------------------------
// Worksheets

int ColumnArgument(const TCall& call, const TAutomationValue& value) {
  if (const auto* letters = std::get_if<QString>(&value)) {
    if (const auto cell = ParseCellName(*letters + QStringLiteral("1"))) {
      return cell->Column;
    }
    call.Refuse(*letters);
  }
  const int column = call.ToInt(value);
  if (column < 1 || column > MaxColumns) {
    call.Refuse(QStringLiteral("no column %1").arg(column));
  }
  return column;
}

int RowArgument(const TCall& call, const TAutomationValue& value) {
  const int row = call.ToInt(value);
  if (row < 1 || row > MaxRows) {
    call.Refuse(QStringLiteral("no row %1").arg(row));
  }
  return row;
}

class TWorksheetObject : public TSheetObject {
 public:
  using TSheetObject::TSheetObject;

 protected:
  const char16_t* ClassName() const override { return u"Worksheet"; }

  TAutomationRef RangeOf(TCellRange range) const {
    return std::make_shared<TRangeObject>(FSession, FBook, FSheet, range);
  }

  // A corner argument of Range: a cell or range name, or a range object of
  // this sheet.
  TCellRange Corner(const TCall& call, const TAutomationValue& value) const {
    if (const auto* name = std::get_if<QString>(&value)) {
      if (const auto range = ParseRangeName(*name)) {
        return *range;
      }
      throw EOleException(QStringLiteral("Method 'Range' of object '_Worksheet' failed: \"%1\"").arg(*name));
    }
    if (const auto* ref = std::get_if<TAutomationRef>(&value)) {
      const auto* range = dynamic_cast<const TRangeObject*>(ref->get());
      if (range && range->Sheet() == FSheet) {
        return range->Range();
      }
    }
    call.TypeMismatch();
  }

  TAutomationValue Dispatch(const TCall& call) override {
    if (call.Is(u"Name")) {
      if (const auto* value = call.Assigned()) {
        const QString name = call.ToText(*value);
        const QString problem = FBook->SheetNameProblem(*FSheet, name);
        if (!problem.isEmpty()) {
          call.Refuse(problem);
        }
        FBook->RenameSheet(*FSheet, name);
        return {};
      }
      return FSheet->Name();
    }
    if (call.Is(u"Index")) {
      call.NotPut();
      return FBook->IndexOf(*FSheet);
    }
    if (call.Is(u"PageSetup")) {
      call.NotPut();
      return std::make_shared<TPageSetupObject>(FSession, FBook, FSheet);
    }
    if (call.Is(u"Cells")) {
      call.NotPut(0, 2);
      if (call.IndexCount() == 0) {
        return RangeOf({{1, 1}, {MaxRows, MaxColumns}});
      }
      if (call.IndexCount() == 1) {
        // Counted along the rows, as the application counts one index.
        const qint64 i = call.ToInt(call.Index(0));
        if (i < 1) {
          call.Refuse(QString::number(i));
        }
        const TCellAddress cell{static_cast<int>((i - 1) / MaxColumns + 1),
                                static_cast<int>((i - 1) % MaxColumns + 1)};
        return RangeOf({cell, cell});
      }
      const TCellAddress cell{RowArgument(call, call.Index(0)), ColumnArgument(call, call.Index(1))};
      return RangeOf({cell, cell});
    }
    if (call.Is(u"Range")) {
      call.NotPut(1, 2);
      TCellRange range = Corner(call, call.Index(0));
      if (call.IndexCount() == 2) {
        range = Bounding(range, Corner(call, call.Index(1)));
      }
      return RangeOf(range);
    }
    if (call.Is(u"Columns")) {
      call.NotPut(0, 1);
      if (!TCall::Given(call.Index(0))) {
        return RangeOf({{1, 1}, {MaxRows, MaxColumns}});
      }
      if (const auto* text = std::get_if<QString>(&call.Index(0)); text && text->contains(u':')) {
        const auto parts = text->split(u':');
        const int a = ColumnArgument(call, parts.front());
        const int b = ColumnArgument(call, parts.back());
        return RangeOf({{1, std::min(a, b)}, {MaxRows, std::max(a, b)}});
      }
      const int column = ColumnArgument(call, call.Index(0));
      return RangeOf({{1, column}, {MaxRows, column}});
    }
    if (call.Is(u"Rows")) {
      call.NotPut(0, 1);
      if (!TCall::Given(call.Index(0))) {
        return RangeOf({{1, 1}, {MaxRows, MaxColumns}});
      }
      if (const auto* text = std::get_if<QString>(&call.Index(0)); text && text->contains(u':')) {
        const auto parts = text->split(u':');
        const int a = RowArgument(call, parts.front());
        const int b = RowArgument(call, parts.back());
        return RangeOf({{std::min(a, b), 1}, {std::max(a, b), MaxColumns}});
      }
      const int row = RowArgument(call, call.Index(0));
      return RangeOf({{row, 1}, {row, MaxColumns}});
    }
    if (call.Is(u"Activate") || call.Is(u"Select")) {
      call.NotPut(0, 1);
      FBook->SetActiveSheetIndex(FBook->IndexOf(*FSheet));
      return {};
    }
    call.UnknownName();
  }
};

// ---------------------------------------------------------------------------
// Workbooks and their sheets

class TSheetsObject : public TBookObject {
 public:
  using TBookObject::TBookObject;

 protected:
  const char16_t* ClassName() const override { return u"Sheets"; }

  // A Before or After argument: a sheet of this workbook.
  int PositionOf(const TCall& call, const TAutomationValue& value) const {
    if (const auto* ref = std::get_if<TAutomationRef>(&value)) {
      const auto* sheet = dynamic_cast<const TWorksheetObject*>(ref->get());
      if (sheet && sheet->Book() == FBook) {
        if (const int index = FBook->IndexOf(*sheet->Sheet())) {
          return index;
        }
      }
    }
    call.Unsupported(QStringLiteral("Before and After take a sheet of the same workbook"));
  }

  TAutomationValue Dispatch(const TCall& call) override {
    if (call.Is(u"Count")) {
      call.NotPut();
      return FBook->SheetCount();
    }
    if (call.Is(u"Item")) {
      call.NotPut(1, 1);
      return NewWorksheetObject(FSession, FBook, SheetByIndex(call, *FBook, call.Index(0)));
    }
    if (call.Is(u"Add")) {
      call.NotPut(0, 4);
      const TAutomationValue& before = call.Index(0);
      const TAutomationValue& after = call.Index(1);
      if (TCall::Given(call.Index(2)) && call.ToInt(call.Index(2)) != 1) {
        call.Unsupported(QStringLiteral("one sheet at a time"));
      }
      constexpr int xlWorksheet = -4167;
      if (TCall::Given(call.Index(3)) && call.ToInt(call.Index(3)) != xlWorksheet) {
        call.Unsupported(QStringLiteral("worksheets only"));
      }
      int position = FBook->ActiveSheetIndex();
      if (TCall::Given(before)) {
        position = PositionOf(call, before);
      } else if (TCall::Given(after)) {
        position = PositionOf(call, after) + 1;
      }
      const auto sheet = FBook->InsertSheet(position);
      FBook->SetActiveSheetIndex(position);
      return NewWorksheetObject(FSession, FBook, sheet);
    }
    if (call.Is(u"PrintOut")) {
      call.NotPut(0, 16);
      for (size_t i = 0; i < call.IndexCount(); ++i) {
        if (TCall::Given(call.Index(i))) {
          call.Unsupported(QStringLiteral("printing options are not supported"));
        }
      }
      Core().Print(*FBook);
      return {};
    }
    call.UnknownName();
  }
};

class TWorkbookObject : public TBookObject {
 public:
  using TBookObject::TBookObject;

 protected:
  const char16_t* ClassName() const override { return u"Workbook"; }

  void Save(const TCall& call, const QString& path) {
    try {
      WriteXlsx(*FBook, path);
    } catch (const Exception& e) {
      call.Unsupported(e.Message());
    }
    FBook->SetSavedPath(path);
  }

  TAutomationValue Dispatch(const TCall& call) override {
    struct TProperty {
      const char16_t* Name;
      QString TDocumentProperties::*Field;
    };
    static constexpr TProperty properties[] = {{u"Author", &TDocumentProperties::Author},
                                               {u"Comments", &TDocumentProperties::Comments},
                                               {u"Title", &TDocumentProperties::Title}};
    for (const auto& property : properties) {
      if (call.Is(property.Name)) {
        if (const auto* value = call.Assigned()) {
          FBook->Properties.*property.Field = call.ToText(*value);
          return {};
        }
        return FBook->Properties.*property.Field;
      }
    }
    if (call.Is(u"Close")) {
      call.NotPut(0, 3);
      if (TCall::Given(call.Index(0)) && call.ToBool(call.Index(0))) {
        const QString path = TCall::Given(call.Index(1)) ? call.ToText(call.Index(1)) : FBook->SavedPath();
        if (path.isEmpty()) {
          call.Unsupported(QStringLiteral("saving needs a file name"));
        }
        Save(call, path);
      }
      Core().RemoveWorkbook(FBook);
      FBook->MarkClosed();
      return {};
    }
    if (call.Is(u"SaveAs")) {
      call.NotPut(1, 1);
      Save(call, call.ToText(call.Index(0)));
      return {};
    }
    if (call.Is(u"Worksheets") || call.Is(u"Sheets")) {
      call.NotPut(0, 1);
      if (call.IndexCount() == 1) {
        return NewWorksheetObject(FSession, FBook, SheetByIndex(call, *FBook, call.Index(0)));
      }
      return NewSheetsObject(FSession, FBook);
    }
    if (call.Is(u"ActiveSheet")) {
      call.NotPut();
      return NewWorksheetObject(FSession, FBook, FBook->SheetPtr(FBook->ActiveSheetIndex()));
    }
    if (call.Is(u"Activate")) {
      call.NotPut();
      Core().ActivateWorkbook(FBook);
      return {};
    }
    call.UnknownName();
  }
};

class TWorkbooksObject : public TObject {
 public:
  using TObject::TObject;

 protected:
  const char16_t* ClassName() const override { return u"Workbooks"; }

  TAutomationValue Dispatch(const TCall& call) override {
    if (call.Is(u"Count")) {
      call.NotPut();
      return static_cast<int>(Core().Workbooks().size());
    }
    if (call.Is(u"Add")) {
      call.NotPut(0, 1);
      if (TCall::Given(call.Index(0))) {
        call.Unsupported(QStringLiteral("templates are not supported"));
      }
      const auto book = Core().AddWorkbook();
      FSession->NoteAdded(book);
      return NewWorkbookObject(FSession, book);
    }
    if (call.Is(u"Item")) {
      call.NotPut(1, 1);
      const int i = call.ToInt(call.Index(0));
      const auto& books = Core().Workbooks();
      if (i < 1 || i > static_cast<int>(books.size())) {
        throw EOleException(QStringLiteral("Invalid index: workbook %1 of %2").arg(i).arg(books.size()));
      }
      return NewWorkbookObject(FSession, books[static_cast<size_t>(i - 1)]);
    }
    call.UnknownName();
  }
};

class TApplicationObject : public TObject {
 public:
  using TObject::TObject;

  std::shared_ptr<TWorkbook> Book() const override { return Core().ActiveWorkbook(); }
  std::shared_ptr<TWorksheet> Sheet() const override {
    const auto book = Book();
    return book ? book->SheetPtr(book->ActiveSheetIndex()) : nullptr;
  }

 protected:
  const char16_t* ClassName() const override { return u"Application"; }

  std::shared_ptr<TWorkbook> RequireActiveBook(const TCall& call) const {
    auto book = Core().ActiveWorkbook();
    if (!book) {
      call.Unsupported(QStringLiteral("there is no active workbook"));
    }
    return book;
  }

  TAutomationValue Dispatch(const TCall& call) override {
    if (call.Is(u"Visible")) {
      if (const auto* value = call.Assigned()) {
        const bool visible = call.ToBool(*value);
        // A hidden instance is there to print: without LibreOffice it would
        // fail later, at PrintOut, after the whole sheet was built.
        if (!visible && !Core().Hooks().Print) {
          QString reason;
          if (office::FindSoffice(&reason).isEmpty()) {
            throw EOleException(reason);
          }
        }
        Core().Visible = visible;
        if (visible) {
          Core().Register();
        }
        return {};
      }
      return Core().Visible;
    }
    if (call.Is(u"DisplayAlerts")) {
      if (const auto* value = call.Assigned()) {
        Core().DisplayAlerts = call.ToBool(*value);
        return {};
      }
      return Core().DisplayAlerts;
    }
    if (call.Is(u"Workbooks")) {
      call.NotPut(0, 1);
      auto books = std::make_shared<TWorkbooksObject>(FSession);
      if (call.IndexCount() == 1) {
        return books->Invoke(QStringLiteral("Item"), TInvokeKind::PropertyGet, {call.Index(0)});
      }
      return books;
    }
    if (call.Is(u"Worksheets") || call.Is(u"Sheets")) {
      call.NotPut(0, 1);
      const auto book = RequireActiveBook(call);
      if (call.IndexCount() == 1) {
        return NewWorksheetObject(FSession, book, SheetByIndex(call, *book, call.Index(0)));
      }
      return NewSheetsObject(FSession, book);
    }
    if (call.Is(u"ActiveSheet")) {
      call.NotPut();
      const auto book = RequireActiveBook(call);
      return NewWorksheetObject(FSession, book, book->SheetPtr(book->ActiveSheetIndex()));
    }
    if (call.Is(u"ActiveWorkbook")) {
      call.NotPut();
      return NewWorkbookObject(FSession, RequireActiveBook(call));
    }
    if (call.Is(u"Quit")) {
      call.NotPut();
      Core().End();
      return {};
    }
    call.UnknownName();
  }
};

TAutomationRef NewWorkbookObject(const std::shared_ptr<TClientSession>& session,
                                 const std::shared_ptr<TWorkbook>& book) {
  return std::make_shared<TWorkbookObject>(session, book);
}

TAutomationRef NewSheetsObject(const std::shared_ptr<TClientSession>& session,
                               const std::shared_ptr<TWorkbook>& book) {
  return std::make_shared<TSheetsObject>(session, book);
}

TAutomationRef NewWorksheetObject(const std::shared_ptr<TClientSession>& session,
                                  const std::shared_ptr<TWorkbook>& book,
                                  const std::shared_ptr<TWorksheet>& sheet) {
  return std::make_shared<TWorksheetObject>(session, book, sheet);
}

}  // namespace

TAutomationRef NewApplicationObject(std::shared_ptr<TClientSession> session) {
  return std::make_shared<TApplicationObject>(std::move(session));
}

std::shared_ptr<TWorkbook> WorkbookBehind(const TAutomationRef& object) {
  const auto* ours = dynamic_cast<const TObject*>(object.get());
  return ours ? ours->Book() : nullptr;
}

std::shared_ptr<TWorksheet> WorksheetBehind(const TAutomationRef& object) {
  const auto* ours = dynamic_cast<const TObject*>(object.get());
  return ours ? ours->Sheet() : nullptr;
}

}  // namespace spreadsheet::detail
