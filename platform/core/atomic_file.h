#pragma once

#include <QByteArray>
#include <QString>

// Writes a whole file through a temporary file that replaces the old one only
// once everything is on disk: a crash or a full disk mid-write leaves the old
// file as it was. Returns false and fills *error (when given) on failure.
bool WriteFileAtomically(const QString& path, const QByteArray& data, QString* error = nullptr);
