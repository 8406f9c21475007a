#include "platform/core/format_settings.h"

#include <QLocale>
#include <QRegularExpression>
#include <optional>

namespace {

std::optional<TFormatSettings>& Current() {
  static std::optional<TFormatSettings> settings;
  return settings;
}

// The form a secretary types whatever the locale.
const QString kDottedDate = QStringLiteral("dd.MM.yyyy");

}  // namespace

bool IsNumericDateFormat(const QString& format) {
  static const QRegularExpression shape(
      QStringLiteral(R"(^(d{1,2}|M{1,2}|yyyy)([^\w'])(d{1,2}|M{1,2}|yyyy)\2(d{1,2}|M{1,2}|yyyy)$)"),
      QRegularExpression::UseUnicodePropertiesOption);
  const QRegularExpressionMatch match = shape.match(format);
  if (!match.hasMatch()) {
    return false;
  }
  const QString order = match.captured(1).left(1) + match.captured(3).left(1) + match.captured(4).left(1);
  if (order.count(u'd') != 1 || order.count(u'M') != 1 || order.count(u'y') != 1) {
    return false;
  }
  return match.captured(2) != QStringLiteral(".") || order == QStringLiteral("dMy");
}

TFormatSettings FormatSettingsOf(const QLocale& locale) {
  TFormatSettings s;
  // Numbers are printed in ASCII digits; a separator outside ASCII (Arabic,
  // Persian) would make a text no reader takes back.
  s.DecimalSeparator = locale.decimalPoint() == QStringLiteral(",") ? QChar(u',') : QChar(u'.');
  QString format = locale.dateFormat(QLocale::ShortFormat);
  // Two-digit years are no good for birthdays: widen them.
  if (!format.contains(QStringLiteral("yyyy"))) {
    format.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
  }
  s.ShortDateFormat = IsNumericDateFormat(format) ? format : kDottedDate;
  return s;
}

TFormatSettings SystemFormatSettings() {
  return FormatSettingsOf(QLocale::system());
}

const TFormatSettings& FormatSettings() {
  auto& settings = Current();
  if (!settings) {
    settings = SystemFormatSettings();
  }
  return *settings;
}

void SetFormatSettings(const TFormatSettings& settings) {
  Current() = settings;
}
