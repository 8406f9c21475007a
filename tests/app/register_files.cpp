#include "tests/app/register_files.h"

#include "tests/app/window_fixture.h"

namespace app_test {

void WritePeople(TClientDataSet TCompetitionTables::*table, const QString& fileName,
                 const QList<TPerson>& people) {
  TCompetitionTables tables;
  WriteTable(tables.*table, fileName, [&](TClientDataSet& t) {
    for (const TPerson& p : people) {
      t.Append();
      t.FieldByName("Name").SetAsString(QString::fromUtf8(p.Name));
      t.FieldByName("SexRef").SetAsInteger(p.Sex);
      t.FieldByName("Birthday").SetAsString(QString::fromLatin1(p.Birthday));
      t.FieldByName("Weight").SetAsFloat(p.Weight);
      t.FieldByName("Team").SetAsString(QString::fromUtf8(p.Team));
      t.FieldByName("Trainer").SetAsString(QString::fromUtf8(p.Trainer));
      t.FieldByName("Passport").SetAsString(QString::fromUtf8(p.Passport));
      if (p.Rank >= 0) {
        t.FieldByName("RankRef").SetAsInteger(p.Rank);
      }
      t.Post();
    }
  });
}

}  // namespace app_test
