#include "platform/spreadsheet/spreadsheet_server.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QtDebug>
#include <algorithm>

#include "platform/core/exception.h"
#include "platform/spreadsheet/office.h"
#include "platform/spreadsheet/spreadsheet_objects.h"
#include "platform/spreadsheet/xlsx_writer.h"

namespace spreadsheet {
namespace detail {
namespace {

const QString& OpenErrorPrefix() {
  static const QString prefix = QStringLiteral("Проблемы с открытием Excel:\r\n");
  return prefix;
}

// A new name in the hand-over folder, with the date and time, so that the
// workbooks of several exports stand side by side.
QString NewHandOverPath() {
  const QString folder = HandOverFolder();
  if (!QDir().mkpath(folder)) {
    throw Exception(QStringLiteral("Не удалось создать папку %1").arg(folder));
  }
  const QString stem = QStringLiteral("Протокол_") +
                       QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
  QString path = folder + u'/' + stem + QStringLiteral(".xlsx");
  for (int n = 2; QFileInfo::exists(path); ++n) {
    path = folder + u'/' + stem + u'_' + QString::number(n) + QStringLiteral(".xlsx");
  }
  return path;
}

// The text of the exception being handled; for a catch (...) where nothing
// may escape.
QString CurrentErrorText() {
  try {
    throw;
  } catch (const Exception& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return QString::fromLocal8Bit(e.what());
  } catch (...) {
    return QStringLiteral("Unknown error");
  }
}

}  // namespace

void TApplicationCore::Register() {
  if (!FEnded && !FServer->Running) {
    FServer->Running = shared_from_this();
  }
}

std::shared_ptr<TWorkbook> TApplicationCore::AddWorkbook() {
  auto book = std::make_shared<TWorkbook>();
  FWorkbooks.push_back(book);
  FActive = book;
  if (Hooks().WorkbookAdded) {
    Hooks().WorkbookAdded(book);
  }
  return book;
}

void TApplicationCore::RemoveWorkbook(const std::shared_ptr<TWorkbook>& book) {
  std::erase(FWorkbooks, book);
  if (FActive == book) {
    FActive = FWorkbooks.empty() ? nullptr : FWorkbooks.back();
  }
}

void TApplicationCore::Print(const TWorkbook& book) const {
  if (Hooks().Print) {
    Hooks().Print(book);
    return;
  }
  try {
    const auto folder = office::NewScratchFolder();
    // The print queue shows the workbook's title, not the file's name.
    const QString file = folder->filePath(QStringLiteral("protocol.xlsx"));
    WriteXlsx(book, file);
    const QString pdf = qEnvironmentVariable("TYAZHAR_PRINT_TO");
    if (pdf.isEmpty()) {
      office::PrintFile(file);
    } else {
      office::ConvertToPdf(file, pdf);
    }
  } catch (const office::EWriteError& e) {
    // Nothing wrong with the spreadsheet: the user needs the file and the reason alone.
    throw EOleException(e.Message());
  } catch (const Exception& e) {
    throw EOleException(OpenErrorPrefix() + e.Message());
  }
}

void TApplicationCore::HandOver(const std::vector<std::shared_ptr<TWorkbook>>& books) {
  std::vector<std::shared_ptr<TWorkbook>> due;
  std::swap(due, FNotHandedOver);
  due.insert(due.end(), books.begin(), books.end());
  for (const auto& book : due) {
    if (book->IsClosed()) {
      continue;
    }
    QString path;
    try {
      path = NewHandOverPath();
      WriteXlsx(*book, path);
    } catch (...) {
      const QString reason = CurrentErrorText();
      qWarning().noquote() << "spreadsheet: the workbook could not be saved:" << reason;
      FServer->Troubles.push_back({QString(), reason});
      FNotHandedOver.push_back(book);
      continue;
    }
    book->SetSavedPath(path);
    RemoveWorkbook(book);
    book->MarkClosed();
    try {
      if (Hooks().Open) {
        Hooks().Open(path);
      } else {
        office::OpenOnDesktop(path);
      }
    } catch (...) {
      const QString reason = CurrentErrorText();
      qWarning().noquote() << "spreadsheet: the workbook" << path << "could not be opened:" << reason;
      FServer->Troubles.push_back({path, reason});
    }
  }
}

void TApplicationCore::End() {
  for (const auto& book : FWorkbooks) {
    book->MarkClosed();
  }
  FWorkbooks.clear();
  FNotHandedOver.clear();
  FActive.reset();
  FEnded = true;
  if (FServer->Running.get() == this) {
    FServer->Running.reset();
  }
}

TClientSession::~TClientSession() {
  if (FCore->HasEnded() || !FCore->Visible) {
    return;
  }
  std::vector<std::shared_ptr<TWorkbook>> books;
  for (const auto& added : FAdded) {
    if (auto book = added.lock()) {
      books.push_back(std::move(book));
    }
  }
  FCore->HandOver(books);
}

}  // namespace detail

namespace {

bool IsOurProgId(const QString& progId) {
  return progId.compare(QStringLiteral("Excel.Application"), Qt::CaseInsensitive) == 0;
}

}  // namespace

TSpreadsheetServer::TSpreadsheetServer() : FState(std::make_shared<detail::TServerState>()) {}

TSpreadsheetServer::~TSpreadsheetServer() {
  FState->Running.reset();
}

TAutomationRef TSpreadsheetServer::CreateInstance(const QString& progId) {
  if (!IsOurProgId(progId)) {
    throw EOleSysError(QStringLiteral("Invalid class string"));
  }
  auto core = std::make_shared<detail::TApplicationCore>(FState);
  return detail::NewApplicationObject(std::make_shared<detail::TClientSession>(std::move(core)));
}

TAutomationRef TSpreadsheetServer::GetActiveObject(const QString& progId) {
  if (!IsOurProgId(progId)) {
    throw EOleSysError(QStringLiteral("Invalid class string"));
  }
  if (!FState->Running || FState->Running->HasEnded()) {
    throw EOleSysError(QStringLiteral("Operation unavailable"));
  }
  return detail::NewApplicationObject(std::make_shared<detail::TClientSession>(FState->Running));
}

TSpreadsheetHooks TSpreadsheetServer::SetHooks(TSpreadsheetHooks hooks) {
  std::swap(FState->Hooks, hooks);
  return hooks;
}

std::vector<THandOverTrouble> TSpreadsheetServer::TakeHandOverTroubles() {
  return std::exchange(FState->Troubles, {});
}

TSpreadsheetServer& DefaultSpreadsheetServer() {
  static TSpreadsheetServer server;
  return server;
}

std::shared_ptr<TWorkbook> WorkbookOf(const TAutomationRef& object) {
  return detail::WorkbookBehind(object);
}

std::shared_ptr<TWorksheet> WorksheetOf(const TAutomationRef& object) {
  return detail::WorksheetBehind(object);
}

QString HandOverFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
         QStringLiteral("/tyazharnet/export");
}

}  // namespace spreadsheet
