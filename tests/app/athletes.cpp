#include "tests/app/athletes.h"

#include "tests/app/window_fixture.h"

namespace app_test {

void WriteAthletes(const QList<TAthlete>& athletes) {
  TCompetitionTables tables;
  WriteTable(tables.dsCompetitor, QStringLiteral("Competitor.xml"), [&](TClientDataSet& t) {
    for (const TAthlete& a : athletes) {
      t.Append();
      t.FieldByName("Name").SetAsString(QString::fromUtf8(a.Name));
      t.FieldByName("SexRef").SetAsInteger(a.Sex);
      t.FieldByName("Weight").SetAsFloat(a.Weight);
      t.FieldByName("Team").SetAsString(QString::fromUtf8(a.Team));
      t.FieldByName("Snatch").SetAsBoolean(a.Snatch);
      t.FieldByName("LongCycle").SetAsBoolean(a.LongCycle);
      t.FieldByName("Biathlon").SetAsBoolean(a.Biathlon);
      t.FieldByName("AtTheTeam").SetAsBoolean(a.AtTheTeam);
      if (a.Rank >= 0) {
        t.FieldByName("RankRef").SetAsInteger(a.Rank);
      }
      t.FieldByName("Birthday").SetAsString(QString::fromLatin1(a.Birthday));
      t.FieldByName("Trainer").SetAsString(QString::fromUtf8(a.Trainer));
      t.Post();
    }
  });
}

void WriteRequirements(const QList<TRequirement>& requirements) {
  TCompetitionTables tables;
  WriteTable(tables.dsNormative, QStringLiteral("Normative.xml"), [&](TClientDataSet& t) {
    for (const TRequirement& r : requirements) {
      t.Append();
      t.FieldByName("Discipline").SetAsString(QString::fromUtf8(r.Discipline));
      t.FieldByName("WeightClass").SetAsString(QString::fromUtf8(r.WeightClass));
      t.FieldByName("SexRef").SetAsInteger(r.Sex);
      t.FieldByName("RankRef").SetAsInteger(r.Rank);
      t.FieldByName("DumbbellWeight").SetAsInteger(r.DumbbellWeight);
      t.FieldByName("Result").SetAsInteger(r.Result);
      t.Post();
    }
  });
}

}  // namespace app_test
