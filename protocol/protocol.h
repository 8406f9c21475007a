#pragma once

#include <QString>
#include <memory>

#include "common/translate_func.h"
#include "protocol/language.h"

class TClientDataSet;
class TExcelManager;
class TField;

// The competition program's one way into printing. A caller makes a builder
// with its translation callback, calls one public operation and frees it.
// Each print operation owns its hidden spreadsheet instance and has put it
// away before it returns; every table handed in gets its filter, filtered
// flag and controls back, whether the operation succeeded or not.
//
// The sheet writers and helpers are public so that the export and the tests
// can reach them; they fill one numbered sheet of a workbook someone else
// opened and never open, print or name one.
class TProtocol {
 public:
  explicit TProtocol(TTranslateFunc ATranslate);
  ~TProtocol();
  TProtocol(const TProtocol&) = delete;
  TProtocol& operator=(const TProtocol&) = delete;

  // ---- Print operations ----
  // AWeight and AClassWord describe the class shown: its limit and "до", or
  // for the open class the heaviest closed limit and TLanguage::MoreThan, so
  // that the ranks requirements are looked up under "105+" in either
  // interface language. AWeightClassCaption is the window's caption, kept
  // for the callers' sake; the printed class line uses AClassWord.
  void PrintSnatch(const QString& ACompetitionName, const QString& ADate, const QString& ACity,
                   const QString& AWeightClassCaption, const QString& AMainReferee, const QString& ASecretary,
                   const QString& ARefereePlatform, const QString& ARefereePlatformMain,
                   TClientDataSet& AOrganizer, TClientDataSet& ASnatch, TClientDataSet& ANormative,
                   const QString& AKettlebellWeightM, const QString& AKettlebellWeightW, int AWeight,
                   const QString& AClassWord);
  void PrintLongCycle(const QString& ACompetitionName, const QString& ADate, const QString& ACity,
                      const QString& AWeightClassCaption, const QString& AMainReferee,
                      const QString& ASecretary, const QString& ARefereePlatform,
                      const QString& ARefereePlatformMain, TClientDataSet& AOrganizer,
                      TClientDataSet& ALongCycle, TClientDataSet& ANormative,
                      const QString& AKettlebellWeightM, const QString& AKettlebellWeightW, int AWeight,
                      const QString& AClassWord);
  void PrintBiathlon(const QString& ACompetitionName, const QString& ADate, const QString& ACity,
                     const QString& AWeightClassCaption, const QString& AMainReferee,
                     const QString& ASecretary, const QString& ARefereePlatform,
                     const QString& ARefereePlatformMain, TClientDataSet& AOrganizer,
                     TClientDataSet& ABiathlon, TClientDataSet& ANormative, const QString& AKettlebellWeightM,
                     const QString& AKettlebellWeightW, int AWeight, const QString& AClassWord);
  // ASex 1 men, 0 women; ADiscipline 1 jerk, 2 long cycle, 3 snatch.
  void PrintRelayRace(int ASex, int ADiscipline, const QString& ACompetitionName, const QString& ADate,
                      const QString& ACity, TClientDataSet& AOrganizer, TClientDataSet& ARelayRace);
  void PrintTeamProtocol(const QString& ACompetitionName, const QString& ADate, const QString& ACity,
                         TClientDataSet& AOrganizer, TClientDataSet& ATeamProtocol,
                         const QString& AMainReferee, const QString& ASecretary);
  // Every stream of the table, not only the one the frame shows.
  void PrintStream(TClientDataSet& AStream);
  // The whole competition into one workbook of a visible application, left
  // open for the user.
  void ExportAll(const QString& ACompetitionName, const QString& ADate, const QString& ACity,
                 TClientDataSet& AOrganizer, TClientDataSet& AManWeight, TClientDataSet& AWomanWeight,
                 TClientDataSet& ABiathlon, TClientDataSet& ALongCycle, TClientDataSet& ASnatch,
                 TClientDataSet& ARelayRace, TClientDataSet& ATeamProtocol, const QString& AMainReferee,
                 const QString& ASecretary, TClientDataSet& ANormative, const QString& ASnatchWeightM,
                 const QString& ASnatchWeightW, const QString& ALongCycleWeightM,
                 const QString& ALongCycleWeightW, const QString& ABiathlonWeightM,
                 const QString& ABiathlonWeightW);

  // The class word of the open class (TLanguage::MoreThan) in the language of
  // the moment, for a caller that passes the class shown.
  QString OpenClassWord() const;

  // ---- Helpers shared by the sheets ----
  // The column as the spreadsheet names it ("A" to "Z", then "AA", "AB", ...) and the row.
  static QString CellName(int ACol, int ARow);
  // One merged, centred line per organiser from ARow on, whatever filter the
  // window has on the table; ARow ends on the row after the last one.
  static void WriteOrganizers(TExcelManager& AExcel, int ASheet, int& ARow, TClientDataSet& AOrganizer,
                              const QString& AFromCol, const QString& AToCol);
  // The Russian genitive plural of the titles.
  static QString SexWord(int ASex);
  QString SexCaption(int ASex) const;
  static QString ChooseBySex(int ASex, const QString& AManValue, const QString& AWomanValue);
  // The class as the ranks-requirements table files it: "68", or "105+" for
  // the open class.
  QString WeightClassKey(int AWeight, const QString& AClassWord) const;
  // The MSWC, MS and CMS results the class requires; empty where no row says.
  static void GetRankRequirements(QString& AMSWC, QString& AMS, QString& ACMS, TClientDataSet& ANormative,
                                  const QString& ADiscipline, const QString& AKettlebellWeight,
                                  const QString& AWeightClass, int ASex);
  // The referees' lines on rows ARow and ARow + 2.
  void WriteReferees(TExcelManager& AExcel, int ASheet, int ARow, const QString& AMainReferee,
                     const QString& ASecretary, const QString& ARefereePlatform,
                     const QString& ARefereePlatformMain) const;
  static void SetSnatchColumnWidths(TExcelManager& AExcel, int ASheet);
  static void SetLongCycleColumnWidths(TExcelManager& AExcel, int ASheet);
  static void SetBiathlonColumnWidths(TExcelManager& AExcel, int ASheet);
  static void SetRelayColumnWidths(TExcelManager& AExcel, int ASheet);

  // ---- Sheet writers ----
  // ATable is open, holds at least one row in its view and is narrowed to
  // the sheet's sex and class; its filter is the caller's to keep.
  void WriteSnatchSheet(TExcelManager& AExcel, int ASheet, const QString& ACompetitionName,
                        const QString& ADate, const QString& ACity, const QString& AMainReferee,
                        const QString& ASecretary, const QString& ARefereePlatform,
                        const QString& ARefereePlatformMain, TClientDataSet& AOrganizer,
                        TClientDataSet& ATable, TClientDataSet& ANormative, int AWeight, int ASex,
                        const QString& AKettlebellWeight, const QString& AClassWord);
  void WriteLongCycleSheet(TExcelManager& AExcel, int ASheet, const QString& ACompetitionName,
                           const QString& ADate, const QString& ACity, const QString& AMainReferee,
                           const QString& ASecretary, const QString& ARefereePlatform,
                           const QString& ARefereePlatformMain, TClientDataSet& AOrganizer,
                           TClientDataSet& ATable, TClientDataSet& ANormative, int AWeight, int ASex,
                           const QString& AKettlebellWeight, const QString& AClassWord);
  void WriteBiathlonSheet(TExcelManager& AExcel, int ASheet, const QString& ACompetitionName,
                          const QString& ADate, const QString& ACity, const QString& AMainReferee,
                          const QString& ASecretary, const QString& ARefereePlatform,
                          const QString& ARefereePlatformMain, TClientDataSet& AOrganizer,
                          TClientDataSet& ATable, TClientDataSet& ANormative, int AWeight, int ASex,
                          const QString& AKettlebellWeight, const QString& AClassWord);
  // Filters the relay table to the sex and discipline itself and leaves it so.
  void WriteRelayRaceSheet(int ASex, int ADiscipline, TExcelManager& AExcel, int ASheet,
                           const QString& ACompetitionName, const QString& ADate, const QString& ACity,
                           TClientDataSet& AOrganizer, TClientDataSet& ARelayRace);
  // Walks the class columns with a filter each and leaves the filter off and empty.
  void WriteTeamSheet(TExcelManager& AExcel, int ASheet, const QString& ACompetitionName,
                      const QString& ADate, const QString& ACity, TClientDataSet& AOrganizer,
                      TClientDataSet& ATeamProtocol, const QString& AMainReferee, const QString& ASecretary);

  // The fields a competitor row of the snatch and long cycle sheets prints.
  struct TIndividualFields {
    TField& Position;
    TField& Name;
    TField& Birthday;
    TField& Rank;
    TField& Team;
    TField& Weight;
    TField& Result;
    TField& Point;
    TField& MadeRank;
    TField& Trainer;
  };
  // The head, the column captions and the competitor rows of the snatch and
  // long cycle sheets; ARow ends on the row after the last competitor.
  void WriteIndividualSheet(TExcelManager& AExcel, int ASheet, int& ARow, const QString& ACompetitionName,
                            const QString& ADate, const QString& ACity, const QString& ATitleWord,
                            const QString& AResultCaption, const QString& AKettlebellWeight,
                            TClientDataSet& AOrganizer, int AWeight, int ASex, const QString& AClassWord,
                            const TIndividualFields& AFields, const QString& AMSWC, const QString& AMS,
                            const QString& ACMS);

 private:
  using TSheetWriter = void (TProtocol::*)(TExcelManager&, int, const QString&, const QString&,
                                           const QString&, const QString&, const QString&, const QString&,
                                           const QString&, TClientDataSet&, TClientDataSet&, TClientDataSet&,
                                           int, int, const QString&, const QString&);
  void PrintDiscipline(TSheetWriter AWriter, const QString& ACompetitionName, const QString& ADate,
                       const QString& ACity, const QString& AMainReferee, const QString& ASecretary,
                       const QString& ARefereePlatform, const QString& ARefereePlatformMain,
                       TClientDataSet& AOrganizer, TClientDataSet& ATable, TClientDataSet& ANormative,
                       const QString& AKettlebellWeightM, const QString& AKettlebellWeightW, int AWeight,
                       const QString& AClassWord);
  void WriteIndividualDiscipline(TExcelManager& AExcel, int ASheet, const QString& ACompetitionName,
                                 const QString& ADate, const QString& ACity, const QString& AMainReferee,
                                 const QString& ASecretary, const QString& ARefereePlatform,
                                 const QString& ARefereePlatformMain, TClientDataSet& AOrganizer,
                                 TClientDataSet& ATable, TClientDataSet& ANormative, int AWeight, int ASex,
                                 const QString& AKettlebellWeight, const QString& AClassWord, bool ASnatch);

  std::unique_ptr<TLanguage> FLanguage;
};
