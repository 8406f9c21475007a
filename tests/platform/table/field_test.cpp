// Field values: text forms, conversions and their errors, null reads, sizes,
// lookups and the field events.
#include <gtest/gtest.h>

#include <QLocale>

#include "platform/core/format_settings.h"
#include "tests/platform/table/table_fixtures.h"

using namespace table_test;

namespace {

class FieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    t.AddField("Name", TFieldType::ftString, 5);
    t.AddField("Count", TFieldType::ftInteger);
    t.AddField("Weight", TFieldType::ftFloat).SetDisplayLabel(QStringLiteral("Вес"));
    t.AddField("Snatch", TFieldType::ftBoolean);
    t.AddField("Birthday", TFieldType::ftDate);
    t.CreateDataSet();
    t.Append();
  }
  TClientDataSet t{"dsCompetitor"};
};

struct TextCase {
  const char* field;
  const char* typed;
  const char* shown;
};

TEST_F(FieldTest, TextAssignedParsesAndReadsBackInTheLocaleForm) {
  const TextCase cases[] = {
      {"Count", "42", "42"},
      {"Count", " -7 ", "-7"},
      {"Count", "+3", "3"},
      {"Weight", "72,5", "72,5"},
      {"Weight", "72.5", "72,5"},  // the full stop is taken too
      {"Weight", "80", "80"},
      {"Weight", "0,1", "0,1"},
      {"Weight", "123456789012345678", "1,23456789012346e+17"},
      {"Weight", "0,00001", "1e-05"},
      {"Snatch", "True", "True"},
      {"Snatch", "false", "False"},
      {"Birthday", "01.02.2000", "01.02.2000"},
      {"Birthday", "1.2.2000", "01.02.2000"},
      {"Birthday", "29.02.2024", "29.02.2024"},
      {"Name", "Иван", "Иван"},
      {"Name", "abcdefgh", "abcde"},  // cut to Size
  };
  for (const auto& c : cases) {
    TField& f = t.FieldByName(c.field);
    f.SetAsString(QString::fromUtf8(c.typed));
    EXPECT_EQ(f.AsString(), QString::fromUtf8(c.shown)) << c.field << " <- " << c.typed;
    EXPECT_FALSE(f.IsNull());
  }
}

TEST_F(FieldTest, BadTextIsRefusedWithTheTablesMessageAndTheOldValueStays) {
  struct Case {
    const char* field;
    const char* typed;
    const char* message;
  };
  const Case cases[] = {
      {"Count", "abc", "dsCompetitor: 'abc' is not a valid integer value for field 'Count'"},
      {"Count", "1.5", "dsCompetitor: '1.5' is not a valid integer value for field 'Count'"},
      {"Count", "99999999999", "dsCompetitor: '99999999999' is not a valid integer value for field 'Count'"},
      {"Weight", "7,2,5", "dsCompetitor: '7,2,5' is not a valid floating point value for field 'Вес'"},
      {"Weight", "inf", "dsCompetitor: 'inf' is not a valid floating point value for field 'Вес'"},
      {"Snatch", "yes", "dsCompetitor: 'yes' is not a valid boolean value for field 'Snatch'"},
      {"Birthday", "31.02.2000", "dsCompetitor: '31.02.2000' is not a valid date for field 'Birthday'"},
      {"Birthday", "2000-01-01", "dsCompetitor: '2000-01-01' is not a valid date for field 'Birthday'"},
  };
  t.FieldByName("Count").SetAsInteger(5);
  t.FieldByName("Weight").SetAsFloat(60);
  t.FieldByName("Snatch").SetAsBoolean(true);
  t.FieldByName("Birthday").SetAsDateTime(QDate(1990, 5, 6));
  for (const auto& c : cases) {
    TField& f = t.FieldByName(c.field);
    const QString before = f.AsString();
    bool convertError = false;
    try {
      f.SetAsString(QString::fromUtf8(c.typed));
    } catch (const EConvertError& e) {
      convertError = true;
      EXPECT_EQ(e.Message(), QString::fromUtf8(c.message));
    }
    EXPECT_TRUE(convertError) << c.typed;
    EXPECT_EQ(f.AsString(), before) << c.typed;
  }
}

TEST_F(FieldTest, NullReadsAsEmptyZeroAndFalse) {
  const QVariant values[] = {"x", 1, 2.5, true, QDate(2000, 1, 1)};
  for (int i = 0; i < t.FieldCount(); ++i) {
    t.Fields(i).SetValue(values[i]);
    EXPECT_FALSE(t.Fields(i).IsNull());
    t.Fields(i).Clear();
  }
  EXPECT_TRUE(t.FieldByName("Name").IsNull());
  EXPECT_EQ(t.FieldByName("Name").AsString(), "");
  EXPECT_EQ(t.FieldByName("Count").AsInteger(), 0);
  EXPECT_EQ(t.FieldByName("Weight").AsFloat(), 0.0);
  EXPECT_FALSE(t.FieldByName("Snatch").AsBoolean());
  EXPECT_FALSE(t.FieldByName("Birthday").AsDateTime().isValid());
  // Empty text clears every type, text fields included.
  t.FieldByName("Count").SetAsInteger(3);
  t.FieldByName("Count").SetAsString("");
  EXPECT_TRUE(t.FieldByName("Count").IsNull());
  t.FieldByName("Name").SetAsString("x");
  t.FieldByName("Name").SetAsString("");
  EXPECT_TRUE(t.FieldByName("Name").IsNull());
}

TEST_F(FieldTest, NumbersCrossBetweenIntegerAndFloat) {
  TField& count = t.FieldByName("Count");
  TField& weight = t.FieldByName("Weight");
  count.SetAsFloat(72.5);  // halves go to the even neighbour
  EXPECT_EQ(count.AsInteger(), 72);
  count.SetAsFloat(73.5);
  EXPECT_EQ(count.AsInteger(), 74);
  weight.SetAsInteger(40);
  EXPECT_EQ(weight.Value(), QVariant(40.0));
  weight.SetAsFloat(12.5);
  EXPECT_EQ(weight.AsInteger(), 12);
  EXPECT_EQ(t.FieldByName("Name").DisplayWidth(), 5);
}

TEST_F(FieldTest, LocaleFormsComeFromTheFormatSettings) {
  SetFormatSettings(TFormatSettings{u'.', QStringLiteral("yyyy-MM-dd")});
  t.FieldByName("Weight").SetAsString("72.25");
  EXPECT_EQ(t.FieldByName("Weight").AsString(), "72.25");
  EXPECT_THROW(t.FieldByName("Weight").SetAsString("72,25"), EConvertError);
  t.FieldByName("Birthday").SetAsString("2001-2-3");
  EXPECT_EQ(t.FieldByName("Birthday").AsString(), "2001-02-03");
  // Dots are day, month, year whatever the form.
  t.FieldByName("Birthday").SetAsString("3.2.2001");
  EXPECT_EQ(t.FieldByName("Birthday").AsDateTime(), QDate(2001, 2, 3));
  EXPECT_THROW(t.FieldByName("Birthday").SetAsString("2001/2/3"), EConvertError);
}

// The forms of the locales a fresh machine or container has: what a field
// shows reads back as the same value, and dd.mm.yyyy is always taken.
TEST_F(FieldTest, EveryLocalesFormsReadBackAndDottedDatesAreAlwaysTaken) {
  struct Case {
    const char* Locale;
    const char* ShownDate;   // 5 January 1980
    const char* ShownFloat;  // 72.5
  };
  const Case cases[] = {
      {"C", "05.01.1980", "72.5"},     {"C.UTF-8", "05.01.1980", "72.5"}, {"en_US", "1/5/1980", "72.5"},
      {"en_GB", "05/01/1980", "72.5"}, {"ru_RU", "05.01.1980", "72,5"},   {"de_DE", "05.01.1980", "72,5"},
  };
  TField& birthday = t.FieldByName("Birthday");
  TField& weight = t.FieldByName("Weight");
  for (const Case& c : cases) {
    SetFormatSettings(FormatSettingsOf(QLocale(QString::fromLatin1(c.Locale))));
    birthday.SetAsDateTime(QDate(1980, 1, 5));
    EXPECT_EQ(birthday.AsString(), c.ShownDate) << c.Locale;
    for (const QDate& date :
         {QDate(1980, 1, 5), QDate(2005, 12, 31), QDate(2024, 2, 29), QDate(1949, 11, 2)}) {
      birthday.SetAsDateTime(date);
      const QString shown = birthday.AsString();
      birthday.Clear();
      birthday.SetAsString(shown);
      EXPECT_EQ(birthday.AsDateTime(), date) << c.Locale << " " << shown.toStdString();
    }
    birthday.SetAsString("25.12.1980");
    EXPECT_EQ(birthday.AsDateTime(), QDate(1980, 12, 25)) << c.Locale;
    birthday.SetAsString("5.1.80");
    EXPECT_EQ(birthday.AsDateTime(), QDate(1980, 1, 5)) << c.Locale;

    weight.SetAsFloat(72.5);
    EXPECT_EQ(weight.AsString(), c.ShownFloat) << c.Locale;
    weight.Clear();
    weight.SetAsString(QString::fromLatin1(c.ShownFloat));
    EXPECT_EQ(weight.AsFloat(), 72.5) << c.Locale;
    weight.SetAsString("0.125");
    EXPECT_EQ(weight.AsFloat(), 0.125) << c.Locale;
  }
}

// An emoji is a surrogate pair: two code units that stay together.
TEST(FieldCut, TextsAreCutAtTheirWidthNeverInsideACharacter) {
  const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
  TClientDataSet t("dsCompetitor");
  for (int width : {20, 255, 1024}) {
    t.AddField(QStringLiteral("Text%1").arg(width), TFieldType::ftString, width);
  }
  t.CreateDataSet();
  t.Append();
  for (int width : {20, 255, 1024}) {
    TField& field = t.FieldByName(QStringLiteral("Text%1").arg(width));
    const QString a(width, u'a');
    const struct {
      QString Typed;
      QString Stored;
    } cases[] = {
        {a.left(width - 1) + smile + "b", a.left(width - 1)},  // the pair would end past the width
        {a.left(width - 2) + smile + "b", a.left(width - 2) + smile},
        {a + smile, a},
        {smile + a, smile + a.left(width - 2)},
        // Halves without their partner are no character.
        {"ab" + smile.left(1), "ab"},
        {smile.right(1) + "x" + smile.left(1) + "y", "xy"},
    };
    for (const auto& c : cases) {
      field.SetAsString(c.Typed);
      EXPECT_EQ(field.AsString(), c.Stored) << width << " <- " << c.Typed.size();
      EXPECT_EQ(field.FitText(c.Typed), c.Stored) << width;
    }
    field.SetAsString(smile.left(1));
    EXPECT_TRUE(field.IsNull()) << width;
  }
  // Only texts are cut.
  TClientDataSet n("dsCompetitor");
  n.AddField("Count", TFieldType::ftInteger);
  EXPECT_EQ(n.FieldByName("Count").FitText("12345"), "12345");
}

TEST_F(FieldTest, FieldsAreFoundInAnyLetterCase) {
  EXPECT_EQ(&t.FieldByName("weight"), &t.FieldByName("WEIGHT"));
  EXPECT_EQ(t.FindField("nope"), nullptr);
  EXPECT_EQ(MessageOf([&] { t.FieldByName("Nope"); }), "dsCompetitor: Field 'Nope' not found");
  EXPECT_EQ(t.FieldByName("snatch").Index(), 3);
}

TEST_F(FieldTest, AssigningOutsideEditOrInsertIsRefused) {
  t.Post();
  EXPECT_EQ(MessageOf([&] { t.FieldByName("Count").SetAsInteger(1); }),
            "dsCompetitor: Dataset not in edit or insert mode");
}

TEST_F(FieldTest, ARequiredFieldKeepsARowWithoutAValueFromBeingPosted) {
  TField& count = t.FieldByName("Count");
  count.SetRequired(true);
  count.SetDisplayLabel(QStringLiteral("вес"));
  const QString refused = QStringLiteral("dsCompetitor: Field 'вес' must have a value");
  t.FieldByName("Name").SetAsString("Орлов");
  EXPECT_EQ(MessageOf([&] { t.Post(); }), refused);
  EXPECT_EQ(t.State(), TDataSetState::dsInsert);
  EXPECT_EQ(t.FieldByName("Name").AsString(), "Орлов");
  // Whatever posts the row on its way (a move, a save) is refused the same way.
  EXPECT_EQ(MessageOf([&] { t.First(); }), refused);
  EXPECT_EQ(MessageOf([&] { t.SaveToBytes(); }), refused);
  EXPECT_EQ(t.RecordCount(), 0);

  count.SetAsInteger(63);
  t.Post();
  EXPECT_EQ(t.RecordCount(), 1);
  t.Edit();
  count.Clear();
  EXPECT_EQ(MessageOf([&] { t.Post(); }), refused);
  t.Cancel();
  EXPECT_EQ(count.AsInteger(), 63);

  // Closing drops an unfinished row without asking for the value.
  t.Append();
  t.Close();
  EXPECT_FALSE(t.Active());
}

// ---- Events ----

TEST_F(FieldTest, OnValidateSeesTheNewValueAndItsErrorKeepsTheOldOne) {
  TField& weight = t.FieldByName("Weight");
  weight.SetAsFloat(70);
  std::vector<QString> seen;
  weight.OnValidate = [&](TField& f) {
    seen.push_back(f.AsString());
    if (f.AsFloat() > 999) {
      throw Exception("Значение не может быть больше, чем 999");
    }
  };
  int changes = 0;
  weight.OnChange = [&](TField&) { ++changes; };

  weight.SetAsFloat(80);
  // The handler's own text reaches the caller unchanged, without a table prefix.
  EXPECT_EQ(MessageOf([&] { weight.SetAsString("1000"); }), "Значение не может быть больше, чем 999");
  EXPECT_EQ(weight.AsFloat(), 80.0);
  EXPECT_EQ(seen, (std::vector<QString>{"80", "1000"}));
  EXPECT_EQ(changes, 1);

  // Detached, the value passes; re-attached, the check is back.
  auto validate = weight.OnValidate;
  weight.OnValidate = nullptr;
  weight.SetAsFloat(1000);
  EXPECT_EQ(weight.AsFloat(), 1000.0);
  weight.OnValidate = validate;
  EXPECT_THROW(weight.SetAsFloat(2000), Exception);
  EXPECT_EQ(weight.AsFloat(), 1000.0);
}

TEST_F(FieldTest, GetTextAndSetTextHandlers) {
  TField& count = t.FieldByName("Count");
  count.OnGetText = [](TField& f, QString& text, bool display) {
    if (display && f.AsInteger() == 1000) {
      text = "свыше";
    }
  };
  count.SetAsInteger(1000);
  EXPECT_EQ(count.DisplayText(), "свыше");
  EXPECT_EQ(count.Text(), "1000");  // the handler gives no editing text
  count.OnSetText = [](TField& f, const QString& text) {
    if (f.AsInteger() <= 999) {
      f.SetAsString(text);
    }
  };
  count.SetText("5");
  EXPECT_EQ(count.AsInteger(), 1000);  // the open class ignores typing
  count.OnSetText = nullptr;
  count.SetText("5");
  EXPECT_EQ(count.AsInteger(), 5);
  EXPECT_THROW(count.SetText("x"), EConvertError);
}

// ---- Lookups ----

// A lookup table of ID and Name, open; each row inserted before the one before
// it, the last one left pending.
void FillIdNames(TClientDataSet& t, std::initializer_list<std::pair<int, const char*>> rows) {
  t.AddField("ID", TFieldType::ftInteger);
  t.AddField("Name", TFieldType::ftString, 50);
  t.CreateDataSet();
  for (auto [id, name] : rows) {
    t.Insert();
    t.FieldByName("ID").SetAsInteger(id);
    t.FieldByName("Name").SetAsString(QString::fromUtf8(name));
  }
}

class LookupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The table lists man before woman.
    FillIdNames(sex, {{0, "Ж"}, {1, "М"}});
    // The rank "none" is a row of its own, with an empty name.
    FillIdNames(rank, {{3, "КМС"}, {0, ""}});
    reg.AddField("Name", TFieldType::ftString, 255);
    reg.AddField("SexRef", TFieldType::ftInteger);
    reg.AddLookupField("Sex", 50, "SexRef", &sex, "ID", "Name");
    reg.AddField("RankRef", TFieldType::ftInteger);
    reg.AddLookupField("Rank", 50, "RankRef", &rank, "ID", "Name");
    reg.CreateDataSet();
  }
  TClientDataSet sex{"dsSex"};
  TClientDataSet rank{"dsRank"};
  TClientDataSet reg{"dsCompetitor"};
};

TEST_F(LookupTest, ValueComesFromTheLookupRowAndAssigningStoresTheKey) {
  // The last insert of dsSex is still pending; a lookup posts it.
  EXPECT_EQ(sex.State(), TDataSetState::dsInsert);
  reg.Append();
  reg.FieldByName("SexRef").SetAsInteger(1);
  EXPECT_EQ(reg.FieldByName("Sex").AsString(), "М");
  EXPECT_EQ(sex.State(), TDataSetState::dsBrowse);

  reg.FieldByName("Sex").SetAsString("Ж");
  EXPECT_EQ(reg.FieldByName("SexRef").Value(), QVariant(0));
  reg.FieldByName("Sex").SetAsString("X");  // no such row: the key is cleared
  EXPECT_TRUE(reg.FieldByName("SexRef").IsNull());
  EXPECT_TRUE(reg.FieldByName("Sex").IsNull());
  reg.FieldByName("SexRef").SetAsInteger(10);  // a key without a row shows nothing
  EXPECT_EQ(reg.FieldByName("Sex").AsString(), "");
  reg.Post();

  EXPECT_EQ(reg.FieldByName("Sex").LookupList(), (QStringList{"М", "Ж"}));
  sex.Close();
  EXPECT_TRUE(reg.FieldByName("Sex").LookupList().isEmpty());
  EXPECT_TRUE(reg.FieldByName("Sex").IsNull());
}

struct TLookupCase {
  const char* What;
  const char* Field;  // "Rank" has a row with an empty name, "Sex" has none
  QVariant KeyBefore;
  const char* Text;
  QVariant KeyAfter;
};

TEST_F(LookupTest, AssigningATextStoresTheKeyOfTheRowThatShowsIt) {
  const QVariant none;
  const TLookupCase cases[] = {
      {"a name", "Rank", none, "КМС", 3},
      {"an unknown name", "Rank", 3, "X", none},
      {"the empty text: the row with the empty name", "Rank", 3, "", 0},
      {"the empty text without such a row", "Sex", 1, "", none},
      {"the empty text over a key without a row, which shows it already", "Rank", 10, "", 10},
      {"the empty text over no key, which shows it already", "Rank", none, "", none},
      {"the name the key shows already", "Rank", 3, "КМС", 3},
  };
  for (const TLookupCase& c : cases) {
    TField& lookup = reg.FieldByName(c.Field);
    TField& key = reg.FieldByName(lookup.KeyFields());
    reg.Append();
    key.SetValue(c.KeyBefore);
    lookup.SetAsString(QString::fromUtf8(c.Text));
    EXPECT_EQ(key.Value(), c.KeyAfter) << c.What;
    reg.Post();
    EXPECT_EQ(key.Value(), c.KeyAfter) << c.What << ", posted";
  }
}

TEST_F(LookupTest, ValidationOfALookupFieldSeesTheChosenText) {
  QString seen = "unset";
  reg.FieldByName("Sex").OnValidate = [&](TField& f) {
    seen = f.AsString();
    if (f.IsNull()) {
      throw Exception("Field is null \"Sex\"");
    }
  };
  reg.Append();
  reg.FieldByName("SexRef").SetAsInteger(1);
  reg.FieldByName("Sex").SetAsString("Ж");
  EXPECT_EQ(seen, "Ж");
  EXPECT_EQ(MessageOf([&] { reg.FieldByName("Sex").SetAsString(""); }), "Field is null \"Sex\"");
  EXPECT_EQ(reg.FieldByName("SexRef").AsInteger(), 0);
}

}  // namespace
