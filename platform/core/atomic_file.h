#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <optional>

// Writes a whole file through a temporary file beside it that is written,
// synced to the disk and only then renamed over the old one; the folder is
// synced after the rename. A crash, a full disk or a size limit anywhere
// before the rename leaves the old file byte for byte as it was and no
// temporary file behind.
//
// Returns false and fills *error (when given) with the system's reason for
// the step that failed ("No space left on device", "File too large"); the
// callers put the file's name in front. Only a failure to sync the folder
// comes after the rename: the new file is then in place, but a crash might
// still undo the rename, so it is reported like any other failure.
//
// With permissions given, the new file has them from the moment it appears
// (the installer's program keeps its run bit); otherwise it keeps the old
// file's, or gets the usual ones for a new file. A symbolic link stays and
// the file it points to is replaced.
bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr,
                         std::optional<QFileDevice::Permissions> permissions = std::nullopt);

// How a failed write is told: 'Cannot create file "<path>". <reason>'.
QString CannotCreateFileMessage(const QString& path, const QString& reason);
