#include "common/language_key.h"

#include "common/data_folder.h"
#include "platform/ini/ini_file.h"

namespace {

TIniFile SettingsFile() { return TIniFile(GetAppDataDir() + QLatin1String(kSettingsFileName)); }

}  // namespace

void WriteLanguage(quint8 language) {
  TIniFile ini = SettingsFile();
  if (language == 0) {
    ini.WriteString(QStringLiteral("GENERAL"), QStringLiteral("Language"), QStringLiteral("RU"));
  } else if (language == 1) {
    ini.WriteString(QStringLiteral("GENERAL"), QStringLiteral("Language"), QStringLiteral("EN"));
  }
  // Writes reach the file at once, so a failed write leaves nothing to flush.
  ini.UpdateFile();
}

quint8 ReadLanguage() {
  const QString text = SettingsFile().ReadString(QStringLiteral("GENERAL"), QStringLiteral("Language"), QStringLiteral("RU"));
  return text == QLatin1String("EN") ? 1 : 0;
}
