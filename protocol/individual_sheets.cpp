#include "platform/core/fmt.h"
#include "platform/table/client_dataset.h"
#include "protocol/excel_manager.h"
#include "protocol/protocol.h"
#include "protocol/sheet_pen.h"

void TProtocol::WriteIndividualSheet(TExcelManager& AExcel, int ASheet, int& ARow,
                                     const QString& ACompetitionName, const QString& ADate,
                                     const QString& ACity, const QString& ATitleWord,
                                     const QString& AResultCaption, const QString& AKettlebellWeight,
                                     TClientDataSet& AOrganizer, int AWeight, int ASex,
                                     const QString& AClassWord, const TIndividualFields& AFields,
                                     const QString& AMSWC, const QString& AMS, const QString& ACMS) {
  TSheetPen pen(AExcel, ASheet);
  int& r = ARow;
  WriteOrganizers(AExcel, ASheet, r, AOrganizer, QStringLiteral("A"), QStringLiteral("L"));

  pen.PutMerged('A', 'B', r, ADate);
  pen.PutMerged('J', 'L', r, Fmt(FLanguage->WeightOfKettlebell(), {AKettlebellWeight}));
  ++r;

  pen.PutMerged('A', 'B', r, ACity);
  pen.PutMerged('C', 'I', r, FLanguage->Protocol());
  pen.PutMerged('J', 'L', r, FLanguage->WorkingTime());
  ++r;

  // The record heading stands over head lines 3 and 4.
  pen.Put('A', r, QStringLiteral("Высшее достижение России"));
  pen.Merge('A', r, 'B', r + 1);
  pen.Frame('A', r, 'B', r + 1);
  // The name is an argument, never part of the pattern: a "%" in it prints as typed.
  pen.PutMerged('C', 'I', r,
                Fmt(QStringLiteral("%s по гиревому спорту среди %s (%s)"),
                    {ACompetitionName, SexWord(ASex), ATitleWord}));
  pen.PutMergedFramed('J', 'L', r, FLanguage->RanksRequirements());
  ++r;

  pen.PutMerged('C', 'I', r, FLanguage->WeightClass());
  pen.PutBoxed('J', r, FLanguage->MSWC());
  pen.PutBoxed('K', r, FLanguage->MS());
  pen.PutBoxed('L', r, FLanguage->CMS());
  ++r;

  // The record's value cell, left for the secretary's pen.
  pen.Merge('A', 'B', r);
  pen.Frame('A', 'B', r);
  pen.PutMerged('C', 'I', r,
                Fmt(QStringLiteral("%s %d %s"), {AClassWord, QString::number(AWeight), FLanguage->Kg()}));
  pen.PutBoxed('J', r, AMSWC);
  pen.PutBoxed('K', r, AMS);
  pen.PutBoxed('L', r, ACMS);
  r += 2;

  pen.PutBoxed('A', r, FLanguage->Place());
  pen.PutMergedFramed('B', 'C', r, FLanguage->Name());
  pen.PutBoxed('D', r, FLanguage->DateOfBirth());
  pen.PutBoxed('E', r, FLanguage->Rank());
  pen.PutBoxed('F', r, FLanguage->Team());
  pen.PutBoxed('G', r, FLanguage->BodyWeight());
  pen.PutBoxed('H', r, AResultCaption);
  pen.PutBoxed('I', r, FLanguage->TeamPoints());
  pen.PutBoxed('J', r, FLanguage->RankAchieved());
  pen.PutMergedFramed('K', 'L', r, FLanguage->Coach());
  AExcel.SetRowHeight(ASheet, r, 40);
  ++r;

  TClientDataSet& table = AFields.Position.DataSet();
  table.First();
  while (!table.Eof()) {
    pen.PutBoxed('A', r, AFields.Position);
    pen.PutMergedFramed('B', 'C', r, AFields.Name, false);
    pen.PutBoxed('D', r, AFields.Birthday);
    pen.PutBoxed('E', r, AFields.Rank);
    pen.PutBoxed('F', r, AFields.Team);
    pen.AlignGeneral('F', r);
    pen.PutBoxed('G', r, AFields.Weight);
    pen.PutBoxed('H', r, AFields.Result);
    pen.PutBoxed('I', r, AFields.Point);
    pen.PutBoxed('J', r, AFields.MadeRank);
    pen.PutMergedFramed('K', 'L', r, AFields.Trainer, false);
    ++r;
    table.Next();
  }
}

void TProtocol::WriteIndividualDiscipline(TExcelManager& AExcel, int ASheet, const QString& ACompetitionName,
                                          const QString& ADate, const QString& ACity,
                                          const QString& AMainReferee, const QString& ASecretary,
                                          const QString& ARefereePlatform,
                                          const QString& ARefereePlatformMain, TClientDataSet& AOrganizer,
                                          TClientDataSet& ATable, TClientDataSet& ANormative, int AWeight,
                                          int ASex, const QString& AKettlebellWeight,
                                          const QString& AClassWord, bool ASnatch) {
  int r = 1;
  if (ASnatch) {
    SetSnatchColumnWidths(AExcel, ASheet);
  } else {
    SetLongCycleColumnWidths(AExcel, ASheet);
  }
  // A table without one of the fields fails here, before a cell is written.
  const TIndividualFields fields{
      ATable.FieldByName(QStringLiteral("Position")), ATable.FieldByName(QStringLiteral("Name")),
      ATable.FieldByName(QStringLiteral("Birthday")), ATable.FieldByName(QStringLiteral("Rank")),
      ATable.FieldByName(QStringLiteral("Team")),     ATable.FieldByName(QStringLiteral("Weight")),
      ATable.FieldByName(QStringLiteral("Result")),   ATable.FieldByName(QStringLiteral("Point")),
      ATable.FieldByName(QStringLiteral("MadeRank")), ATable.FieldByName(QStringLiteral("Trainer"))};
  QString mswc;
  QString ms;
  QString cms;
  GetRankRequirements(mswc, ms, cms, ANormative,
                      ASnatch ? QStringLiteral("Рывок") : QStringLiteral("Толчок ДЦ"), AKettlebellWeight,
                      WeightClassKey(AWeight, AClassWord), ASex);
  // The long cycle's words were never translated; the paper keeps them Russian.
  const QString titleWord = ASnatch ? FLanguage->SnatchTitle() : QStringLiteral("длинный цикл");
  const QString resultCaption = ASnatch ? FLanguage->Snatch() : QStringLiteral("Толчок");
  WriteIndividualSheet(AExcel, ASheet, r, ACompetitionName, ADate, ACity, titleWord, resultCaption,
                       AKettlebellWeight, AOrganizer, AWeight, ASex, AClassWord, fields, mswc, ms, cms);
  r += 3;
  WriteReferees(AExcel, ASheet, r, AMainReferee, ASecretary, ARefereePlatform, ARefereePlatformMain);
  AExcel.FitRowHeights(ASheet);
}

void TProtocol::WriteSnatchSheet(TExcelManager& AExcel, int ASheet, const QString& ACompetitionName,
                                 const QString& ADate, const QString& ACity, const QString& AMainReferee,
                                 const QString& ASecretary, const QString& ARefereePlatform,
                                 const QString& ARefereePlatformMain, TClientDataSet& AOrganizer,
                                 TClientDataSet& ATable, TClientDataSet& ANormative, int AWeight, int ASex,
                                 const QString& AKettlebellWeight, const QString& AClassWord) {
  WriteIndividualDiscipline(AExcel, ASheet, ACompetitionName, ADate, ACity, AMainReferee, ASecretary,
                            ARefereePlatform, ARefereePlatformMain, AOrganizer, ATable, ANormative, AWeight,
                            ASex, AKettlebellWeight, AClassWord, true);
}

void TProtocol::WriteLongCycleSheet(TExcelManager& AExcel, int ASheet, const QString& ACompetitionName,
                                    const QString& ADate, const QString& ACity, const QString& AMainReferee,
                                    const QString& ASecretary, const QString& ARefereePlatform,
                                    const QString& ARefereePlatformMain, TClientDataSet& AOrganizer,
                                    TClientDataSet& ATable, TClientDataSet& ANormative, int AWeight, int ASex,
                                    const QString& AKettlebellWeight, const QString& AClassWord) {
  WriteIndividualDiscipline(AExcel, ASheet, ACompetitionName, ADate, ACity, AMainReferee, ASecretary,
                            ARefereePlatform, ARefereePlatformMain, AOrganizer, ATable, ANormative, AWeight,
                            ASex, AKettlebellWeight, AClassWord, false);
}
