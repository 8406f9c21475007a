#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QStringList>
#include <optional>
#include <vector>

#include "platform/spreadsheet/spreadsheet_server.h"
#include "tests/platform/spreadsheet/printing_calls.h"

// A server of its own for each test, with printing and opening on the
// desktop caught: the workbooks it makes, what it printed and what it
// handed over can be looked at afterwards.
class SpreadsheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    server.SetHooks({
        .WorkbookAdded =
            [this](const std::shared_ptr<const spreadsheet::TWorkbook>& book) { added.push_back(book); },
        .Print = [this](const spreadsheet::TWorkbook& book) { printed.push_back(&book); },
        .Open = [this](const QString& path) { opened << path; },
    });
  }

  spreadsheet::TSpreadsheetServer server;
  std::vector<std::shared_ptr<const spreadsheet::TWorkbook>> added;
  std::vector<const spreadsheet::TWorkbook*> printed;
  QStringList opened;
};

// Sets an environment variable for one scope and puts the old value back.
class TScopedEnv {
 public:
  TScopedEnv(const char* name, const QString& value)
      : FName(name), FOld(qgetenv(name)), FHad(qEnvironmentVariableIsSet(name)) {
    qputenv(name, value.toUtf8());
  }
  ~TScopedEnv() {
    if (FHad) {
      qputenv(FName, FOld);
    } else {
      qunsetenv(FName);
    }
  }
  TScopedEnv(const TScopedEnv&) = delete;
  TScopedEnv& operator=(const TScopedEnv&) = delete;

 private:
  const char* FName;
  QByteArray FOld;
  bool FHad;
};
