#include <gtest/gtest.h>

#include <QFile>

#include "app/data/tables.h"
#include "tests/support/test_sandbox.h"

namespace {

const TTranslateFunc kRussian = [](const QString& ru, const QString&) { return ru; };

class ShippedNormative : public ::testing::Test {
 protected:
  void SetUp() override {
    tables.dsRank.CreateDataSet();
    tables.dsSex.CreateDataSet();
    FillRankTable(tables.dsRank, kRussian);
    FillSexTable(tables.dsSex, kRussian);
    // A copy, so the check cannot touch the build's packet.
    copy = testing_sandbox::Path("Normative.xml");
    ASSERT_TRUE(QFile::copy(TYAZHAR_NORMATIVE_XML, copy));
    tables.dsNormative.SetFileName(copy);
    tables.dsNormative.Open();
  }

  QString Requirement(const char* discipline, int rank) {
    TClientDataSet& ds = tables.dsNormative;
    ds.SetFilter(QStringLiteral("(upper(Discipline)='%1') and (DumbbellWeight=32) and (WeightClass='68') and "
                                "(SexRef=1) and (RankRef = %2)")
                     .arg(QString::fromUtf8(discipline).toUpper())
                     .arg(rank));
    ds.SetFiltered(true);
    return ds.RecordCount() == 1 ? ds.FieldByName("Result").AsString() : QStringLiteral("rows: %1").arg(ds.RecordCount());
  }

  TCompetitionTables tables;
  QString copy;
};

TEST_F(ShippedNormative, MenOf68WithKettlebellsOf32) {
  struct Case {
    const char* Discipline;
    int Rank;
    const char* Result;
  };
  const Case cases[] = {
      {"Двоеборье", 21, "165"}, {"Двоеборье", 2, "110"}, {"Двоеборье", 3, "70"},
      {"Толчок ДЦ", 21, "57"},  {"Толчок ДЦ", 2, "44"},  {"Толчок ДЦ", 3, "35"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Requirement(c.Discipline, c.Rank), QString::fromUtf8(c.Result)) << c.Discipline << " " << c.Rank;
  }
}

TEST_F(ShippedNormative, ReadsBackToTheSameBytes) {
  const QByteArray original = testing_sandbox::ReadFile(copy);
  tables.dsNormative.SaveToFile(testing_sandbox::Path("again.xml"), 1);
  EXPECT_EQ(testing_sandbox::ReadFile(testing_sandbox::Path("again.xml")), original);
  EXPECT_EQ(tables.dsNormative.RecordCount(), 96);
  // The men's biathlon rows sort first; the Sex lookup follows SexRef.
  EXPECT_EQ(tables.dsNormative.FieldByName("Sex").AsString(), QStringLiteral("М"));
}

}  // namespace
