#include "protocol/protocol.h"

#include "platform/table/client_dataset.h"
#include "protocol/cleanup.h"
#include "protocol/excel_manager.h"

namespace {

// The frame of every print: the table keeps its filter and gets its controls
// back, the hidden instance prints whatever was written (an empty workbook
// for a closed or empty table) and is put away before the caller hears of
// any error.
void RunPrint(TClientDataSet& ATable, bool ALandscape, const std::function<void(TExcelManager&)>& AWrite) {
  const QString filter = ATable.Filter();
  const bool filtered = ATable.Filtered();
  ATable.DisableControls();
  std::unique_ptr<TExcelManager> excel;
  RunProtected(
      [&] {
        excel = TExcelManager::CreateHidden();
        if (ATable.Active() && ATable.RecordCount() > 0) {
          AWrite(*excel);
        }
        excel->PrintOut(ALandscape);
      },
      {[&] { ATable.SetFilter(filter); }, [&] { ATable.SetFiltered(filtered); },
       [&] { ATable.EnableControls(); },
       [&] {
         if (excel) {
           excel->Destroy();
         }
       }});
}

}  // namespace

TProtocol::TProtocol(TTranslateFunc ATranslate)
    : FLanguage(std::make_unique<TLanguage>(std::move(ATranslate))) {}

TProtocol::~TProtocol() = default;

QString TProtocol::OpenClassWord() const {
  return FLanguage->MoreThan();
}

void TProtocol::PrintDiscipline(TSheetWriter AWriter, const QString& ACompetitionName, const QString& ADate,
                                const QString& ACity, const QString& AMainReferee, const QString& ASecretary,
                                const QString& ARefereePlatform, const QString& ARefereePlatformMain,
                                TClientDataSet& AOrganizer, TClientDataSet& ATable,
                                TClientDataSet& ANormative, const QString& AKettlebellWeightM,
                                const QString& AKettlebellWeightW, int AWeight, const QString& AClassWord) {
  RunPrint(ATable, true, [&](TExcelManager& excel) {
    // The window has narrowed the table to one sex and class, so any row tells the sex.
    const int sex = ATable.FieldByName(QStringLiteral("SexRef")).AsInteger();
    (this->*AWriter)(excel, 1, ACompetitionName, ADate, ACity, AMainReferee, ASecretary, ARefereePlatform,
                     ARefereePlatformMain, AOrganizer, ATable, ANormative, AWeight, sex,
                     ChooseBySex(sex, AKettlebellWeightM, AKettlebellWeightW), AClassWord);
  });
}

void TProtocol::PrintSnatch(const QString& ACompetitionName, const QString& ADate, const QString& ACity,
                            const QString& /*AWeightClassCaption*/, const QString& AMainReferee,
                            const QString& ASecretary, const QString& ARefereePlatform,
                            const QString& ARefereePlatformMain, TClientDataSet& AOrganizer,
                            TClientDataSet& ASnatch, TClientDataSet& ANormative,
                            const QString& AKettlebellWeightM, const QString& AKettlebellWeightW, int AWeight,
                            const QString& AClassWord) {
  PrintDiscipline(&TProtocol::WriteSnatchSheet, ACompetitionName, ADate, ACity, AMainReferee, ASecretary,
                  ARefereePlatform, ARefereePlatformMain, AOrganizer, ASnatch, ANormative, AKettlebellWeightM,
                  AKettlebellWeightW, AWeight, AClassWord);
}

void TProtocol::PrintLongCycle(const QString& ACompetitionName, const QString& ADate, const QString& ACity,
                               const QString& /*AWeightClassCaption*/, const QString& AMainReferee,
                               const QString& ASecretary, const QString& ARefereePlatform,
                               const QString& ARefereePlatformMain, TClientDataSet& AOrganizer,
                               TClientDataSet& ALongCycle, TClientDataSet& ANormative,
                               const QString& AKettlebellWeightM, const QString& AKettlebellWeightW,
                               int AWeight, const QString& AClassWord) {
  PrintDiscipline(&TProtocol::WriteLongCycleSheet, ACompetitionName, ADate, ACity, AMainReferee, ASecretary,
                  ARefereePlatform, ARefereePlatformMain, AOrganizer, ALongCycle, ANormative,
                  AKettlebellWeightM, AKettlebellWeightW, AWeight, AClassWord);
}

void TProtocol::PrintBiathlon(const QString& ACompetitionName, const QString& ADate, const QString& ACity,
                              const QString& /*AWeightClassCaption*/, const QString& AMainReferee,
                              const QString& ASecretary, const QString& ARefereePlatform,
                              const QString& ARefereePlatformMain, TClientDataSet& AOrganizer,
                              TClientDataSet& ABiathlon, TClientDataSet& ANormative,
                              const QString& AKettlebellWeightM, const QString& AKettlebellWeightW,
                              int AWeight, const QString& AClassWord) {
  PrintDiscipline(&TProtocol::WriteBiathlonSheet, ACompetitionName, ADate, ACity, AMainReferee, ASecretary,
                  ARefereePlatform, ARefereePlatformMain, AOrganizer, ABiathlon, ANormative,
                  AKettlebellWeightM, AKettlebellWeightW, AWeight, AClassWord);
}

void TProtocol::PrintRelayRace(int ASex, int ADiscipline, const QString& ACompetitionName,
                               const QString& ADate, const QString& ACity, TClientDataSet& AOrganizer,
                               TClientDataSet& ARelayRace) {
  RunPrint(ARelayRace, true, [&](TExcelManager& excel) {
    WriteRelayRaceSheet(ASex, ADiscipline, excel, 1, ACompetitionName, ADate, ACity, AOrganizer, ARelayRace);
  });
}

void TProtocol::PrintTeamProtocol(const QString& ACompetitionName, const QString& ADate, const QString& ACity,
                                  TClientDataSet& AOrganizer, TClientDataSet& ATeamProtocol,
                                  const QString& AMainReferee, const QString& ASecretary) {
  RunPrint(ATeamProtocol, true, [&](TExcelManager& excel) {
    WriteTeamSheet(excel, 1, ACompetitionName, ADate, ACity, AOrganizer, ATeamProtocol, AMainReferee,
                   ASecretary);
  });
}
