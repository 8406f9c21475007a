#include "tests/protocol/competition_fixture.h"

namespace competition_fixture {
namespace {

using F = TFieldType;

void AddCompetitorFields(TClientDataSet& table, TClientDataSet& rank, TClientDataSet& sex) {
  table.AddField(QStringLiteral("Name"), F::ftString, 255);
  table.AddField(QStringLiteral("Passport"), F::ftString, 255);
  table.AddField(QStringLiteral("Birthday"), F::ftDate);
  table.AddField(QStringLiteral("RankRef"), F::ftInteger);
  table.AddLookupField(QStringLiteral("Rank"), 50, QStringLiteral("RankRef"), &rank, QStringLiteral("ID"),
                       QStringLiteral("Name"));
  table.AddField(QStringLiteral("Team"), F::ftString, 255);
  table.AddField(QStringLiteral("Trainer"), F::ftString, 1024);
  table.AddField(QStringLiteral("Weight"), F::ftFloat);
  table.AddField(QStringLiteral("SexRef"), F::ftInteger);
  table.AddLookupField(QStringLiteral("Sex"), 50, QStringLiteral("SexRef"), &sex, QStringLiteral("ID"),
                       QStringLiteral("Name"));
}

void AddMadeRank(TClientDataSet& table, TClientDataSet& rank) {
  table.AddField(QStringLiteral("Position"), F::ftInteger);
  table.AddField(QStringLiteral("MadeRankRef"), F::ftInteger);
  table.AddLookupField(QStringLiteral("MadeRank"), 50, QStringLiteral("MadeRankRef"), &rank,
                       QStringLiteral("ID"), QStringLiteral("Name"));
}

void DefineIndividual(TClientDataSet& table, TClientDataSet& rank, TClientDataSet& sex,
                      const QString& index) {
  AddCompetitorFields(table, rank, sex);
  AddMadeRank(table, rank);
  table.AddField(QStringLiteral("Result"), F::ftInteger);
  table.AddField(QStringLiteral("Point"), F::ftInteger);
  table.AddField(QStringLiteral("AtTheTeam"), F::ftBoolean);
  table.AddIndexDef({index, QStringLiteral("Result;Weight"), ixDescending, QStringLiteral("Result")});
  table.CreateDataSet();
  table.SetIndexName(index);
}

void DefineWeight(TClientDataSet& table, const QString& index) {
  table.AddField(QStringLiteral("Weight"), F::ftInteger);
  table.AddField(QStringLiteral("RefereePlatform"), F::ftString, 255);
  table.AddField(QStringLiteral("RefereePlatformMain"), F::ftString, 255);
  table.AddIndexDef({index, QStringLiteral("Weight"), ixUnique, QString()});
  table.CreateDataSet();
  table.SetIndexName(index);
}

void Set(TClientDataSet& table, const char* field, const TValue& value) {
  table.FieldByName(QString::fromLatin1(field)).SetValue(value);
}

}  // namespace

TCompetition::TCompetition() {
  Rank.AddField(QStringLiteral("ID"), F::ftInteger);
  Rank.AddField(QStringLiteral("Name"), F::ftString, 50);
  Rank.CreateDataSet();
  const std::pair<int, const char*> ranks[] = {{0, ""},    {1, "ЗМС"}, {21, "МСМК"}, {2, "МС"},
                                               {3, "КМС"}, {4, "I"},   {5, "II"},    {6, "III"},
                                               {7, "Iю"},  {8, "IIю"}, {9, "IIIю"}};
  for (const auto& [id, name] : ranks) {
    Rank.Append();
    Set(Rank, "ID", id);
    Set(Rank, "Name", QString::fromUtf8(name));
    Rank.Post();
  }
  Sex.AddField(QStringLiteral("ID"), F::ftInteger);
  Sex.AddField(QStringLiteral("Name"), F::ftString, 50);
  Sex.CreateDataSet();
  for (const auto& [id, name] : {std::pair{0, "Ж"}, std::pair{1, "М"}}) {
    Sex.Append();
    Set(Sex, "ID", id);
    Set(Sex, "Name", QString::fromUtf8(name));
    Sex.Post();
  }

  Organizer.AddField(QStringLiteral("Name"), F::ftString, 255);
  Organizer.CreateDataSet();
  DefineWeight(ManWeight, QStringLiteral("dsManWeightIndex1"));
  DefineWeight(WomanWeight, QStringLiteral("dsWomanWeightIndex1"));
  DefineIndividual(Snatch, Rank, Sex, QStringLiteral("dsJerkIndex"));
  DefineIndividual(LongCycle, Rank, Sex, QStringLiteral("dsPutIndex"));

  AddCompetitorFields(Biathlon, Rank, Sex);
  AddMadeRank(Biathlon, Rank);
  Biathlon.AddField(QStringLiteral("PutResult"), F::ftInteger);
  Biathlon.AddField(QStringLiteral("JerkResult"), F::ftInteger);
  Biathlon.AddField(QStringLiteral("Point"), F::ftInteger);
  Biathlon.AddField(QStringLiteral("Summa"), F::ftFloat);
  Biathlon.AddField(QStringLiteral("JerkPoint"), F::ftFloat);
  Biathlon.AddField(QStringLiteral("AtTheTeam"), F::ftBoolean);
  Biathlon.AddIndexDef({QStringLiteral("dsSnatchIndex"), QStringLiteral("Summa;Weight"), ixDescending,
                        QStringLiteral("Summa")});
  Biathlon.CreateDataSet();
  Biathlon.SetIndexName(QStringLiteral("dsSnatchIndex"));

  AddCompetitorFields(RelayRace, Rank, Sex);
  RelayRace.AddField(QStringLiteral("Position"), F::ftInteger);
  RelayRace.AddField(QStringLiteral("Result"), F::ftInteger);
  RelayRace.AddField(QStringLiteral("Step"), F::ftInteger);
  RelayRace.AddField(QStringLiteral("StepResult"), F::ftInteger);
  RelayRace.AddField(QStringLiteral("WeightCategory"), F::ftString, 50);
  RelayRace.AddField(QStringLiteral("Discipline"), F::ftInteger);
  RelayRace.AddIndexDef({QStringLiteral("dsRelayRaceIndex"), QStringLiteral("Team;Step"), 0, QString()});
  RelayRace.AddIndexDef(
      {QStringLiteral("dsRelayRaceIndexPosition"), QStringLiteral("Position"), 0, QString()});
  RelayRace.CreateDataSet();
  RelayRace.SetIndexName(QStringLiteral("dsRelayRaceIndex"));

  Normative.AddField(QStringLiteral("Discipline"), F::ftString, 50);
  Normative.AddField(QStringLiteral("WeightClass"), F::ftString, 50);
  Normative.AddField(QStringLiteral("SexRef"), F::ftInteger);
  Normative.AddLookupField(QStringLiteral("Sex"), 50, QStringLiteral("SexRef"), &Sex, QStringLiteral("ID"),
                           QStringLiteral("Name"));
  Normative.AddField(QStringLiteral("RankRef"), F::ftInteger);
  Normative.AddLookupField(QStringLiteral("Rank"), 50, QStringLiteral("RankRef"), &Rank, QStringLiteral("ID"),
                           QStringLiteral("Name"));
  Normative.AddField(QStringLiteral("DumbbellWeight"), F::ftInteger);
  Normative.AddField(QStringLiteral("Result"), F::ftInteger);
  Normative.AddIndexDef({QStringLiteral("dsNormativeIndex"),
                         QStringLiteral("Discipline;WeightClass;DumbbellWeight;RankRef"), 0, QString()});
  Normative.CreateDataSet();
  Normative.SetIndexName(QStringLiteral("dsNormativeIndex"));

  Stream.AddField(QStringLiteral("ID"), F::ftInteger);
  Stream.AddField(QStringLiteral("Name"), F::ftString, 255);
  Stream.AddField(QStringLiteral("Weight"), F::ftFloat);
  Stream.AddField(QStringLiteral("BestResult"), F::ftFloat);
  Stream.AddIndexDef({QStringLiteral("dsStreamIndex"), QStringLiteral("id;weight;bestresult"), 0, QString()});
  Stream.CreateDataSet();
  Stream.SetIndexName(QStringLiteral("dsStreamIndex"));
}

void TCompetition::AddOrganizer(const QString& name) {
  Organizer.Append();
  Set(Organizer, "Name", name);
  Organizer.Post();
}

void TCompetition::AddWeightClass(int sex, int limit, const QString& referee, const QString& mainReferee) {
  TClientDataSet& table = sex == 1 ? ManWeight : WomanWeight;
  table.Append();
  Set(table, "Weight", limit);
  if (!referee.isEmpty()) {
    Set(table, "RefereePlatform", referee);
  }
  if (!mainReferee.isEmpty()) {
    Set(table, "RefereePlatformMain", mainReferee);
  }
  table.Post();
}

void TCompetition::AddCompetitor(TClientDataSet& table, const TCompetitor& c) {
  table.Append();
  Set(table, "Name", c.Name);
  Set(table, "Birthday", c.Birthday);
  Set(table, "RankRef", c.RankRef);
  Set(table, "Team", c.Team);
  Set(table, "Trainer", c.Trainer);
  Set(table, "Weight", c.Weight);
  Set(table, "SexRef", c.Sex);
  Set(table, "Position", c.Position);
  Set(table, "MadeRankRef", c.MadeRankRef);
  if (!c.Entered) {
    table.Post();
    return;
  }
  Set(table, "Point", c.Point);
  if (&table == &Biathlon) {
    // As the window computes them: the snatch counts half.
    Set(table, "PutResult", c.Result);
    Set(table, "JerkResult", c.SnatchResult);
    Set(table, "JerkPoint", c.SnatchResult / 2.0);
    Set(table, "Summa", c.Result + c.SnatchResult / 2.0);
  } else {
    Set(table, "Result", c.Result);
  }
  table.Post();
}

void TCompetition::AddStage(const TStage& s) {
  RelayRace.Append();
  Set(RelayRace, "Team", s.Team);
  Set(RelayRace, "Step", s.Step);
  Set(RelayRace, "SexRef", s.Sex);
  Set(RelayRace, "Discipline", s.Discipline);
  Set(RelayRace, "Position", s.Position);
  Set(RelayRace, "Name", s.Name.isEmpty() ? s.Team + QStringLiteral(" ") + QString::number(s.Step) : s.Name);
  Set(RelayRace, "Birthday", QDate(1999, 3, 4));
  Set(RelayRace, "Weight", s.Weight);
  Set(RelayRace, "Result", s.Result);
  Set(RelayRace, "WeightCategory", s.WeightCategory);
  Set(RelayRace, "Trainer", s.Trainer);
  RelayRace.Post();
}

void TCompetition::AddRequirement(const TRequirement& r) {
  Normative.Append();
  Set(Normative, "Discipline", r.Discipline);
  Set(Normative, "WeightClass", r.WeightClass);
  Set(Normative, "SexRef", r.Sex);
  Set(Normative, "RankRef", r.RankRef);
  Set(Normative, "DumbbellWeight", r.Kettlebell);
  Set(Normative, "Result", r.Result);
  Normative.Post();
}

void TCompetition::AddStream(int id, const QString& name, double weight, double bestResult) {
  Stream.Append();
  Set(Stream, "ID", id);
  Set(Stream, "Name", name);
  Set(Stream, "Weight", weight);
  Set(Stream, "BestResult", bestResult);
  Stream.Post();
}

void TCompetition::DefineTeamProtocol(const QStringList& classColumns) {
  TeamProtocol.Close();
  TeamProtocol.AddField(QStringLiteral("Position"), F::ftString, 20);
  TeamProtocol.AddField(QStringLiteral("Team"), F::ftString, 255);
  TeamProtocol.AddField(QStringLiteral("Point"), F::ftInteger);
  for (const QString& column : classColumns) {
    TeamProtocol.AddField(column, F::ftString, 255);
  }
  TeamProtocol.CreateDataSet();
}

void TCompetition::AddTeamRow(const QString& position, const QString& team, int point,
                              const QStringList& values) {
  TeamProtocol.Append();
  Set(TeamProtocol, "Position", position);
  Set(TeamProtocol, "Team", team);
  Set(TeamProtocol, "Point", point);
  for (int i = 0; i < values.size(); ++i) {
    if (!values[i].isEmpty()) {
      TeamProtocol.Fields(3 + i).SetValue(values[i]);
    }
  }
  TeamProtocol.Post();
}

TTableView ViewOf(const TClientDataSet& table) {
  return {table.Filter(), table.Filtered(), table.ControlsDisabled(), table.IndexName()};
}

}  // namespace competition_fixture
