// The Range object and the Borders of a range.
#include <functional>

#include "platform/spreadsheet/spreadsheet_object_base.h"

namespace spreadsheet::detail {
namespace {

// A change cell by cell over more cells than this (a whole column's values,
// say) is refused rather than filling memory with a million entries.
constexpr qint64 MaxCellsPerChange = 100000;

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

}  // namespace

TAutomationRef NewRangeObject(const std::shared_ptr<TClientSession>& session,
                              const std::shared_ptr<TWorkbook>& book,
                              const std::shared_ptr<TWorksheet>& sheet, TCellRange range) {
  return std::make_shared<TRangeObject>(session, book, sheet, range);
}

std::optional<TCellRange> RangeObjectCells(const TAutomationRef& object,
                                           const std::shared_ptr<TWorksheet>& sheet) {
  const auto* range = dynamic_cast<const TRangeObject*>(object.get());
  if (range && range->Sheet() == sheet) {
    return range->Range();
  }
  return std::nullopt;
}

}  // namespace spreadsheet::detail
