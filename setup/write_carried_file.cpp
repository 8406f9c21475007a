#include <QFileDevice>

#include "platform/core/atomic_file.h"
#include "platform/core/exception.h"
#include "setup/carried_files.h"

void WriteCarriedFile(const QString& name, const QString& path, bool executable) {
  const QByteArrayView bytes = FindCarriedFile(name);
  std::optional<QFileDevice::Permissions> permissions;
  if (executable) {
    permissions = kRunnablePermissions;
  }
  QString reason;
  // No copy: the bytes stay where the program carries them.
  if (!WriteFileAtomically(path, QByteArray::fromRawData(bytes.data(), bytes.size()), &reason, permissions)) {
    throw Exception(CannotCreateFileMessage(path, reason));
  }
}
