// Printing through LibreOffice. The tests that run the real LibreOffice take
// seconds each; the others put a small script in its place.
#include <gtest/gtest.h>

#include <signal.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include "platform/spreadsheet/office.h"
#include "platform/spreadsheet/xlsx_writer.h"
#include "tests/platform/spreadsheet/spreadsheet_fixture.h"
#include "tests/support/pdf_reader.h"
#include "tests/support/test_sandbox.h"

namespace {

using namespace spreadsheet;

const QString OpenError = QStringLiteral("Проблемы с открытием Excel:\r\n");

// The printing code's hidden start, whose failures it reports with the
// message above.
TPrintingCalls StartHidden(IAutomationServer& server) {
  try {
    return TPrintingCalls::Hidden(server);
  } catch (const Exception& e) {
    throw Exception(OpenError + e.Message());
  }
}

// A protocol in small: a caption, a relay block with its total.
void FillProtocol(const TPrintingCalls& calls) {
  calls.SetCellValue(1, 1, 1, QString("ПРОТОКОЛ"));
  calls.MergeCells(1, "A1", "H1", true, 0);
  calls.SetCellValue(1, 4, 3, QString("Сидоров Пётр"));
  calls.SetCellValue(1, 7, 3, 12);
  calls.SetCellValue(1, 7, 4, 23);
  calls.SetCellValue(1, 8, 3, 12);
  calls.SetCellValue(1, 8, 4, QString("=H3+G4"));
  calls.SetCellFormula(1, 7, 5, "=SUM(G3:G4)");
  calls.DrawRangeBorders(1, "A3", "H4");
  calls.SetSheetName(1, "Эст31");
}

// The state letter of /proc/<pid>/stat ("R", "S", "Z", ...); empty when the
// process is gone.
QByteArray ProcessState(const QString& statPath) {
  QFile stat(statPath);
  if (!stat.open(QIODevice::ReadOnly)) {
    return {};
  }
  const QByteArray fields = stat.readAll();
  // The command name in parentheses may itself hold blanks and parentheses.
  const qsizetype close = fields.lastIndexOf(')');
  return close < 0 ? QByteArray() : fields.mid(close + 2, 1);
}

// A stand-in for soffice, or another program: a shell script with the given body.
QString FakeSoffice(const QString& body, const QString& name = "soffice") {
  const QString path = testing_sandbox::Path(name);
  testing_sandbox::WriteFile(path, ("#!/bin/sh\n" + body + "\n").toUtf8());
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return path;
}

// A print system of the test's own on PATH: lpstat answering with the text.
QString FakeLpstat(const QString& answer) {
  const QString folder = testing_sandbox::Path("bin");
  QDir().mkpath(folder);
  const QString path = folder + "/lpstat";
  testing_sandbox::WriteFile(path, ("#!/bin/sh\necho '" + answer + "'\n").toUtf8());
  QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  return folder + ":" + qEnvironmentVariable("PATH");
}

class OfficeTest : public SpreadsheetTest {
 protected:
  void SetUp() override {
    SpreadsheetTest::SetUp();
    // Printing goes to LibreOffice here, not to the hook.
    TSpreadsheetHooks hooks = server.SetHooks({});
    hooks.Print = nullptr;
    server.SetHooks(std::move(hooks));
    path = std::make_unique<TScopedEnv>("PATH", FakeLpstat("system default destination: Office"));
  }
  void TearDown() override { path.reset(); }

  std::unique_ptr<TScopedEnv> path;
};

TEST_F(OfficeTest, PrintOutWritesAPdfOfEverySheetWhenAskedTo) {
  ASSERT_FALSE(office::FindSoffice(nullptr).isEmpty()) << "LibreOffice is needed for this test";
  const QString pdf = testing_sandbox::Path("Протокол печати.pdf");
  TScopedEnv printTo("TYAZHAR_PRINT_TO", pdf);
  auto calls = StartHidden(server);
  FillProtocol(calls);
  calls.SetCellValue(2, 1, 1, QString("Второй лист"));
  calls.PrintOut(true);
  calls.CloseAndQuit();

  ASSERT_TRUE(QFileInfo::exists(pdf));
  const QString text = testing_pdf::Text(pdf);
  for (const char* expected : {"ПРОТОКОЛ", "Сидоров Пётр", "Второй лист", "Подготовлено с помощью"}) {
    EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
  }
  // The running total and the block's sum show their values.
  EXPECT_TRUE(text.contains(QRegularExpression("\\b35\\b[\\s\\S]*\\b35\\b"))) << text.toStdString();
  // Nothing of the run is left beside the PDF.
  EXPECT_EQ(QDir(testing_sandbox::Folder()).entryList({"*.pdf", "*.xlsx"}, QDir::Files),
            QStringList{"Протокол печати.pdf"});
}

TEST_F(OfficeTest, PrintingWorksUnderALocaleTheSystemLacks) {
  ASSERT_FALSE(office::FindSoffice(nullptr).isEmpty()) << "LibreOffice is needed for this test";
  // LibreOffice takes its locale from the name alone and then cannot spell a
  // path with Cyrillic letters; it must still read the workbook, and the
  // Russian decimal comma must survive.
  const struct {
    const char* Locale;
    const char* BodyWeight;  // null: whatever LibreOffice makes of the locale
  } cases[] = {{"ru_RU.UTF-8", "70,5"}, {"xx_YY.UTF-8", nullptr}};
  const QString temp = testing_sandbox::Path("Временные файлы");
  ASSERT_TRUE(QDir().mkpath(temp));
  TScopedEnv tmpdir("TMPDIR", temp);
  for (const auto& c : cases) {
    TScopedEnv lang("LANG", c.Locale);
    TScopedEnv all("LC_ALL", c.Locale);
    const QString pdf = testing_sandbox::Path(QString("Протокол %1.pdf").arg(c.Locale));
    TScopedEnv printTo("TYAZHAR_PRINT_TO", pdf);
    auto calls = StartHidden(server);
    FillProtocol(calls);
    calls.SetCellValue(1, 6, 3, 70.5);
    calls.PrintOut(true);
    calls.CloseAndQuit();
    const QString text = testing_pdf::Text(pdf);
    for (const char* expected : {"ПРОТОКОЛ", "Сидоров Пётр", "Подготовлено с помощью"}) {
      EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << c.Locale << ": " << expected;
    }
    if (c.BodyWeight) {
      EXPECT_TRUE(text.contains(c.BodyWeight)) << c.Locale << "\n" << text.toStdString();
    }
  }
  EXPECT_TRUE(QDir(temp).isEmpty());
}

TEST_F(OfficeTest, LibreOfficeReadsEverySheetUnderItsNameWithFormulaResults) {
  const QString soffice = office::FindSoffice(nullptr);
  ASSERT_FALSE(soffice.isEmpty()) << "LibreOffice is needed for this test";
  auto calls = StartHidden(server);
  FillProtocol(calls);
  calls.GetSheet(2);
  calls.SetSheetName(2, "Р0д58");
  calls.SetCellValue(2, 1, 1, QString("58"));
  const QString book = testing_sandbox::Path("book.xlsx");
  WriteXlsx(*WorkbookOf(calls.WorkBook.Object()), book);

  // Every sheet to a CSV file of its own, named after the sheet.
  QProcess process;
  process.start(soffice,
                {"-env:UserInstallation=" + QUrl::fromLocalFile(testing_sandbox::Path("profile")).toString(),
                 "--headless", "--norestore", "--nologo", "--convert-to",
                 "csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1", "--outdir",
                 testing_sandbox::Path("csv"), book});
  ASSERT_TRUE(process.waitForFinished(120000));
  const QString relay =
      QString::fromUtf8(testing_sandbox::ReadFile(testing_sandbox::Path("csv/book-Эст31.csv")));
  EXPECT_TRUE(relay.startsWith("ПРОТОКОЛ,")) << relay.toStdString();
  EXPECT_TRUE(relay.contains(",,,Сидоров Пётр,,,12,12")) << relay.toStdString();
  EXPECT_TRUE(relay.contains(",,,,,,23,35")) << relay.toStdString();
  EXPECT_TRUE(relay.contains(",,,,,,35,")) << relay.toStdString();
  EXPECT_EQ(
      QString::fromUtf8(testing_sandbox::ReadFile(testing_sandbox::Path("csv/book-Р0д58.csv"))).trimmed(),
      QString("58"));
}

TEST_F(OfficeTest, AMissingLibreOfficeFailsTheHiddenStartAndThePrint) {
  TScopedEnv soffice("TYAZHAR_SOFFICE", testing_sandbox::Path("nowhere/soffice"));
  try {
    StartHidden(server);
    ADD_FAILURE() << "the hidden start went through";
  } catch (const Exception& e) {
    EXPECT_TRUE(e.Message().startsWith(OpenError + "Не найдена программа LibreOffice")) << e.what();
  }
  // A visible instance needs no LibreOffice until it prints.
  auto visible = TPrintingCalls::Visible(server);
  try {
    visible.PrintOut(true);
    ADD_FAILURE() << "printed without LibreOffice";
  } catch (const EOleException& e) {
    EXPECT_TRUE(e.Message().startsWith(OpenError + "Не найдена программа LibreOffice")) << e.what();
  }
}

TEST_F(OfficeTest, AFailingLibreOfficeIsReportedWithItsOutput) {
  TScopedEnv soffice("TYAZHAR_SOFFICE", FakeSoffice("echo 'printer on fire' >&2\nexit 3"));
  auto calls = StartHidden(server);
  try {
    calls.PrintOut(false);
    ADD_FAILURE() << "no error";
  } catch (const EOleException& e) {
    EXPECT_TRUE(e.Message().startsWith(OpenError + "LibreOffice завершился с ошибкой (код 3)")) << e.what();
    EXPECT_TRUE(e.Message().contains("printer on fire")) << e.what();
  }
  // It ran with a profile of its own and got the workbook to print.
  const QString fake = FakeSoffice("echo \"$@\" > '" + testing_sandbox::Path("args") + "'");
  TScopedEnv again("TYAZHAR_SOFFICE", fake);
  calls.PrintOut(false);
  const QString args = QString::fromUtf8(testing_sandbox::ReadFile(testing_sandbox::Path("args")));
  EXPECT_TRUE(args.contains(QRegularExpression("-env:UserInstallation=file:///\\S+ "))) << args.toStdString();
  EXPECT_TRUE(args.contains("--headless")) << args.toStdString();
  EXPECT_TRUE(args.contains(QRegularExpression("-p \\S+\\.xlsx$"))) << args.toStdString();
}

TEST_F(OfficeTest, WithoutADefaultPrinterThePrintFailsInsteadOfVanishing) {
  const QString ran = testing_sandbox::Path("soffice-ran");
  TScopedEnv soffice("TYAZHAR_SOFFICE", FakeSoffice("touch '" + ran + "'"));
  struct Case {
    const char* Path;  // null: a print system without a default printer
    const char* Message;
  };
  const Case cases[] = {
      {nullptr, "Не задан принтер по умолчанию"},
      {"/nonexistent", "Не найдена система печати (lpstat)"},
  };
  for (const auto& c : cases) {
    TScopedEnv p("PATH", c.Path ? QString(c.Path) : FakeLpstat("no system default destination"));
    auto calls = StartHidden(server);
    try {
      calls.PrintOut(true);
      ADD_FAILURE() << "printed without a printer";
    } catch (const EOleException& e) {
      EXPECT_TRUE(e.Message().startsWith(OpenError + c.Message)) << e.what();
    }
    calls.CloseAndQuit();
  }
  EXPECT_FALSE(QFileInfo::exists(ran));
}

TEST_F(OfficeTest, ALibreOfficeThatDoesNotFinishIsStoppedWithAllItsProcesses) {
  // The script leaves a child behind, as soffice does, and never ends. The
  // limit leaves a loaded machine time to start it and note the child.
  const QString pidFile = testing_sandbox::Path("child.pid");
  TScopedEnv soffice("TYAZHAR_SOFFICE", FakeSoffice("sleep 300 &\necho $! > '" + pidFile + "'\nwait"));
  TScopedEnv timeout("TYAZHAR_OFFICE_TIMEOUT_MS", "4000");
  auto calls = StartHidden(server);
  QElapsedTimer clock;
  clock.start();
  try {
    calls.PrintOut(true);
    ADD_FAILURE() << "no error";
  } catch (const EOleException& e) {
    EXPECT_TRUE(e.Message().startsWith(OpenError + "LibreOffice не завершил работу за 4 с")) << e.what();
  }
  EXPECT_LT(clock.elapsed(), 60000);
  const QByteArray pid = testing_sandbox::ReadFile(pidFile).trimmed();
  ASSERT_FALSE(pid.isEmpty());
  // Killed: gone, or a zombie waiting for its new parent to reap it. The
  // signal is delivered at once, but the child ends only once the kernel
  // next runs it, so its state is asked until it settles.
  const QString statPath = "/proc/" + QString::fromLatin1(pid) + "/stat";
  QByteArray state;
  const bool ended = testing_sandbox::WaitUntil([&] {
    state = ProcessState(statPath);
    return state.isEmpty() || state == "Z";
  });
  EXPECT_TRUE(ended) << "the child is still in state " << state.constData();
}

// ---- Opening a handed-over workbook ----

TEST_F(OfficeTest, TheOpenerIsWaitedForAndItsFailureGivesTheReason) {
  const QString book = testing_sandbox::Path("Протокол_2027-03-12.xlsx");
  testing_sandbox::WriteFile(book, "PK book");
  const QString copy = testing_sandbox::Path("copy.xlsx");
  const QString noMethod = FakeSoffice(
      "echo 'xdg-open: 882: lynx: not found'\n"
      "echo \"xdg-open: no method available for opening '$1'\"\nexit 3",
      "no-method");
  const struct {
    const char* What;
    QString Command;
    QString Error;  // empty: opened
  } cases[] = {
      // The copy is there when the call returns: the opener was waited for.
      {"opened", FakeSoffice("cp \"$1\" '" + copy + "'", "copier"), QString()},
      {"no program for the file", noMethod,
       "Программа " + noMethod +
           " завершилась с ошибкой (код 3): xdg-open: no method available for opening '" + book + "'"},
      {"no opener", testing_sandbox::Path("nowhere/xdg-open"),
       "Не удалось запустить " + testing_sandbox::Path("nowhere/xdg-open") + ": "},
  };
  // Long enough for any machine: these openers end at once.
  TScopedEnv wait("TYAZHAR_OPEN_WAIT_MS", "60000");
  for (const auto& c : cases) {
    TScopedEnv openWith("TYAZHAR_OPEN_WITH", "\"" + c.Command + "\"");
    QString error;
    try {
      office::OpenOnDesktop(book);
    } catch (const Exception& e) {
      error = e.Message();
    }
    if (c.Error.endsWith(": ")) {
      EXPECT_TRUE(error.startsWith(c.Error)) << c.What << ": " << error.toStdString();
    } else {
      EXPECT_EQ(error, c.Error) << c.What;
    }
  }
  EXPECT_EQ(testing_sandbox::ReadFile(copy), QByteArray("PK book"));
}

TEST_F(OfficeTest, AnOpenerThatWaitsForTheProgramItStartedCountsAsOpened) {
  // xdg-open on a desktop without an opener of its own runs the spreadsheet
  // program and waits until the user closes it: the export must not wait too.
  const QString pidFile = testing_sandbox::Path("viewer.pid");
  TScopedEnv openWith("TYAZHAR_OPEN_WITH", FakeSoffice("echo $$ > '" + pidFile + "'\nexec sleep 600"));
  TScopedEnv wait("TYAZHAR_OPEN_WAIT_MS", "300");
  EXPECT_NO_THROW(office::OpenOnDesktop(testing_sandbox::Path("book.xlsx")));
  ASSERT_TRUE(
      testing_sandbox::WaitUntil([&] { return !testing_sandbox::ReadFile(pidFile).trimmed().isEmpty(); }));
  ::kill(static_cast<pid_t>(testing_sandbox::ReadFile(pidFile).trimmed().toLongLong()), SIGTERM);
  // Once it ends, nothing of it is left behind.
  EXPECT_TRUE(testing_sandbox::WaitUntil([] {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return QCoreApplication::instance()->findChildren<QProcess*>().isEmpty();
  }));
}

}  // namespace
