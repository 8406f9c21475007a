#pragma once

#include <QString>

// The settings file of the data folder; its language key is shared by the
// program and the installer (language_key.h).
inline constexpr char kSettingsFileName[] = "Tyazhar.ini";

// The per-user data folder, ending in "/": the current user's "AppData" shell
// folder + "Tyazharnet-protocol/". Read from the registry afresh on each call.
// A missing data folder is created, one level only: the "AppData" folder
// itself must exist.
// Raises Exception "Не удается получить путь к данным приложения" when the
// shell-folders key cannot be opened or its "AppData" value is empty or
// absent, and "Не удается создать каталог с данными приложения" when the
// folder cannot be created. Nothing is created in either case.
QString GetAppDataDir();
