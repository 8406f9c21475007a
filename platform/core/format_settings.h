#pragma once

#include <QChar>
#include <QString>

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
// The forms of the system locale (what FormatSettings() starts with).
TFormatSettings SystemFormatSettings();
