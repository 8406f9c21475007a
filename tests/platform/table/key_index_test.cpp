// The key index finds the row Locate finds, without a search per key.
#include <gtest/gtest.h>

#include <QDate>

#include "platform/table/key_index.h"

namespace {

class KeyIndexTest : public ::testing::Test {
 protected:
  void SetUp() override {
    t.AddField("Name", TFieldType::ftString, 255);
    t.AddField("SexRef", TFieldType::ftInteger);
    t.AddField("Birthday", TFieldType::ftDate);
    t.AddField("Weight", TFieldType::ftFloat);
    t.CreateDataSet();
    const struct {
      const char* Name;  // none when null
      QVariant Sex;
      QDate Birthday;
      QVariant Weight;
    } rows[] = {
        {"Петров Иван", 1, QDate(1990, 1, 2), 72.5}, {"Иванов Пётр", 1, QDate(), 0.0},
        {"ИВАНОВ ПЁТР", 1, QDate(), -0.0},  // equal to the row before but for the letter case
        {"Ёлкина Ольга", 0, QDate(1992, 3, 4), {}},  {"Straße", {}, QDate(), {}},
        {nullptr, 1, QDate(1990, 1, 2), {}},
    };
    for (const auto& r : rows) {
      t.Append();
      if (r.Name != nullptr) {
        t.FieldByName("Name").SetAsString(QString::fromUtf8(r.Name));
      }
      t.FieldByName("SexRef").SetValue(r.Sex);
      t.FieldByName("Birthday").SetAsDateTime(r.Birthday);
      t.FieldByName("Weight").SetValue(r.Weight);
      t.Post();
    }
  }
  // The row Locate makes current, by name, or "" when it finds none.
  QString Located(const QString& fields, const QVariantList& values, TLocateOptions options) {
    t.First();
    return t.Locate(fields, values, options)
               ? t.FieldByName("Name").AsString() + u'@' + QString::number(t.RecNo())
               : QString();
  }
  QString Found(const TKeyIndex& index, const QVariantList& values) {
    const TBookmark row = index.Find(values);
    if (!row.IsValid()) {
      return QString();
    }
    t.GotoBookmark(row);
    return t.FieldByName("Name").AsString() + u'@' + QString::number(t.RecNo());
  }
  TClientDataSet t{"dsCompetitorHB"};
};

TEST_F(KeyIndexTest, FindsWhatLocateFindsInEveryOrder) {
  const struct {
    const char* Fields;
    QVariantList Values;
    TLocateOptions Options;
  } cases[] = {
      {"Name;SexRef;Birthday", {QString::fromUtf8("иванов пётр"), 1, QDate()}, loCaseInsensitive},
      {"Name;SexRef;Birthday", {QString::fromUtf8("ИВАНОВ ПЁТР"), 1, QDate()}, 0},
      {"Name;SexRef;Birthday", {QString::fromUtf8("иванов пётр"), 1, QDate()}, 0},
      {"Name;SexRef;Birthday", {QString::fromUtf8("петров иван"), "1", QDate(1990, 1, 2)}, loCaseInsensitive},
      {"Name;SexRef;Birthday", {QString::fromUtf8("петров иван"), 0, QDate(1990, 1, 2)}, loCaseInsensitive},
      {"Name", {QString::fromUtf8("ёлкина ольга")}, loCaseInsensitive},
      {"Name", {QString::fromUtf8("ЁЛКИНА ОЛЬГА")}, loCaseInsensitive},
      {"Name", {QString::fromUtf8("strasse")}, loCaseInsensitive},
      {"Name", {QString::fromUtf8("STRASSE")}, loCaseInsensitive},
      {"Name;SexRef", {QString::fromUtf8("Straße"), QVariant()}, 0},
      {"Name;SexRef", {QString(), 1}, 0},
      {"Name;SexRef", {QString(""), 1}, loCaseInsensitive},
      {"SexRef", {"x"}, 0},
      {"Weight", {0.0}, 0},
      {"Weight", {-0.0}, 0},
      {"Weight", {QVariant()}, 0},
      {"Weight", {"72,5"}, 0},
  };
  // The view in the table's own order, by name, and by name descending.
  for (const char* order : {"", "Name", "Weight;Name"}) {
    t.SetIndexFieldNames(QString::fromLatin1(order));
    for (const auto& c : cases) {
      const TKeyIndex index(t, QString::fromLatin1(c.Fields), c.Options);
      const QString wanted = Located(QString::fromLatin1(c.Fields), c.Values, c.Options);
      EXPECT_EQ(Found(index, c.Values), wanted)
          << order << " " << c.Fields << " " << c.Values.first().toString().toStdString();
    }
  }
}

TEST_F(KeyIndexTest, RowsAddedAfterwardAreFoundAndDeletedOnesAreNot) {
  TKeyIndex index(t, "Name;SexRef", loCaseInsensitive);
  const QVariantList newcomer{QString::fromUtf8("Сидоров"), 1};
  EXPECT_FALSE(index.Find(newcomer).IsValid());
  t.Insert();
  t.FieldByName("Name").SetAsString(QString::fromUtf8("СИДОРОВ"));
  t.FieldByName("SexRef").SetAsInteger(1);
  t.Post();
  const TBookmark added = t.GetBookmark();
  index.Add(added);
  EXPECT_EQ(index.Find(newcomer).RowId, added.RowId);

  ASSERT_TRUE(t.Locate("Name", QString::fromUtf8("Петров Иван")));
  t.Delete();
  EXPECT_FALSE(index.Find({QString::fromUtf8("Петров Иван"), 1}).IsValid());
}

}  // namespace
