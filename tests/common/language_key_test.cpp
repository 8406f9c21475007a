#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "common/data_folder.h"
#include "common/language_key.h"
#include "platform/ini/ini_file.h"
#include "platform/registry/registry.h"
#include "tests/support/test_sandbox.h"

namespace {

using testing_sandbox::ReadFile;
using testing_sandbox::WriteFile;

QString DataFolder() {
  return testing_sandbox::Path("data/Tyazharnet-protocol/");
}
QString SettingsPath() {
  return DataFolder() + "Tyazhar.ini";
}

TEST(WriteLanguage, WritesRuOrEnAndLeavesTheKeyForAnyOtherValue) {
  struct Case {
    QByteArray before;  // empty: no file
    quint8 language;
    QByteArray after;  // empty: still no file
  };
  const QByteArray installed = "[GENERAL]\r\nLanguage=EN\r\n";
  const QByteArray full = "[GENERAL]\r\nLanguage=RU\r\nCity=Tula\r\n[Weight]\r\nSnatchM=32\r\n";
  const Case cases[] = {
      {"", 0, "[GENERAL]\r\nLanguage=RU\r\n"},
      {"", 1, "[GENERAL]\r\nLanguage=EN\r\n"},
      {"", 2, ""},
      {"", 255, ""},
      {installed, 0, "[GENERAL]\r\nLanguage=RU\r\n"},
      {installed, 2, installed},
      {full, 1, "[GENERAL]\r\nLanguage=EN\r\nCity=Tula\r\n[Weight]\r\nSnatchM=32\r\n"},
      {full, 2, full},
  };
  QDir().mkpath(DataFolder());
  for (const Case& c : cases) {
    QFile::remove(SettingsPath());
    if (!c.before.isEmpty()) {
      WriteFile(SettingsPath(), c.before);
    }
    WriteLanguage(c.language);
    if (c.after.isEmpty()) {
      EXPECT_FALSE(QFileInfo::exists(SettingsPath())) << int(c.language);
    } else {
      EXPECT_EQ(ReadFile(SettingsPath()), c.after) << int(c.language) << " over " << c.before.constData();
    }
  }
}

TEST(WriteLanguage, CreatesTheDataFolderAndSurvivesTheWindowsOwnSettingsObject) {
  ASSERT_FALSE(QFileInfo::exists(DataFolder()));
  WriteLanguage(1);
  EXPECT_EQ(ReadFile(SettingsPath()), QByteArray("[GENERAL]\r\nLanguage=EN\r\n"));

  // The window keeps its own object on the same file and writes after it.
  TIniFile window(GetAppDataDir() + kSettingsFileName);
  window.WriteString("GENERAL", "City", "Tula");
  WriteLanguage(0);
  window.WriteString("GENERAL", "Date", "01.05.2024");
  EXPECT_EQ(ReadLanguage(), 0);
  EXPECT_EQ(window.ReadString("GENERAL", "City", ""), "Tula");
  EXPECT_EQ(ReadFile(SettingsPath()),
            QByteArray("[GENERAL]\r\nLanguage=RU\r\nCity=Tula\r\nDate=01.05.2024\r\n"));
}

TEST(WriteLanguage, ErrorsOfTheDataFolderAndOfTheFileReachTheCaller) {
  QDir().mkpath(SettingsPath());  // a folder where the file should be
  try {
    WriteLanguage(1);
    ADD_FAILURE() << "no error";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(),
              "Unable to write to " + SettingsPath() + ": " + QString::fromLocal8Bit(strerror(EISDIR)));
  }
  EXPECT_EQ(ReadLanguage(), 0);

  ASSERT_TRUE(TRegistry().DeleteKey(kShellFoldersKey));
  try {
    WriteLanguage(1);
    ADD_FAILURE() << "no error";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Не удается получить путь к данным приложения"));
  }
  EXPECT_THROW(ReadLanguage(), Exception);
}

TEST(ReadLanguage, OnlyExactlyEnIsEnglish) {
  struct Case {
    QByteArray file;  // empty: no file
    quint8 expected;
  };
  const Case cases[] = {
      {"[GENERAL]\r\nLanguage=EN\r\n", 1},
      {"[general]\r\nlanguage = EN \r\n", 1},  // names in any case, blanks trimmed by the INI layer
      {"[GENERAL]\r\nLanguage=en\r\n", 0},
      {"[GENERAL]\r\nLanguage=En\r\n", 0},
      {"[GENERAL]\r\nLanguage=RU\r\n", 0},
      {"[GENERAL]\r\nLanguage=ENG\r\n", 0},
      {"[GENERAL]\r\nLanguage=\r\n", 0},
      {"[GENERAL]\r\nCity=Tula\r\n", 0},
      {"[Other]\r\nLanguage=EN\r\n", 0},
      {"", 0},
  };
  QDir().mkpath(DataFolder());
  for (const Case& c : cases) {
    QFile::remove(SettingsPath());
    if (!c.file.isEmpty()) {
      WriteFile(SettingsPath(), c.file);
    }
    EXPECT_EQ(ReadLanguage(), c.expected) << c.file.constData();
  }
  EXPECT_FALSE(QFileInfo::exists(SettingsPath()));  // reading never writes
}

}  // namespace
