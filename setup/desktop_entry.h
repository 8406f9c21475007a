#pragma once

#include <QString>

// The desktop entry that starts the installed program from the desktop (the
// freedesktop stand-in for a shell link): an application named in the chosen
// language, run as the program's path, in the install folder, with our icon.
// The paths are absolute; any character in them comes out escaped and quoted
// by the desktop-entry rules, so a folder with blanks, quotes, "$" or "%"
// still names the right program.
QString DesktopEntryText(const QString& name, const QString& program, const QString& folder,
                         const QString& icon);
