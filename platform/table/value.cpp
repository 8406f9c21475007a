#include "platform/table/value.h"

#include <QDateTime>
#include <charconv>
#include <cmath>
#include <limits>

#include "platform/core/format_settings.h"

namespace table_value {
namespace {

QStringView Trimmed(QStringView text) {
  return text.trimmed();
}

// Latin-1 digits and signs only: the user's numbers never carry other scripts.
bool ToAscii(QStringView text, char* out, qsizetype capacity, qsizetype& length) {
  if (text.size() >= capacity) {
    return false;
  }
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c >= 0x80) {
      return false;
    }
    out[i] = char(c);
  }
  length = text.size();
  out[length] = 0;
  return true;
}

int YearFromDigits(int year, qsizetype digits) {
  // Two-digit years: the 1950-2049 window, wide enough for birthdays and
  // competition dates alike.
  if (digits <= 2) {
    return year < 50 ? 2000 + year : 1900 + year;
  }
  return year;
}

bool ParseUnsigned(QStringView part, int& value) {
  if (part.isEmpty() || part.size() > 9) {
    return false;
  }
  int v = 0;
  for (QChar c : part) {
    if (c < u'0' || c > u'9') {
      return false;
    }
    v = v * 10 + (c.unicode() - u'0');
  }
  value = v;
  return true;
}

// Primary weight of a character for text ordering: letter case folded, ё
// placed right after е as the alphabet has it.
inline uint32_t PrimaryWeight(char16_t c) {
  if (c < 0x80) {
    if (c >= u'A' && c <= u'Z') {
      c = char16_t(c + 32);
    }
    return uint32_t(c) * 2;
  }
  if (c == 0x0401 || c == 0x0451) {
    return 0x0435u * 2 + 1;
  }
  if (c >= 0x0410 && c <= 0x042F) {
    return uint32_t(c + 32) * 2;
  }
  if (c >= 0x0430 && c <= 0x044F) {
    return uint32_t(c) * 2;
  }
  return uint32_t(QChar::toCaseFolded(c)) * 2;
}

}  // namespace

QString FormatFloat(double value) {
  if (value == 0) {
    return QStringLiteral("0");
  }
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
  QString text = QString::fromLatin1(buf, res.ptr - buf);
  const QChar sep = FormatSettings().DecimalSeparator;
  if (sep != u'.') {
    text.replace(u'.', sep);
  }
  return text;
}

QString FormatDate(const QDate& date) {
  return date.toString(FormatSettings().ShortDateFormat);
}

QString FormatBoolean(bool value) {
  return value ? QStringLiteral("True") : QStringLiteral("False");
}

QString ToText(const TValue& value) {
  if (!value.isValid()) {
    return QString();
  }
  switch (value.metaType().id()) {
    case QMetaType::QString:
      return TextOf(value);
    case QMetaType::Int:
      return QString::number(IntOf(value));
    case QMetaType::Double:
      return FormatFloat(FloatOf(value));
    case QMetaType::Bool:
      return FormatBoolean(BoolOf(value));
    case QMetaType::QDate:
      return FormatDate(DateOf(value));
    case QMetaType::Float:
      return FormatFloat(value.toDouble());
    case QMetaType::QDateTime:
      return FormatDate(value.toDateTime().date());
    default:
      return value.toString();
  }
}

bool ParseInteger(QStringView text, int& value) {
  char buf[32];
  qsizetype len = 0;
  const QStringView t = Trimmed(text);
  if (!ToAscii(t, buf, sizeof buf, len) || len == 0) {
    return false;
  }
  const char* first = buf;
  if (*first == '+') {
    ++first;
    if (*first == '-') {
      return false;
    }
  }
  int v = 0;
  const auto res = std::from_chars(first, buf + len, v);
  if (res.ec != std::errc() || res.ptr != buf + len) {
    return false;
  }
  value = v;
  return true;
}

bool ParseFloat(QStringView text, double& value) {
  char buf[64];
  qsizetype len = 0;
  const QStringView t = Trimmed(text);
  if (!ToAscii(t, buf, sizeof buf, len) || len == 0) {
    return false;
  }
  const char16_t localeSep = FormatSettings().DecimalSeparator.unicode();
  const char sep = localeSep < 0x80 ? char(localeSep) : '.';
  int separators = 0;
  for (qsizetype i = 0; i < len; ++i) {
    if (buf[i] == sep || buf[i] == '.') {
      buf[i] = '.';
      ++separators;
    } else if (!((buf[i] >= '0' && buf[i] <= '9') || buf[i] == '-' || buf[i] == '+' || buf[i] == 'e' ||
                 buf[i] == 'E')) {
      // from_chars would take "inf" and "nan", which no user means as a weight.
      return false;
    }
  }
  if (separators > 1) {
    return false;
  }
  const char* first = buf;
  if (*first == '+') {
    ++first;
    if (*first == '-') {
      return false;
    }
  }
  double v = 0;
  const auto res = std::from_chars(first, buf + len, v, std::chars_format::general);
  if (res.ec != std::errc() || res.ptr != buf + len || !std::isfinite(v)) {
    return false;
  }
  value = v;
  return true;
}

bool ParseBoolean(QStringView text, bool& value) {
  const QStringView t = Trimmed(text);
  if (t.compare(u"True", Qt::CaseInsensitive) == 0) {
    value = true;
    return true;
  }
  if (t.compare(u"False", Qt::CaseInsensitive) == 0) {
    value = false;
    return true;
  }
  return false;
}

bool ParseDate(QStringView text, QDate& value) {
  const QStringView t = Trimmed(text);
  // Three numbers with the same separator twice: the first character that is
  // no digit.
  qsizetype first = 0;
  while (first < t.size() && t[first] >= u'0' && t[first] <= u'9') {
    ++first;
  }
  if (first == t.size()) {
    return false;
  }
  const QChar separator = t[first];
  const qsizetype second = t.indexOf(separator, first + 1);
  if (second < 0 || t.indexOf(separator, second + 1) >= 0) {
    return false;
  }
  const QStringView parts[3] = {t.left(first), t.mid(first + 1, second - first - 1), t.mid(second + 1)};
  // The order of day, month and year: the short date form's with its own
  // separator; day, month, year with dots, which a secretary types whatever
  // the locale; no other separator.
  const QString& format = FormatSettings().ShortDateFormat;
  const qsizetype formatSeparator = format.indexOf(separator);
  int order[3] = {0, 1, 2};  // positions of day, month, year in the text
  if (formatSeparator >= 0 && !separator.isLetterOrNumber() && separator != u'\'') {
    const qsizetype d = format.indexOf(u'd');
    const qsizetype m = format.indexOf(u'M');
    const qsizetype y = format.indexOf(u'y');
    if (d < 0 || m < 0 || y < 0) {
      return false;
    }
    order[0] = int((d > m) + (d > y));
    order[1] = int((m > d) + (m > y));
    order[2] = int((y > d) + (y > m));
  } else if (separator != u'.') {
    return false;
  }
  int day = 0;
  int month = 0;
  int year = 0;
  const QStringView yearText = parts[order[2]];
  if (!ParseUnsigned(parts[order[0]], day) || !ParseUnsigned(parts[order[1]], month) ||
      !ParseUnsigned(yearText, year) || yearText.size() > 4) {
    return false;
  }
  year = YearFromDigits(year, yearText.size());
  const QDate date(year, month, day);
  if (!date.isValid() || year < 1) {
    return false;
  }
  value = date;
  return true;
}

bool TextFits(QStringView text, int size) {
  if (size > 0 && text.size() > size) {
    return false;
  }
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text[i];
    if (!c.isSurrogate()) {
      continue;
    }
    if (!c.isHighSurrogate() || i + 1 == n || !text[i + 1].isLowSurrogate()) {
      return false;
    }
    ++i;
  }
  return true;
}

QString FitText(const QString& text, int size) {
  if (TextFits(text, size)) {
    return text;
  }
  const qsizetype n = text.size();
  const qsizetype limit = size > 0 ? size : n;
  QString out;
  out.reserve(std::min(n, limit));
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < n && text[i + 1].isLowSurrogate()) {
      if (out.size() + 2 > limit) {
        break;
      }
      out += c;
      out += text[++i];
    } else if (!c.isSurrogate()) {
      if (out.size() + 1 > limit) {
        break;
      }
      out += c;
    }
  }
  return out;
}

// A typed text becomes a value by its type's parser; a blank text is null.
template <class T, class Parser>
bool ParseText(const QString& text, TValue& result, Parser parse) {
  if (text.trimmed().isEmpty()) {
    result = TValue();
    return true;
  }
  T parsed{};
  if (!parse(text, parsed)) {
    return false;
  }
  result = parsed;
  return true;
}

bool Convert(TFieldType type, const TValue& value, TValue& result, QString* text) {
  if (!value.isValid()) {
    result = TValue();
    return true;
  }
  const int id = value.metaType().id();
  auto fail = [&] {
    if (text) {
      *text = ToText(value);
    }
    return false;
  };
  auto isText = id == QMetaType::QString;
  switch (type) {
    case TFieldType::ftString: {
      QString s = isText ? TextOf(value) : ToText(value);
      result = s.isEmpty() ? TValue() : TValue(std::move(s));
      return true;
    }
    case TFieldType::ftInteger: {
      switch (id) {
        case QMetaType::Int:
          result = value;
          return true;
        case QMetaType::Bool:
          result = BoolOf(value) ? 1 : 0;
          return true;
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong: {
          bool ok = false;
          const qlonglong v = value.toLongLong(&ok);
          if (!ok || v < std::numeric_limits<int>::min() || v > std::numeric_limits<int>::max()) {
            return fail();
          }
          result = int(v);
          return true;
        }
        case QMetaType::Double:
        case QMetaType::Float: {
          // Halves go to the even neighbour, as the platform's Round does.
          const double r = std::nearbyint(value.toDouble());
          if (!(r >= std::numeric_limits<int>::min() && r <= std::numeric_limits<int>::max())) {
            return fail();
          }
          result = int(r);
          return true;
        }
        case QMetaType::QString:
          return ParseText<int>(TextOf(value), result, ParseInteger) || fail();
        default:
          return fail();
      }
    }
    case TFieldType::ftFloat: {
      switch (id) {
        case QMetaType::Double:
          if (!std::isfinite(FloatOf(value))) {
            return fail();
          }
          result = value;
          return true;
        case QMetaType::Bool:
          result = BoolOf(value) ? 1.0 : 0.0;
          return true;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::Float:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong: {
          const double v = value.toDouble();
          if (!std::isfinite(v)) {
            return fail();
          }
          result = v;
          return true;
        }
        case QMetaType::QString:
          return ParseText<double>(TextOf(value), result, ParseFloat) || fail();
        default:
          return fail();
      }
    }
    case TFieldType::ftBoolean: {
      switch (id) {
        case QMetaType::Bool:
          result = value;
          return true;
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::ULongLong:
        case QMetaType::Double:
        case QMetaType::Float:
          result = value.toDouble() != 0;
          return true;
        case QMetaType::QString:
          return ParseText<bool>(TextOf(value), result, ParseBoolean) || fail();
        default:
          return fail();
      }
    }
    case TFieldType::ftDate: {
      switch (id) {
        case QMetaType::QDate:
          if (!DateOf(value).isValid()) {
            result = TValue();
            return true;
          }
          result = value;
          return true;
        case QMetaType::QDateTime: {
          const QDate d = value.toDateTime().date();
          result = d.isValid() ? TValue(d) : TValue();
          return true;
        }
        case QMetaType::QString:
          return ParseText<QDate>(TextOf(value), result, ParseDate) || fail();
        default:
          return fail();
      }
    }
  }
  return fail();
}

int CompareText(const QString& a, const QString& b) {
  const qsizetype n = std::min(a.size(), b.size());
  const QChar* pa = a.constData();
  const QChar* pb = b.constData();
  for (qsizetype i = 0; i < n; ++i) {
    if (pa[i] != pb[i]) {
      const uint32_t wa = PrimaryWeight(pa[i].unicode());
      const uint32_t wb = PrimaryWeight(pb[i].unicode());
      if (wa != wb) {
        return wa < wb ? -1 : 1;
      }
    }
  }
  if (a.size() != b.size()) {
    return a.size() < b.size() ? -1 : 1;
  }
  const int raw = QStringView(a).compare(QStringView(b));
  return raw < 0 ? -1 : (raw > 0 ? 1 : 0);
}

int Compare(TFieldType type, const TValue& a, const TValue& b) {
  const bool na = !a.isValid();
  const bool nb = !b.isValid();
  if (na || nb) {
    return na == nb ? 0 : (na ? -1 : 1);
  }
  switch (type) {
    case TFieldType::ftString:
      return CompareText(TextOf(a), TextOf(b));
    case TFieldType::ftInteger: {
      const int x = IntOf(a);
      const int y = IntOf(b);
      return x < y ? -1 : (x > y ? 1 : 0);
    }
    case TFieldType::ftFloat: {
      const double x = FloatOf(a);
      const double y = FloatOf(b);
      return x < y ? -1 : (x > y ? 1 : 0);
    }
    case TFieldType::ftBoolean:
      return int(BoolOf(a)) - int(BoolOf(b));
    case TFieldType::ftDate: {
      const qint64 x = DateOf(a).toJulianDay();
      const qint64 y = DateOf(b).toJulianDay();
      return x < y ? -1 : (x > y ? 1 : 0);
    }
  }
  return 0;
}

bool Equal(TFieldType type, const TValue& a, const TValue& b) {
  const bool na = !a.isValid();
  const bool nb = !b.isValid();
  if (na || nb) {
    return na == nb;
  }
  switch (type) {
    case TFieldType::ftString:
      return TextOf(a) == TextOf(b);
    case TFieldType::ftInteger:
      return IntOf(a) == IntOf(b);
    case TFieldType::ftFloat:
      return FloatOf(a) == FloatOf(b);
    case TFieldType::ftBoolean:
      return BoolOf(a) == BoolOf(b);
    case TFieldType::ftDate:
      return DateOf(a) == DateOf(b);
  }
  return false;
}

}  // namespace table_value
