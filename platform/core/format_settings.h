#pragma once

#include <QChar>
#include <QString>

class QLocale;

// The locale forms of numbers and dates as the user sees and types them: a
// float's decimal separator and the short date format. They come from the
// system locale at the first use; tests pin them. File forms never use them.
struct TFormatSettings {
  QChar DecimalSeparator = u',';
  // A QDate format string, e.g. "dd.MM.yyyy".
  QString ShortDateFormat = QStringLiteral("dd.MM.yyyy");
};

const TFormatSettings& FormatSettings();
void SetFormatSettings(const TFormatSettings& settings);

// The forms of a locale as the program uses them: every text they print
// reads back as the same value. A two-digit year is widened to four digits; a
// short date form the date reader cannot read back (month names, as the C
// locale's "d MMM yyyy", or extra marks and words) becomes "dd.MM.yyyy"; a
// decimal separator other than "." or "," becomes ".".
TFormatSettings FormatSettingsOf(const QLocale& locale);
// FormatSettingsOf the system locale: what FormatSettings() starts with.
TFormatSettings SystemFormatSettings();

// Whether a date format prints only what the date reader reads back: the day
// (d or dd), the month (M or MM) and the year (yyyy), each once, with the same
// single separator between them that is neither a letter, a digit nor a
// quote. A dotted text is always read as day, month, year, so a format with
// dots must have that order.
bool IsNumericDateFormat(const QString& format);
