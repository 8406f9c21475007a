#include "platform/core/fmt.h"
#include "platform/table/client_dataset.h"
#include "protocol/cleanup.h"
#include "protocol/excel_manager.h"
#include "protocol/protocol.h"

namespace {

// One export: its arguments, the running sheet number and the class pass of
// the sex being exported.
struct TExportRun {
  TProtocol& Protocol;
  const TLanguage& Language;
  TExcelManager& Excel;
  const QString& CompetitionName;
  const QString& Date;
  const QString& City;
  TClientDataSet& Organizer;
  TClientDataSet& Biathlon;
  TClientDataSet& LongCycle;
  TClientDataSet& Snatch;
  TClientDataSet& RelayRace;
  const QString& MainReferee;
  const QString& Secretary;
  TClientDataSet& Normative;
  const QString& SnatchWeightM;
  const QString& SnatchWeightW;
  const QString& LongCycleWeightM;
  const QString& LongCycleWeightW;
  const QString& BiathlonWeightM;
  const QString& BiathlonWeightW;

  int Sheet = 1;
  int PreviousLimit = 0;
  TField* Weight = nullptr;
  TField* RefereePlatform = nullptr;
  TField* RefereePlatformMain = nullptr;

  void ExportSexSheets(TClientDataSet& AWeightTable, int ASex) {
    // A weight-class table that could not be opened has no classes to export.
    if (!AWeightTable.Active()) {
      return;
    }
    Weight = &AWeightTable.FieldByName(QStringLiteral("Weight"));
    RefereePlatform = &AWeightTable.FieldByName(QStringLiteral("RefereePlatform"));
    RefereePlatformMain = &AWeightTable.FieldByName(QStringLiteral("RefereePlatformMain"));
    PreviousLimit = 0;
    AWeightTable.First();
    while (!AWeightTable.Eof()) {
      const int limit = Weight->AsInteger();
      // A body weight equal to a limit belongs to that class; the first class starts above 0.
      Snatch.SetFilter(Fmt(QStringLiteral("(SexRef=%d) and (Weight > %d) and (Weight <= %d)"),
                           {QString::number(ASex), QString::number(PreviousLimit), QString::number(limit)}));
      Snatch.SetFiltered(true);
      LongCycle.SetFilter(Snatch.Filter());
      LongCycle.SetFiltered(true);
      Biathlon.SetFilter(Snatch.Filter());
      Biathlon.SetFiltered(true);
      if (limit == 1000) {
        ExportClassSheets(ASex, PreviousLimit, Language.MoreThan());
      } else {
        ExportClassSheets(ASex, limit, Language.UpTo());
      }
      PreviousLimit = limit;
      AWeightTable.Next();
    }
  }

  void ExportClassSheets(int ASex, int AWeight, const QString& ACaption) {
    using TWriter =
        void (TProtocol::*)(TExcelManager&, int, const QString&, const QString&, const QString&,
                            const QString&, const QString&, const QString&, const QString&, TClientDataSet&,
                            TClientDataSet&, TClientDataSet&, int, int, const QString&, const QString&);
    const struct {
      TClientDataSet& table;
      TWriter writer;
      const char* prefix;
      const QString& weightM;
      const QString& weightW;
    } disciplines[] = {
        {Snatch, &TProtocol::WriteSnatchSheet, "Р", SnatchWeightM, SnatchWeightW},
        {LongCycle, &TProtocol::WriteLongCycleSheet, "ДЦ", LongCycleWeightM, LongCycleWeightW},
        {Biathlon, &TProtocol::WriteBiathlonSheet, "Д", BiathlonWeightM, BiathlonWeightW},
    };
    for (const auto& d : disciplines) {
      if (!d.table.Active() || d.table.RecordCount() == 0) {
        continue;
      }
      const QString kettlebell = TProtocol::ChooseBySex(ASex, d.weightM, d.weightW);
      (Protocol.*d.writer)(Excel, Sheet, CompetitionName, Date, City, MainReferee, Secretary,
                           RefereePlatform->AsString(), RefereePlatformMain->AsString(), Organizer, d.table,
                           Normative, AWeight, ASex, kettlebell, ACaption);
      Excel.SetSheetName(Sheet, QString::fromUtf8(d.prefix) + QString::number(ASex) + ACaption.left(1) +
                                    QString::number(AWeight));
      ++Sheet;
    }
  }

  void ExportRelaySheet(int ASex, int ADiscipline) {
    Protocol.WriteRelayRaceSheet(ASex, ADiscipline, Excel, Sheet, CompetitionName, Date, City, Organizer,
                                 RelayRace);
    // Named even when empty: the six relay sheets are always there.
    Excel.SetSheetName(Sheet, QStringLiteral("Эст") + QString::number(ADiscipline) + QString::number(ASex));
    ++Sheet;
  }
};

// Teams by place, and within a place in the order the relay print takes them
// from the window's index (by team, then stage), so that each block's
// running result adds its stages up as the screen does.
QString RelayExportOrder(const TClientDataSet& ARelayRace) {
  QString printOrder = ARelayRace.IndexFieldNames();
  if (printOrder.isEmpty()) {
    if (const TIndexDef* index = ARelayRace.FindIndexDef(ARelayRace.IndexName())) {
      printOrder = index->Fields;
    }
  }
  const QString placeOrder = ARelayRace.IndexDefs()[1].Fields;
  return printOrder.isEmpty() ? placeOrder : placeOrder + u';' + printOrder;
}

}  // namespace

void TProtocol::ExportAll(const QString& ACompetitionName, const QString& ADate, const QString& ACity,
                          TClientDataSet& AOrganizer, TClientDataSet& AManWeight,
                          TClientDataSet& AWomanWeight, TClientDataSet& ABiathlon, TClientDataSet& ALongCycle,
                          TClientDataSet& ASnatch, TClientDataSet& ARelayRace, TClientDataSet& ATeamProtocol,
                          const QString& AMainReferee, const QString& ASecretary, TClientDataSet& ANormative,
                          const QString& ASnatchWeightM, const QString& ASnatchWeightW,
                          const QString& ALongCycleWeightM, const QString& ALongCycleWeightW,
                          const QString& ABiathlonWeightM, const QString& ABiathlonWeightW) {
  const QString relayIndex = ARelayRace.IndexName();
  const QString relayIndexFields = ARelayRace.IndexFieldNames();
  struct TKept {
    TClientDataSet& table;
    QString filter;
    bool filtered;
  };
  TKept kept[] = {{ASnatch, ASnatch.Filter(), ASnatch.Filtered()},
                  {ALongCycle, ALongCycle.Filter(), ALongCycle.Filtered()},
                  {ABiathlon, ABiathlon.Filter(), ABiathlon.Filtered()},
                  {ARelayRace, ARelayRace.Filter(), ARelayRace.Filtered()},
                  // The team sheet walks its columns with filters of its own and
                  // leaves none; the window's team tab gets its view back too.
                  {ATeamProtocol, ATeamProtocol.Filter(), ATeamProtocol.Filtered()}};
  ALongCycle.DisableControls();
  ABiathlon.DisableControls();
  ASnatch.DisableControls();
  ATeamProtocol.DisableControls();
  ARelayRace.DisableControls();

  std::unique_ptr<TExcelManager> excel;
  RunProtected(
      [&] {
        excel = TExcelManager::CreateVisible();
        TExportRun run{*this,
                       *FLanguage,
                       *excel,
                       ACompetitionName,
                       ADate,
                       ACity,
                       AOrganizer,
                       ABiathlon,
                       ALongCycle,
                       ASnatch,
                       ARelayRace,
                       AMainReferee,
                       ASecretary,
                       ANormative,
                       ASnatchWeightM,
                       ASnatchWeightW,
                       ALongCycleWeightM,
                       ALongCycleWeightW,
                       ABiathlonWeightM,
                       ABiathlonWeightW};
        run.ExportSexSheets(AWomanWeight, 0);
        run.ExportSexSheets(AManWeight, 1);
        if (ATeamProtocol.Active() && ATeamProtocol.RecordCount() > 0) {
          WriteTeamSheet(*excel, run.Sheet, ACompetitionName, ADate, ACity, AOrganizer, ATeamProtocol,
                         AMainReferee, ASecretary);
          excel->SetSheetName(run.Sheet, QStringLiteral("СводКом"));
          ++run.Sheet;
        }
        if (ARelayRace.IndexDefs().size() > 1) {
          ARelayRace.SetIndexFieldNames(RelayExportOrder(ARelayRace));
        }
        for (int discipline = 1; discipline <= 3; ++discipline) {
          run.ExportRelaySheet(0, discipline);
          run.ExportRelaySheet(1, discipline);
        }
      },
      {[&] {
         if (relayIndexFields.isEmpty()) {
           ARelayRace.SetIndexName(relayIndex);
         } else {
           ARelayRace.SetIndexFieldNames(relayIndexFields);
         }
       },
       [&] {
         if (excel) {
           excel->Destroy();
         }
       },
       [&] { kept[0].table.SetFilter(kept[0].filter); }, [&] { kept[0].table.SetFiltered(kept[0].filtered); },
       [&] { kept[1].table.SetFilter(kept[1].filter); }, [&] { kept[1].table.SetFiltered(kept[1].filtered); },
       [&] { kept[2].table.SetFilter(kept[2].filter); }, [&] { kept[2].table.SetFiltered(kept[2].filtered); },
       [&] { kept[3].table.SetFilter(kept[3].filter); }, [&] { kept[3].table.SetFiltered(kept[3].filtered); },
       [&] { kept[4].table.SetFilter(kept[4].filter); }, [&] { kept[4].table.SetFiltered(kept[4].filtered); },
       [&] { ARelayRace.EnableControls(); }, [&] { ALongCycle.EnableControls(); },
       [&] { ABiathlon.EnableControls(); }, [&] { ASnatch.EnableControls(); },
       [&] { ATeamProtocol.EnableControls(); }});
}
