// Print requests: what the window gathers for the protocol builder and the
// builder operation each print button and the export start. The builder lives
// for one request and is freed whatever happens.
#include <QComboBox>
#include <QLineEdit>
#include <QTabWidget>

#include <exception>

#include "app/main_window.h"
#include "app/protocol_rules.h"
#include "app/wait_cursor.h"
#include "platform/spreadsheet/spreadsheet_server.h"
#include "platform/widgets/shared_dialogs.h"
#include "protocol/protocol.h"

namespace {

const QString kUpTo = QStringLiteral("до");

// The exported workbook reaches the user's screen only after the export, when
// the spreadsheet lets go of it. A workbook saved but not opened is told with
// where it lies, so that the user can open it; one that could not be saved is
// an error.
void TellHandOverTroubles(const TfrmMain& window) {
  for (const auto& trouble : spreadsheet::DefaultSpreadsheetServer().TakeHandOverTroubles()) {
    if (trouble.Path.isEmpty()) {
      ShowErrorMessage(QStringLiteral("Книгу не удалось сохранить: ") + trouble.Reason);
    } else {
      ShowInformation(window
                          .Translate(QStringLiteral("Книга сохранена: %1\nОткрыть её не удалось: %2"),
                                     QStringLiteral("The workbook was saved: %1\nIt could not be opened: %2"))
                          .arg(trouble.Path, trouble.Reason));
    }
  }
}

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
  // A failed export still hands over the sheets written so far, so the user
  // hears where they went before the error.
  std::exception_ptr failure;
  try {
    const TWaitCursor wait;
    TProtocol protocol(TranslateFunc());
    protocol.ExportAll(edCompetitionName->text(), edDate->text(), edCity->text(), dsOrganizer, dsManWeight,
                       dsWomanWeight, dsBiathlon, dsLongCycle, dsSnatch, dsRelayRace, dsTeamProtocol,
                       edRefereeMain->text(), edSecretary->text(), dsNormative,
                       cbSnatchWeightM->currentText(), cbSnatchWeightW->currentText(),
                       cbLongCycleWeightM->currentText(), cbLongCycleWeightW->currentText(),
                       cbBiathlonWeightM->currentText(), cbBiathlonWeightW->currentText());
  } catch (...) {
    failure = std::current_exception();
  }
  TellHandOverTroubles(*this);
  if (failure) {
    std::rethrow_exception(failure);
  }
}
