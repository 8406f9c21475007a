#pragma once

#include <QString>

// What the program block sets up before the first window.

// The current user's "AppData" shell folder, made when it does not exist
// yet. The desktop the program was first made for always has it; a Linux
// desktop makes its data home only when a program first writes there, and
// the data folder inside it is made one level only.
void MakeShellDataFolder();

// Binds the data controls' shared error display to a critical message box
// titled with the program's name in the interface language of the moment.
void BindErrorDisplay();

// "Тяжарнет.ПРОТОКОЛ" or "Tyazharnet.PROTOCOL": the main window's language as
// soon as it has read its settings (even while it is being built), Russian
// before that.
QString ProgramTitle();
