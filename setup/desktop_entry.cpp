#include "setup/desktop_entry.h"

namespace {

// The escapes of a string value; "\" first, as a reader undoes it last.
QString EscapeValue(const QString& text) {
  QString escaped;
  for (const QChar c : text) {
    switch (c.unicode()) {
      case u'\\':
        escaped += QLatin1String("\\\\");
        break;
      case u'\n':
        escaped += QLatin1String("\\n");
        break;
      case u'\t':
        escaped += QLatin1String("\\t");
        break;
      case u'\r':
        escaped += QLatin1String("\\r");
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

// One Exec argument: quoted whole, with the characters that stay special
// inside the quotes escaped, and "%" doubled so no field code is read into
// it. The string escapes of the value then apply on top.
QString ExecArgument(const QString& argument) {
  QString quoted = QStringLiteral("\"");
  for (const QChar c : argument) {
    if (c == u'"' || c == u'`' || c == u'$' || c == u'\\') {
      quoted += u'\\';
    } else if (c == u'%') {
      quoted += u'%';
    }
    quoted += c;
  }
  quoted += u'"';
  return EscapeValue(quoted);
}

}  // namespace

QString DesktopEntryText(const QString& name, const QString& program, const QString& folder,
                         const QString& icon) {
  return QStringLiteral("[Desktop Entry]\n") + QStringLiteral("Type=Application\n") +
         QStringLiteral("Name=") + EscapeValue(name) + u'\n' + QStringLiteral("Exec=") +
         ExecArgument(program) + u'\n' + QStringLiteral("Path=") + EscapeValue(folder) + u'\n' +
         QStringLiteral("Icon=") + EscapeValue(icon) + u'\n' + QStringLiteral("Terminal=false\n") +
         QStringLiteral("Categories=Office;\n");
}
