#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "platform/registry/registry.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/test_sandbox.h"

namespace {

using testing_sandbox::ReadFile;
using testing_sandbox::WriteFile;

QString StoreFile(const char* name) {
  return RegistryRoot() + '/' + name;
}

TEST(Registry, FreshStoreHoldsTheShellFoldersAndProgramFilesWithoutWritingAnything) {
  EXPECT_EQ(RegistryRoot(), qEnvironmentVariable("TYAZHAR_REGISTRY_ROOT"));
  TRegistry reg;
  EXPECT_EQ(reg.RootKey(), HKEY_CURRENT_USER);
  ASSERT_TRUE(reg.OpenKeyReadOnly(kShellFoldersKey));
  EXPECT_EQ(reg.ReadString("AppData"), testing_sandbox::Path("data"));
  EXPECT_EQ(reg.ReadString("Desktop"), testing_sandbox::Path("desktop"));
  EXPECT_TRUE(reg.KeyExists("Software\\Microsoft"));

  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(reg.CurrentPath().isEmpty());
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Microsoft\\Windows\\CurrentVersion"));
  EXPECT_EQ(reg.ReadString("ProgramFilesDir"), testing_sandbox::Path("home/.local/opt"));
  EXPECT_FALSE(reg.KeyExists("Software\\Tyazhar"));
  EXPECT_FALSE(reg.KeyExists(kShellFoldersKey));

  EXPECT_TRUE(QDir(RegistryRoot()).isEmpty());
}

TEST(Registry, KeysAndValuesMatchInAnyLetterCaseAndKeepTheirFirstSpelling) {
  {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey("Software\\Tyazhar", true));
    EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Tyazhar");  // the existing parent lends its spelling
    reg.WriteString("CurrentVersion", "0.9");
    reg.WriteString("currentversion", "1.0");
    reg.WriteString("Path", "/opt/Тяжарнет/");
  }
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  for (const char* spelling : {"software\\tyazhar", "\\SOFTWARE\\TYAZHAR\\", "Software\\\\Tyazhar"}) {
    EXPECT_TRUE(reg.KeyExists(spelling)) << spelling;
    ASSERT_TRUE(reg.OpenKeyReadOnly(spelling)) << spelling;
    EXPECT_EQ(reg.CurrentPath(), "SOFTWARE\\Tyazhar");
    EXPECT_EQ(reg.ReadString("CURRENTVERSION"), "1.0");
    EXPECT_EQ(reg.ReadString("path"), QString::fromUtf8("/opt/Тяжарнет/"));
    EXPECT_TRUE(reg.ValueExists("PATH"));
  }
  const QByteArray stored = ReadFile(StoreFile("HKEY_LOCAL_MACHINE.json"));
  EXPECT_TRUE(stored.contains("\"CurrentVersion\": \"1.0\"")) << stored.constData();
  EXPECT_FALSE(stored.contains("currentversion"));
  // The machine's default values were stored with the first write.
  EXPECT_TRUE(stored.contains("ProgramFilesDir"));

  // The two root keys are separate stores.
  reg.SetRootKey(HKEY_CURRENT_USER);
  EXPECT_FALSE(reg.KeyExists("Software\\Tyazhar"));
  EXPECT_FALSE(QFileInfo::exists(StoreFile("HKEY_CURRENT_USER.json")));
}

TEST(Registry, StoredValuesOverrideTheDefaultsForGood) {
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kShellFoldersKey, false));
    reg.WriteString("AppData", "/srv/appdata");
  }
  // What was worked out before the first write is kept, not recomputed.
  qputenv("XDG_DESKTOP_DIR", "/elsewhere");
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKeyReadOnly(kShellFoldersKey));
  EXPECT_EQ(reg.ReadString("AppData"), "/srv/appdata");
  EXPECT_EQ(reg.ReadString("desktop"), testing_sandbox::Path("desktop"));
}

TEST(Registry, MissingKeysAndValues) {
  TRegistry reg;
  EXPECT_FALSE(reg.OpenKeyReadOnly("Software\\Nobody"));
  EXPECT_FALSE(reg.OpenKey("Software\\Nobody", false));
  EXPECT_TRUE(reg.CurrentPath().isEmpty());
  EXPECT_FALSE(reg.ValueExists("AppData"));
  EXPECT_EQ(reg.ReadString("AppData"), "");
  EXPECT_TRUE(QDir(RegistryRoot()).isEmpty());

  ASSERT_TRUE(reg.OpenKeyReadOnly(kShellFoldersKey));
  EXPECT_FALSE(reg.ValueExists("Personal"));
  EXPECT_EQ(reg.ReadString("Personal"), "");
  // A failed open closes what was open before.
  EXPECT_FALSE(reg.OpenKeyReadOnly("Software\\Nobody"));
  EXPECT_EQ(reg.ReadString("AppData"), "");
}

TEST(Registry, WritesThatCannotBeDoneRaise) {
  TRegistry reg;
  const auto expectRefused = [&reg](const char* what) {
    try {
      reg.WriteString("AppData", "/x");
      ADD_FAILURE() << "no error: " << what;
    } catch (const ERegistryException& e) {
      EXPECT_EQ(e.Message(), "Failed to set data for 'AppData'") << what;
    }
  };
  expectRefused("no key open");
  ASSERT_TRUE(reg.OpenKeyReadOnly(kShellFoldersKey));
  expectRefused("key open read-only");
  EXPECT_FALSE(reg.DeleteValue("AppData"));

  ASSERT_TRUE(reg.OpenKey(kShellFoldersKey, false));
  TRegistry other;
  ASSERT_TRUE(other.DeleteKey(kShellFoldersKey));
  expectRefused("key deleted by another object");
  EXPECT_FALSE(reg.KeyExists(kShellFoldersKey));
}

TEST(Registry, TwoObjectsNeverLoseEachOthersWrites) {
  TRegistry a;
  TRegistry b;
  ASSERT_TRUE(a.OpenKey(kShellFoldersKey, false));
  ASSERT_TRUE(b.OpenKey(kShellFoldersKey, false));
  a.WriteString("AppData", "/a");
  b.WriteString("desktop", "/b");
  a.WriteString("Personal", "/p");
  EXPECT_EQ(b.ReadString("AppData"), "/a");
  EXPECT_EQ(b.ReadString("Personal"), "/p");
  EXPECT_EQ(a.ReadString("desktop"), "/b");
}

TEST(Registry, DeletingKeysAndValues) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("Software\\Tyazhar\\Sub\\Deeper", true));
  ASSERT_TRUE(reg.OpenKey("Software\\TyazharOther", true));
  EXPECT_FALSE(reg.DeleteKey("Software\\Missing"));
  EXPECT_FALSE(reg.DeleteKey(""));  // the root key itself stays
  EXPECT_FALSE(reg.DeleteKey("\\"));
  EXPECT_TRUE(reg.DeleteKey("SOFTWARE\\tyazhar"));
  EXPECT_FALSE(reg.KeyExists("Software\\Tyazhar"));
  EXPECT_FALSE(reg.KeyExists("Software\\Tyazhar\\Sub\\Deeper"));
  EXPECT_TRUE(reg.KeyExists("Software\\TyazharOther"));  // a name prefix is no child
  EXPECT_TRUE(reg.KeyExists(kShellFoldersKey));

  ASSERT_TRUE(reg.OpenKey(kShellFoldersKey, false));
  EXPECT_TRUE(reg.DeleteValue("APPDATA"));
  EXPECT_FALSE(reg.DeleteValue("AppData"));
  EXPECT_FALSE(reg.ValueExists("AppData"));
  EXPECT_TRUE(reg.ValueExists("desktop"));
  // The key can be made again; it comes back empty.
  ASSERT_TRUE(reg.DeleteKey(kShellFoldersKey));
  EXPECT_FALSE(reg.OpenKeyReadOnly(kShellFoldersKey));
  ASSERT_TRUE(reg.OpenKey(kShellFoldersKey, true));
  EXPECT_FALSE(reg.ValueExists("desktop"));
}

TEST(Registry, ABrokenStoreReadsEmptyRefusesWritesAndIsNeverOverwritten) {
  const QByteArray broken[] = {
      "not json at all",
      "[]",
      R"({"Software": 5})",
      R"({"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders": {"AppData": 1}})",
  };
  for (const QByteArray& content : broken) {
    WriteFile(StoreFile("HKEY_CURRENT_USER.json"), content);
    TRegistry reg;
    EXPECT_FALSE(reg.KeyExists(kShellFoldersKey)) << content.constData();
    EXPECT_FALSE(reg.OpenKeyReadOnly(kShellFoldersKey)) << content.constData();
    EXPECT_FALSE(reg.OpenKey("Software\\Tyazhar", true)) << content.constData();
    EXPECT_FALSE(reg.DeleteKey("Software")) << content.constData();
    EXPECT_EQ(ReadFile(StoreFile("HKEY_CURRENT_USER.json")), content);
  }
}

TEST(Registry, AStoreFolderThatCannotBeMadeRefusesToCreateKeys) {
  const QString blocker = testing_sandbox::Path("blocker");
  WriteFile(blocker, "a file, not a folder");
  qputenv("TYAZHAR_REGISTRY_ROOT", (blocker + "/registry").toUtf8());
  TRegistry reg;
  EXPECT_TRUE(reg.OpenKeyReadOnly(kShellFoldersKey));  // the defaults need no folder
  EXPECT_FALSE(reg.OpenKey("Software\\Tyazhar", true));
  ASSERT_TRUE(reg.OpenKey(kShellFoldersKey, false));
  EXPECT_THROW(reg.WriteString("AppData", "/x"), ERegistryException);
}

// A full disk: every write is refused with the store's file and the
// system's reason, and the store keeps every byte it had.
TEST(Registry, AStoreThatCannotBeWrittenKeepsItsBytesAndSaysWhy) {
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKey("Software\\Tyazhar", true));
  reg.WriteString("CurrentVersion", "1.0");
  const QString file = StoreFile("HKEY_LOCAL_MACHINE.json");
  const QByteArray before = ReadFile(file);
  const QString why = "Cannot create file \"" + file + "\". " + QString::fromLocal8Bit(strerror(EFBIG));
  QString message;
  bool created = true;
  {
    TFileSizeLimit limit(rlim_t(before.size()));
    try {
      reg.WriteString("Path", "/opt/tyazharnet-protocol/");
    } catch (const ERegistryException& e) {
      message = e.Message();
    }
    created = reg.OpenKey("Software\\Other", true);
  }
  EXPECT_EQ(message, "Failed to set data for 'Path': " + why);
  EXPECT_FALSE(created);
  EXPECT_EQ(reg.LastWriteError(), why);
  EXPECT_EQ(ReadFile(file), before);
  EXPECT_EQ(QDir(RegistryRoot()).entryList(QDir::Files | QDir::Hidden),
            QStringList{"HKEY_LOCAL_MACHINE.json"});
  ASSERT_TRUE(reg.OpenKey("Software\\Tyazhar", false));
  EXPECT_TRUE(reg.LastWriteError().isEmpty());
}

TEST(Registry, HandEditedStoreIsNormalised) {
  WriteFile(StoreFile("HKEY_LOCAL_MACHINE.json"), R"({"\\Software\\\\Tyazhar\\": {"Path": "/opt/t"}})");
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_TRUE(reg.KeyExists("Software"));
  ASSERT_TRUE(reg.OpenKeyReadOnly("software\\tyazhar"));
  EXPECT_EQ(reg.CurrentPath(), "Software\\Tyazhar");
  EXPECT_EQ(reg.ReadString("Path"), "/opt/t");
  // The file alone counts once it exists: no machine defaults.
  EXPECT_FALSE(reg.KeyExists(kCurrentVersionKey));
}

}  // namespace
