// The XML data packet: a byte-exact writer and a single-pass reader. The
// reader scans the XML itself (strictly: a file that is not well-formed is
// refused) and turns attribute values into field values as it meets them;
// a general parser building a document tree first spends more time walking
// that tree than parsing. Attribute values are decoded in one pass from
// Windows-1251 with the character references, so that a reference (&#1040;)
// and a raw byte of the code page never mix.
#include <strings.h>

#include <QByteArray>
#include <QHash>
#include <QScopeGuard>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string_view>

#include "platform/core/atomic_file.h"
#include "platform/core/cp1251.h"
#include "platform/core/fmt.h"
#include "platform/table/client_dataset_impl.h"
#include "platform/table/filter.h"
#include "platform/table/value.h"

namespace {

using namespace table_value;

// ---------------------------------------------------------------------------
// Writing

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
  void Text(const QString& s) {
    const QChar* p = s.constData();
    const qsizetype n = s.size();
    Reserve(n);
    for (qsizetype i = 0; i < n; ++i) {
      const char16_t c = p[i].unicode();
      if (c < 0x80) {
        switch (c) {
          case u'<':
            Lit("&lt;");
            continue;
          case u'>':
            Lit("&gt;");
            continue;
          case u'&':
            Lit("&amp;");
            continue;
          case u'\'':
            Lit("&apos;");
            continue;
          case u'"':
            Lit("&quot;");
            continue;
          case u'\\':
            Lit("&#092;");
            continue;
          default:
            break;
        }
        if (c < 0x20) {
          // Tab, line feed and carriage return as &#009; &#010; &#013;; the
          // other control characters the same way, as XML has no raw form.
          Reserve(6);
          FPos[0] = '&';
          FPos[1] = '#';
          FPos[2] = '0';
          FPos[3] = char('0' + c / 10);
          FPos[4] = char('0' + c % 10);
          FPos[5] = ';';
          FPos += 6;
          continue;
        }
        Reserve(1);
        *FPos++ = char(c);
        continue;
      }
      if (c >= 0x0410 && c <= 0x044F) {
        Reserve(1);
        *FPos++ = char(0xC0 + (c - 0x0410));
        continue;
      }
      const int b = cp1251::EncodeChar(c);
      if (b >= 0) {
        Reserve(1);
        *FPos++ = char(b);
        continue;
      }
      char32_t code = c;
      if (QChar::isHighSurrogate(c) && i + 1 < n && p[i + 1].isLowSurrogate()) {
        code = QChar::surrogateToUcs4(c, p[i + 1].unicode());
        ++i;
      } else if (QChar::isSurrogate(c)) {
        // Half of a pair is no character, and its reference is no legal XML.
        continue;
      }
      Lit("&#");
      Int(code);
      Put(';');
    }
  }

  QByteArray Take() {
    FData.resize(FPos - FData.data());
    return std::move(FData);
  }

 private:
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

// ---------------------------------------------------------------------------
// Reading

bool FieldTypeOfWord(const char* word, TFieldType& type) {
  static const struct {
    const char* Word;
    TFieldType Type;
  } kTypes[] = {{"string", TFieldType::ftString},
                {"i4", TFieldType::ftInteger},
                {"r8", TFieldType::ftFloat},
                {"boolean", TFieldType::ftBoolean},
                {"date", TFieldType::ftDate}};
  for (const auto& t : kTypes) {
    if (std::strcmp(word, t.Word) == 0) {
      type = t.Type;
      return true;
    }
  }
  return false;
}

void AppendCodePoint(QString& out, char32_t code) {
  if (code > 0xFFFF) {
    out += QChar(QChar::highSurrogate(code));
    out += QChar(QChar::lowSurrogate(code));
  } else {
    out += QChar(char16_t(code));
  }
}

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

// Decodes the entity at p[0] == '&' into its code point; returns the bytes
// it took, 0 when it is no entity (the ampersand then stands for itself).
size_t DecodeEntityCode(const char* p, size_t n, char32_t& code) {
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

size_t DecodeEntity(const char* p, size_t n, QString& out) {
  char32_t code = 0;
  const size_t used = DecodeEntityCode(p, n, code);
  if (used > 0) {
    AppendCodePoint(out, code);
  }
  return used;
}

// Whether p[0..used) is the very escape the writer makes for the code point.
bool IsCanonicalEscape(const char* p, size_t used, char32_t code) {
  const std::string_view have(p, used);
  switch (code) {
    case U'<':
      return Is(have, "&lt;");
    case U'>':
      return Is(have, "&gt;");
    case U'&':
      return Is(have, "&amp;");
    case U'\'':
      return Is(have, "&apos;");
    case U'"':
      return Is(have, "&quot;");
    case U'\\':
      return Is(have, "&#092;");
    default:
      break;
  }
  char expected[16];
  if (code < 0x20) {
    std::snprintf(expected, sizeof expected, "&#0%02u;", unsigned(code));
    return have == expected;
  }
  if (code < 0x80 || (code <= 0xFFFF && cp1251::EncodeChar(char16_t(code)) >= 0)) {
    return false;  // written as the character itself
  }
  if (QChar::isSurrogate(code)) {
    return false;  // never written
  }
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

QString DecodeText(const char* p, size_t n) {
  const std::array<char16_t, 128>& high = HighHalf();
  QString out(qsizetype(n), Qt::Uninitialized);
  QChar* d = out.data();
  QChar* const start = d;
  for (size_t i = 0; i < n;) {
    const unsigned char b = static_cast<unsigned char>(p[i]);
    if (b == '&') {
      // An entity never decodes to more characters than it has bytes.
      QString decoded;
      const size_t used = DecodeEntity(p + i, n - i, decoded);
      if (used > 0) {
        for (QChar c : decoded) {
          *d++ = c;
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

// Bytes the writer never leaves raw in a text (1), and the ampersand (2).
const std::array<unsigned char, 256>& TextByteClasses() {
  static const std::array<unsigned char, 256> table = [] {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 0x20; ++c) {
      t[size_t(c)] = 1;
    }
    for (unsigned char c : {'"', '<', '>', '\'', '\\'}) {
      t[c] = 1;
    }
    t['&'] = 2;
    return t;
  }();
  return table;
}

// Raw attribute bytes that are exactly what the writer makes of their text.
inline uint64_t HasByte(uint64_t x, unsigned char b) {
  const uint64_t y = x ^ (0x0101010101010101ull * b);
  return (y - 0x0101010101010101ull) & ~y & 0x8080808080808080ull;
}

bool IsCanonicalText(const char* p, size_t n) {
  // Eight bytes at a time while none of them needs a closer look.
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
      const size_t used = DecodeEntityCode(p + i, n - i, code);
      if (used == 0 || !IsCanonicalEscape(p + i, used, code)) {
        return false;
      }
      i += used - 1;
    }
  }
  return true;
}

// Every version holds the whole record, so a file repeats its texts (teams,
// coaches, the unchanged names of edited rows) over and over; one shared
// copy of each keeps loading and memory in proportion to the distinct texts.
// The texts come out as the field stores them: a packet of a wider field
// than the table's (another program's, an older definition) is cut to the
// table's width, as an assignment would cut it.
class TTextPool {
 public:
  explicit TTextPool(int width) : FSlots(64), FWidth(width) {}

  // The text stays valid until the next call.
  const QString& Get(const char* p, size_t n) {
    const uint64_t h = Hash(p, n);
    const size_t mask = FSlots.size() - 1;
    for (size_t i = size_t(h) & mask;; i = (i + 1) & mask) {
      TSlot& slot = FSlots[i];
      if (slot.Key.data() == nullptr) {
        if (FUsed >= kLimit) {
          FSpare = Decode(p, n);
          return FSpare;
        }
        slot = {h, std::string_view(p, n), Decode(p, n)};
        if (++FUsed * 2 <= FSlots.size()) {
          return slot.Text;
        }
        Grow();
        return Get(p, n);
      }
      if (slot.Hash == h && slot.Key.size() == n && std::memcmp(slot.Key.data(), p, n) == 0) {
        return slot.Text;
      }
    }
  }

 private:
  // Eight bytes a step, mixed by multiplication: keys are short texts.
  static uint64_t Hash(const char* p, size_t n) {
    uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
    while (n >= 8) {
      uint64_t w;
      std::memcpy(&w, p, 8);
      h = (h ^ w) * 0xFF51AFD7ED558CCDull;
      h ^= h >> 32;
      p += 8;
      n -= 8;
    }
    uint64_t w = 0;
    std::memcpy(&w, p, n);
    h = (h ^ w) * 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 29);
  }

  struct TSlot {
    uint64_t Hash = 0;
    std::string_view Key;  // points into the packet being read, which outlives the pool
    QString Text;
  };
  void Grow() {
    std::vector<TSlot> old(FSlots.size() * 2);
    old.swap(FSlots);
    const size_t mask = FSlots.size() - 1;
    for (TSlot& slot : old) {
      if (slot.Key.data() != nullptr) {
        size_t i = size_t(slot.Hash) & mask;
        while (FSlots[i].Key.data() != nullptr) {
          i = (i + 1) & mask;
        }
        FSlots[i] = std::move(slot);
      }
    }
  }
  QString Decode(const char* p, size_t n) const { return FitText(DecodeText(p, n), FWidth); }

  static constexpr size_t kLimit = 1 << 15;
  std::vector<TSlot> FSlots;
  int FWidth;
  size_t FUsed = 0;
  QString FSpare;
};

// Whether raw scalar text is the writer's own form of the value read from
// it. A character reference in one never is.
inline bool HasReference(const char* p, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (p[i] == '&') {
      return true;
    }
  }
  return false;
}
// (The text has read as a decimal already: only a sign or zeros can differ.)
bool IsCanonicalScalar(int, const char* p, size_t n) {
  const size_t sign = p[0] == '-' ? 1 : 0;
  return !HasReference(p, n) && (p[sign] != '0' || (n == 1 && sign == 0));
}
// Formatting every float of every old version again to compare it would cost
// more than the rest of the load; a float that reads is kept as written.
bool IsCanonicalScalar(double, const char* p, size_t n) {
  return !HasReference(p, n);
}
bool IsCanonicalScalar(bool x, const char* p, size_t n) {
  return x ? std::string_view(p, n) == "TRUE" : std::string_view(p, n) == "FALSE";
}
bool IsCanonicalScalar(const QDate&, const char* p, size_t n) {
  return !HasReference(p, n);
}

// A signed 32-bit decimal, the whole text: the file form of an integer.
inline bool ParseDecimal(const char* p, size_t n, int& value) {
  const bool negative = n > 0 && p[0] == '-';
  size_t i = negative ? 1 : 0;
  if (i == n || n - i > 10) {
    return false;
  }
  int64_t v = 0;
  for (; i < n; ++i) {
    const unsigned d = unsigned(p[i] - '0');
    if (d > 9) {
      return false;
    }
    v = v * 10 + d;
  }
  if (negative) {
    v = -v;
  }
  if (v < INT32_MIN || v > INT32_MAX) {
    return false;
  }
  value = int(v);
  return true;
}

inline bool IsRowState(std::string_view name) {
  return name.size() == 8 && SameBytes(name.data(), "RowState", 8);
}

// A field name becomes an attribute name of every ROW: it has to be one, and
// one the code page can hold, or the file written from it would not read.
bool IsAttributeName(const QString& name) {
  if (name.isEmpty() || name.compare(u"RowState", Qt::CaseInsensitive) == 0) {
    return false;
  }
  for (qsizetype i = 0; i < name.size(); ++i) {
    const QChar c = name[i];
    const bool ok = c.isLetter() || c == u'_' || (i > 0 && (c.isDigit() || c == u'-' || c == u'.'));
    if (!ok || cp1251::EncodeChar(c.unicode()) < 0) {
      return false;
    }
  }
  return true;
}

struct TPacketField {
  QString Name;
  QByteArray RawName;  // as the ROW attributes spell it
  QByteArray TypeWord;
  bool Known = false;
  TFieldType Type = TFieldType::ftString;
  int Width = 0;
  int Slot = -1;  // the table's record position; -1: not kept
  const TField* Field = nullptr;
  std::shared_ptr<TTextPool> Pool;  // text fields: their repeated values
};

// ---- The XML scanner ----

struct TPacketError {
  QString Reason;
};

struct TAttr {
  std::string_view Name;
  std::string_view Value;
};

inline bool IsXmlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
// Bit 1: may start a name; bit 2: may go on in one.
const std::array<unsigned char, 256>& NameClasses() {
  static const std::array<unsigned char, 256> table = [] {
    std::array<unsigned char, 256> t{};
    for (int c = 0; c < 256; ++c) {
      const bool start =
          (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
      const bool part = start || (c >= '0' && c <= '9') || c == '-' || c == '.';
      t[size_t(c)] = static_cast<unsigned char>((start ? 1 : 0) | (part ? 2 : 0));
    }
    return t;
  }();
  return table;
}
inline bool IsNameStart(unsigned char c) {
  return NameClasses()[c] & 1;
}
inline bool IsNameChar(unsigned char c) {
  return NameClasses()[c] & 2;
}

// Walks a document element by element and hands each start tag, with the
// names of the elements it is in, to the caller. The data must be followed
// by a zero byte. Text, comments, processing
// instructions and CDATA are passed over; anything not well-formed stops it.
class TXmlScanner {
 public:
  TXmlScanner(const char* data, size_t size) : FData(data), FSize(size) {}

  template <typename OnElement>
  void Scan(OnElement&& onElement) {
    if (FSize >= 3 && std::memcmp(FData, "\xEF\xBB\xBF", 3) == 0) {
      FPos = 3;
    }
    bool rootSeen = false;
    while (FPos < FSize) {
      // Elements usually follow each other directly: no search for those.
      const char* lt = FData[FPos] == '<'
                           ? FData + FPos
                           : static_cast<const char*>(std::memchr(FData + FPos, '<', FSize - FPos));
      const size_t textEnd = lt ? size_t(lt - FData) : FSize;
      if (FStack.empty()) {
        for (size_t i = FPos; i < textEnd; ++i) {
          if (!IsXmlSpace(FData[i])) {
            Fail(rootSeen ? "text after the root element" : "text before the root element", i);
          }
        }
      }
      if (!lt) {
        FPos = FSize;
        break;
      }
      FPos = textEnd;
      const char next = FPos + 1 < FSize ? FData[FPos + 1] : '\0';
      if (next != '?' && next != '!' && next != '/') {
        StartTag(rootSeen, onElement);
      } else if (Starts("<?")) {
        Skip("?>", 2);
      } else if (Starts("<!--")) {
        Skip("-->", 4);
      } else if (Starts("<![CDATA[")) {
        if (FStack.empty()) {
          Fail("CDATA outside the root element", FPos);
        }
        Skip("]]>", 9);
      } else if (Starts("<!")) {
        if (rootSeen) {
          Fail("a declaration inside the document", FPos);
        }
        SkipDeclaration();
      } else if (Starts("</")) {
        FPos += 2;
        const std::string_view name = Name();
        SkipSpace();
        Expect('>');
        if (FStack.empty() || FStack.back() != name) {
          Fail("start and end tags do not match", FPos);
        }
        FStack.pop_back();
      }
    }
    if (!FStack.empty()) {
      Fail("unexpected end of data", FSize);
    }
    if (!rootSeen) {
      Fail("no root element", FSize);
    }
  }

 private:
  template <typename OnElement>
  void StartTag(bool& rootSeen, OnElement& onElement) {
    if (rootSeen && FStack.empty()) {
      Fail("a second root element", FPos);
    }
    rootSeen = true;
    ++FPos;
    const std::string_view name = Name();
    FAttrs.clear();
    bool empty = false;
    for (;;) {
      const bool spaced = SkipSpace();
      if (FPos >= FSize) {
        Fail("unexpected end of data", FPos);
      }
      if (FData[FPos] == '/') {
        ++FPos;
        Expect('>');
        empty = true;
        break;
      }
      if (FData[FPos] == '>') {
        ++FPos;
        break;
      }
      if (!spaced) {
        Fail("attributes must be separated by blanks", FPos);
      }
      const std::string_view attrName = Name();
      SkipSpace();
      Expect('=');
      SkipSpace();
      if (FPos >= FSize || (FData[FPos] != '"' && FData[FPos] != '\'')) {
        Fail("an attribute value must be quoted", FPos);
      }
      const char quote = FData[FPos++];
      // Values are short: eight bytes a step beats a library search here.
      const char* close = FData + FPos;
      const char* const end = FData + FSize;
      while (end - close >= 8) {
        uint64_t w;
        std::memcpy(&w, close, 8);
        if (HasByte(w, static_cast<unsigned char>(quote))) {
          break;
        }
        close += 8;
      }
      while (close < end && *close != quote) {
        ++close;
      }
      if (close == end) {
        Fail("unexpected end of data", FSize);
      }
      // A raw '<' in a value is let through: nothing here can mistake it.
      const size_t length = size_t(close - (FData + FPos));
      FAttrs.push_back({attrName, std::string_view(FData + FPos, length)});
      FPos += length + 1;
    }
    FStack.push_back(name);
    onElement(FStack, FAttrs);
    if (empty) {
      FStack.pop_back();
    }
  }

  [[noreturn]] void Fail(const char* reason, size_t at) const {
    throw TPacketError{
        Fmt(QStringLiteral("%s at byte %d"), {QString::fromLatin1(reason), QString::number(at)})};
  }
  bool Starts(const char* text) const {
    const size_t n = std::strlen(text);
    return FSize - FPos >= n && std::memcmp(FData + FPos, text, n) == 0;
  }
  void Skip(const char* terminator, size_t openLength) {
    const std::string_view rest(FData + FPos + openLength, FSize - FPos - openLength);
    const size_t at = rest.find(terminator);
    if (at == std::string_view::npos) {
      Fail("unexpected end of data", FSize);
    }
    FPos += openLength + at + std::strlen(terminator);
  }
  void SkipDeclaration() {
    // <!DOCTYPE ...> with an internal subset in brackets, which may hold '>'.
    int brackets = 0;
    for (size_t i = FPos + 2; i < FSize; ++i) {
      const char c = FData[i];
      if (c == '[') {
        ++brackets;
      } else if (c == ']') {
        --brackets;
      } else if (c == '>' && brackets <= 0) {
        FPos = i + 1;
        return;
      }
    }
    Fail("unexpected end of data", FSize);
  }
  bool SkipSpace() {
    const size_t start = FPos;
    while (IsXmlSpace(FData[FPos])) {
      ++FPos;
    }
    return FPos > start;
  }
  void Expect(char c) {
    if (FPos >= FSize) {
      Fail("unexpected end of data", FPos);
    }
    if (FData[FPos] != c) {
      Fail("malformed tag", FPos);
    }
    ++FPos;
  }
  std::string_view Name() {
    const size_t start = FPos;
    if (FPos >= FSize) {
      Fail("unexpected end of data", FPos);
    }
    if (!IsNameStart(static_cast<unsigned char>(FData[FPos]))) {
      Fail("malformed name", FPos);
    }
    // The zero after the last byte is no name character: no bounds test needed.
    while (IsNameChar(static_cast<unsigned char>(FData[FPos]))) {
      ++FPos;
    }
    return std::string_view(FData + start, FPos - start);
  }

  const char* FData;
  size_t FSize;
  size_t FPos = 0;
  std::vector<std::string_view> FStack;
  std::vector<TAttr> FAttrs;
};

const TAttr* FindAttr(const std::vector<TAttr>& attrs, std::string_view name) {
  for (const TAttr& a : attrs) {
    if (a.Name == name) {
      return &a;
    }
  }
  return nullptr;
}

}  // namespace

QByteArray TClientDataSet::TImpl::PacketBytes() const {
  qsizetype estimate = 256 + qsizetype(DataFields.size()) * 64 + qsizetype(Log.size()) * 6;
  for (const TRowVersion& v : Versions) {
    estimate += 24 + qsizetype(v.Values.size()) * 12;
  }
  TByteWriter w(estimate);
  w.Lit("<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>");
  std::vector<QByteArray> names;
  names.reserve(DataFields.size());
  for (const TField* f : DataFields) {
    w.Lit("<FIELD attrname=\"");
    w.Text(f->FieldName());
    w.Lit("\" fieldtype=\"");
    w.Put(FieldTypeWord(f->DataType()).toLatin1());
    if (f->DataType() == TFieldType::ftString) {
      w.Lit("\" WIDTH=\"");
      w.Int(f->Size());
    }
    w.Lit("\"/>");
    // An attribute name cannot carry references: the name goes in the code page as it is.
    names.push_back(QByteArray(" ") + cp1251::Encode(f->FieldName()) + "=\"");
  }
  w.Lit("</FIELDS>");
  if (Log.empty()) {
    w.Lit("<PARAMS/>");
  } else {
    w.Lit("<PARAMS CHANGE_LOG=\"");
    for (size_t i = 0; i < Log.size(); ++i) {
      if (i > 0) {
        w.Put(' ');
      }
      w.Int(Log[i]);
    }
    w.Lit("\"/>");
  }
  w.Lit("</METADATA><ROWDATA>");
  const char* const raw = RawPacket.constData();
  for (const TRowVersion& version : Versions) {
    w.Lit("<ROW");
    if (version.RowState != 0) {
      w.Lit(" RowState=\"");
      w.Int(version.RowState);
      w.Put('"');
    }
    if (version.RawStart >= 0) {
      const TRawSpan* const own = RawSpans.data() + version.RawStart;
      for (size_t slot = 0; slot < DataFields.size(); ++slot) {
        const TRawSpan span = own[slot];
        if (span.Length == TRawSpan::kNull) {
          continue;
        }
        const char* p = raw + span.Offset;
        // As read, unless the text has what the writer never leaves raw
        // (another writer's forms, a value from a single-quoted attribute) or
        // may be wider than the field: a text has at most as many characters
        // as bytes.
        const TField& field = *DataFields[slot];
        if (field.DataType() == TFieldType::ftString &&
            ((field.Size() > 0 && span.Length > uint32_t(field.Size())) ||
             !IsCanonicalText(p, span.Length))) {
          const QString text = FitText(DecodeText(p, span.Length), field.Size());
          if (text.isEmpty()) {
            continue;  // nothing left of it: null, as an empty text reads
          }
          w.Put(names[slot]);
          w.Text(text);
        } else {
          w.Put(names[slot]);
          w.Put(p, span.Length);
        }
        w.Put('"');
      }
      w.Lit("/>");
      continue;
    }
    for (size_t slot = 0; slot < DataFields.size() && slot < version.Values.size(); ++slot) {
      const TValue& v = version.Values[slot];
      if (!v.isValid()) {
        continue;
      }
      w.Put(names[slot]);
      switch (DataFields[slot]->DataType()) {
        case TFieldType::ftString:
          w.Text(TextOf(v));
          break;
        case TFieldType::ftInteger:
          w.Int(IntOf(v));
          break;
        case TFieldType::ftFloat:
          w.Float(FloatOf(v));
          break;
        case TFieldType::ftBoolean:
          if (BoolOf(v)) {
            w.Lit("TRUE");
          } else {
            w.Lit("FALSE");
          }
          break;
        case TFieldType::ftDate:
          w.Date(DateOf(v));
          break;
      }
      w.Put('"');
    }
    w.Lit("/>");
  }
  w.Lit("</ROWDATA></DATAPACKET>");
  return w.Take();
}

void TClientDataSet::TImpl::WriteFile(const QString& path) {
  QString reason;
  if (!WriteFileAtomically(path, PacketBytes(), &reason)) {
    Error(Fmt(QStringLiteral("Cannot create file \"%s\". %s"), {path, reason}));
  }
}

void TClientDataSet::TImpl::LoadBytes(const QByteArray& given, const QString& sourceName) {
  // Bytes the caller only lent (fromRawData) are copied: the old versions
  // point into them for as long as the table is open, and the scanner relies
  // on the terminating zero an array of our own always has.
  const QByteArray bytes = given.capacity() == 0 ? QByteArray(given.constData(), given.size()) : given;
  const auto bad = [&](const QString& reason) {
    if (sourceName.isEmpty()) {
      Error(Fmt(QStringLiteral("Invalid data packet: %s"), {reason}));
    }
    Error(Fmt(QStringLiteral("Invalid data packet in file \"%s\": %s"), {sourceName, reason}));
  };
  if (bytes.isEmpty()) {
    bad(QStringLiteral("the file is empty"));
  }
  if (size_t(bytes.size()) >= TRawSpan::kNull) {
    bad(QStringLiteral("the file is too large"));
  }

  std::vector<TPacketField> packetFields;
  QHash<QString, int> packetIndex;  // case-folded name
  bool fieldsSeen = false;
  bool collectingFields = false;
  bool logSeen = false;
  bool bound = false;
  std::vector<int> log;
  std::vector<TRowVersion> versions;
  std::vector<TRawSpan> spans;
  // A row takes a few hundred bytes: room for most files without regrowing.
  versions.reserve(size_t(bytes.size()) / 256);
  const bool adopt = FieldList.empty();
  size_t slotCount = 0;  // known once the fields are bound

  // Binds the packet's fields to the definition; a table without fields
  // takes the packet's own for as long as it is open.
  const auto bind = [&] {
    bound = true;
    const auto setSlotCount = qScopeGuard([&] {
      slotCount = DataFields.size();
      // As much again as the file at most, however wide the table.
      spans.reserve(std::min(versions.capacity() * slotCount, size_t(bytes.size()) / sizeof(TRawSpan)));
    });
    if (adopt) {
      for (TPacketField& pf : packetFields) {
        if (!pf.Known) {
          continue;  // a type this program never writes: left out
        }
        const int size = pf.Type == TFieldType::ftString ? (pf.Width > 0 ? pf.Width : 20) : 0;
        std::unique_ptr<TField> field(new TField(&Self, pf.Name, pf.Type, size, TFieldKind::fkData));
        field->FFromFile = true;
        AddFieldObject(std::move(field));
      }
    }
    for (TField* field : DataFields) {
      const int i = packetIndex.value(field->FieldName().toCaseFolded(), -1);
      if (i < 0) {
        Error(Fmt(QStringLiteral("Field '%s' not found"), {field->FieldName()}));
      }
      TPacketField& pf = packetFields[size_t(i)];
      if (!pf.Known || pf.Type != field->DataType()) {
        Error(Fmt(QStringLiteral("Type mismatch for field '%s', expecting: %s actual: %s"),
                  {field->FieldName(), FieldTypeWord(field->DataType()), QString::fromLatin1(pf.TypeWord)}));
      }
      pf.Slot = field->FSlot;
      pf.Field = field;
      if (pf.Type == TFieldType::ftString) {
        pf.Pool = std::make_shared<TTextPool>(field->Size());
      }
    }
  };

  const auto addField = [&](const std::vector<TAttr>& attrs) {
    TPacketField pf;
    const TAttr* name = FindAttr(attrs, "attrname");
    const TAttr* type = FindAttr(attrs, "fieldtype");
    if (name) {
      pf.Name = DecodeText(name->Value.data(), name->Value.size());
    }
    if (pf.Name.isEmpty()) {
      throw TPacketError{QStringLiteral("a FIELD without attrname")};
    }
    if (!IsAttributeName(pf.Name)) {
      throw TPacketError{Fmt(QStringLiteral("'%s' cannot be a field name"), {pf.Name})};
    }
    pf.RawName = cp1251::Encode(pf.Name);
    if (type) {
      pf.TypeWord = DecodeText(type->Value.data(), type->Value.size()).toLatin1();
    }
    pf.Known = FieldTypeOfWord(pf.TypeWord.constData(), pf.Type);
    if (const TAttr* width = FindAttr(attrs, "WIDTH")) {
      std::from_chars(width->Value.data(), width->Value.data() + width->Value.size(), pf.Width);
    }
    const QString key = pf.Name.toCaseFolded();
    if (packetIndex.contains(key)) {
      throw TPacketError{Fmt(QStringLiteral("field '%s' appears twice"), {pf.Name})};
    }
    packetIndex.insert(key, int(packetFields.size()));
    packetFields.push_back(std::move(pf));
  };

  const auto readLog = [&](std::string_view text) {
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
      if (IsXmlSpace(*p)) {
        ++p;
        continue;
      }
      int v = 0;
      const auto res = std::from_chars(p, end, v);
      if (res.ec != std::errc() || v < 0) {
        throw TPacketError{QStringLiteral("CHANGE_LOG is not a list of numbers")};
      }
      log.push_back(v);
      p = res.ptr;
    }
  };

  const char* const base = bytes.constData();

  // The packet field an attribute names; the attributes come in field
  // order, so the search starts after the last one found.
  const auto fieldOf = [&](std::string_view name, size_t& hint) -> const TPacketField* {
    const size_t fieldCount = packetFields.size();
    for (size_t k = 0, j = hint; k < fieldCount; ++k, ++j) {
      if (j == fieldCount) {
        j = 0;
      }
      const QByteArray& raw = packetFields[j].RawName;
      if (size_t(raw.size()) == name.size() && SameBytes(raw.constData(), name.data(), name.size())) {
        hint = j + 1;
        return packetFields[j].Slot >= 0 ? &packetFields[j] : nullptr;
      }
    }
    const int index = packetIndex.value(DecodeText(name.data(), name.size()).toCaseFolded(), -1);
    if (index < 0 || packetFields[size_t(index)].Slot < 0) {
      return nullptr;  // a field the table does not keep
    }
    return &packetFields[size_t(index)];
  };

  // Reads a number, Boolean or date; `put` receives the value. False when
  // the text is none. One written with a character reference is decoded
  // first and read again.
  const auto readScalar = [&](const TPacketField& pf, const char* value, size_t length, auto&& put) {
    const char* v = value;
    size_t vn = length;
    QByteArray decoded;
    for (int attempt = 0; attempt < 2; ++attempt) {
      const char* end = v + vn;
      switch (pf.Type) {
        case TFieldType::ftInteger: {
          int x = 0;
          if (ParseDecimal(v, vn, x)) {
            put(x);
            return;
          }
          break;
        }
        case TFieldType::ftFloat: {
          double x = 0;
          const auto res = std::from_chars(v, end, x, std::chars_format::general);
          if (vn > 0 && res.ec == std::errc() && res.ptr == end && std::isfinite(x)) {
            put(x);
            return;
          }
          break;
        }
        case TFieldType::ftBoolean:
          if (vn == 4 && (SameBytes(v, "TRUE", 4) || strncasecmp(v, "TRUE", 4) == 0)) {
            put(true);
            return;
          }
          if (vn == 5 && (SameBytes(v, "FALSE", 5) || strncasecmp(v, "FALSE", 5) == 0)) {
            put(false);
            return;
          }
          break;
        case TFieldType::ftDate:
          if (vn == 8 && std::all_of(v, end, [](char c) { return c >= '0' && c <= '9'; })) {
            const int y = (v[0] - '0') * 1000 + (v[1] - '0') * 100 + (v[2] - '0') * 10 + (v[3] - '0');
            const int m = (v[4] - '0') * 10 + (v[5] - '0');
            const int d = (v[6] - '0') * 10 + (v[7] - '0');
            const QDate date(y, m, d);
            if (y > 0 && date.isValid()) {
              put(date);
              return;
            }
          }
          break;
        case TFieldType::ftString:
          break;
      }
      if (attempt > 0 || !std::memchr(value, '&', length)) {
        break;
      }
      decoded = DecodeText(value, length).toLatin1();
      v = decoded.constData();
      vn = size_t(decoded.size());
    }
    static const char* const patterns[] = {"", "'%s' is not a valid integer value for field '%s'",
                                           "'%s' is not a valid floating point value for field '%s'",
                                           "'%s' is not a valid boolean value for field '%s'",
                                           "'%s' is not a valid date for field '%s'"};
    ConvertError(QString::fromLatin1(patterns[int(pf.Type)]), DecodeText(value, length), *pf.Field);
  };

  const auto readRow = [&](const std::vector<TAttr>& attrs) {
    TRowVersion version;
    for (const TAttr& attr : attrs) {
      if (IsRowState(attr.Name)) {
        if (!ParseDecimal(attr.Value.data(), attr.Value.size(), version.RowState) || version.RowState < 0) {
          throw TPacketError{QStringLiteral("a RowState that is not a number")};
        }
        break;
      }
    }
    size_t hint = 0;
    if (version.RowState & (rsSuperseded | rsDeleted)) {
      // Only ever written again: checked, and kept as where it lies when
      // its bytes are what the writer would write anyway.
      version.RawStart = int(spans.size());
      spans.resize(spans.size() + slotCount);
      TRawSpan* const own = spans.data() + version.RawStart;
      bool canonical = true;
      for (const TAttr& attr : attrs) {
        if (IsRowState(attr.Name)) {
          continue;
        }
        const TPacketField* pf = fieldOf(attr.Name, hint);
        if (!pf) {
          continue;
        }
        const char* value = attr.Value.data();
        const size_t length = attr.Value.size();
        // A text's bytes are checked when written (see PacketBytes).
        if (pf->Type != TFieldType::ftString) {
          readScalar(*pf, value, length,
                     [&](auto&& x) { canonical = canonical && IsCanonicalScalar(x, value, length); });
        }
        TRawSpan& span = own[pf->Slot];
        if (span.Length != TRawSpan::kNull) {
          canonical = false;  // the same field twice
        }
        span.Offset = uint32_t(value - base);
        span.Length = uint32_t(length);
        if (length == 0 && pf->Type == TFieldType::ftString) {
          span.Length = TRawSpan::kNull;  // an empty text is null
        }
      }
      if (canonical) {
        versions.push_back(std::move(version));
        return;
      }
      spans.resize(size_t(version.RawStart));
      version.RawStart = -1;
      hint = 0;
    }
    TRecord& values = version.Values;
    values.reserve(slotCount);
    // Values are built in place in slot order, the order the attributes
    // normally come in; one out of order is assigned to its slot instead.
    const auto putAt = [&](size_t slot, auto&& value) {
      if (values.size() <= slot) {
        while (values.size() < slot) {
          values.emplace_back();
        }
        values.emplace_back(std::forward<decltype(value)>(value));
      } else {
        values[slot] = TValue(std::forward<decltype(value)>(value));
      }
    };
    for (const TAttr& attr : attrs) {
      if (IsRowState(attr.Name)) {
        continue;
      }
      const TPacketField* pf = fieldOf(attr.Name, hint);
      if (!pf) {
        continue;
      }
      const size_t slot = size_t(pf->Slot);
      const char* value = attr.Value.data();
      const size_t length = attr.Value.size();
      if (pf->Type == TFieldType::ftString) {
        if (length > 0) {
          const QString& text = pf->Pool->Get(value, length);
          if (!text.isEmpty()) {
            putAt(slot, text);
          }
        }
        continue;
      }
      readScalar(*pf, value, length, [&](auto&& x) { putAt(slot, x); });
    }
    while (values.size() < slotCount) {
      values.emplace_back();
    }
    versions.push_back(std::move(version));
  };

  try {
    try {
      TXmlScanner scanner(bytes.constData(), size_t(bytes.size()));
      scanner.Scan([&](const std::vector<std::string_view>& path, const std::vector<TAttr>& attrs) {
        const size_t depth = path.size();
        if (depth == 1) {
          if (!Is(path[0], "DATAPACKET")) {
            throw TPacketError{QStringLiteral("no DATAPACKET element")};
          }
          return;
        }
        if (depth == 3 && Is(path[2], "ROW") && Is(path[1], "ROWDATA")) {
          if (!bound) {
            if (!fieldsSeen) {
              throw TPacketError{QStringLiteral("no METADATA/FIELDS element")};
            }
            bind();
          }
          readRow(attrs);
        } else if (depth == 4 && collectingFields && !bound && path[1] == "METADATA" && path[2] == "FIELDS" &&
                   path[3] == "FIELD") {
          addField(attrs);
        } else if (depth == 3 && path[1] == "METADATA") {
          if (path[2] == "FIELDS") {
            // Only the first field list counts.
            collectingFields = !fieldsSeen;
            fieldsSeen = true;
          } else if (path[2] == "PARAMS" && !logSeen) {
            logSeen = true;
            if (const TAttr* changeLog = FindAttr(attrs, "CHANGE_LOG")) {
              readLog(changeLog->Value);
            }
          }
        }
      });
    } catch (const TPacketError& e) {
      bad(e.Reason);
    }
    if (!fieldsSeen) {
      bad(QStringLiteral("no METADATA/FIELDS element"));
    }
    if (!bound) {
      bind();
    }

    ResolveActiveKey();
    ResolveUniqueKeys();
    CompileFilter();

    // The rows are the current versions, in the order their first versions
    // were made: an edited row keeps its place after a save and a load.
    const int count = int(versions.size());
    std::vector<int> replaces(size_t(count) + 1, 0);
    for (size_t i = 0; i + 2 < log.size(); i += 3) {
      const int a = log[i];
      const int b = log[i + 1];
      if (log[i + 2] == 8 && b >= 1 && b < a && a <= count) {
        replaces[size_t(a)] = b;
      }
    }
    std::vector<std::pair<int, int>> current;  // (first version, version), both 1-based
    for (int n = 1; n <= count; ++n) {
      if ((versions[size_t(n - 1)].RowState & (rsSuperseded | rsDeleted)) == 0) {
        int origin = n;
        while (replaces[size_t(origin)] != 0) {
          origin = replaces[size_t(origin)];  // strictly decreasing: ends
        }
        current.push_back({origin, n});
      }
    }
    std::stable_sort(current.begin(), current.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });

    ClearData();
    RawPacket = bytes;
    RawSpans = std::move(spans);
    Versions = std::move(versions);
    Log = std::move(log);
    Rows.reserve(current.size());
    Natural.reserve(current.size());
    for (const auto& [origin, version] : current) {
      Natural.push_back(int(Rows.size()));
      Rows.push_back({version - 1, int(Rows.size()), true});
    }
  } catch (...) {
    ClearData();
    Filter.reset();
    DropFileFields();
    throw;
  }
  State = TDataSetState::dsBrowse;
  RebuildView(-1);
  AtBof = true;
  Notify(TDataChange::RowsReset, -1);
}
