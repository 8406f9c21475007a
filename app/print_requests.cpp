// Print requests: what the window gathers for the protocol builder and the
// builder operation each print button and the export start. The builder lives
// for one request and is freed whatever happens.
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

#include "app/main_window.h"
#include "app/protocol_rules.h"
#include "app/wait_cursor.h"
#include "protocol/protocol.h"

namespace {

const QString kUpTo = QStringLiteral("до");

}  // namespace

QComboBox& TfrmMain::ShownClassSelector() const {
  return pcCompetitionWeight->currentWidget() == tbshCompMan ? *cbCompManWeightClass
                                                             : *cbCompWomanWeightClass;
}

TClientDataSet& TfrmMain::ShownWeightTable() {
  return pcCompetitionWeight->currentWidget() == tbshCompMan ? dsManWeight : dsWomanWeight;
}

QString TfrmMain::GetWeightClassCaption() {
  const QString text = ShownClassSelector().currentText();
  return text == OpenClassCaption() ? text : kUpTo;
}

void TfrmMain::GetPlatformReferees(QString& Referee, QString& MainReferee) {
  const QString text = ShownClassSelector().currentText();
  Referee.clear();
  MainReferee.clear();
  TClientDataSet& classes = ShownWeightTable();
  bool isNumber = false;
  const int limit = text == OpenClassCaption() ? 1000 : text.toInt(&isNumber);
  if (!classes.Active() || (limit != 1000 && !isNumber)) {
    return;
  }
  if (classes.Locate(QStringLiteral("Weight"), TValue(limit))) {
    Referee = classes.FieldByName(QStringLiteral("RefereePlatform")).AsString();
    MainReferee = classes.FieldByName(QStringLiteral("RefereePlatformMain")).AsString();
  }
}

void TfrmMain::PrintDiscipline(TDisciplinePrint Print, TClientDataSet& Protocol, const QComboBox& WeightM,
                               const QComboBox& WeightW) {
  QString referee;
  QString mainReferee;
  GetPlatformReferees(referee, mainReferee);
  const TWaitCursor wait;
  TProtocol protocol(TranslateFunc());
  // The printed class line and the ranks requirements take the class shown:
  // its limit, or for the open class the heaviest closed limit.
  const QString caption = GetWeightClassCaption();
  const bool open = caption != kUpTo;
  const QString openName = open ? OpenClassName(ShownWeightTable()) : QString();
  const int weight =
      open ? openName.left(openName.size() - 1).toInt() : ShownClassSelector().currentText().toInt();
  (protocol.*Print)(edCompetitionName->text(), edDate->text(), edCity->text(), caption, edRefereeMain->text(),
                    edSecretary->text(), referee, mainReferee, dsOrganizer, Protocol, dsNormative,
                    WeightM.currentText(), WeightW.currentText(), weight,
                    open ? protocol.OpenClassWord() : kUpTo);
}

void TfrmMain::btnPrintSnatchClick() {
  PrintDiscipline(&TProtocol::PrintSnatch, dsSnatch, *cbSnatchWeightM, *cbSnatchWeightW);
}

void TfrmMain::btnPrintLongCycleClick() {
  PrintDiscipline(&TProtocol::PrintLongCycle, dsLongCycle, *cbLongCycleWeightM, *cbLongCycleWeightW);
}

void TfrmMain::btnPrintBiathlonClick() {
  PrintDiscipline(&TProtocol::PrintBiathlon, dsBiathlon, *cbBiathlonWeightM, *cbBiathlonWeightW);
}

void TfrmMain::btnPrintRRClick() {
  const TWaitCursor wait;
  TProtocol protocol(TranslateFunc());
  protocol.PrintRelayRace(RelayCurrentSex(), RelayCurrentDiscipline(), edCompetitionName->text(),
                          edDate->text(), edCity->text(), dsOrganizer, dsRelayRace);
}

void TfrmMain::btnPrintTeamProtocolClick() {
  const TWaitCursor wait;
  TProtocol protocol(TranslateFunc());
  protocol.PrintTeamProtocol(edCompetitionName->text(), edDate->text(), edCity->text(), dsOrganizer,
                             dsTeamProtocol, edRefereeMain->text(), edSecretary->text());
}

void TfrmMain::miExportExcelClick() {
  const TWaitCursor wait;
  TProtocol protocol(TranslateFunc());
  protocol.ExportAll(edCompetitionName->text(), edDate->text(), edCity->text(), dsOrganizer, dsManWeight,
                     dsWomanWeight, dsBiathlon, dsLongCycle, dsSnatch, dsRelayRace, dsTeamProtocol,
                     edRefereeMain->text(), edSecretary->text(), dsNormative, cbSnatchWeightM->currentText(),
                     cbSnatchWeightW->currentText(), cbLongCycleWeightM->currentText(),
                     cbLongCycleWeightW->currentText(), cbBiathlonWeightM->currentText(),
                     cbBiathlonWeightW->currentText());
}
