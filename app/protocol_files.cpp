// Protocol files: saving a competition table where the user chooses and
// opening one back, with the default file name and the load failure message,
// and what a close compares against to know a protocol is not saved.
#include <QDate>
#include <QTabWidget>

#include "app/file_dialog.h"
#include "app/main_window.h"
#include "app/team_protocol_tab.h"
#include "platform/widgets/shared_dialogs.h"
#include "protocol/cleanup.h"

QString ProtocolFileName(const QString& Kind, const QDate& Today) {
  // The date part comes from the date itself: cut from the short date form it
  // would carry that form's separators ("/") into the file name.
  return QStringLiteral("protocol_") + Kind + Today.toString(QStringLiteral("yyyyMMdd")) +
         QStringLiteral(".ktp");
}

void TfrmMain::SaveProtocolFile(TClientDataSet& Table, const QString& Kind) {
  if (!Table.Active()) {
    return;
  }
  SaveDialog->FileName = ProtocolFileName(Kind, QDate::currentDate());
  if (!SaveDialog->Execute(this)) {
    return;
  }
  Table.SaveToFile(SaveDialog->FileName, 1);
  MarkProtocolSaved(Table);
}

void TfrmMain::LoadProtocolFile(TClientDataSet& Table) {
  if (!OpenDialog->Execute(this)) {
    return;
  }
  try {
    Table.LoadFromFile(OpenDialog->FileName);
  } catch (const EAbort&) {
    throw;
  } catch (const Exception& e) {
    // The table layer has left the table closed.
    ShowInformation(Translate(QStringLiteral("Файл не содержит нужной информации: "),
                              QStringLiteral("File incorrect: ")) +
                    e.Message());
    return;
  }
  MarkProtocolSaved(Table);
}

void TfrmMain::MarkProtocolSaved(TClientDataSet& Table) {
  FSavedProtocols.insert(&Table, Table.ChangeLog().size());
}

bool TfrmMain::ProtocolUnsaved(const TClientDataSet& Table) const {
  if (!Table.Active()) {
    return false;
  }
  // A row being edited counts as soon as anything was typed into it.
  if (Table.Modified()) {
    return true;
  }
  if (!Table.ContentChanged()) {
    return false;
  }
  // Every post and delete lengthens the change log.
  const auto saved = FSavedProtocols.constFind(&Table);
  return saved == FSavedProtocols.constEnd() || *saved != Table.ChangeLog().size();
}

bool TfrmMain::ConfirmUnsavedProtocols() {
  for (const TClientDataSet* table : {&dsSnatch, &dsLongCycle, &dsBiathlon, &dsRelayRace, &dsTeamProtocol}) {
    if (ProtocolUnsaved(*table)) {
      return Confirm(Translate(QStringLiteral("Протоколы не сохранены. Закрыть программу?"),
                               QStringLiteral("Protocols are not saved. Close the program?")));
    }
  }
  return true;
}

void TfrmMain::btnSaveCompetitorClick() {
  if (dsCompetitor.Active()) {
    dsCompetitor.SaveToFile();
  }
  SaveProtocolFile(dsCompetitor, QStringLiteral("competitor"));
}

void TfrmMain::btnLoadCompetitorClick() {
  LoadProtocolFile(dsCompetitor);
}

void TfrmMain::LoadDisciplineProtocol(TClientDataSet& Table) {
  // The opened protocol shows the class and sex the tab shows, whether the
  // load went through or not.
  RunProtected([&] { LoadProtocolFile(Table); }, {[&] { FilterShownWeightClass(Table); }});
}

void TfrmMain::btnSaveSnatchClick() {
  SaveProtocolFile(dsSnatch, QStringLiteral("snatch"));
}

void TfrmMain::btnLoadSnatchClick() {
  LoadDisciplineProtocol(dsSnatch);
}

void TfrmMain::btnSaveLongCycleClick() {
  SaveProtocolFile(dsLongCycle, QStringLiteral("longcycle"));
}

void TfrmMain::btnLoadLongCycleClick() {
  LoadDisciplineProtocol(dsLongCycle);
}

void TfrmMain::btnSaveBiathlonClick() {
  SaveProtocolFile(dsBiathlon, QStringLiteral("biathlon"));
}

void TfrmMain::btnLoadBiathlonClick() {
  LoadDisciplineProtocol(dsBiathlon);
}

void TfrmMain::btnSaveRRClick() {
  SaveProtocolFile(dsRelayRace, QStringLiteral("relayrace"));
}

void TfrmMain::btnLoadRRClick() {
  LoadProtocolFile(dsRelayRace);
}

void TfrmMain::btnSaveTeamProtocolClick() {
  SaveProtocolFile(dsTeamProtocol, QStringLiteral("teamprotocol"));
}

void TfrmMain::btnLoadTeamProtocolClick() {
  LoadProtocolFile(dsTeamProtocol);
  ShowOpenedTeamProtocol(*this);
}
