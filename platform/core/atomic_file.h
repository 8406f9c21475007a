#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <optional>

// Writes a whole file through a temporary file beside it that is written,
// synced to the disk and only then renamed over the old one; the folder is
// synced after the rename. A full disk or a size limit anywhere before the
// rename leaves the old file byte for byte as it was and no temporary file
// behind. A crash or a kill leaves the old file too, and may leave the
// temporary file, named "<file's name>.tyazharnet-<6 letters or digits>.tmp":
// each write removes such leftovers of its own file first (never the file of
// a write still going on in another process).
//
// An existing file that the user may not write (mode 0444, also for root) is
// not replaced: that fails with the system's "Permission denied".
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

// Removes the leftover temporary files of interrupted writes (see above) of
// every file in the folder, and nothing else; for the start-up.
void RemoveLeftoverTemporaryFiles(const QString& folder);

// How a failed write is told: 'Cannot create file "<path>". <reason>'.
QString CannotCreateFileMessage(const QString& path, const QString& reason);
