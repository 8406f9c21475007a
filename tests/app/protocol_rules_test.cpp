// The rules of the discipline protocols without the window: points by place,
// rank seniority, the result a rank is looked up with, the open class's name
// in the ranks requirements, and the achieved ranks against the rule stated
// as filters.
#include <gtest/gtest.h>

#include <climits>
#include <optional>

#include "app/data/tables.h"
#include "app/protocol_rules.h"
#include "tests/app/ranks_filtered_per_row.h"
#include "tests/support/test_sandbox.h"

namespace {

TEST(ProtocolRules, PointsByPlace) {
  const struct {
    TValue Place;
    TValue Points;
  } cases[] = {{1, 20},  {2, 18},  {3, 16}, {4, 15},  {10, 9}, {18, 1},
               {19, {}}, {25, {}}, {0, {}}, {-3, {}}, {{}, {}}};
  for (const auto& c : cases) {
    EXPECT_EQ(PointsForPlace(c.Place), c.Points) << c.Place.toString().toStdString();
  }
}

TEST(ProtocolRules, MswcRanksBetweenDmsAndMs) {
  const int senior[] = {1, 21, 2, 3, 4, 5, 6, 7, 8, 9, 0};
  for (int i = 0; i + 1 < int(std::size(senior)); ++i) {
    EXPECT_LT(RankSeniority(senior[i]), RankSeniority(senior[i + 1])) << senior[i];
  }
}

TEST(ProtocolRules, ABiathlonSumRoundsHalvesToTheEvenNeighbour) {
  TClientDataSet table(QStringLiteral("dsBiathlon"));
  TField& summa = table.AddField(QStringLiteral("Summa"), TFieldType::ftFloat);
  TField& result = table.AddField(QStringLiteral("Result"), TFieldType::ftInteger);
  table.CreateDataSet();
  table.Append();
  const struct {
    double Sum;
    int Counted;
  } cases[] = {{52.5, 52}, {53.5, 54}, {0.5, 0},         {1.5, 2},
               {52.4, 52}, {52.6, 53}, {3.2e9, INT_MAX}, {-3.2e9, INT_MIN}};  // beyond: the nearest integer
  for (const auto& c : cases) {
    summa.SetAsFloat(c.Sum);
    EXPECT_EQ(ResultForRank(summa), c.Counted) << c.Sum;
  }
  result.SetAsInteger(77);
  EXPECT_EQ(ResultForRank(result), 77);
  result.Clear();
  EXPECT_EQ(ResultForRank(result), 0);
}

TEST(ProtocolRules, TheOpenClassIsNamedAfterTheHeaviestClosedLimit) {
  TCompetitionTables tables;
  TClientDataSet& men = tables.dsManWeight;
  EXPECT_EQ(OpenClassName(men), QString());
  men.CreateDataSet();
  EXPECT_EQ(OpenClassName(men), QString());
  men.Append();
  men.FieldByName(QStringLiteral("Weight")).SetAsInteger(1000);
  men.Post();
  EXPECT_EQ(OpenClassName(men), QStringLiteral("1000+"));
  men.CreateDataSet();
  FillManWeightDefaults(men);
  men.Post();
  EXPECT_EQ(OpenClassName(men), QStringLiteral("105+"));
}

// The lightest class deleted: its athletes join the next one, numbered
// afresh as one class view; every other row keeps its place, and the
// protocol shows the view it showed, on the row it was on.
TEST(ProtocolRules, PlacesOfAWeightRangeAreNumberedAsOneClass) {
  TCompetitionTables tables;
  TClientDataSet& snatch = tables.dsSnatch;
  snatch.CreateDataSet();
  const struct {
    const char* Name;
    int Sex;
    double Weight;
    int Result;
    int Place;  // as numbered in the class views before
  } rows[] = {{"Лёгкий", 1, 60, 90, 1},
              {"Средний", 1, 66, 100, 1},
              {"Второй", 1, 67, 80, 2},
              {"Тяжёлый", 1, 71, 70, 1},
              {"Женщина", 0, 60, 120, 1}};
  for (const auto& r : rows) {
    snatch.Append();
    snatch.FieldByName(QStringLiteral("Name")).SetAsString(QString::fromUtf8(r.Name));
    snatch.FieldByName(QStringLiteral("SexRef")).SetAsInteger(r.Sex);
    snatch.FieldByName(QStringLiteral("Weight")).SetAsFloat(r.Weight);
    snatch.FieldByName(QStringLiteral("Result")).SetAsInteger(r.Result);
    snatch.FieldByName(QStringLiteral("Position")).SetAsInteger(r.Place);
    snatch.Post();
  }
  const QString shown = QStringLiteral("SexRef=1 and Weight > 63 and Weight <= 68");
  snatch.SetFilter(shown);
  snatch.SetFiltered(true);
  snatch.Last();
  const QString current = snatch.FieldByName(QStringLiteral("Name")).AsString();

  NumberPlacesIn(snatch, WeightRangeFilter(1, std::nullopt, 68));

  EXPECT_EQ(snatch.Filter(), shown);
  EXPECT_TRUE(snatch.Filtered());
  EXPECT_EQ(snatch.FieldByName(QStringLiteral("Name")).AsString(), current);
  EXPECT_FALSE(snatch.ControlsDisabled());
  snatch.SetFiltered(false);
  QStringList places;
  for (snatch.First(); !snatch.Eof(); snatch.Next()) {
    places << snatch.FieldByName(QStringLiteral("Name")).AsString() + u'|' +
                  snatch.FieldByName(QStringLiteral("Position")).AsString();
  }
  EXPECT_EQ(places, (QStringList{"Женщина|1", "Средний|1", "Лёгкий|2", "Второй|3", "Тяжёлый|1"}));
}

// ---- Achieved ranks ----

struct TRequirementRow {
  std::optional<int> Rank;
  std::optional<int> Result;
};

// Requirements for men's 68 kg with 32 kg kettlebells in the snatch and the
// biathlon, beside rows that differ from that key in one part each.
void FillRequirements(TClientDataSet& normative, const QString& word,
                      const std::vector<TRequirementRow>& rows) {
  normative.CreateDataSet();
  const auto add = [&](const QString& discipline, const char* weightClass, int sex, int dumbbell,
                       std::optional<int> rank, std::optional<int> result) {
    normative.Append();
    normative.FieldByName(QStringLiteral("Discipline")).SetAsString(discipline);
    normative.FieldByName(QStringLiteral("WeightClass")).SetAsString(QString::fromLatin1(weightClass));
    normative.FieldByName(QStringLiteral("SexRef")).SetAsInteger(sex);
    normative.FieldByName(QStringLiteral("DumbbellWeight")).SetAsInteger(dumbbell);
    if (rank) {
      normative.FieldByName(QStringLiteral("RankRef")).SetAsInteger(*rank);
    }
    if (result) {
      normative.FieldByName(QStringLiteral("Result")).SetAsInteger(*result);
    }
    normative.Post();
  };
  for (const QString& discipline : {word, QStringLiteral("Двоеборье")}) {
    for (const TRequirementRow& r : rows) {
      add(discipline, "68", 1, 32, r.Rank, r.Result);
    }
  }
  // A senior rank within reach of everybody under every other key.
  for (const QString& discipline :
       {QStringLiteral("Рывок"), QStringLiteral("Толчок ДЦ"), QStringLiteral("Двоеборье")}) {
    add(discipline, "68", 1, 24, 1, -100);
    add(discipline, "68", 0, 32, 1, -100);
    add(discipline, "73", 1, 32, 1, -100);
    add(discipline, "68+", 1, 32, 1, -100);
  }
  add(QStringLiteral("Толчок ДЦ"), "68", 1, 32, 1, -100);
}

// Protocol rows with every result from -4 to 160 (each requirement, the one
// below and the one above it), biathlon sums with halves as well, rows
// without a result, and women outside the men's view; each row starts with
// rank 9.
void FillProtocol(TClientDataSet& protocol, const char* resultName) {
  protocol.CreateDataSet();
  TField& result = protocol.FieldByName(QString::fromLatin1(resultName));
  const bool sum = result.DataType() == TFieldType::ftFloat;
  int row = 0;
  const auto add = [&](int sex, std::optional<double> value) {
    protocol.Append();
    protocol.FieldByName(QStringLiteral("Name")).SetAsString(QStringLiteral("Спортсмен %1").arg(row++));
    protocol.FieldByName(QStringLiteral("SexRef")).SetAsInteger(sex);
    protocol.FieldByName(QStringLiteral("Weight")).SetAsFloat(64 + row % 7);
    protocol.FieldByName(QStringLiteral("MadeRankRef")).SetAsInteger(9);
    if (value) {
      result.SetAsFloat(*value);
    }
    protocol.Post();
  };
  for (int n = -4; n <= 160; ++n) {
    add(1, n);
    if (sum) {
      add(1, n + 0.5);
    }
    if (n % 10 == 0) {
      add(0, n);
      add(1, std::nullopt);
    }
  }
  protocol.SetFilter(QStringLiteral("SexRef=1"));
  protocol.SetFiltered(true);
}

QStringList RanksOfEveryRow(TClientDataSet& protocol) {
  const bool filtered = protocol.Filtered();
  protocol.SetFiltered(false);
  QStringList ranks;
  for (protocol.First(); !protocol.Eof(); protocol.Next()) {
    ranks << protocol.FieldByName(QStringLiteral("Name")).AsString() + u'=' +
                 protocol.FieldByName(QStringLiteral("MadeRankRef")).AsString();
  }
  protocol.SetFiltered(filtered);
  return ranks;
}

TEST(ProtocolRules, AchievedRanksAreThoseOfTheRequirementsFilteredForEachRow) {
  const struct {
    const char* What;
    std::vector<TRequirementRow> Requirements;
    const char* Word = "Рывок";  // as the requirements table spells it
  } cases[] = {
      {"seniority: MSWC between DMS and MS", {{3, 70}, {2, 110}, {21, 130}, {1, 150}, {4, 50}}},
      {"ranks of one result", {{3, 100}, {2, 100}, {21, 100}, {9, 100}}},
      {"a rank twice", {{3, 80}, {3, 60}, {5, 20}}},
      {"requirements of 0 and below", {{6, 0}, {5, -3}, {4, 40}}},
      {"ranks outside the list tie among themselves", {{10, 40}, {0, 50}, {12, 30}, {3, 90}}},
      {"a requirement without a result", {{2, {}}, {3, 70}}},
      {"a requirement without a rank", {{{}, 60}, {4, 70}}},
      {"the junior ranks only", {{9, 20}, {8, 45}, {7, 65}}},
      {"no requirement for the key: ranks stay", {}},
      {"the word in small letters", {{3, 70}, {21, 120}}, "рывок"},
  };
  for (const auto& c : cases) {
    for (const char* resultName : {"Result", "Summa"}) {
      SCOPED_TRACE(std::string(c.What) + ", " + resultName);
      const bool biathlon = std::string_view(resultName) == "Summa";
      const QString discipline = biathlon ? QStringLiteral("Двоеборье") : QStringLiteral("Рывок");
      TCompetitionTables byFilter;
      TCompetitionTables inOnePass;
      for (TCompetitionTables* tables : {&byFilter, &inOnePass}) {
        FillRequirements(tables->dsNormative, QString::fromUtf8(c.Word), c.Requirements);
        FillProtocol(biathlon ? tables->dsBiathlon : tables->dsSnatch, resultName);
      }
      TClientDataSet& expected = biathlon ? byFilter.dsBiathlon : byFilter.dsSnatch;
      TClientDataSet& got = biathlon ? inOnePass.dsBiathlon : inOnePass.dsSnatch;
      const QStringList before = RanksOfEveryRow(got);
      RanksByFilterPerRow(byFilter.dsNormative, discipline, QStringLiteral("32"), QStringLiteral("68"), 1,
                          expected.FieldByName(QString::fromLatin1(resultName)),
                          expected.FieldByName(QStringLiteral("MadeRankRef")));
      SetMadeRanks(inOnePass.dsNormative, discipline, QStringLiteral("32"), QStringLiteral("68"), 1,
                   got.FieldByName(QString::fromLatin1(resultName)),
                   got.FieldByName(QStringLiteral("MadeRankRef")));
      EXPECT_EQ(RanksOfEveryRow(got), RanksOfEveryRow(expected));
      EXPECT_EQ(RanksOfEveryRow(got) != before, !c.Requirements.empty());
      // The same change log and versions: one post per row of the view.
      EXPECT_EQ(got.SaveToBytes(), expected.SaveToBytes());
      EXPECT_FALSE(inOnePass.dsNormative.Filtered());
      EXPECT_FALSE(inOnePass.dsNormative.ControlsDisabled());
      EXPECT_FALSE(got.ControlsDisabled());
    }
  }
}

}  // namespace
