#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// Windows-1251, the Cyrillic code page of the table files and INI files.
// Text lives in QString everywhere; this code page exists only at the file
// boundary. Byte 0x98, unassigned in the code page, maps to U+0098 so that
// every byte sequence survives a read and a write unchanged.
namespace cp1251 {

// The byte for a UTF-16 code unit, or -1 when the code page has none.
int EncodeChar(char16_t c);
char16_t DecodeByte(unsigned char b);

// Characters the code page cannot hold become '?'; *lossless (when given) is
// set to false if that happened.
QByteArray Encode(QStringView text, bool* lossless = nullptr);
QString Decode(QByteArrayView bytes);

}  // namespace cp1251
