#include "common/data_folder.h"

#include <QDir>
#include <QFileInfo>

#include "platform/core/exception.h"
#include "platform/registry/registry.h"

QString GetAppDataDir() {
  const QString noPath = QStringLiteral("Не удается получить путь к данным приложения");
  TRegistry reg;
  reg.SetRootKey(HKEY_CURRENT_USER);
  if (!reg.OpenKeyReadOnly(kShellFoldersKey)) {
    throw Exception(noPath);
  }
  QString folder = reg.ReadString(QStringLiteral("AppData"));
  // An empty value would put the data folder wherever the program happens to
  // be started from.
  if (folder.isEmpty()) {
    throw Exception(noPath);
  }
  if (!folder.endsWith(u'/')) {
    folder += u'/';
  }
  folder += QStringLiteral("Tyazharnet-protocol/");
  if (!QFileInfo(folder).isDir() && !QDir().mkdir(folder)) {
    throw Exception(QStringLiteral("Не удается создать каталог с данными приложения"));
  }
  return folder;
}
