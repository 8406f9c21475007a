#include "common/language_key.h"

#include "common/data_folder.h"
#include "platform/core/scope_exit.h"
#include "platform/ini/ini_file.h"

namespace {

TIniFile SettingsFile() {
  return TIniFile(GetAppDataDir() + QLatin1String(kSettingsFileName));
}

}  // namespace

void WriteLanguage(quint8 language) {
  TIniFile ini = SettingsFile();
  TScopeExit flush([&ini] { ini.UpdateFile(); });
  if (language == 0) {
    ini.WriteString(QStringLiteral("GENERAL"), QStringLiteral("Language"), QStringLiteral("RU"));
  } else if (language == 1) {
    ini.WriteString(QStringLiteral("GENERAL"), QStringLiteral("Language"), QStringLiteral("EN"));
  }
}

quint8 ReadLanguage() {
  const QString text =
      SettingsFile().ReadString(QStringLiteral("GENERAL"), QStringLiteral("Language"), QStringLiteral("RU"));
  return text == QLatin1String("EN") ? 1 : 0;
}
