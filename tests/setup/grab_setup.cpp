// Grabs the install window offscreen in each language, for the screenshots
// under docs/:
//   QT_QPA_PLATFORM=offscreen grab_setup <output folder>
// The window reads a registry store of its own under the output folder
// (nothing is written there) and proposes the folder of a user "secretary".
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTest>
#include <cstdio>

#include "setup/setup_form.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: grab_setup <output folder>\n");
    return 2;
  }
  const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  const QString root = out + "/grab-setup";
  QDir(root).removeRecursively();
  QDir().mkpath(root + "/registry");
  qputenv("HOME", "/home/secretary");
  qputenv("TYAZHAR_REGISTRY_ROOT", (root + "/registry").toUtf8());
  QApplication application(argc, argv);

  int failures = 0;
  TfrSetup window;
  window.show();
  QTest::qWait(50);
  for (const char* language : {"ru", "en"}) {
    window.cbLanguage->setCurrentIndex(qstrcmp(language, "en") == 0 ? 1 : 0);
    QTest::qWait(30);
    const QString file = out + "/setup-" + language + ".png";
    if (!window.grab().save(file)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
      ++failures;
    }
  }
  window.close();
  QDir(root).removeRecursively();
  return failures == 0 ? 0 : 1;
}
