#include "tests/protocol/competition_fixture.h"

namespace competition_fixture {
namespace {

using F = TFieldType;

void Set(TClientDataSet& table, const char* field, const TValue& value) {
  table.FieldByName(QString::fromLatin1(field)).SetValue(value);
}

}  // namespace

TCompetition::TCompetition() {
  const TTranslateFunc russian = [](const QString& ru, const QString&) { return ru; };
  for (TClientDataSet* table : {&Rank, &Sex, &Organizer, &ManWeight, &WomanWeight, &Snatch, &LongCycle,
                                &Biathlon, &RelayRace, &Normative}) {
    table->CreateDataSet();
  }
  FillRankTable(Rank, russian);
  FillSexTable(Sex, russian);
  Rank.First();  // posts the last row the fill leaves pending
  Sex.First();
  DefineStreamTable(Stream);
  Stream.CreateDataSet();
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

QStringList NationalMeetColumns(int count) {
  const QList<int> women5 = {53, 58, 63, 68, 1000};
  const QList<int> women6 = {48, 53, 58, 63, 68, 1000};
  const QList<int> men = {58, 63, 68, 73, 78, 85, 95, 1000};
  struct TGroup {
    const char* prefix;
    int sex;
    QList<int> limits;
  };
  const std::vector<TGroup> groups =
      count == 26
          ? std::vector<TGroup>{{"LC_", 0, women5}, {"LC_", 1, men}, {"S_", 0, women5}, {"B_", 1, men}}
          : std::vector<TGroup>{{"LC_", 0, women5}, {"LC_", 1, men},   {"S_", 0, women5},
                                {"S_", 1, men},     {"B_", 0, women6}, {"B_", 1, men}};
  QStringList columns;
  for (const TGroup& group : groups) {
    for (const int limit : group.limits) {
      columns << QString::fromLatin1(group.prefix) + QString::number(group.sex) + QString::number(limit);
    }
  }
  return columns;
}

TTableView ViewOf(const TClientDataSet& table) {
  return {table.Filter(), table.Filtered(), table.ControlsDisabled(), table.IndexName()};
}

}  // namespace competition_fixture
