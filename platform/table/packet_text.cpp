#include "platform/table/packet_text.h"

#include <QStringDecoder>
#include <array>
#include <cstdio>

namespace table_packet {
namespace {

// Decodes the entity at p[0] == '&' into its code point; returns the bytes
// it took, 0 when it is no entity (the ampersand then stands for itself).
size_t DecodeEntity(const char* p, size_t n, char32_t& code) {
  size_t semi = 1;
  while (semi < n && semi < 12 && p[semi] != ';') {
    ++semi;
  }
  if (semi >= n || p[semi] != ';') {
    return 0;
  }
  const char* name = p + 1;
  const size_t len = semi - 1;
  auto is = [&](const char* word) { return std::strlen(word) == len && std::memcmp(name, word, len) == 0; };
  if (is("lt")) {
    code = U'<';
  } else if (is("gt")) {
    code = U'>';
  } else if (is("amp")) {
    code = U'&';
  } else if (is("apos")) {
    code = U'\'';
  } else if (is("quot")) {
    code = U'"';
  } else if (len >= 2 && name[0] == '#') {
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const char* first = name + (hex ? 2 : 1);
    const char* last = name + len;
    uint32_t value = 0;
    const auto res = std::from_chars(first, last, value, hex ? 16 : 10);
    if (first == last || res.ec != std::errc() || res.ptr != last || value > 0x10FFFF) {
      return 0;
    }
    code = char32_t(value);
  } else {
    return 0;
  }
  return semi + 1;
}

// Whether the bytes are the very escape the writer makes for the code point.
bool IsCanonicalEscape(std::string_view have, char32_t code) {
  if (code < 0x80) {
    return have == kAsciiEscapes[code];  // empty for a character written as itself
  }
  if (QChar::isSurrogate(code) || (code <= 0xFFFF && cp1251::EncodeChar(char16_t(code)) >= 0)) {
    return false;  // never written, or written as the character itself
  }
  char expected[16];
  std::snprintf(expected, sizeof expected, "&#%u;", unsigned(code));
  return have == expected;
}

// The upper half of the code page, looked up inline in the hot loop.
const std::array<char16_t, 128>& HighHalf() {
  static const std::array<char16_t, 128> table = [] {
    std::array<char16_t, 128> t{};
    for (int b = 0; b < 128; ++b) {
      t[size_t(b)] = cp1251::DecodeByte(static_cast<unsigned char>(0x80 + b));
    }
    return t;
  }();
  return table;
}

// Bytes the writer never leaves raw in a text (1), and the ampersand (2).
const std::array<unsigned char, 256>& TextByteClasses() {
  static const std::array<unsigned char, 256> table = [] {
    std::array<unsigned char, 256> t{};
    for (size_t c = 0; c < kAsciiEscapes.size(); ++c) {
      t[c] = kAsciiEscapes[c].empty() ? 0 : 1;
    }
    t['&'] = 2;
    return t;
  }();
  return table;
}

}  // namespace

bool IsCanonicalText(const char* p, size_t n) {
  // Eight bytes at a time while none of them needs a closer look: none has
  // an escape in kAsciiEscapes.
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t x;
    std::memcpy(&x, p + i, 8);
    const uint64_t low = (x - 0x2020202020202020ull) & ~x & 0x8080808080808080ull;  // a byte below 0x20
    if (low | HasByte(x, '"') | HasByte(x, '&') | HasByte(x, '\'') | HasByte(x, '<') | HasByte(x, '>') |
        HasByte(x, '\\')) {
      break;
    }
  }
  const std::array<unsigned char, 256>& classes = TextByteClasses();
  for (; i < n; ++i) {
    const unsigned char k = classes[static_cast<unsigned char>(p[i])];
    if (k == 0) {
      continue;
    }
    if (k == 1) {
      return false;
    }
    {
      char32_t code = 0;
      const size_t used = DecodeEntity(p + i, n - i, code);
      if (used == 0 || !IsCanonicalEscape(std::string_view(p + i, used), code)) {
        return false;
      }
      i += used - 1;
    }
  }
  return true;
}

QString DecodeText(const char* p, size_t n) {
  const std::array<char16_t, 128>& high = HighHalf();
  QString out(qsizetype(n), Qt::Uninitialized);
  QChar* d = out.data();
  QChar* const start = d;
  for (size_t i = 0; i < n;) {
    const unsigned char b = static_cast<unsigned char>(p[i]);
    if (b == '&') {
      // An entity never decodes to more characters than it has bytes.
      char32_t code = 0;
      const size_t used = DecodeEntity(p + i, n - i, code);
      if (used > 0) {
        if (code > 0xFFFF) {
          *d++ = QChar(QChar::highSurrogate(code));
          *d++ = QChar(QChar::lowSurrogate(code));
        } else {
          *d++ = QChar(char16_t(code));
        }
        i += used;
        continue;
      }
    }
    if (b == '\r' || b == '\n' || b == '\t') {
      // XML reads raw line breaks and tabs in an attribute as blanks (a line
      // break pair as one); the writer escapes them, so only other writers'
      // files have them.
      *d++ = QChar(u' ');
      i += (b == '\r' && i + 1 < n && p[i + 1] == '\n') ? 2 : 1;
      continue;
    }
    *d++ = QChar(b < 0x80 ? char16_t(b) : high[b - 0x80]);
    ++i;
  }
  out.truncate(d - start);
  return out;
}

bool PacketToCodePage(QStringConverter::Encoding encoding, const QByteArray& bytes, QByteArray& out) {
  QStringDecoder decoder(encoding);
  const QString text = decoder(bytes);
  if (decoder.hasError()) {
    return false;
  }
  TByteWriter w(bytes.size());
  w.Markup(text);
  out = w.Take();
  return true;
}

}  // namespace table_packet
