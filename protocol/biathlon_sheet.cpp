#include "platform/core/fmt.h"
#include "platform/table/client_dataset.h"
#include "protocol/excel_manager.h"
#include "protocol/protocol.h"
#include "protocol/sheet_pen.h"

// Sixteen columns: the jerk, the snatch with its points, and their sum side
// by side, so the head is laid out in three fields A..C, D..M and N..P.
void TProtocol::WriteBiathlonSheet(TExcelManager& AExcel, int ASheet, const QString& ACompetitionName,
                                   const QString& ADate, const QString& ACity, const QString& AMainReferee,
                                   const QString& ASecretary, const QString& ARefereePlatform,
                                   const QString& ARefereePlatformMain, TClientDataSet& AOrganizer,
                                   TClientDataSet& ATable, TClientDataSet& ANormative, int AWeight, int ASex,
                                   const QString& AKettlebellWeight, const QString& AClassWord) {
  TSheetPen pen(AExcel, ASheet);
  int r = 1;
  SetBiathlonColumnWidths(AExcel, ASheet);

  TField& position = ATable.FieldByName(QStringLiteral("Position"));
  TField& name = ATable.FieldByName(QStringLiteral("Name"));
  TField& birthday = ATable.FieldByName(QStringLiteral("Birthday"));
  TField& rank = ATable.FieldByName(QStringLiteral("Rank"));
  TField& team = ATable.FieldByName(QStringLiteral("Team"));
  TField& weight = ATable.FieldByName(QStringLiteral("Weight"));
  TField& point = ATable.FieldByName(QStringLiteral("Point"));
  TField& madeRank = ATable.FieldByName(QStringLiteral("MadeRank"));
  TField& trainer = ATable.FieldByName(QStringLiteral("Trainer"));
  TField& putResult = ATable.FieldByName(QStringLiteral("PutResult"));
  TField& jerkResult = ATable.FieldByName(QStringLiteral("JerkResult"));
  TField& summa = ATable.FieldByName(QStringLiteral("Summa"));
  TField& jerkPoint = ATable.FieldByName(QStringLiteral("JerkPoint"));

  WriteOrganizers(AExcel, ASheet, r, AOrganizer, QStringLiteral("A"), QStringLiteral("P"));

  pen.PutMerged('A', 'C', r, ADate);
  pen.PutMerged('N', 'P', r, Fmt(FLanguage->WeightOfKettlebell(), {AKettlebellWeight}));
  ++r;

  pen.PutMerged('A', 'C', r, ACity);
  pen.PutMerged('D', 'M', r, FLanguage->Protocol());
  pen.PutMerged('N', 'P', r, FLanguage->WorkingTime());
  ++r;

  pen.PutMergedFramed('A', 'C', r, QStringLiteral("Высшее достижение России"));
  pen.PutMerged('D', 'M', r,
                Fmt(QStringLiteral("%s по гиревому спорту среди %s (%s)"),
                    {ACompetitionName, SexWord(ASex), FLanguage->BiathlonTitle()}));
  pen.PutMergedFramed('N', 'P', r, FLanguage->RanksRequirements());
  ++r;

  pen.PutBoxed('A', r, FLanguage->Jerk());
  pen.PutBoxed('B', r, FLanguage->Snatch());
  pen.PutBoxed('C', r, FLanguage->ResultSum());
  pen.PutMerged('D', 'M', r, FLanguage->WeightClass());
  pen.PutBoxed('N', r, FLanguage->MSWC());
  pen.PutBoxed('O', r, FLanguage->MS());
  pen.PutBoxed('P', r, FLanguage->CMS());
  ++r;

  // The record block's value cells, left for the secretary's pen.
  pen.Box('A', r);
  pen.Box('B', r);
  pen.Box('C', r);
  pen.PutMerged('D', 'M', r,
                Fmt(QStringLiteral("%s %d %s"), {AClassWord, QString::number(AWeight), FLanguage->Kg()}));
  QString mswc;
  QString ms;
  QString cms;
  GetRankRequirements(mswc, ms, cms, ANormative, QStringLiteral("Двоеборье"), AKettlebellWeight,
                      WeightClassKey(AWeight, AClassWord), ASex);
  pen.PutBoxed('N', r, mswc);
  pen.PutBoxed('O', r, ms);
  pen.PutBoxed('P', r, cms);
  r += 2;

  const int t = r;
  const auto title = [&](char from, char to, const QString& caption, bool bothRows = true) {
    pen.Put(from, t, caption);
    pen.Merge(from, t, to, bothRows ? t + 1 : t);
    pen.Frame(from, t, to, bothRows ? t + 1 : t);
  };
  title('A', 'A', FLanguage->Place());
  title('B', 'D', FLanguage->Name());
  title('E', 'E', FLanguage->DateOfBirth());
  title('F', 'F', FLanguage->Rank());
  title('G', 'G', FLanguage->Team());
  title('H', 'H', FLanguage->BodyWeight());
  title('I', 'I', FLanguage->Jerk());
  title('J', 'K', FLanguage->Snatch(), false);
  title('L', 'L', FLanguage->BiathlonSum());
  title('M', 'M', FLanguage->TeamPoints());
  title('N', 'N', FLanguage->RankAchieved());
  title('O', 'P', FLanguage->Coach());
  pen.PutBoxed('J', t + 1, FLanguage->ResultSum());
  pen.PutBoxed('K', t + 1, FLanguage->Points());
  r = t + 2;

  TClientDataSet& table = position.DataSet();
  table.First();
  while (!table.Eof()) {
    pen.PutBoxed('A', r, position);
    pen.PutMergedFramed('B', 'D', r, name, false);
    pen.PutBoxed('E', r, birthday);
    pen.PutBoxed('F', r, rank);
    pen.Put('G', r, team);
    pen.AlignGeneral('G', r);
    pen.Box('G', r);
    pen.PutBoxed('H', r, weight);
    pen.PutBoxed('I', r, putResult);
    pen.PutBoxed('J', r, jerkResult);
    pen.PutBoxed('K', r, jerkPoint);
    pen.PutBoxed('L', r, summa);
    pen.PutBoxed('M', r, point);
    pen.PutBoxed('N', r, madeRank);
    pen.PutMergedFramed('O', 'P', r, trainer, false);
    ++r;
    table.Next();
  }

  r += 3;
  WriteReferees(AExcel, ASheet, r, AMainReferee, ASecretary, ARefereePlatform, ARefereePlatformMain);
  AExcel.FitRowHeights(ASheet);
}
