#pragma once

#include <QString>

// What the program block sets up before the first window.

// The current user's "AppData" shell folder, made when it does not exist
// yet. The desktop the program was first made for always has it; a Linux
// desktop makes its data home only when a program first writes there, and
// the data folder inside it is made one level only.
void MakeShellDataFolder();

// Titles the shared message boxes (errors, notices, questions) with the
// program's name in the interface language of the moment.
void BindDialogTitle();

// "Тяжарнет.ПРОТОКОЛ" or "Tyazharnet.PROTOCOL": the main window's language as
// soon as it has read its settings (even while it is being built), Russian
// before that.
QString ProgramTitle();

// Where the Qt installation keeps its catalogues.
QString QtTranslationsFolder();

// Qt's own texts (the buttons of the message boxes, the file dialogs, the
// edit menus of the text boxes) in the interface language: language 0 takes
// Qt's Russian catalogue from the folder, any other Qt's built-in English.
// Without a readable catalogue Qt stays English and nothing is reported.
// Returns whether Qt now speaks Russian.
bool UseQtTexts(int language, const QString& folder = QtTranslationsFolder());
