#pragma once

#include <QString>

// A text for a literal of the filter language: an apostrophe in a name
// (O'Brien, a team called Вымпел 'Север') would otherwise end the literal and
// break the expression, so each one is doubled.
inline QString FilterLiteralText(const QString& text) {
  QString quoted = text;
  quoted.replace(u'\'', QStringLiteral("''"));
  return quoted;
}
