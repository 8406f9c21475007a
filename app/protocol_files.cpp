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

namespace {

// An empty table of the same name and definition, to try a file on before it
// replaces what the table holds; its errors read as the table's own.
void DefineLike(const TClientDataSet& Table, TClientDataSet& Scratch) {
  for (int i = 0; i < Table.FieldCount(); ++i) {
    const TField& field = Table.Fields(i);
    // Lookups take no part in reading a file, and columns that came with the
    // last file leave the table free to take another file's.
    if (!field.IsLookup() && !field.FromFile()) {
      Scratch.AddField(field.FieldName(), field.DataType(), field.Size());
    }
  }
  for (const TIndexDef& index : Table.IndexDefs()) {
    Scratch.AddIndexDef(index);
  }
  if (!Table.IndexFieldNames().isEmpty()) {
    Scratch.SetIndexFieldNames(Table.IndexFieldNames());
  } else {
    Scratch.SetIndexName(Table.IndexName());
  }
  Scratch.SetFilter(Table.Filter());
  Scratch.SetFiltered(Table.Filtered());
}

}  // namespace

void TfrmMain::LoadProtocolFile(TClientDataSet& Table) {
  if (!OpenDialog->Execute(this)) {
    return;
  }
  // The file is read into a table of its own first: one that cannot be read
  // leaves the rows, the filter and the unsaved changes where they were.
  TClientDataSet scratch(Table.Name());
  DefineLike(Table, scratch);
  try {
    scratch.LoadFromFile(OpenDialog->FileName);
  } catch (const EAbort&) {
    throw;
  } catch (const Exception& e) {
    ShowInformation(Translate(QStringLiteral("Файл не содержит нужной информации: "),
                              QStringLiteral("File incorrect: ")) +
                    e.Message());
    return;
  }
  Table.LoadFromBytes(scratch.SaveToBytes());
  MarkProtocolSaved(Table);
}

bool TfrmMain::ConfirmProtocolReplace(const TClientDataSet& Table) {
  return !ProtocolUnsaved(Table) ||
         Confirm(Translate(QStringLiteral("Протокол не сохранен. Открыть другой?"),
                           QStringLiteral("The protocol is not saved. Open another?")));
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
  if (!ConfirmProtocolReplace(Table)) {
    return;
  }
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
  if (ConfirmProtocolReplace(dsRelayRace)) {
    LoadProtocolFile(dsRelayRace);
  }
}

void TfrmMain::btnSaveTeamProtocolClick() {
  SaveProtocolFile(dsTeamProtocol, QStringLiteral("teamprotocol"));
}

void TfrmMain::btnLoadTeamProtocolClick() {
  if (ConfirmProtocolReplace(dsTeamProtocol)) {
    LoadProtocolFile(dsTeamProtocol);
    ShowOpenedTeamProtocol(*this);
  }
}
