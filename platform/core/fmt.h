#pragma once

#include <QString>
#include <QStringList>
#include <initializer_list>

// Fills a message pattern in the manner of the classic Format: each "%s" or
// "%d" takes the next argument, "%%" is a percent sign. The arguments are
// inserted in one pass and never read as patterns themselves, so a "%" typed
// by the user (in a competition or team name) comes out as it stands.
// Placeholders without an argument are left as they are.
QString Fmt(const QString& pattern, const QStringList& args);

inline QString Fmt(const QString& pattern, std::initializer_list<QString> args) {
  return Fmt(pattern, QStringList(args));
}
