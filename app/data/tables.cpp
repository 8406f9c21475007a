#include "app/data/tables.h"

namespace {

using FT = TFieldType;

// Fields 1 to 10 that the register, the handbook, the discipline protocols
// and the relay race share.
void AddCompetitorFields(TClientDataSet& ds, TCompetitionTables& t) {
  ds.AddField(QStringLiteral("Name"), FT::ftString, 255);
  ds.AddField(QStringLiteral("Passport"), FT::ftString, 255);
  ds.AddField(QStringLiteral("Birthday"), FT::ftDate);
  ds.AddField(QStringLiteral("RankRef"), FT::ftInteger).SetVisible(false);
  ds.AddLookupField(QStringLiteral("Rank"), 50, QStringLiteral("RankRef"), &t.dsRank, QStringLiteral("ID"),
                    QStringLiteral("Name"));
  ds.AddField(QStringLiteral("Team"), FT::ftString, 255);
  ds.AddField(QStringLiteral("Trainer"), FT::ftString, 1024);
  ds.AddField(QStringLiteral("Weight"), FT::ftFloat);
  ds.AddField(QStringLiteral("SexRef"), FT::ftInteger);
  ds.AddLookupField(QStringLiteral("Sex"), 50, QStringLiteral("SexRef"), &t.dsSex, QStringLiteral("ID"),
                    QStringLiteral("Name"));
}

void AddMadeRank(TClientDataSet& ds, TCompetitionTables& t) {
  ds.AddField(QStringLiteral("MadeRankRef"), FT::ftInteger);
  ds.AddLookupField(QStringLiteral("MadeRank"), 50, QStringLiteral("MadeRankRef"), &t.dsRank, QStringLiteral("ID"),
                    QStringLiteral("Name"));
}

// Snatch and long cycle share one layout.
void DefineLiftProtocol(TClientDataSet& ds, TCompetitionTables& t, const QString& indexName) {
  AddCompetitorFields(ds, t);
  ds.AddField(QStringLiteral("Position"), FT::ftInteger);
  AddMadeRank(ds, t);
  ds.AddField(QStringLiteral("Result"), FT::ftInteger);
  ds.AddField(QStringLiteral("Point"), FT::ftInteger);
  ds.AddField(QStringLiteral("AtTheTeam"), FT::ftBoolean);
  ds.AddIndexDef({indexName, QStringLiteral("Result;Weight"), ixDescending, QStringLiteral("Result")});
  ds.SetIndexName(indexName);
}

void DefineWeightClasses(TClientDataSet& ds, const QString& indexName) {
  // A class without its limit has no place among the others and no filter.
  ds.AddField(QStringLiteral("Weight"), FT::ftInteger).SetRequired(true);
  ds.AddField(QStringLiteral("RefereePlatform"), FT::ftString, 255);
  ds.AddField(QStringLiteral("RefereePlatformMain"), FT::ftString, 255);
  ds.AddIndexDef({indexName, QStringLiteral("Weight"), ixUnique, QString()});
  ds.SetIndexName(indexName);
}

void DefineNameOnly(TClientDataSet& ds) { ds.AddField(QStringLiteral("Name"), FT::ftString, 255); }

void DefineIdName(TClientDataSet& ds) {
  ds.AddField(QStringLiteral("ID"), FT::ftInteger);
  ds.AddField(QStringLiteral("Name"), FT::ftString, 50);
}

}  // namespace

const TTableFile kTableFilesBeforeLookups[5] = {
    {&TCompetitionTables::dsOrganizer, "Organizer.xml"},
    {&TCompetitionTables::dsManWeight, "ManWeight.xml"},
    {&TCompetitionTables::dsWomanWeight, "WomanWeight.xml"},
    {&TCompetitionTables::dsRefereePlatform, "RefereePlatform.xml"},
    {&TCompetitionTables::dsRefereePlatformMain, "RefereePlatformMain.xml"},
};

const TTableFile kTableFilesAfterLookups[5] = {
    {&TCompetitionTables::dsCompetitor, "Competitor.xml"},
    {&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml"},
    {&TCompetitionTables::dsHBTeam, "TeamHB.xml"},
    {&TCompetitionTables::dsHBTrainer, "TrainerHB.xml"},
    {&TCompetitionTables::dsNormative, "Normative.xml"},
};

TCompetitionTables::TCompetitionTables() {
  DefineIdName(dsRank);
  DefineIdName(dsSex);

  DefineNameOnly(dsOrganizer);
  DefineWeightClasses(dsManWeight, QStringLiteral("dsManWeightIndex1"));
  DefineWeightClasses(dsWomanWeight, QStringLiteral("dsWomanWeightIndex1"));
  DefineNameOnly(dsRefereePlatform);
  DefineNameOnly(dsRefereePlatformMain);

  AddCompetitorFields(dsCompetitor, *this);
  dsCompetitor.AddField(QStringLiteral("RealWeight"), FT::ftFloat);
  dsCompetitor.AddField(QStringLiteral("Biathlon"), FT::ftBoolean);
  dsCompetitor.AddField(QStringLiteral("LongCycle"), FT::ftBoolean);
  dsCompetitor.AddField(QStringLiteral("Snatch"), FT::ftBoolean);
  dsCompetitor.AddField(QStringLiteral("BestResSnatch"), FT::ftInteger);
  dsCompetitor.AddField(QStringLiteral("BestResLongCycle"), FT::ftInteger);
  dsCompetitor.AddField(QStringLiteral("BestResBiathlon"), FT::ftFloat);
  dsCompetitor.AddField(QStringLiteral("AtTheTeam"), FT::ftBoolean);
  dsCompetitor.AddField(QStringLiteral("BestResJerk"), FT::ftInteger);
  // Selected by the weighing tab only.
  dsCompetitor.AddIndexDef({QStringLiteral("dsCompetitorIndexWeight"), QStringLiteral("Weight"), 0, QString()});

  AddCompetitorFields(dsCompetitorHB, *this);
  DefineNameOnly(dsHBTeam);
  DefineNameOnly(dsHBTrainer);

  dsNormative.AddField(QStringLiteral("Discipline"), FT::ftString, 50);
  dsNormative.AddField(QStringLiteral("WeightClass"), FT::ftString, 50);
  dsNormative.AddField(QStringLiteral("SexRef"), FT::ftInteger);
  dsNormative.AddLookupField(QStringLiteral("Sex"), 50, QStringLiteral("SexRef"), &dsSex, QStringLiteral("ID"),
                             QStringLiteral("Name"))
      .SetDisplayWidth(50);
  dsNormative.AddField(QStringLiteral("RankRef"), FT::ftInteger);
  dsNormative.AddLookupField(QStringLiteral("Rank"), 50, QStringLiteral("RankRef"), &dsRank, QStringLiteral("ID"),
                             QStringLiteral("Name"));
  dsNormative.AddField(QStringLiteral("DumbbellWeight"), FT::ftInteger);
  dsNormative.AddField(QStringLiteral("Result"), FT::ftInteger);
  dsNormative.AddIndexDef({QStringLiteral("dsNormativeIndex"),
                           QStringLiteral("Discipline;WeightClass;DumbbellWeight;RankRef"), 0, QString()});
  dsNormative.SetIndexName(QStringLiteral("dsNormativeIndex"));

  // The index names are crossed against the disciplines; only their fields
  // matter.
  DefineLiftProtocol(dsSnatch, *this, QStringLiteral("dsJerkIndex"));
  DefineLiftProtocol(dsLongCycle, *this, QStringLiteral("dsPutIndex"));

  AddCompetitorFields(dsBiathlon, *this);
  dsBiathlon.AddField(QStringLiteral("Position"), FT::ftInteger);
  AddMadeRank(dsBiathlon, *this);
  dsBiathlon.AddField(QStringLiteral("PutResult"), FT::ftInteger);   // the jerk
  dsBiathlon.AddField(QStringLiteral("JerkResult"), FT::ftInteger);  // the snatch
  dsBiathlon.AddField(QStringLiteral("Point"), FT::ftInteger);
  dsBiathlon.AddField(QStringLiteral("Summa"), FT::ftFloat);
  dsBiathlon.AddField(QStringLiteral("JerkPoint"), FT::ftFloat);
  dsBiathlon.AddField(QStringLiteral("AtTheTeam"), FT::ftBoolean);
  dsBiathlon.AddIndexDef(
      {QStringLiteral("dsSnatchIndex"), QStringLiteral("Summa;Weight"), ixDescending, QStringLiteral("Summa")});
  dsBiathlon.SetIndexName(QStringLiteral("dsSnatchIndex"));

  AddCompetitorFields(dsRelayRace, *this);
  dsRelayRace.AddField(QStringLiteral("Position"), FT::ftInteger);
  dsRelayRace.AddField(QStringLiteral("Result"), FT::ftInteger);
  dsRelayRace.AddField(QStringLiteral("Step"), FT::ftInteger);
  dsRelayRace.AddField(QStringLiteral("StepResult"), FT::ftInteger);
  dsRelayRace.AddField(QStringLiteral("WeightCategory"), FT::ftString, 50);
  dsRelayRace.AddField(QStringLiteral("Discipline"), FT::ftInteger);
  dsRelayRace.AddIndexDef({QStringLiteral("dsRelayRaceIndex"), QStringLiteral("Team;Step"), 0, QString()});
  dsRelayRace.AddIndexDef({QStringLiteral("dsRelayRaceIndexPosition"), QStringLiteral("Position"), 0, QString()});
  dsRelayRace.SetIndexName(QStringLiteral("dsRelayRaceIndex"));

  dsRRTeam.AddField(QStringLiteral("Position"), FT::ftInteger);
  dsRRTeam.AddField(QStringLiteral("Team"), FT::ftString, 255);
  dsRRTeam.AddField(QStringLiteral("Result"), FT::ftInteger);
  dsRRTeam.AddField(QStringLiteral("Weight"), FT::ftFloat);
  dsRRTeam.AddField(QStringLiteral("SexRef"), FT::ftInteger);
  dsRRTeam.AddField(QStringLiteral("Discipline"), FT::ftInteger);
  // Both fields descend: men before women, the higher result first.
  dsRRTeam.AddIndexDef({QStringLiteral("dsRRTeamIndex"), QStringLiteral("SexRef;Result"), ixDescending, QString()});
  dsRRTeam.SetIndexName(QStringLiteral("dsRRTeamIndex"));

  dsCompetitorStream.AddField(QStringLiteral("Name"), FT::ftString, 255);
  dsCompetitorStream.AddField(QStringLiteral("Weight"), FT::ftFloat);
  dsCompetitorStream.AddField(QStringLiteral("BestResSnatch"), FT::ftInteger);
  dsCompetitorStream.AddField(QStringLiteral("BestResLongCycle"), FT::ftInteger);
  dsCompetitorStream.AddField(QStringLiteral("BestResBiathlon"), FT::ftFloat);
  dsCompetitorStream.AddField(QStringLiteral("Except"), FT::ftInteger);
  dsCompetitorStream.AddField(QStringLiteral("Biathlon"), FT::ftBoolean);
  dsCompetitorStream.AddField(QStringLiteral("LongCycle"), FT::ftBoolean);
  dsCompetitorStream.AddField(QStringLiteral("Snatch"), FT::ftBoolean);
  dsCompetitorStream.SetFilter(QStringLiteral("Except=1"));
  dsCompetitorStream.SetFiltered(true);
}

void DefineStreamTable(TClientDataSet& dsStream) {
  dsStream.AddField(QStringLiteral("ID"), FT::ftInteger);
  dsStream.AddField(QStringLiteral("Name"), FT::ftString, 255);
  dsStream.AddField(QStringLiteral("Weight"), FT::ftFloat);
  dsStream.AddField(QStringLiteral("BestResult"), FT::ftFloat);
  dsStream.AddIndexDef({QStringLiteral("dsStreamIndex"), QStringLiteral("id;weight;bestresult"), 0, QString()});
  dsStream.SetIndexName(QStringLiteral("dsStreamIndex"));
}
