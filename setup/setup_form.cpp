#include "setup/setup_form.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/file_dialog.h"
#include "common/data_folder.h"
#include "common/language_key.h"
#include "platform/core/atomic_file.h"
#include "platform/core/exception.h"
#include "platform/registry/registry.h"
#include "platform/widgets/shared_dialogs.h"
#include "setup/carried_files.h"
#include "setup/desktop_entry.h"

namespace {

// Where an installation is registered, under HKEY_LOCAL_MACHINE.
const QString kInstallKey = QStringLiteral("Software\\Tyazhar");

// Linux stand-in: "/" wherever the folders had "\".
constexpr QChar kSeparator = u'/';

QString WithSeparator(QString folder) {
  if (!folder.endsWith(kSeparator)) {
    folder += kSeparator;
  }
  return folder;
}

}  // namespace

const QString TfrSetup::kProgramFileName = QStringLiteral("tyazharnet-protocol");

TfrSetup::TfrSetup(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("frSetup"));
  // A fixed single border: no maximising, no resizing.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(5, 5, 5, 5);
  layout->setSpacing(5);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  cbLanguage = new QComboBox(this);
  cbLanguage->setObjectName(QStringLiteral("cbLanguage"));
  cbLanguage->addItems({QStringLiteral("Русский"), QStringLiteral("English")});
  cbLanguage->setCurrentIndex(0);
  layout->addWidget(cbLanguage);

  lbPath = new QLabel(this);
  lbPath->setObjectName(QStringLiteral("lbPath"));
  layout->addWidget(lbPath);
  auto* pathRow = new QHBoxLayout;
  pathRow->setSpacing(5);
  edPath = new QLineEdit(this);
  edPath->setObjectName(QStringLiteral("edPath"));
  edPath->setMinimumWidth(340);
  lbPath->setBuddy(edPath);
  btnPath = new QPushButton(QStringLiteral("..."), this);
  btnPath->setObjectName(QStringLiteral("btnPath"));
  btnPath->setFixedWidth(btnPath->fontMetrics().horizontalAdvance(QStringLiteral("...")) + 16);
  pathRow->addWidget(edPath);
  pathRow->addWidget(btnPath);
  layout->addLayout(pathRow);

  layout->addSpacing(5);
  auto* buttonRow = new QHBoxLayout;
  btnCancel = new QPushButton(this);
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  btnSetup = new QPushButton(this);
  btnSetup->setObjectName(QStringLiteral("btnSetup"));
  buttonRow->addWidget(btnCancel);
  buttonRow->addStretch();
  buttonRow->addWidget(btnSetup);
  layout->addLayout(buttonRow);

  dlgSave = new TFileDialog(TFileDialog::fdSave, this);
  dlgSave->setObjectName(QStringLiteral("dlgSave"));
  // Linux stand-in: the program has no extension, so the dialog offers
  // nothing but its name.
  dlgSave->Filter = kProgramFileName + u'|' + kProgramFileName;
  dlgSave->Options = TFileDialog::ofHideReadOnly | TFileDialog::ofPathMustExist | TFileDialog::ofEnableSizing;

  connect(cbLanguage, &QComboBox::currentIndexChanged, this,
          [this] { RunGuarded([this] { cbLanguageChange(); }); });
  connect(btnPath, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnPathClick(); }); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnCancelClick(); }); });
  connect(btnSetup, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnSetupClick(); }); });

  // Captioned before the first showing too, so the window is never blank.
  ApplyLanguage();
}

TfrSetup::~TfrSetup() = default;

void TfrSetup::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  // Once only: coming back from a message box must not put the proposed
  // folder back over what the user typed.
  if (!FActivated) {
    FActivated = true;
    RunGuarded([this] { FormActivate(); });
  }
}

quint8 TfrSetup::Language() const {
  return cbLanguage->currentIndex() != 0 ? 1 : 0;
}

QString TfrSetup::ChooseText(const QString& Russian, const QString& English) const {
  return Language() != 0 ? English : Russian;
}

void TfrSetup::FormActivate() {
  {
    TRegistry reg;
    reg.SetRootKey(HKEY_LOCAL_MACHINE);
    FReinstall = reg.KeyExists(kInstallKey);
    if (reg.OpenKeyReadOnly(QString::fromLatin1(kCurrentVersionKey))) {
      // An empty value has no last character to look at; nothing is proposed.
      const QString programFiles = reg.ReadString(QStringLiteral("ProgramFilesDir"));
      if (!programFiles.isEmpty()) {
        edPath->setText(WithSeparator(programFiles) + QStringLiteral("Tyazharnet-protocol") + kSeparator);
      }
    }
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (reg.OpenKeyReadOnly(QString::fromLatin1(kShellFoldersKey))) {
      FDesktopDir = reg.ReadString(QStringLiteral("desktop"));
    }
  }
  ApplyLanguage();
}

void TfrSetup::ApplyLanguage() {
  setWindowTitle(ChooseText(QStringLiteral("Тяжарнет.ПРОТОКОЛ"), QStringLiteral("Tyazharnet.PROTOCOL")));
  lbPath->setText(ChooseText(QStringLiteral("Путь"), QStringLiteral("Path")));
  btnCancel->setText(ChooseText(QStringLiteral("Отмена"), QStringLiteral("Cancel")));
  btnSetup->setText(FReinstall ? ChooseText(QStringLiteral("Переустановить"), QStringLiteral("Reinstall"))
                               : ChooseText(QStringLiteral("Установить"), QStringLiteral("Install")));
}

void TfrSetup::cbLanguageChange() {
  ApplyLanguage();
}

void TfrSetup::btnPathClick() {
  // The dialog opens in the folder typed so far, when there is one.
  const QString typed = edPath->text();
  dlgSave->FileName = !typed.isEmpty() && QFileInfo(typed).isDir()
                          ? WithSeparator(QFileInfo(typed).absoluteFilePath()) + kProgramFileName
                          : kProgramFileName;
  if (dlgSave->Execute(this)) {
    const QString chosen = dlgSave->FileName;
    edPath->setText(chosen.left(chosen.lastIndexOf(kSeparator) + 1));
  }
}

void TfrSetup::btnCancelClick() {
  close();
}

void TfrSetup::btnSetupClick() {
  // The install folder, with its missing parents.
  const QString typed = edPath->text();
  if (typed.isEmpty()) {
    throw Exception(QStringLiteral("Unable to create directory"));
  }
  if (!QDir().mkpath(typed)) {
    throw Exception(QStringLiteral("Создание каталога для установки не удалось."));
  }

  // Nothing may stand where the program goes. Absolute, so that the
  // desktop entry finds the program whatever folder the installer ran in.
  FInstallDir = WithSeparator(QDir(typed).absolutePath());
  const QString programPath = FInstallDir + kProgramFileName;
  const QFileInfo program(programPath);
  // A folder of that name cannot be removed as a file and stops the
  // installation here. A running program does not: its file can go (Linux).
  if ((program.exists() || program.isSymLink()) && !QFile::remove(programPath)) {
    throw Exception(QStringLiteral("В каталоге находятся файлы препятствующие установке."));
  }

  WriteRegistry();

  // A Linux data home is made only when a program first writes there; the
  // data folder inside it is made one level only.
  {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (reg.OpenKeyReadOnly(QString::fromLatin1(kShellFoldersKey))) {
      const QString appData = reg.ReadString(QStringLiteral("AppData"));
      if (QDir::isAbsolutePath(appData)) {
        QDir().mkpath(appData);
      }
    }
  }

  // A reinstallation starts the program afresh: no tables, no settings.
  if (FReinstall) {
    DeleteDataFiles(QStringLiteral("*.xml"));
    DeleteDataFiles(QStringLiteral("*.ini"));
  }

  const quint8 language = Language();
  WriteLanguage(language);

  // The ranks requirements are reset in either mode.
  WriteCarriedFile(QStringLiteral("TYAZHAR"), programPath, true);
  WriteCarriedFile(QStringLiteral("NORMATIVE"), GetAppDataDir() + QStringLiteral("Normative.xml"), false);

  // The program and its data are in place by now: a shortcut that cannot be
  // made does not undo the installation. It is told with the success, with
  // its file and the system's reason, so the user knows what to start by hand.
  // Without a desktop folder there is nowhere to put one, which the user is
  // told as well: "added to the desktop" would send them looking for it.
  QString shortcutError;
  if (FDesktopDir.isEmpty() || !QFileInfo(FDesktopDir).isDir()) {
    shortcutError = (language != 0 ? QStringLiteral("No desktop folder was found")
                                   : QStringLiteral("Папка рабочего стола не найдена")) +
                    (FDesktopDir.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + FDesktopDir);
  } else {
    try {
      CreateDesktopShortcut(kProgramFileName, FInstallDir);
    } catch (const Exception& e) {
      shortcutError = e.Message();
    }
  }

  QString message;
  if (shortcutError.isEmpty()) {
    message = language != 0 ? QStringLiteral("Program successfull install")
                            : QStringLiteral("Программа успешно установлена. Ярлык добавлен на рабочий стол");
  } else {
    message =
        (language != 0 ? QStringLiteral("Program successfull install. Creating the desktop shortcut failed.")
                       : QStringLiteral("Программа успешно установлена. Создание ярлыка на рабочем столе "
                                        "не удалось.")) +
        u' ' + shortcutError;
  }
  ShowInformation(message);
  close();
}

void TfrSetup::WriteRegistry() {
  TRegistry reg;
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  if (!reg.OpenKey(kInstallKey, true)) {
    // A store that could not be written says which file and why.
    const QString message = QStringLiteral("Запись информации в реестр не удалась.");
    throw Exception(reg.LastWriteError().isEmpty() ? message : message + u' ' + reg.LastWriteError());
  }
  reg.WriteString(QStringLiteral("CurrentVersion"), QStringLiteral("1.0"));
  reg.WriteString(QStringLiteral("Path"), edPath->text());
}

void TfrSetup::DeleteDataFiles(const QString& mask) {
  const QString folder = GetAppDataDir();
  // Hidden and special entries too; the mask matches in any letter case.
  const QFileInfoList entries = QDir(folder).entryInfoList(
      {mask}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
  for (const QFileInfo& entry : entries) {
    // Files only: a folder that matches stays with all it holds; a link is
    // removed as a link, never what it points to.
    if (entry.isDir() && !entry.isSymLink()) {
      continue;
    }
    if (!QFile::remove(folder + entry.fileName())) {
      throw Exception(QStringLiteral("Удаление служебных данных для переустановки не удалось."));
    }
  }
}

void TfrSetup::CreateDesktopShortcut(const QString& fileName, const QString& folder) {
  if (!QFileInfo(folder + fileName).isFile() || FDesktopDir.isEmpty() || !QFileInfo(FDesktopDir).isDir()) {
    return;
  }
  // Linux stand-in for the shell link: a freedesktop desktop entry, runnable
  // so the desktop starts it, with our icon beside the program. A write that
  // fails raises the file's error, which the installation tells beside its
  // success: without the entry the desktop has nothing that starts the
  // program, and the user would not know why.
  const QString icon = folder + fileName + QStringLiteral(".svg");
  WriteCarriedFile(QStringLiteral("ICON"), icon, false);
  const QString entry =
      DesktopEntryText(ChooseText(QStringLiteral("Тяжарнет.ПРОТОКОЛ"), QStringLiteral("Tyazharnet.PROTOCOL")),
                       folder + fileName, folder, icon);
  const QString entryPath = WithSeparator(FDesktopDir) + fileName + QStringLiteral(".desktop");
  QString reason;
  if (!WriteFileAtomically(entryPath, entry.toUtf8(), &reason, kRunnablePermissions)) {
    throw Exception(CannotCreateFileMessage(entryPath, reason));
  }
}
