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
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <string_view>

#include "platform/core/atomic_file.h"
#include "platform/core/cp1251.h"
#include "platform/core/fmt.h"
#include "platform/table/client_dataset_impl.h"
#include "platform/table/filter.h"
#include "platform/table/packet_encoding.h"
#include "platform/table/packet_text.h"
#include "platform/table/value.h"
#include "platform/table/xml_scanner.h"

namespace {

using namespace table_packet;
using namespace table_value;

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

// Every version holds the whole record, so a file repeats its texts (teams,
// coaches, the unchanged names of edited rows) over and over; one shared
// copy of each keeps loading and memory in proportion to the distinct texts.
// The texts come out as the field stores them: a packet of a wider field
// than the table's (another program's, an older definition) is cut to the
// table's width, as an assignment would cut it.
class TTextPool {
 public:
  explicit TTextPool(int width) : FSlots(8), FWidth(width) {}

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
    Error(CannotCreateFileMessage(path, reason));
  }
}

void TClientDataSet::TImpl::LoadBytes(const QByteArray& given, const QString& sourceName) {
  // Bytes the caller only lent (fromRawData) are copied: the old versions
  // point into them for as long as the table is open, and the scanner relies
  // on the terminating zero an array of our own always has.
  QByteArray bytes = given.capacity() == 0 ? QByteArray(given.constData(), given.size()) : given;
  const auto bad = [&](const QString& reason) {
    if (sourceName.isEmpty()) {
      Error(Fmt(QStringLiteral("Invalid data packet: %s"), {reason}));
    }
    Error(Fmt(QStringLiteral("Invalid data packet in file \"%s\": %s"), {sourceName, reason}));
  };
  if (bytes.isEmpty()) {
    bad(QStringLiteral("the file is empty"));
  }
  try {
    if (const QString reason = ToCodePage(bytes); !reason.isEmpty()) {
      bad(reason);
    }
  } catch (const TPacketError& e) {
    bad(e.Reason);
  }
  if (size_t(bytes.size()) >= TRawSpan::kNull) {
    bad(QStringLiteral("the file is too large"));
  }

  std::vector<TPacketField> packetFields;
  QHash<QString, int> packetIndex;  // case-folded name; made once the field list is complete
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
  // takes the packet's own for as long as it is open. The name tables are
  // sized once for the whole field list: a team protocol has thousands of
  // columns, and tables grown one name at a time cost more than the rest of
  // the load.
  const auto bind = [&] {
    bound = true;
    packetIndex.reserve(qsizetype(packetFields.size()));
    for (size_t i = 0; i < packetFields.size(); ++i) {
      const TPacketField& pf = packetFields[i];
      const QString key = pf.Name.toCaseFolded();
      if (packetIndex.contains(key)) {
        throw TPacketError{Fmt(QStringLiteral("field '%s' appears twice"), {pf.Name})};
      }
      packetIndex.insert(key, int(i));
    }
    const auto setSlotCount = qScopeGuard([&] {
      slotCount = DataFields.size();
      // As much again as the file at most, however wide the table.
      spans.reserve(std::min(versions.capacity() * slotCount, size_t(bytes.size()) / sizeof(TRawSpan)));
    });
    const auto take = [](TPacketField& pf, TField* field) {
      pf.Slot = field->FSlot;
      pf.Field = field;
      if (pf.Type == TFieldType::ftString) {
        pf.Pool = std::make_shared<TTextPool>(field->Size());
      }
    };
    if (adopt) {
      // Each field is made from its packet field: no names to look up.
      FieldIndexByName.reserve(qsizetype(packetFields.size()));
      FieldList.reserve(packetFields.size());
      DataFields.reserve(packetFields.size());
      for (TPacketField& pf : packetFields) {
        if (!pf.Known) {
          continue;  // a type this program never writes: left out
        }
        const int size = pf.Type == TFieldType::ftString ? (pf.Width > 0 ? pf.Width : 20) : 0;
        std::unique_ptr<TField> field(new TField(&Self, pf.Name, pf.Type, size, TFieldKind::fkData));
        field->FFromFile = true;
        TField* const added = field.get();
        AddFieldObject(std::move(field));
        take(pf, added);
      }
      return;
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
      take(pf, field);
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
      if (!fieldsSeen) {
        throw TPacketError{QStringLiteral("no METADATA/FIELDS element")};
      }
      if (!bound) {
        bind();
      }
    } catch (const TPacketError& e) {
      bad(e.Reason);
    }

    ResolveActiveKey();
    ResolveUniqueKeys();
    CompileFilter();

    // The rows are the current versions, in the order their first versions
    // were made: an edited row keeps its place after a save and a load.
    const int count = int(versions.size());
    std::vector<int> origin(size_t(count) + 1, 0);  // what each version replaces, then its first version
    for (size_t i = 0; i + 2 < log.size(); i += 3) {
      const int a = log[i];
      const int b = log[i + 1];
      if (log[i + 2] == 8 && b >= 1 && b < a && a <= count) {
        origin[size_t(a)] = b;
      }
    }
    // A version only ever replaces an earlier one, whose first version is
    // known by then: one pass, however long the chains (a damaged file may
    // leave every version of a long chain current).
    std::vector<std::pair<int, int>> current;  // (first version, version), both 1-based
    for (int n = 1; n <= count; ++n) {
      const int replaced = origin[size_t(n)];
      origin[size_t(n)] = replaced != 0 ? origin[size_t(replaced)] : n;
      if ((versions[size_t(n - 1)].RowState & (rsSuperseded | rsDeleted)) == 0) {
        current.push_back({origin[size_t(n)], n});
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
