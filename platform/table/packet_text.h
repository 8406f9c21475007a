#pragma once

// The byte forms of the data packet: the writer's buffer with the packet's
// text escapes, the decoding of attribute values, and the check that raw
// bytes are already in the writer's own form (so that old row versions can
// be written out again as they were read). Windows-1251 throughout; a packet
// in another encoding is brought into that form before it is read.

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringConverter>
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "platform/core/cp1251.h"

namespace table_packet {

// The packet's escape of each ASCII character, empty for one that stands for
// itself: the markup characters and the backslash have their own, and the
// control characters (tab, line feed and carriage return among them) are
// three-digit references, &#009; &#010; &#013;, as XML has no raw form of
// them. The writer makes these and the reader knows its own text by them.
inline constexpr std::array<char, 32 * 6> kControlEscapeBytes = [] {
  std::array<char, 32 * 6> t{};
  for (size_t c = 0; c < 32; ++c) {
    t[c * 6] = '&';
    t[c * 6 + 1] = '#';
    t[c * 6 + 2] = '0';
    t[c * 6 + 3] = char('0' + c / 10);
    t[c * 6 + 4] = char('0' + c % 10);
    t[c * 6 + 5] = ';';
  }
  return t;
}();
inline constexpr std::array<std::string_view, 128> kAsciiEscapes = [] {
  std::array<std::string_view, 128> t{};
  for (size_t c = 0; c < 32; ++c) {
    t[c] = std::string_view(kControlEscapeBytes.data() + c * 6, 6);
  }
  t['<'] = "&lt;";
  t['>'] = "&gt;";
  t['&'] = "&amp;";
  t['\''] = "&apos;";
  t['"'] = "&quot;";
  t['\\'] = "&#092;";
  return t;
}();

// A growing byte buffer without the per-append checks of QByteArray.
class TByteWriter {
 public:
  explicit TByteWriter(qsizetype reserve) { FData.resize(std::max<qsizetype>(reserve, 256)); }

  void Put(char c) {
    Reserve(1);
    *FPos++ = c;
  }
  void Put(const char* text, size_t n) {
    Reserve(qsizetype(n));
    std::memcpy(FPos, text, n);
    FPos += n;
  }
  template <size_t N>
  void Lit(const char (&text)[N]) {
    Put(text, N - 1);
  }
  void Put(const QByteArray& bytes) { Put(bytes.constData(), size_t(bytes.size())); }
  void Int(long long v) {
    Reserve(24);
    FPos = std::to_chars(FPos, FPos + 24, v).ptr;
  }
  // The C library's general form with 16 significant digits.
  void Float(double v) {
    Reserve(40);
    FPos = std::to_chars(FPos, FPos + 40, v, std::chars_format::general, 16).ptr;
  }
  void Date(const QDate& d) {
    int y = d.year();
    int m = d.month();
    int day = d.day();
    if (y < 0 || y > 9999) {
      // Out of the file form's four digits: written as it is and refused on
      // reading rather than turned silently into another day.
      Int(y);
    } else {
      Reserve(4);
      FPos[0] = char('0' + y / 1000);
      FPos[1] = char('0' + y / 100 % 10);
      FPos[2] = char('0' + y / 10 % 10);
      FPos[3] = char('0' + y % 10);
      FPos += 4;
    }
    Reserve(4);
    FPos[0] = char('0' + m / 10);
    FPos[1] = char('0' + m % 10);
    FPos[2] = char('0' + day / 10);
    FPos[3] = char('0' + day % 10);
    FPos += 4;
  }

  // Text as an attribute value: Windows-1251 with the packet's escapes; a
  // character the code page lacks becomes a character reference.
  void Text(const QString& s) { Chars(s, true); }
  // Markup as it stands (a whole document): only a character the code page
  // lacks becomes a character reference.
  void Markup(const QString& s) { Chars(s, false); }

  QByteArray Take() {
    FData.resize(FPos - FData.data());
    return std::move(FData);
  }

 private:
  void Chars(const QString& s, bool escape) {
    const QChar* p = s.constData();
    const qsizetype n = s.size();
    Reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
      const char16_t c = p[i].unicode();
      if (c >= 0x80) {
        NonAscii(p, n, i);
      } else if (escape && !kAsciiEscapes[c].empty()) {
        Put(kAsciiEscapes[c].data(), kAsciiEscapes[c].size());
      } else {
        Reserve(1);
        *FPos++ = char(c);
      }
    }
  }

  // The character at p[i], from U+0080 on: its byte in the code page, or its
  // reference; i moves past the second half of a surrogate pair.
  void NonAscii(const QChar* p, qsizetype n, qsizetype& i) {
    const char16_t c = p[i].unicode();
    if (c >= 0x0410 && c <= 0x044F) {
      Reserve(1);
      *FPos++ = char(0xC0 + (c - 0x0410));
      return;
    }
    const int b = cp1251::EncodeChar(c);
    if (b >= 0) {
      Reserve(1);
      *FPos++ = char(b);
      return;
    }
    char32_t code = c;
    if (QChar::isHighSurrogate(c) && i + 1 < n && p[i + 1].isLowSurrogate()) {
      code = QChar::surrogateToUcs4(c, p[i + 1].unicode());
      ++i;
    } else if (QChar::isSurrogate(c)) {
      // Half of a pair is no character, and its reference is no legal XML.
      return;
    }
    Lit("&#");
    Int(code);
    Put(';');
  }

  void Reserve(qsizetype n) {
    if (FPos == nullptr) {
      FPos = FData.data();
    }
    const qsizetype used = FPos - FData.data();
    if (used + n > FData.size()) {
      FData.resize(std::max(FData.size() * 2, used + n + 256));
      FPos = FData.data() + used;
    }
  }

  QByteArray FData;
  char* FPos = nullptr;
};

// Short byte strings (field names) compared without a library call: whole
// words, the last one overlapping the one before.
inline bool SameBytes(const char* a, const char* b, size_t n) {
  const auto word8 = [](const char* p) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
  };
  const auto word4 = [](const char* p) {
    uint32_t w;
    std::memcpy(&w, p, 4);
    return w;
  };
  if (n >= 8) {
    for (size_t i = 0; i + 8 < n; i += 8) {
      if (word8(a + i) != word8(b + i)) {
        return false;
      }
    }
    return word8(a + n - 8) == word8(b + n - 8);
  }
  if (n >= 4) {
    return word4(a) == word4(b) && word4(a + n - 4) == word4(b + n - 4);
  }
  for (size_t i = 0; i < n; ++i) {
    if (a[i] != b[i]) {
      return false;
    }
  }
  return true;
}

inline bool Is(std::string_view have, std::string_view want) {
  return have.size() == want.size() && SameBytes(have.data(), want.data(), want.size());
}

// Nonzero when one of the eight bytes of x is b.
inline uint64_t HasByte(uint64_t x, unsigned char b) {
  const uint64_t y = x ^ (0x0101010101010101ull * b);
  return (y - 0x0101010101010101ull) & ~y & 0x8080808080808080ull;
}

// An attribute value's text: Windows-1251 bytes with character references.
QString DecodeText(const char* p, size_t n);

// Whether raw attribute bytes are exactly what the writer makes of their text.
bool IsCanonicalText(const char* p, size_t n);

// A packet in another encoding (UTF-8, ISO-8859-1) in the form the reader
// takes: Windows-1251, with a reference for each character the code page
// lacks, as the writer would have put it. False when the bytes are not in
// that encoding.
bool PacketToCodePage(QStringConverter::Encoding encoding, const QByteArray& bytes, QByteArray& out);

}  // namespace table_packet
