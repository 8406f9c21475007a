// Closing the window merges the register, as it is viewed, into the
// competitor handbook by name, sex and birthday, ignoring letter case.
#include <QDate>
#include <QFile>

#include "tests/app/window_fixture.h"
#include "tests/support/test_sandbox.h"

namespace app_test {
namespace {

struct TPerson {
  const char* Name;
  int Sex;
  const char* Birthday;  // dd.MM.yyyy, or empty
  const char* Team;
  double Weight = 0;
};

void WritePeople(TClientDataSet TCompetitionTables::*table, const QString& fileName,
                 const QList<TPerson>& people) {
  TCompetitionTables tables;
  WriteTable(tables.*table, fileName, [&](TClientDataSet& t) {
    for (const TPerson& p : people) {
      t.Append();
      t.FieldByName("Name").SetAsString(QString::fromUtf8(p.Name));
      t.FieldByName("SexRef").SetAsInteger(p.Sex);
      t.FieldByName("Birthday").SetAsString(QString::fromLatin1(p.Birthday));
      t.FieldByName("Team").SetAsString(QString::fromUtf8(p.Team));
      if (p.Weight > 0) {
        t.FieldByName("Weight").SetAsFloat(p.Weight);
      }
      t.Post();
    }
  });
}

QStringList Handbook() {
  QStringList rows = ReadRows(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml",
                              {"Name", "SexRef", "Birthday", "Team"});
  rows.sort();
  return rows;
}

struct TMergeCase {
  const char* What;
  QList<TPerson> Register;
  QList<TPerson> HandbookBefore;
  QStringList HandbookAfter;  // sorted
};

using Merge = WindowTest;

TEST_F(Merge, RegisterRowsUpdateOrJoinTheHandbook) {
  const TMergeCase cases[] = {
      {"letter case only",
       {{"ИВАНОВ иван", 1, "01.02.1990", "Динамо"}},
       {{"Иванов Иван", 1, "01.02.1990", "Спартак"}},
       {"ИВАНОВ иван|1|01.02.1990|Динамо"}},
      {"another birthday",
       {{"Иванов Иван", 1, "02.02.1990", "Динамо"}},
       {{"Иванов Иван", 1, "01.02.1990", "Спартак"}},
       {"Иванов Иван|1|01.02.1990|Спартак", "Иванов Иван|1|02.02.1990|Динамо"}},
      {"another sex",
       {{"Саша Белова", 0, "03.03.2000", "Динамо"}},
       {{"Саша Белова", 1, "03.03.2000", "Спартак"}},
       {"Саша Белова|0|03.03.2000|Динамо", "Саша Белова|1|03.03.2000|Спартак"}},
      {"both without birthday",
       {{"Петров", 1, "", "Динамо"}},
       {{"петров", 1, "", "Спартак"}},
       {"Петров|1||Динамо"}},
      {"empty handbook",
       {{"Петров", 1, "", "Динамо"}, {"Сидорова", 0, "05.05.2005", ""}},
       {},
       {"Петров|1||Динамо", "Сидорова|0|05.05.2005|"}},
  };
  for (const TMergeCase& c : cases) {
    WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", c.Register);
    WritePeople(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml", c.HandbookBefore);
    auto window = Start();
    Stop(window);
    EXPECT_EQ(Handbook(), c.HandbookAfter) << c.What;
  }
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join(u'\n').toStdString();
}

TEST_F(Merge, OnlyTheRowsTheWeighingViewShowsAreMerged) {
  WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml",
              {{"Анна", 0, "01.01.2000", "A", 55.0},
               {"Вера", 0, "01.01.2001", "B", 60.5},
               {"Галина", 0, "01.01.2002", "C", 63.0},
               {"Борис", 1, "01.01.2003", "D", 61.0}});
  WritePeople(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml", {});
  auto window = Start();
  // The weighing tab's women of the class up to 63 kg, listed by body weight.
  window->dsCompetitor.SetIndexName("dsCompetitorIndexWeight");
  window->dsCompetitor.SetFilter("SexRef=0 and Weight > 58 and Weight <= 63");
  window->dsCompetitor.SetFiltered(true);
  Stop(window);
  EXPECT_EQ(Handbook(), (QStringList{"Вера|0|01.01.2001|B", "Галина|0|01.01.2002|C"}));
}

TEST_F(Merge, ClosedHandbookOrRegisterMergesNothing) {
  WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {{"Анна", 0, "01.01.2000", "A"}});
  const QByteArray damaged = "not a data packet";
  testing_sandbox::WriteFile(DataFile("CompetitorHB.xml"), damaged);
  auto window = Start();
  ASSERT_EQ(Dialogs.Errors.size(), 1);
  EXPECT_TRUE(window->dsCompetitor.Active());
  EXPECT_FALSE(window->dsCompetitorHB.Active());
  Stop(window);
  EXPECT_EQ(Dialogs.Errors.size(), 1) << Dialogs.Errors.join(u'\n').toStdString();
  EXPECT_EQ(testing_sandbox::ReadFile(DataFile("CompetitorHB.xml")), damaged);

  // The register closed (a protocol load that failed leaves it so).
  QFile::remove(DataFile("CompetitorHB.xml"));
  auto second = Start();
  second->dsCompetitor.Close();
  Stop(second);
  EXPECT_TRUE(Handbook().isEmpty());
  EXPECT_EQ(Dialogs.Errors.size(), 1) << Dialogs.Errors.join(u'\n').toStdString();
}

}  // namespace
}  // namespace app_test
