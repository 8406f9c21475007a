#include <gtest/gtest.h>

#include "setup/desktop_entry.h"
#include "tests/setup/setup_fixture.h"

namespace {

// The quoting of the program path: every character that a desktop reads as
// its own comes out escaped, and the result is an entry desktop-file-validate
// finds nothing to say about.
TEST(DesktopEntry, ProgramPathIsQuotedAndEscapedByTheDesktopEntryRules) {
  struct Case {
    const char* program;
    const char* exec;  // as it stands in the file
  };
  const Case cases[] = {
      {"/opt/T/tyazharnet-protocol", R"("/opt/T/tyazharnet-protocol")"},
      {"/home/u/Мои программы/p", R"("/home/u/Мои программы/p")"},
      {R"(/a/$HOME "q" `x`/p)", R"("/a/\\$HOME \\"q\\" \\`x\\`/p")"},
      {R"(/a/b\c/p)", R"("/a/b\\\\c/p")"},
      {"/a/100%/p", R"("/a/100%%/p")"},
      {"/a/it's;#<x>|&*?()~/p", R"("/a/it's;#<x>|&*?()~/p")"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.program);
    const QString program = QString::fromUtf8(c.program);
    const QString text = DesktopEntryText("Tyazharnet.PROTOCOL", program, "/opt/T/", "/opt/T/icon.svg");
    EXPECT_TRUE(text.contains("\nExec=" + QString::fromUtf8(c.exec) + '\n')) << text.toStdString();
    const QString file = testing_sandbox::Path("t.desktop");
    testing_sandbox::WriteFile(file, text.toUtf8());
    EXPECT_EQ(setup_test::ValidateDesktopEntry(file), "");
  }
}

TEST(DesktopEntry, FolderAndIconKeepBackslashesAndLineBreaksAsEscapes) {
  const QString text =
      DesktopEntryText(QString::fromUtf8("Тяжарнет.ПРОТОКОЛ"), "/a\\b/p", "/a\\b/\n", "/a\\b/\ti.svg");
  EXPECT_EQ(text.toStdString(),
            "[Desktop Entry]\nType=Application\nName=Тяжарнет.ПРОТОКОЛ\nExec=\"/a\\\\\\\\b/p\"\n"
            "Path=/a\\\\b/\\n\nIcon=/a\\\\b/\\ti.svg\nTerminal=false\nCategories=Office;\n");
}

}  // namespace
