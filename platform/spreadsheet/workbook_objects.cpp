// The top of the object tree: the Application, its Workbooks, a Workbook and
// its Sheets.
#include "platform/spreadsheet/office.h"
#include "platform/spreadsheet/spreadsheet_object_base.h"
#include "platform/spreadsheet/xlsx_writer.h"

namespace spreadsheet::detail {
namespace {

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

class TSheetsObject : public TBookObject {
 public:
  using TBookObject::TBookObject;

 protected:
  const char16_t* ClassName() const override { return u"Sheets"; }

  // A Before or After argument: a sheet of this workbook.
  int PositionOf(const TCall& call, const TAutomationValue& value) const {
    if (const auto* ref = std::get_if<TAutomationRef>(&value)) {
      const TObject* sheet = AsWorksheetObject(*ref);
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

}  // namespace

TAutomationRef NewWorkbookObject(const std::shared_ptr<TClientSession>& session,
                                 const std::shared_ptr<TWorkbook>& book) {
  return std::make_shared<TWorkbookObject>(session, book);
}

TAutomationRef NewSheetsObject(const std::shared_ptr<TClientSession>& session,
                               const std::shared_ptr<TWorkbook>& book) {
  return std::make_shared<TSheetsObject>(session, book);
}

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
