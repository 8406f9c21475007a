#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <functional>

#include "common/data_folder.h"
#include "platform/registry/registry.h"
#include "tests/support/test_sandbox.h"

namespace {

using testing_sandbox::Path;

const QString kNoPath = QStringLiteral("Не удается получить путь к данным приложения");
const QString kCannotCreate = QStringLiteral("Не удается создать каталог с данными приложения");

void SetAppData(const QString& value) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kShellFoldersKey, false));
  reg.WriteString("AppData", value);
}

// The folder as it ends up, or "error: <message>".
QString Outcome() {
  try {
    return GetAppDataDir();
  } catch (const Exception& e) {
    return "error: " + e.Message();
  }
}

TEST(GetAppDataDir, FindsOrCreatesTheDataFolderUnderAppData) {
  struct Case {
    const char* name;
    std::function<void()> arrange;
    std::function<QString()> expected;
  };
  const Case cases[] = {
      {"the XDG data home by default", [] {}, [] { return Path("data/Tyazharnet-protocol/"); }},
      {"a stored AppData value", [] { SetAppData(Path("roaming")); },
       [] { return Path("roaming/Tyazharnet-protocol/"); }},
      {"no second separator after a trailing one", [] { SetAppData(Path("roaming/")); },
       [] { return Path("roaming/Tyazharnet-protocol/"); }},
      {"a missing AppData folder is not made", [] { SetAppData(Path("no-such-folder")); },
       [] { return "error: " + kCannotCreate; }},
      {"a file in the data folder's place",
       [] {
         SetAppData(Path("roaming"));
         testing_sandbox::WriteFile(Path("roaming/Tyazharnet-protocol"), "not a folder");
       },
       [] { return "error: " + kCannotCreate; }},
      {"the shell-folders key deleted", [] { ASSERT_TRUE(TRegistry().DeleteKey(kShellFoldersKey)); },
       [] { return "error: " + kNoPath; }},
      {"an empty AppData value", [] { SetAppData(""); }, [] { return "error: " + kNoPath; }},
      {"no AppData value",
       [] {
         TRegistry reg;
         ASSERT_TRUE(reg.OpenKey(kShellFoldersKey, false));
         ASSERT_TRUE(reg.DeleteValue("AppData"));
       },
       [] { return "error: " + kNoPath; }},
      {"a store that cannot be read",
       [] { testing_sandbox::WriteFile(RegistryRoot() + "/HKEY_CURRENT_USER.json", "{broken"); },
       [] { return "error: " + kNoPath; }},
  };
  for (const Case& c : cases) {
    // Each case starts from a fresh store and fresh folders.
    QDir(RegistryRoot()).removeRecursively();
    QDir(Path("data")).removeRecursively();
    QDir(Path("roaming")).removeRecursively();
    QDir().mkpath(RegistryRoot());
    QDir().mkpath(Path("data"));
    QDir().mkpath(Path("roaming"));

    c.arrange();
    const QString expected = c.expected();
    EXPECT_EQ(Outcome(), expected) << c.name;
    if (!expected.startsWith("error: ")) {
      EXPECT_TRUE(QFileInfo(expected).isDir()) << c.name;
    }
  }
  EXPECT_FALSE(QFileInfo::exists(Path("no-such-folder")));
}

TEST(GetAppDataDir, AnExistingDataFolderIsUsedAsItIs) {
  const QString folder = Path("data/Tyazharnet-protocol/");
  ASSERT_TRUE(QDir().mkpath(folder));
  testing_sandbox::WriteFile(folder + "Competitor.xml", "<DATAPACKET/>");
  EXPECT_EQ(GetAppDataDir(), folder);
  EXPECT_EQ(GetAppDataDir(), folder);
  EXPECT_EQ(QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList({"Competitor.xml"}));
  EXPECT_EQ(testing_sandbox::ReadFile(folder + "Competitor.xml"), QByteArray("<DATAPACKET/>"));
}

TEST(GetAppDataDir, ReadsTheRegistryAfreshOnEveryCall) {
  EXPECT_EQ(GetAppDataDir(), Path("data/Tyazharnet-protocol/"));
  QDir().mkpath(Path("roaming"));
  SetAppData(Path("roaming"));
  EXPECT_EQ(GetAppDataDir(), Path("roaming/Tyazharnet-protocol/"));
}

}  // namespace
