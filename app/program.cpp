#include "app/program.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>

#include "app/main_window.h"
#include "platform/registry/registry.h"
#include "platform/widgets/shared_dialogs.h"

void MakeShellDataFolder() {
  TRegistry registry;
  registry.SetRootKey(HKEY_CURRENT_USER);
  if (!registry.OpenKeyReadOnly(QString::fromLatin1(kShellFoldersKey))) {
    return;
  }
  const QString folder = registry.ReadString(QStringLiteral("AppData"));
  // Without a usable value the start-up reports the missing folder itself.
  if (!folder.isEmpty() && QDir::isAbsolutePath(folder)) {
    QDir().mkpath(folder);
  }
}

QString ProgramTitle() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* main = qobject_cast<TfrmMain*>(widget)) {
      return main->Translate(QStringLiteral("Тяжарнет.ПРОТОКОЛ"), QStringLiteral("Tyazharnet.PROTOCOL"));
    }
  }
  return QStringLiteral("Тяжарнет.ПРОТОКОЛ");
}

void BindErrorDisplay() {
  SetErrorDisplay([](const QString& message) {
    QWidget* parent = QApplication::activeModalWidget();
    if (parent == nullptr) {
      parent = QApplication::activeWindow();
    }
    QMessageBox::critical(parent, ProgramTitle(), message);
  });
}
