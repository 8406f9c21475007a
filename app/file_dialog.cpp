#include "app/file_dialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

std::function<bool(TFileDialog& dialog)> TFileDialog::ExecuteHook;

TFileDialog::TFileDialog(TKind kind, QObject* parent) : QObject(parent), FKind(kind) {}

bool TFileDialog::Execute(QWidget* parent) {
  if (ExecuteHook) {
    if (!ExecuteHook(*this)) {
      return false;
    }
    // As the real dialog does: a name typed without an extension gets the
    // default one.
    if (FKind == fdSave && !DefaultExt.isEmpty() && QFileInfo(FileName).suffix().isEmpty()) {
      FileName += u'.' + DefaultExt;
    }
    return true;
  }
  QFileDialog dialog(parent);
  dialog.setAcceptMode(FKind == fdSave ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(FKind == fdSave || !(Options & ofFileMustExist) ? QFileDialog::AnyFile
                                                                     : QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(DefaultExt);
  QStringList filters;
  const QStringList parts = Filter.split(u'|');
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    filters << parts[i] + QStringLiteral(" (") + QString(parts[i + 1]).replace(u';', u' ') + u')';
  }
  dialog.setNameFilters(filters);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !(Options & ofOverwritePrompt));
  dialog.setOption(QFileDialog::ReadOnly, false);
  dialog.setSizeGripEnabled(Options & ofEnableSizing);
  if (!FileName.isEmpty()) {
    dialog.selectFile(FileName);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
    return false;
  }
  FileName = dialog.selectedFiles().constFirst();
  return true;
}
