#include <gtest/gtest.h>

#include <vector>

#include "app/data/tables.h"
#include "tests/support/test_sandbox.h"

namespace {

const TTranslateFunc kRussian = [](const QString& ru, const QString&) { return ru; };
const TTranslateFunc kEnglish = [](const QString&, const QString& en) { return en; };

std::vector<QString> Column(TClientDataSet& ds, const QString& field) {
  std::vector<QString> values;
  for (ds.First(); !ds.Eof(); ds.Next()) {
    values.push_back(ds.FieldByName(field).AsString());
  }
  return values;
}

TEST(WeightDefaults, ClassesInOrderWithTheOpenClassLastAndAllPostedBySave) {
  struct Case {
    void (*Fill)(TClientDataSet&);
    TClientDataSet TCompetitionTables::*Table;
    std::vector<QString> Limits;
  };
  const Case cases[] = {
      {FillManWeightDefaults, &TCompetitionTables::dsManWeight, {"63", "68", "73", "78", "85", "95", "105", "1000"}},
      {FillWomanWeightDefaults, &TCompetitionTables::dsWomanWeight, {"58", "63", "68", "1000"}},
  };
  for (const auto& c : cases) {
    TCompetitionTables tables;
    TClientDataSet& ds = tables.*c.Table;
    TField& weight = ds.FieldByName("Weight");
    int validations = 0;
    weight.OnValidate = [&](TField& f) {
      ++validations;
      if (f.AsInteger() > 999) {
        throw Exception("refused");
      }
    };
    ds.CreateDataSet();
    c.Fill(ds);
    // The validation was detached for the fill and is back afterwards.
    EXPECT_EQ(validations, 0);
    ASSERT_TRUE(weight.OnValidate);

    const QString path = testing_sandbox::Path("w.xml");
    ds.SaveToFile(path, 1);
    ds.Close();
    ds.SetFileName(path);
    ds.Open();
    EXPECT_EQ(Column(ds, "Weight"), c.Limits) << ds.Name().toStdString();
  }
}

TEST(RankAndSexTables, InsertOrderListsTheEmptyRankFirstAndRelabelAddsNoRows) {
  TCompetitionTables tables;
  tables.dsRank.CreateDataSet();
  tables.dsSex.CreateDataSet();
  FillRankTable(tables.dsRank, kRussian);
  FillSexTable(tables.dsSex, kRussian);
  // Switching twice straight away: the pending last row counts as a row.
  FillRankTable(tables.dsRank, kEnglish);
  FillSexTable(tables.dsSex, kEnglish);
  FillRankTable(tables.dsRank, kRussian);
  FillSexTable(tables.dsSex, kRussian);

  EXPECT_EQ(Column(tables.dsRank, "ID"),
            (std::vector<QString>{"0", "1", "21", "2", "3", "4", "5", "6", "7", "8", "9"}));
  EXPECT_EQ(Column(tables.dsRank, "Name"),
            (std::vector<QString>{"", "ЗМС", "МСМК", "МС", "КМС", "I", "II", "III", "Iю", "IIю", "IIIю"}));
  EXPECT_EQ(Column(tables.dsSex, "Name"), (std::vector<QString>{"М", "Ж"}));

  FillRankTable(tables.dsRank, kEnglish);
  FillSexTable(tables.dsSex, kEnglish);
  EXPECT_EQ(Column(tables.dsRank, "Name"),
            (std::vector<QString>{"", "DMS", "MSWC", "MS", "CMS", "I", "II", "III", "Ij", "IIj", "IIIj"}));
  EXPECT_EQ(Column(tables.dsSex, "Name"), (std::vector<QString>{"M", "F"}));
}

TEST(Lookups, RegisterShowsRankAndSexNamesAndNothingForUnknownKeys) {
  TCompetitionTables tables;
  tables.dsRank.CreateDataSet();
  tables.dsSex.CreateDataSet();
  FillRankTable(tables.dsRank, kRussian);
  FillSexTable(tables.dsSex, kRussian);
  TClientDataSet& ds = tables.dsCompetitor;
  ds.CreateDataSet();
  struct Case {
    int RankRef;
    int SexRef;
    const char* Rank;
    const char* Sex;
  };
  for (const Case c : {Case{21, 1, "МСМК", "М"}, Case{3, 0, "КМС", "Ж"}, Case{10, 2, "", ""}}) {
    ds.Append();
    ds.FieldByName("RankRef").SetAsInteger(c.RankRef);
    ds.FieldByName("SexRef").SetAsInteger(c.SexRef);
    ds.Post();
    EXPECT_EQ(ds.FieldByName("Rank").AsString(), QString::fromUtf8(c.Rank)) << c.RankRef;
    EXPECT_EQ(ds.FieldByName("Sex").AsString(), QString::fromUtf8(c.Sex)) << c.SexRef;
  }
  EXPECT_FALSE(ds.FieldByName("RankRef").Visible());
  EXPECT_EQ(ds.FieldByName("Rank").LookupList(),
            (QStringList{"", "ЗМС", "МСМК", "МС", "КМС", "I", "II", "III", "Iю", "IIю", "IIIю"}));
}

TEST(Protocols, ResultDescendingThenLighterFirstAndTheRelayTeamsMenFirst) {
  TCompetitionTables tables;
  TClientDataSet& snatch = tables.dsSnatch;
  snatch.CreateDataSet();
  struct Row {
    const char* Name;
    QVariant Result;
    double Weight;
  };
  for (const Row& r : {Row{"A", 60, 67.5}, Row{"B", QVariant(), 60.0}, Row{"C", 60, 66.0}, Row{"D", 75, 80.0}}) {
    snatch.Append();
    snatch.FieldByName("Name").SetAsString(r.Name);
    snatch.FieldByName("Result").SetValue(r.Result);
    snatch.FieldByName("Weight").SetAsFloat(r.Weight);
    snatch.Post();
  }
  EXPECT_EQ(Column(snatch, "Name"), (std::vector<QString>{"D", "C", "A", "B"}));

  TClientDataSet& teams = tables.dsRRTeam;
  teams.CreateDataSet();
  for (const auto& [team, sex, result] : {std::tuple{"W1", 0, 90}, {"M1", 1, 50}, {"W2", 0, 95}, {"M2", 1, 70}}) {
    teams.Append();
    teams.FieldByName("Team").SetAsString(team);
    teams.FieldByName("SexRef").SetAsInteger(sex);
    teams.FieldByName("Result").SetAsInteger(result);
    teams.Post();
  }
  EXPECT_EQ(Column(teams, "Team"), (std::vector<QString>{"M2", "M1", "W2", "W1"}));
}

TEST(FieldLabels, ApplyInBothLanguagesWithCopiedLabelsFollowingTheRegister) {
  TCompetitionTables tables;
  struct Case {
    TClientDataSet TCompetitionTables::*Table;
    const char* Field;
    const char* Russian;
    const char* English;
  };
  const Case cases[] = {
      {&TCompetitionTables::dsCompetitor, "Trainer", "Тренер", "Coach"},
      {&TCompetitionTables::dsCompetitorHB, "Birthday", "Дата рождения", "Date of Birth"},
      {&TCompetitionTables::dsSnatch, "Weight", "Вес", "Body weight"},
      {&TCompetitionTables::dsLongCycle, "Result", "Толчок", "Result"},
      {&TCompetitionTables::dsBiathlon, "JerkResult", "Рывок", "Snatch"},
      {&TCompetitionTables::dsHBTeam, "Name", "Команда", "Team"},
      {&TCompetitionTables::dsCompetitorStream, "BestResBiathlon", "Лучший результат в двоеборье",
       "Best biathlon result"},
      {&TCompetitionTables::dsManWeight, "RefereePlatform", "C\u0443дья на помосте", "Platform referee"},
      // Fields without a label show their name.
      {&TCompetitionTables::dsSnatch, "Passport", "Passport", "Passport"},
      {&TCompetitionTables::dsHBTrainer, "Name", "Name", "Name"},
  };
  for (const auto& [translate, english] : {std::pair{kEnglish, true}, std::pair{kRussian, false}}) {
    ApplyFieldLabels(tables, translate);
    for (const auto& c : cases) {
      EXPECT_EQ((tables.*c.Table).FieldByName(c.Field).DisplayLabel(),
                QString::fromUtf8(english ? c.English : c.Russian))
          << (tables.*c.Table).Name().toStdString() << "." << c.Field;
    }
  }
  // The referee labels begin with the Latin C.
  EXPECT_EQ(tables.dsWomanWeight.FieldByName("RefereePlatformMain").DisplayLabel().front(), QChar(u'C'));
}

}  // namespace
