#pragma once

// The XML under the data packet: a strict single-pass scanner that hands
// each start tag to its caller, and the encoding a document declares.

#include <QString>
#include <array>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/core/fmt.h"
#include "platform/table/packet_text.h"

namespace table_packet {

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
inline const std::array<unsigned char, 256>& NameClasses() {
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

inline const TAttr* FindAttr(const std::vector<TAttr>& attrs, std::string_view name) {
  for (const TAttr& a : attrs) {
    if (a.Name == name) {
      return &a;
    }
  }
  return nullptr;
}

// The encoding the XML declaration at the start of a document names, as
// written; empty when it names none or there is no declaration.
inline std::string_view DeclaredEncoding(std::string_view document) {
  std::string_view rest = document;
  const auto skipSpace = [&rest] {
    while (!rest.empty() && IsXmlSpace(rest.front())) {
      rest.remove_prefix(1);
    }
  };
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") {
    rest.remove_prefix(3);
  }
  skipSpace();
  if (rest.size() < 6 || rest.substr(0, 5) != "<?xml" || !IsXmlSpace(rest[5])) {
    return {};
  }
  rest = rest.substr(5, rest.find("?>") - 5);
  // Pseudo-attributes: name = "value" or 'value', blanks between.
  for (;;) {
    skipSpace();
    size_t nameEnd = 0;
    while (nameEnd < rest.size() && IsNameChar(static_cast<unsigned char>(rest[nameEnd]))) {
      ++nameEnd;
    }
    const std::string_view name = rest.substr(0, nameEnd);
    rest.remove_prefix(nameEnd);
    skipSpace();
    if (name.empty() || rest.empty() || rest.front() != '=') {
      return {};
    }
    rest.remove_prefix(1);
    skipSpace();
    if (rest.empty() || (rest.front() != '"' && rest.front() != '\'')) {
      return {};
    }
    const size_t close = rest.find(rest.front(), 1);
    if (close == std::string_view::npos) {
      return {};
    }
    if (name == "encoding") {
      return rest.substr(1, close - 1);
    }
    rest.remove_prefix(close + 1);
  }
}

}  // namespace table_packet
