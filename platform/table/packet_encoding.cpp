#include "platform/table/packet_encoding.h"

#include <strings.h>

#include <algorithm>
#include <string_view>

#include "platform/core/fmt.h"
#include "platform/table/packet_text.h"
#include "platform/table/xml_scanner.h"

namespace table_packet {
namespace {

enum class TPacketEncoding { Windows1251, Utf8, Latin1, Ascii };

// The encoding a packet is read in: the one its declaration names (a name
// not known here is refused rather than guessed at), else UTF-8 when it
// starts with the byte-order mark, else Windows-1251, the form we write.
// Other programs' packets often declare US-ASCII or ISO-8859-1, under any of
// their registered names.
TPacketEncoding EncodingOf(const QByteArray& bytes) {
  const std::string_view declared =
      DeclaredEncoding(std::string_view(bytes.constData(), size_t(bytes.size())));
  if (declared.empty()) {
    return bytes.startsWith("\xEF\xBB\xBF") ? TPacketEncoding::Utf8 : TPacketEncoding::Windows1251;
  }
  static const struct {
    std::string_view Name;
    TPacketEncoding Encoding;
  } kNames[] = {
      {"windows-1251", TPacketEncoding::Windows1251},
      {"cp1251", TPacketEncoding::Windows1251},
      {"x-cp1251", TPacketEncoding::Windows1251},
      {"utf-8", TPacketEncoding::Utf8},
      {"utf8", TPacketEncoding::Utf8},
      {"iso-8859-1", TPacketEncoding::Latin1},
      {"iso_8859-1", TPacketEncoding::Latin1},
      {"iso_8859-1:1987", TPacketEncoding::Latin1},
      {"iso8859-1", TPacketEncoding::Latin1},
      {"iso-ir-100", TPacketEncoding::Latin1},
      {"latin1", TPacketEncoding::Latin1},
      {"latin-1", TPacketEncoding::Latin1},
      {"l1", TPacketEncoding::Latin1},
      {"ibm819", TPacketEncoding::Latin1},
      {"cp819", TPacketEncoding::Latin1},
      {"csisolatin1", TPacketEncoding::Latin1},
      {"us-ascii", TPacketEncoding::Ascii},
      {"ascii", TPacketEncoding::Ascii},
      {"us", TPacketEncoding::Ascii},
      {"ansi_x3.4-1968", TPacketEncoding::Ascii},
      {"ansi_x3.4-1986", TPacketEncoding::Ascii},
      {"iso-ir-6", TPacketEncoding::Ascii},
      {"iso_646.irv:1991", TPacketEncoding::Ascii},
      {"iso646-us", TPacketEncoding::Ascii},
      {"ibm367", TPacketEncoding::Ascii},
      {"cp367", TPacketEncoding::Ascii},
      {"csascii", TPacketEncoding::Ascii},
  };
  for (const auto& known : kNames) {
    if (declared.size() == known.Name.size() &&
        strncasecmp(declared.data(), known.Name.data(), known.Name.size()) == 0) {
      return known.Encoding;
    }
  }
  throw TPacketError{Fmt(QStringLiteral("the encoding '%s' is not supported"),
                         {QString::fromLatin1(declared.data(), qsizetype(declared.size()))})};
}

}  // namespace

QString ToCodePage(QByteArray& bytes) {
  switch (EncodingOf(bytes)) {
    case TPacketEncoding::Windows1251:
      break;
    case TPacketEncoding::Ascii:
      // The lower half of the code page as it is; a byte above it is no
      // ASCII, whatever it would mean elsewhere.
      if (std::any_of(bytes.cbegin(), bytes.cend(),
                      [](char c) { return static_cast<unsigned char>(c) > 0x7F; })) {
        return QStringLiteral("the file is not valid US-ASCII");
      }
      break;
    case TPacketEncoding::Utf8:
      if (!PacketToCodePage(QStringConverter::Utf8, QByteArray(bytes), bytes)) {
        return QStringLiteral("the file is not valid UTF-8");
      }
      break;
    case TPacketEncoding::Latin1:
      // Every byte is a character of ISO-8859-1.
      PacketToCodePage(QStringConverter::Latin1, QByteArray(bytes), bytes);
      break;
  }
  return QString();
}

}  // namespace table_packet
