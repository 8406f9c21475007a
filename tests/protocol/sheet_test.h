#pragma once

#include <gtest/gtest.h>

#include <QString>
#include <functional>
#include <vector>

#include "platform/core/exception.h"
#include "protocol/protocol.h"
#include "tests/protocol/competition_fixture.h"
#include "tests/support/automation_double.h"

// A builder over the small competition, printing into the recording double.
class SheetTest : public ::testing::Test {
 protected:
  using TSheetState = automation_double::TSheetState;

  const TSheetState& Sheet(int index = 1) const { return excel.Sheet(index); }

  struct CellCase {
    const char* cell;
    const char* text;
  };
  // Every cell of the list holds its text.
  static void ExpectCells(const TSheetState& sheet, std::initializer_list<CellCase> cases) {
    for (const auto& c : cases) {
      EXPECT_EQ(sheet.Text(QString::fromLatin1(c.cell)), QString::fromUtf8(c.text)) << "cell " << c.cell;
    }
  }
  static std::set<int> Rows(std::initializer_list<int> rows) { return std::set<int>(rows); }

  static QString ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const Exception& e) {
      return e.Message();
    }
    return QStringLiteral("<no error>");
  }

  automation_double::TAutomationDouble excel{1};
  automation_double::TServerScope scope{&excel};
  competition_fixture::TInterface ui;
  competition_fixture::TCompetition c;
  TProtocol protocol{ui.Translate()};
};
