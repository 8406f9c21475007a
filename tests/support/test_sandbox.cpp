#include "tests/support/test_sandbox.h"

#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <memory>

#include "platform/core/format_settings.h"

namespace testing_sandbox {
namespace {

std::unique_ptr<QTemporaryDir>& Current() {
  static std::unique_ptr<QTemporaryDir> dir;
  return dir;
}

class SandboxListener : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override {
    auto& dir = Current();
    dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/tyazhar-test-XXXXXX"));
    const QString root = dir->path();
    for (const char* sub : {"home", "config", "data", "cache", "desktop", "registry", "runtime"}) {
      QDir(root).mkpath(QString::fromLatin1(sub));
    }
    qputenv("HOME", (root + "/home").toUtf8());
    qputenv("XDG_CONFIG_HOME", (root + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (root + "/data").toUtf8());
    qputenv("XDG_CACHE_HOME", (root + "/cache").toUtf8());
    qputenv("XDG_DESKTOP_DIR", (root + "/desktop").toUtf8());
    qputenv("XDG_RUNTIME_DIR", (root + "/runtime").toUtf8());
    qputenv("TYAZHAR_REGISTRY_ROOT", (root + "/registry").toUtf8());
    QFile::setPermissions(root + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    SetFormatSettings(TFormatSettings{u',', QStringLiteral("dd.MM.yyyy")});
  }
  void OnTestEnd(const ::testing::TestInfo&) override { Current().reset(); }
};

}  // namespace

void InstallListener() {
  ::testing::UnitTest::GetInstance()->listeners().Append(new SandboxListener);
}

QString Folder() {
  return Current() ? Current()->path() : QString();
}

QString Path(const QString& name) {
  return Folder() + QLatin1Char('/') + name;
}

QString DataPath(const QString& name) {
  return QStringLiteral(TYAZHAR_TEST_DATA_DIR) + QLatin1Char('/') + name;
}

QByteArray ReadFile(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) {
    ADD_FAILURE() << "cannot read " << path.toStdString();
    return {};
  }
  return f.readAll();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    ADD_FAILURE() << "cannot write " << path.toStdString();
    return;
  }
  f.write(bytes);
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs) {
  const QDeadlineTimer deadline(timeoutMs);
  while (!condition()) {
    if (deadline.hasExpired()) {
      return false;
    }
    QThread::msleep(5);
  }
  return true;
}

}  // namespace testing_sandbox
