#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <ostream>

// Each test case runs in a fresh temporary folder. The registry store, HOME
// and the XDG folders point into it, so nothing reads or writes the
// developer's own files; the locale forms are pinned to dd.MM.yyyy and ",".
namespace testing_sandbox {

// The current test's temporary folder (no trailing separator).
QString Folder();
// Folder() + "/" + name.
QString Path(const QString& name);
// tests/data/<name> in the source tree.
QString DataPath(const QString& name);

// Reads and writes whole files (bytes).
QByteArray ReadFile(const QString& path);
void WriteFile(const QString& path, const QByteArray& bytes);

// Asks the condition again and again until it holds or timeoutMs have passed;
// true when it held. For a state that the kernel or another process settles
// some time after the event the test caused (a killed process turning into a
// zombie): such a state read once, right after the event, fails by chance.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 30000);

}  // namespace testing_sandbox

namespace testing_sandbox {
// Registers the per-test sandbox with GoogleTest (done by the test mains).
void InstallListener();
}  // namespace testing_sandbox

// Readable texts in test failure messages.
inline void PrintTo(const QString& text, std::ostream* os) {
  *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QStringList& list, std::ostream* os) {
  *os << '{';
  for (const QString& s : list) {
    *os << " \"" << s.toStdString() << '"';
  }
  *os << " }";
}
