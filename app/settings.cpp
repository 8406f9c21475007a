// The settings file Tyazhar.ini (the general tab's choices) and the grid
// layout file Grids.ini (column widths of the eleven persisted grids).
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>

#include "app/main_window.h"
#include "common/language_key.h"
#include "platform/ini/ini_file.h"
#include "platform/widgets/data_grid.h"

namespace {

const QString kGeneral = QStringLiteral("GENERAL");
const QString kDiscipline = QStringLiteral("Discipline");
const QString kRRDiscipline = QStringLiteral("RRDiscipline");
const QString kWeight = QStringLiteral("Weight");

}  // namespace

void TfrmMain::LoadSettings() {
  FLanguage = ReadLanguage();
  TIniFile& ini = *FSettings;
  edCity->setText(ini.ReadString(kGeneral, QStringLiteral("City"), QString()));
  edDate->setText(ini.ReadString(kGeneral, QStringLiteral("Date"), QString()));
  edRefereeMain->setText(ini.ReadString(kGeneral, QStringLiteral("RefereeMain"), QString()));
  edSecretary->setText(ini.ReadString(kGeneral, QStringLiteral("Secretary"), QString()));
  edCompetitionName->setText(ini.ReadString(kGeneral, QStringLiteral("CompetitionName"), QString()));
  // The spin edit keeps the value within 1 to 255 itself.
  seCountTeamProtocolCompetitor->setValue(
      ini.ReadInteger(kGeneral, QStringLiteral("CountTeamProtocolCompetitor"), 1));
  cbCountTeamProtocolCompetitor->setChecked(
      ini.ReadBool(kGeneral, QStringLiteral("NeedCountTeamProtocolCompetitor"), false));
  cbAddRelayToTeamProtocol->setChecked(
      ini.ReadBool(kGeneral, QStringLiteral("AddRelayToTeamProtocol"), false));
  cbBiathlon->setChecked(ini.ReadBool(kDiscipline, QStringLiteral("Biathlon"), true));
  cbLongCycle->setChecked(ini.ReadBool(kDiscipline, QStringLiteral("LongCycle"), true));
  cbSnatch->setChecked(ini.ReadBool(kDiscipline, QStringLiteral("Snatch"), true));
  // The relay jerk key has always been spelled "Jark".
  cbRRDJerk->setChecked(ini.ReadBool(kRRDiscipline, QStringLiteral("Jark"), true));
  cbRRDLongCycle->setChecked(ini.ReadBool(kRRDiscipline, QStringLiteral("LongCycle"), true));
  cbRRDSnatch->setChecked(ini.ReadBool(kRRDiscipline, QStringLiteral("Snatch"), false));
  cbSnatchWeightM->setCurrentText(ini.ReadString(kWeight, QStringLiteral("SnatchM"), QStringLiteral("32")));
  cbSnatchWeightW->setCurrentText(ini.ReadString(kWeight, QStringLiteral("SnatchW"), QStringLiteral("24")));
  cbLongCycleWeightM->setCurrentText(
      ini.ReadString(kWeight, QStringLiteral("LongCycleM"), QStringLiteral("32")));
  cbLongCycleWeightW->setCurrentText(
      ini.ReadString(kWeight, QStringLiteral("LongCycleW"), QStringLiteral("24")));
  cbBiathlonWeightM->setCurrentText(
      ini.ReadString(kWeight, QStringLiteral("BiathlonM"), QStringLiteral("32")));
  cbBiathlonWeightW->setCurrentText(
      ini.ReadString(kWeight, QStringLiteral("BiathlonW"), QStringLiteral("24")));
}

void TfrmMain::SaveSettings() {
  // A start-up that found no data folder made no settings file to write to.
  if (!FSettings) {
    return;
  }
  // One write of the file for all the keys, the language key among them.
  TIniFileBatch batch(FSettings->FileName());
  WriteLanguage(FLanguage);
  TIniFile& ini = *FSettings;
  ini.WriteString(kGeneral, QStringLiteral("City"), edCity->text());
  ini.WriteString(kGeneral, QStringLiteral("Date"), edDate->text());
  ini.WriteString(kGeneral, QStringLiteral("RefereeMain"), edRefereeMain->text());
  ini.WriteString(kGeneral, QStringLiteral("Secretary"), edSecretary->text());
  ini.WriteString(kGeneral, QStringLiteral("CompetitionName"), edCompetitionName->text());
  ini.WriteInteger(kGeneral, QStringLiteral("CountTeamProtocolCompetitor"),
                   seCountTeamProtocolCompetitor->value());
  ini.WriteBool(kGeneral, QStringLiteral("NeedCountTeamProtocolCompetitor"),
                cbCountTeamProtocolCompetitor->isChecked());
  ini.WriteBool(kGeneral, QStringLiteral("AddRelayToTeamProtocol"), cbAddRelayToTeamProtocol->isChecked());
  ini.WriteBool(kDiscipline, QStringLiteral("Biathlon"), cbBiathlon->isChecked());
  ini.WriteBool(kDiscipline, QStringLiteral("LongCycle"), cbLongCycle->isChecked());
  ini.WriteBool(kDiscipline, QStringLiteral("Snatch"), cbSnatch->isChecked());
  ini.WriteBool(kRRDiscipline, QStringLiteral("Jark"), cbRRDJerk->isChecked());
  ini.WriteBool(kRRDiscipline, QStringLiteral("LongCycle"), cbRRDLongCycle->isChecked());
  ini.WriteBool(kRRDiscipline, QStringLiteral("Snatch"), cbRRDSnatch->isChecked());
  ini.WriteString(kWeight, QStringLiteral("SnatchM"), cbSnatchWeightM->currentText());
  ini.WriteString(kWeight, QStringLiteral("SnatchW"), cbSnatchWeightW->currentText());
  ini.WriteString(kWeight, QStringLiteral("LongCycleM"), cbLongCycleWeightM->currentText());
  ini.WriteString(kWeight, QStringLiteral("LongCycleW"), cbLongCycleWeightW->currentText());
  ini.WriteString(kWeight, QStringLiteral("BiathlonM"), cbBiathlonWeightM->currentText());
  ini.WriteString(kWeight, QStringLiteral("BiathlonW"), cbBiathlonWeightW->currentText());
  batch.Commit();
}

// Widths come back by line position, not by key: a section keeps the order in
// which it was first written, and that is the grid's design order.
void TfrmMain::LoadGridColumns(TDataGrid& Grid) {
  const QStringList lines = FGridsIni->ReadSectionValues(Grid.objectName());
  for (int position = 0; position < lines.size() && position < Grid.ColumnCount(); ++position) {
    const QString& line = lines[position];
    QString value = line.mid(line.indexOf(u'=') + 1);
    const int dash = value.indexOf(u'-');
    if (dash >= 0) {
      value = value.mid(dash + 1);
    }
    bool ok = false;
    const int width = value.trimmed().toInt(&ok);
    // A line that holds no width is passed over; it must not stop the start.
    if (ok) {
      Grid.SetColumnWidth(position, width);
    }
  }
}

void TfrmMain::SaveGridColumns(TDataGrid& Grid) {
  for (int position = 0; position < Grid.ColumnCount(); ++position) {
    FGridsIni->WriteString(Grid.objectName(), Grid.ColumnFieldName(position),
                           QString::number(position) + u'-' + QString::number(Grid.ColumnWidth(position)));
  }
}

void TfrmMain::LoadAllGridColumns() {
  for (TDataGrid* grid : PersistedGrids()) {
    LoadGridColumns(*grid);
  }
}

void TfrmMain::SaveAllGridColumns() {
  TIniFileBatch batch(FGridsIni->FileName());
  for (TDataGrid* grid : PersistedGrids()) {
    SaveGridColumns(*grid);
  }
  batch.Commit();
}
