#include "app/program.h"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>

#include "app/main_window.h"
#include "platform/registry/registry.h"
#include "platform/widgets/shared_dialogs.h"

namespace {

const QString kQtTextsName = QStringLiteral("tyazharQtTexts");

}  // namespace

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

void BindDialogTitle() {
  SetDialogTitle(ProgramTitle);
}

QString QtTranslationsFolder() {
  return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool UseQtTexts(int language, const QString& folder) {
  QCoreApplication* application = QCoreApplication::instance();
  // The catalogue belongs to the application, so it is installed once however
  // many windows come and go, and goes with the application.
  auto* installed = application->findChild<QTranslator*>(kQtTextsName, Qt::FindDirectChildrenOnly);
  if (language != 0) {
    // Deleting it takes it out of the application.
    delete installed;
    return false;
  }
  if (installed != nullptr) {
    return true;
  }
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(QStringLiteral("qtbase_ru"), folder)) {
    return false;
  }
  translator->setObjectName(kQtTextsName);
  translator->setParent(application);
  QCoreApplication::installTranslator(translator.release());
  return true;
}
