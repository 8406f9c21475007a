#pragma once

#include <QDate>
#include <QString>
#include <QStringView>

#include "platform/table/field.h"

// Text forms, parsing and ordering of field values. A stored value is either
// null (an invalid QVariant) or holds exactly the C++ type of its field type:
// QString, int, double, bool or QDate. Everything here relies on that.
namespace table_value {

// The user's forms (FormatSettings): AsString and text assignment.
QString FormatFloat(double value);
QString FormatDate(const QDate& date);
QString FormatBoolean(bool value);
QString ToText(const TValue& value);

bool ParseInteger(QStringView text, int& value);
// Takes the locale decimal separator and also ".".
bool ParseFloat(QStringView text, double& value);
bool ParseBoolean(QStringView text, bool& value);
// Day, month and year as numbers: with the short date form's separator in
// its order, and with dots always as day.month.year. Day and month take one
// or two digits, the year up to four (two digits: 1950 to 2049).
bool ParseDate(QStringView text, QDate& value);

// Whether a text field of that size (0: no limit) stores the text as it is:
// it is no longer than the size and holds no half of a surrogate pair.
bool TextFits(QStringView text, int size);
// The text as such a field stores it: halves of surrogate pairs that have no
// partner dropped (they are no character, and a packet cannot carry them),
// then cut to the size without splitting a pair.
QString FitText(const QString& text, int size);

// Converts a value of any of the five C++ types (or a few close relatives such
// as qlonglong or QDateTime) to the storage form of a field type. Returns
// false when it cannot; *text then holds the text form that failed, for the
// conversion message.
bool Convert(TFieldType type, const TValue& value, TValue& result, QString* text = nullptr);

// Ordering within one field type: null first, text case-sensitive (letters
// grouped alphabetically, the letter case deciding only between otherwise
// equal texts), numbers and dates by value, false before true.
int Compare(TFieldType type, const TValue& a, const TValue& b);
int CompareText(const QString& a, const QString& b);

// Equality of two stored values of one type (null equals null).
bool Equal(TFieldType type, const TValue& a, const TValue& b);

inline const QString& TextOf(const TValue& v) {
  return *static_cast<const QString*>(v.constData());
}
inline int IntOf(const TValue& v) {
  return *static_cast<const int*>(v.constData());
}
inline double FloatOf(const TValue& v) {
  return *static_cast<const double*>(v.constData());
}
inline bool BoolOf(const TValue& v) {
  return *static_cast<const bool*>(v.constData());
}
inline const QDate& DateOf(const TValue& v) {
  return *static_cast<const QDate*>(v.constData());
}

}  // namespace table_value
