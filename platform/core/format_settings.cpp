#include "platform/core/format_settings.h"

#include <QLocale>
#include <optional>

namespace {
std::optional<TFormatSettings>& Current() {
  static std::optional<TFormatSettings> settings;
  return settings;
}
}  // namespace

TFormatSettings SystemFormatSettings() {
  const QLocale locale = QLocale::system();
  TFormatSettings s;
  const QString dp = locale.decimalPoint();
  s.DecimalSeparator = dp.isEmpty() ? QChar(u'.') : dp.front();
  s.ShortDateFormat = locale.dateFormat(QLocale::ShortFormat);
  // Two-digit years are no good for birthdays: widen them.
  if (!s.ShortDateFormat.contains(QStringLiteral("yyyy"))) {
    s.ShortDateFormat.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
  }
  return s;
}

const TFormatSettings& FormatSettings() {
  auto& settings = Current();
  if (!settings) {
    settings = SystemFormatSettings();
  }
  return *settings;
}

void SetFormatSettings(const TFormatSettings& settings) { Current() = settings; }
