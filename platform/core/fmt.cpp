#include "platform/core/fmt.h"

QString Fmt(const QString& pattern, const QStringList& args) {
  QString result;
  result.reserve(pattern.size() + 16 * args.size());
  qsizetype next = 0;
  for (qsizetype i = 0; i < pattern.size(); ++i) {
    const QChar c = pattern[i];
    if (c == u'%' && i + 1 < pattern.size()) {
      const QChar spec = pattern[i + 1];
      if (spec == u'%') {
        result += u'%';
        ++i;
        continue;
      }
      if ((spec == u's' || spec == u'd') && next < args.size()) {
        result += args[next++];
        ++i;
        continue;
      }
    }
    result += c;
  }
  return result;
}
