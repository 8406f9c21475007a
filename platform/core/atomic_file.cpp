#include "platform/core/atomic_file.h"

#include <QSaveFile>

bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error,
                         std::optional<QFileDevice::Permissions> permissions) {
  QSaveFile file(path);
  // Without this, a folder that forbids creating the temporary file would make
  // QSaveFile fall back to writing the target in place.
  file.setDirectWriteFallback(false);
  if (!file.open(QIODevice::WriteOnly)) {
    if (error) {
      *error = file.errorString();
    }
    return false;
  }
  // Set on the temporary file, so the file never shows up without them.
  if (permissions && !file.setPermissions(*permissions)) {
    if (error) {
      *error = file.errorString();
    }
    file.cancelWriting();
    return false;
  }
  if (file.write(data) != data.size()) {
    if (error) {
      *error = file.errorString();
    }
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) {
    if (error) {
      *error = file.errorString();
    }
    return false;
  }
  return true;
}
