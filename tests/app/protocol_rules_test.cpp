// The rules of the discipline protocols without the window: points by place,
// rank seniority, the result a rank is looked up with, the open class's name
// in the ranks requirements.
#include <gtest/gtest.h>

#include "app/data/tables.h"
#include "app/protocol_rules.h"
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
  } cases[] = {{52.5, 52}, {53.5, 54}, {0.5, 0}, {1.5, 2}, {52.4, 52}, {52.6, 53}};
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

}  // namespace
