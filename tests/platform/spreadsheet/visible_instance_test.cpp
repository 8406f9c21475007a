#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "tests/platform/spreadsheet/spreadsheet_fixture.h"
#include "tests/platform/spreadsheet/xlsx_reader.h"
#include "tests/support/test_sandbox.h"

namespace {

using namespace spreadsheet;

QStringList HandedOverFiles() {
  return QDir(HandOverFolder()).entryList({"*.xlsx"}, QDir::Files, QDir::Name);
}

TEST_F(SpreadsheetTest, ASecondExportAttachesToTheVisibleInstance) {
  EXPECT_THROW(server.GetActiveObject("Excel.Application"), EOleSysError);
  // A hidden instance is not the running one.
  auto hidden = TPrintingCalls::Hidden(server);
  EXPECT_THROW(server.GetActiveObject("Excel.Application"), EOleSysError);

  auto first = TPrintingCalls::Visible(server);
  auto second = TPrintingCalls::Visible(server);
  EXPECT_EQ(second.Excel.OleObjectFunction("Workbooks").OleFunction("Count"), TAutomationValue(2));
  EXPECT_EQ(first.Excel.OlePropertyGetValue("Visible"), TAutomationValue(true));
  // The second workbook is the active one, for both clients.
  EXPECT_EQ(WorkbookOf(first.Excel.Object()), WorkbookOf(second.WorkBook.Object()));

  // Quitting ends it: the next export starts a new one.
  second.Excel.OleProcedure("Quit");
  EXPECT_THROW(server.GetActiveObject("Excel.Application"), EOleSysError);
  auto third = TPrintingCalls::Visible(server);
  EXPECT_EQ(third.Excel.OleObjectFunction("Workbooks").OleFunction("Count"), TAutomationValue(1));
}

TEST_F(SpreadsheetTest, ReleasedVisibleWorkbooksAreSavedAndOpenedOnTheDesktop) {
  auto first = TPrintingCalls::Visible(server);
  first.SetCellValue(1, 1, 1, QString("первая"));
  first.SetSheetName(1, "Р0д58");
  const auto firstBook = WorkbookOf(first.WorkBook.Object());
  auto second = TPrintingCalls::Visible(server);
  second.SetCellValue(1, 1, 1, QString("вторая"));
  const auto secondBook = WorkbookOf(second.WorkBook.Object());

  // The manager of a visible instance only lets go of its references.
  first = TPrintingCalls();
  ASSERT_EQ(opened.size(), 1);
  EXPECT_EQ(firstBook->SavedPath(), opened[0]);
  EXPECT_EQ(QFileInfo(opened[0]).absolutePath(), QDir(HandOverFolder()).absolutePath());
  EXPECT_TRUE(opened[0].endsWith(".xlsx"));
  EXPECT_TRUE(QFileInfo(opened[0]).absoluteFilePath().startsWith(testing_sandbox::Folder()));
  xlsx_reader::TBook file(opened[0]);
  EXPECT_EQ(file.SheetNames(), QStringList{"Р0д58"});
  ASSERT_TRUE(file.Cell("Р0д58", "A1"));
  EXPECT_EQ(file.Cell("Р0д58", "A1")->Text, QString("первая"));
  // The handed-over workbook has left the instance; the other stays open.
  EXPECT_EQ(second.Excel.OleObjectFunction("Workbooks").OleFunction("Count"), TAutomationValue(1));
  EXPECT_TRUE(secondBook->SavedPath().isEmpty());

  second = TPrintingCalls();
  ASSERT_EQ(opened.size(), 2);
  EXPECT_NE(opened[0], opened[1]);
  EXPECT_EQ(HandedOverFiles().size(), 2);
  EXPECT_EQ(xlsx_reader::TBook(opened[1]).Cell("Лист1", "A1")->Text, QString("вторая"));

  // The instance lives on for the next export, empty.
  auto third = TPrintingCalls::Visible(server);
  EXPECT_EQ(third.Excel.OleObjectFunction("Workbooks").OleFunction("Count"), TAutomationValue(1));
}

TEST_F(SpreadsheetTest, ReleasedHiddenAndClosedWorkbooksAreNotHandedOver) {
  auto hidden = TPrintingCalls::Hidden(server);
  hidden = TPrintingCalls();  // released without Close and Quit
  auto visible = TPrintingCalls::Visible(server);
  visible.WorkBook.OleProcedure("Close");
  visible = TPrintingCalls();
  EXPECT_TRUE(opened.isEmpty());
  EXPECT_TRUE(HandedOverFiles().isEmpty());
}

TEST_F(SpreadsheetTest, AWorkbookThatCannotBeSavedStaysOpenInTheInstance) {
  // A cache "folder" that is a file: the hand-over folder cannot be made.
  testing_sandbox::WriteFile(testing_sandbox::Path("cache-file"), "x");
  {
    TScopedEnv cache("XDG_CACHE_HOME", testing_sandbox::Path("cache-file"));
    auto export1 = TPrintingCalls::Visible(server);
    export1.SetCellValue(1, 1, 1, QString("не потерять"));
    export1 = TPrintingCalls();
  }
  EXPECT_TRUE(opened.isEmpty());
  auto again = TPrintingCalls::Visible(server);
  EXPECT_EQ(again.Excel.OleObjectFunction("Workbooks").OleFunction("Count"), TAutomationValue(2));
  again = TPrintingCalls();
  // The next release hands over the one left behind too.
  ASSERT_EQ(opened.size(), 2);
  EXPECT_EQ(xlsx_reader::TBook(opened[0]).Cell("Лист1", "A1")->Text, QString("не потерять"));
}

TEST_F(SpreadsheetTest, TheOpenCommandComesFromTheEnvironment) {
  server.SetHooks({});
  // The command is waited for, so its copy is there once the workbook is let go.
  const QString copy = testing_sandbox::Path("copy.xlsx");
  const QString viewer = testing_sandbox::Path("viewer.sh");
  testing_sandbox::WriteFile(viewer, ("#!/bin/sh\ncp \"$1\" '" + copy + "'\n").toUtf8());
  QFile::setPermissions(viewer, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  TScopedEnv openWith("TYAZHAR_OPEN_WITH", "\"" + viewer + "\"");

  auto visible = TPrintingCalls::Visible(server);
  visible.SetCellValue(1, 1, 1, QString("открыть"));
  visible = TPrintingCalls();

  const QStringList saved = HandedOverFiles();
  ASSERT_EQ(saved.size(), 1);
  EXPECT_EQ(testing_sandbox::ReadFile(copy), testing_sandbox::ReadFile(HandOverFolder() + "/" + saved[0]));
  EXPECT_TRUE(server.TakeHandOverTroubles().empty());
}

}  // namespace
