#pragma once

#include <QByteArrayView>
#include <QFileDevice>
#include <QString>

// The files the installer carries inside its own file, by name: "TYAZHAR" the
// competition program of the same build, "NORMATIVE" the shipped
// Normative.xml, "ICON" the desktop entry's icon. Raises an internal error for
// any other name. The bytes live as long as the program.
QByteArrayView FindCarriedFile(const QString& name);

// rwxr-xr-x: the installed program and its desktop entry.
inline constexpr QFileDevice::Permissions kRunnablePermissions =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
    QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;

// Writes a carried file byte for byte to path, atomically, replacing a file
// there; executable gives it the run bits. Raises
// 'Cannot create file "<path>". <reason>' when it cannot be written.
void WriteCarriedFile(const QString& name, const QString& path, bool executable);
