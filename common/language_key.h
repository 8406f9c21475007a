#pragma once

#include <QtGlobal>

// The interface-language key of the settings file, [GENERAL] Language = "RU"
// or "EN"; language 0 is Russian, 1 English. Both functions find (and if need
// be create) the data folder first, with the errors of GetAppDataDir, and use
// an INI object of their own, so they can run beside the main window's one.

// 0 writes "RU", 1 "EN"; any other value leaves the file as it is. Raises the
// INI layer's "Unable to write to %s" when the file cannot be written.
void WriteLanguage(quint8 language);

// 1 only when the stored text is "EN" exactly (letter case counts); a missing
// file or key, "en" and any other text give 0.
quint8 ReadLanguage();
