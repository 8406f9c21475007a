#pragma once

// The encodings a data packet may come in: ours (Windows-1251), UTF-8, and
// the ISO-8859-1 and US-ASCII that other programs declare.

#include <QByteArray>
#include <QString>

namespace table_packet {

// Brings a packet into the code page's form, so that its old versions can be
// written out again as they lie in the bytes, like any of ours. The reason
// when the bytes are not in the encoding declared; a declared encoding not
// known here is refused with a TPacketError.
QString ToCodePage(QByteArray& bytes);

}  // namespace table_packet
