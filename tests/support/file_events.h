#pragma once

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <QFile>
#include <QHash>
#include <QString>
#include <QStringList>

// The files that come into being in a folder, as the kernel tells: a file
// written atomically comes when it is renamed into place, so each such write
// counts once. The kernel queues the events as the calls happen, so what has
// been done is there to read at once.
class TFileEvents {
 public:
  explicit TFileEvents(const QString& folder) {
    FFd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    EXPECT_GE(FFd, 0);
    EXPECT_GE(inotify_add_watch(FFd, QFile::encodeName(folder).constData(), IN_CREATE | IN_MOVED_TO), 0);
  }
  ~TFileEvents() { close(FFd); }
  TFileEvents(const TFileEvents&) = delete;
  TFileEvents& operator=(const TFileEvents&) = delete;

  // Files ending so, each once, in the order of their first appearance.
  QStringList Names(const QString& ending) {
    Read();
    QStringList names;
    for (const QString& name : FOrder) {
      if (name.endsWith(ending)) {
        names << name;
      }
    }
    return names;
  }
  // How often a file of that name came into being (was written) so far.
  int Count(const QString& name) {
    Read();
    return FCounts.value(name);
  }

 private:
  void Read() {
    alignas(inotify_event) char buffer[64 * 1024];
    for (;;) {
      const ssize_t length = read(FFd, buffer, sizeof buffer);
      if (length <= 0) {
        break;
      }
      for (ssize_t offset = 0; offset < length;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
        const QString name = event->len > 0 ? QFile::decodeName(event->name) : QString();
        if (!FCounts.contains(name)) {
          FOrder << name;
        }
        ++FCounts[name];
        offset += ssize_t(sizeof(inotify_event)) + event->len;
      }
    }
  }

  int FFd = -1;
  QStringList FOrder;
  QHash<QString, int> FCounts;
};
