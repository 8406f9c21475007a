// The Worksheet object and its PageSetup.
#include <QStringList>
#include <algorithm>

#include "platform/spreadsheet/spreadsheet_object_base.h"

namespace spreadsheet::detail {
namespace {

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

  TAutomationRef RangeOf(TCellRange range) const { return NewRangeObject(FSession, FBook, FSheet, range); }

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
      if (const auto range = RangeObjectCells(*ref, FSheet)) {
        return *range;
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

}  // namespace

TAutomationRef NewWorksheetObject(const std::shared_ptr<TClientSession>& session,
                                  const std::shared_ptr<TWorkbook>& book,
                                  const std::shared_ptr<TWorksheet>& sheet) {
  return std::make_shared<TWorksheetObject>(session, book, sheet);
}

const TObject* AsWorksheetObject(const TAutomationRef& object) {
  return dynamic_cast<const TWorksheetObject*>(object.get());
}

}  // namespace spreadsheet::detail
