#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>
#include <optional>

// Writes a whole file through a temporary file that replaces the old one only
// once everything is on disk: a crash or a full disk mid-write leaves the old
// file as it was. Returns false and fills *error (when given) on failure.
// With permissions given, the new file has them from the moment it appears
// (the installer's program keeps its run bit); otherwise it keeps the old
// file's, or gets the usual ones for a new file.
bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr,
                         std::optional<QFileDevice::Permissions> permissions = std::nullopt);
