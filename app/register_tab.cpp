// The registration tab and the reference tables' save buttons: field rules of
// the register, growth of the team and coach handbooks, completion from the
// handbooks, taking a competitor over from the competitor handbook, the
// insert guards, the table copy.
#include <QCheckBox>
#include <QTabWidget>
#include <cmath>

#include "app/main_window.h"
#include "app/protocol_rules.h"
#include "common/record_copy.h"
#include "platform/widgets/data_check_box.h"
#include "platform/widgets/data_edit.h"
#include "platform/widgets/data_link.h"

namespace {

const QString kName = QStringLiteral("Name");

bool IsEditing(const TClientDataSet& table) {
  return table.State() == TDataSetState::dsEdit || table.State() == TDataSetState::dsInsert;
}

// Blanks and control characters around a value do not make it a value.
bool IsBlank(const QString& text) {
  for (const QChar c : text) {
    if (c.unicode() > u' ') {
      return false;
    }
  }
  return true;
}

// The characters a team or coach name is completed over. Ё and ё lie outside
// the alphabet's run from А to я and end a word, as every other character
// does.
bool IsWordChar(QChar c) {
  const char16_t u = c.unicode();
  return u == u' ' || u == u'-' || u == u'.' || (u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') ||
         (u >= u'a' && u <= u'z') || (u >= u'\u0410' && u <= u'\u044F');
}

// A text for a literal of the filter language: an apostrophe in a name
// (O'Brien) would otherwise end the literal and break the expression.
QString FilterLiteralText(const QString& text) {
  QString quoted = text;
  quoted.replace(u'\'', QStringLiteral("''"));
  return quoted;
}

void GrowHandbook(TClientDataSet& handbook, const QString& text) {
  if (text.isEmpty() || !handbook.Active()) {
    return;
  }
  TField& name = handbook.FieldByName(kName);
  // Looked up as it would be stored: a coach text longer than the handbook's
  // entries is found again under its cut form instead of being added once
  // more at every post.
  const QString entry = name.Size() > 0 ? text.left(name.Size()) : text;
  if (handbook.Locate(kName, entry, loCaseInsensitive)) {
    return;
  }
  handbook.Insert();
  name.SetAsString(entry);
  handbook.Post();
}

// The save posts a pending edit, and the post takes what is still typed into
// the table's edits or an open grid cell.
void SaveTableFile(TClientDataSet& table) {
  if (!table.Active()) {
    return;
  }
  table.SaveToFile();
}

}  // namespace

void TfrmMain::dsCompetitorNotNullStrValidate(TField& Sender) {
  if (Sender.IsNull() || IsBlank(Sender.AsString())) {
    throw Exception(
        Translate(QStringLiteral("Не допускается пустое значение поля "), QStringLiteral("Field is null ")) +
        u'"' + Sender.DisplayLabel() + u'"');
  }
  if (&Sender == dsCompetitor.FindField(QStringLiteral("Weight"))) {
    // Halves go to the even integer (the program never leaves the default
    // rounding mode), so 999.5 is already 1000. A value that is no number at
    // all is refused with the too large ones.
    const double rounded = std::nearbyint(Sender.AsFloat());
    if (!(rounded <= 999.0)) {
      throw Exception(Translate(QStringLiteral("Не допустимое значение"), QStringLiteral("Invalid value")));
    }
  }
}

void TfrmMain::dsCompetitorRealWeightChange(TField& Sender) {
  Sender.DataSet().FieldByName(QStringLiteral("Weight")).SetAsFloat(Sender.AsFloat());
}

void TfrmMain::dsCompetitorNewRecord(TClientDataSet& DataSet) {
  DataSet.FieldByName(QStringLiteral("Snatch")).SetAsBoolean(false);
  DataSet.FieldByName(QStringLiteral("Biathlon")).SetAsBoolean(false);
  DataSet.FieldByName(QStringLiteral("LongCycle")).SetAsBoolean(false);
  DataSet.FieldByName(QStringLiteral("AtTheTeam")).SetAsBoolean(true);
}

void TfrmMain::dsCompetitorAfterPost(TClientDataSet& DataSet) {
  GrowHandbook(dsHBTeam, DataSet.FieldByName(QStringLiteral("Team")).AsString());
  GrowHandbook(dsHBTrainer, DataSet.FieldByName(QStringLiteral("Trainer")).AsString());
}

// The weighing tab shows the register to weigh it in, not to add to it.
void TfrmMain::dsCompetitorBeforeInsert(TClientDataSet& /*DataSet*/) {
  if (pcMain->currentWidget() == tbshWeight) {
    Abort();
  }
}

// The competition tab's protocols are built from the register; a row added by
// hand there would be nobody's.
void TfrmMain::dsSnatchBeforeInsert(TClientDataSet& /*DataSet*/) {
  if (pcMain->currentWidget() == tbshCompetition) {
    Abort();
  }
}

void TfrmMain::dsLongCycleBeforeInsert(TClientDataSet& /*DataSet*/) {
  if (pcMain->currentWidget() == tbshCompetition) {
    Abort();
  }
}

void TfrmMain::dsBiathlonBeforeInsert(TClientDataSet& /*DataSet*/) {
  if (pcMain->currentWidget() == tbshCompetition) {
    Abort();
  }
}

// Relay members come only through the member selection, which detaches this.
void TfrmMain::dsRelayRaceBeforeInsert(TClientDataSet& /*DataSet*/) {
  Abort();
}

void TfrmMain::edNameKeyUp(TDataEdit& Sender, int /*Key*/, Qt::KeyboardModifiers /*Shift*/) {
  const QString text = Sender.text();
  if (text.isEmpty() || !dsCompetitorHB.Active()) {
    return;
  }
  // Only the closing asterisk is the filter's wildcard: one typed into the
  // name is an ordinary character of the prefix.
  dsCompetitorHB.SetFilter(QStringLiteral("Name = '") + FilterLiteralText(text) + QStringLiteral("*'"));
  dsCompetitorHB.SetFiltered(true);
}

void TfrmMain::edNameExit(TDataEdit& /*Sender*/) {
  dsCompetitorHB.SetFilter(QString());
}

void TfrmMain::edTeamKeyUp(TDataEdit& Sender, int Key, Qt::KeyboardModifiers /*Shift*/) {
  TClientDataSet* handbook = nullptr;
  if (&Sender == edTeam) {
    handbook = &dsHBTeam;
  } else if (&Sender == edTrainer) {
    handbook = &dsHBTrainer;
  } else {
    return;
  }
  // A read-only edit has no row under it to complete.
  if (Sender.isReadOnly()) {
    return;
  }
  switch (Key) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
      // The proposal goes, and no new one follows it: removing letters must
      // not bring them straight back.
      if (Sender.hasSelectedText()) {
        Sender.insert(QString());
      }
      return;
    case Qt::Key_Tab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (Sender.hasSelectedText()) {
        Sender.setCursorPosition(Sender.selectionEnd());
      }
      return;
    default:
      break;
  }
  // A letter typed replaces the selection before its key comes up; a
  // selection still there means the key typed nothing (Shift, an arrow), and
  // the proposal stands as it is.
  if (Sender.hasSelectedText()) {
    return;
  }

  const QString text = Sender.text();
  const int caret = Sender.cursorPosition();
  if (caret < text.size() && IsWordChar(text[caret])) {
    return;
  }
  int start = caret;
  while (start > 0 && IsWordChar(text[start - 1])) {
    --start;
  }
  const QString word = text.mid(start, caret - start);
  if (word.isEmpty() || !handbook->Active()) {
    return;
  }
  if (!handbook->Locate(kName, word, loCaseInsensitive | loPartialKey)) {
    return;
  }
  const QString found = handbook->FieldByName(kName).AsString();
  if (found.left(word.size()).compare(word, Qt::CaseInsensitive) != 0) {
    return;
  }
  const QString rest = found.mid(word.size());
  // The whole name is typed already.
  if (rest.isEmpty()) {
    return;
  }
  Sender.setText(text.left(caret) + rest + text.mid(caret));
  // The caret stays where the typing goes on; the rest is selected, so the
  // next letter replaces it.
  Sender.setSelection(caret + int(rest.size()), -int(rest.size()));
}

void TfrmMain::butHBSelectClick() {
  if (!IsEditing(dsCompetitor) || !dsCompetitorHB.Active() || dsCompetitorHB.IsEmpty()) {
    return;
  }
  // The button leaves the focus where it was: text still typed into an edit
  // would otherwise overwrite the handbook's value when that edit is left.
  UpdateRecord(dsCompetitor);
  CopyRecordByFieldNames(dsCompetitorHB, dsCompetitor);
}

void TfrmMain::tbshCredentialsCommitteeShow() {
  // The weighing tab leaves the register filtered to one class and ordered by
  // weight; here every competitor is shown in the order of entry.
  dsCompetitor.SetFiltered(false);
  dsCompetitor.SetFilter(QString());
  dsCompetitor.SetIndexName(QString());
  edBiathlon->setVisible(cbBiathlon->isChecked());
  edSnatch->setVisible(cbSnatch->isChecked());
  edLongCycle->setVisible(cbLongCycle->isChecked());
}

void TfrmMain::CopyAllRecords(TClientDataSet& Source, TClientDataSet& Dest) {
  AppendAllRecords(Source, Dest);
}

void TfrmMain::btnSaveNormativeClick() {
  SaveTableFile(dsNormative);
}

void TfrmMain::btnSaveManWeightClick() {
  SaveTableFile(dsManWeight);
}

void TfrmMain::btnSaveWomanWeightClick() {
  SaveTableFile(dsWomanWeight);
}

void TfrmMain::btnSaveRefereePMClick() {
  SaveTableFile(dsRefereePlatformMain);
}

void TfrmMain::btnSaveRefereePClick() {
  SaveTableFile(dsRefereePlatform);
}

void TfrmMain::btnSaveOrganizatorClick() {
  SaveTableFile(dsOrganizer);
  SaveSettings();
}

void TfrmMain::btnSaveCompetitorWeightClick() {
  SaveTableFile(dsCompetitor);
}
