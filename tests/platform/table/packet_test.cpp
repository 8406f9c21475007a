// The XML data packet: exact bytes written, what is read, bad files, and the
// write-back of file tables when they close.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <random>

#include "platform/core/cp1251.h"
#include "tests/platform/table/table_fixtures.h"
#include "tests/support/file_size_limit.h"
#include "tests/support/test_sandbox.h"

using namespace table_test;
using testing_sandbox::DataPath;
using testing_sandbox::Path;
using testing_sandbox::ReadFile;
using testing_sandbox::WriteFile;

namespace {

const char kHeader[] =
    "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>";

void DefineRegister(TClientDataSet& t) {
  t.AddField("Name", TFieldType::ftString, 255);
  t.AddField("Birthday", TFieldType::ftDate);
  t.AddField("RankRef", TFieldType::ftInteger);
  t.AddField("Team", TFieldType::ftString, 255);
  t.AddField("Weight", TFieldType::ftFloat);
  t.AddField("SexRef", TFieldType::ftInteger);
  t.AddField("Snatch", TFieldType::ftBoolean);
}

void DefineWeightClasses(TClientDataSet& t) {
  t.AddField("Weight", TFieldType::ftInteger);
  t.AddField("RefereePlatform", TFieldType::ftString, 255);
  t.AddField("RefereePlatformMain", TFieldType::ftString, 255);
  t.AddIndexDef({"dsManWeightIndex1", "Weight", ixUnique, ""});
  t.SetIndexName("dsManWeightIndex1");
}

// ---- Writing ----

TEST(PacketWrite, AFreshTableIsTheEmptyPacket) {
  TClientDataSet t("dsManWeight");
  DefineWeightClasses(t);
  t.CreateDataSet();
  EXPECT_EQ(t.SaveToBytes(),
            QByteArray(kHeader) +
                "<FIELD attrname=\"Weight\" fieldtype=\"i4\"/>"
                "<FIELD attrname=\"RefereePlatform\" fieldtype=\"string\" WIDTH=\"255\"/>"
                "<FIELD attrname=\"RefereePlatformMain\" fieldtype=\"string\" WIDTH=\"255\"/>"
                "</FIELDS><PARAMS/></METADATA><ROWDATA></ROWDATA></DATAPACKET>");
}

TEST(PacketWrite, ValueTextsAndEscapes) {
  TClientDataSet t("dsCompetitor");
  DefineRegister(t);
  t.AddLookupField("Sex", 50, "SexRef", nullptr, "ID", "Name");  // never written
  t.CreateDataSet();
  const struct {
    QVariant name;
    QVariant weight;
    const char* row;
  } cases[] = {
      {"a&b<c>\"d\" 'e' \\f", 72.5,
       "Name=\"a&amp;b&lt;c&gt;&quot;d&quot; &apos;e&apos; &#092;f\" Weight=\"72.5\""},
      {"x\r\ny\tz\x01", 80.0, "Name=\"x&#013;&#010;y&#009;z&#001;\" Weight=\"80\""},
      {QString::fromUtf8("Ёжик №1 €"), 0.00001, "Name=\"\xA8\xE6\xE8\xEA \xB9\x31 \x88\" Weight=\"1e-05\""},
      // One reference per character the code page lacks, a surrogate pair joined.
      {QString::fromUtf8("中😀"), 1e16, "Name=\"&#20013;&#128512;\" Weight=\"1e+16\""},
      {{}, 0.1, "Weight=\"0.1\""},
      {{}, 123456789.125, "Weight=\"123456789.125\""},
      {{}, -0.5, "Weight=\"-0.5\""},
      {{}, 1.0 / 3, "Weight=\"0.3333333333333333\""},
      {{}, 0.0001, "Weight=\"0.0001\""},
      {{}, 1234567890123456.0, "Weight=\"1234567890123456\""},
  };
  for (const auto& c : cases) {
    t.Append();
    t.FieldByName("Name").SetValue(c.name);
    t.FieldByName("Weight").SetValue(c.weight);
    t.Post();
  }
  t.Append();
  t.FieldByName("Birthday").SetAsDateTime(QDate(987, 6, 5));
  t.FieldByName("SexRef").SetAsInteger(-1);
  t.FieldByName("Snatch").SetAsBoolean(false);
  t.Append();
  t.FieldByName("Snatch").SetAsBoolean(true);
  const QByteArray bytes = t.SaveToBytes();

  QByteArray rows;
  for (const auto& c : cases) {
    rows += "<ROW RowState=\"4\" " + QByteArray(c.row) + "/>";
  }
  rows += "<ROW RowState=\"4\" Birthday=\"09870605\" SexRef=\"-1\" Snatch=\"FALSE\"/>";
  rows += "<ROW RowState=\"4\" Snatch=\"TRUE\"/>";
  EXPECT_TRUE(bytes.startsWith(kHeader));
  EXPECT_TRUE(bytes.contains("<FIELD attrname=\"Snatch\" fieldtype=\"boolean\"/></FIELDS>"));
  EXPECT_FALSE(bytes.contains("\"Sex\""));
  const qsizetype start = bytes.indexOf("<ROWDATA>") + 9;
  EXPECT_EQ(bytes.mid(start, bytes.indexOf("</ROWDATA>") - start), rows);
  EXPECT_FALSE(bytes.contains('\n'));

  // Everything written reads back to the same values and writes the same bytes.
  TClientDataSet back("dsCompetitor");
  DefineRegister(back);
  back.LoadFromBytes(bytes);
  back.First();
  EXPECT_EQ(back.FieldByName("Name").Value(), cases[0].name);
  back.Next();
  EXPECT_EQ(back.FieldByName("Name").Value(), cases[1].name);
  back.Next();
  back.Next();
  EXPECT_EQ(back.FieldByName("Name").Value(), cases[3].name);
  EXPECT_EQ(back.SaveToBytes(), bytes);
}

// ---- Reading ----

TEST(PacketRead, HandMadeFixtureLoadsAndSavesBackByteForByte) {
  TClientDataSet t("dsCompetitor");
  DefineRegister(t);
  t.LoadFromFile(DataPath("table/register.xml"));
  ASSERT_TRUE(t.Active());
  EXPECT_EQ(t.FileName(), "");  // LoadFromFile leaves the file name alone
  EXPECT_EQ(t.VersionCount(), 8);
  const int states[] = {0, 1, 2, 8, 4, 5, 12, 6};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(t.RowStateOfVersion(i + 1), states[i]) << i;
  }
  EXPECT_EQ(t.ChangeLog(), (QVector<int>{4, 2, 8, 3, 0, 2, 5, 0, 4, 6, 0, 4, 7, 6, 8, 8, 0, 4, 8, 0, 2}));
  // The current rows, in the order their first versions were made.
  EXPECT_EQ(Column(t, "Name"),
            (QStringList{"Иванов Иван", "Петрова Анна", "Line1\r\nLine2\ttab\\", "Сидоров"}));
  t.First();
  EXPECT_EQ(t.FieldByName("Team").AsString(), "Динамо & Co");
  EXPECT_EQ(t.FieldByName("Birthday").AsDateTime(), QDate(1990, 1, 2));
  EXPECT_EQ(t.FieldByName("Weight").AsFloat(), 72.5);
  EXPECT_TRUE(t.FieldByName("Snatch").AsBoolean());
  t.Next();
  EXPECT_EQ(t.FieldByName("Team").AsString(), "\"Спартак\"");
  EXPECT_TRUE(t.FieldByName("Birthday").IsNull());
  t.Last();
  EXPECT_EQ(t.FieldByName("Weight").AsFloat(), 1e16);
  EXPECT_FALSE(t.ContentChanged());
  EXPECT_EQ(t.SaveToBytes(), ReadFile(DataPath("table/register.xml")));

  // Later changes go on after the loaded log.
  t.First();
  t.Edit();
  t.FieldByName("Weight").SetAsFloat(73);
  t.Post();
  EXPECT_EQ(t.VersionCount(), 9);
  EXPECT_EQ(t.RowStateOfVersion(1), 1);
  EXPECT_EQ(t.RowStateOfVersion(9), 8);
  EXPECT_EQ(t.ChangeLog().mid(21), (QVector<int>{9, 1, 8}));
}

TEST(PacketRead, ReferencesMissingStatesAndIgnoredAttributes) {
  const QByteArray packet =
      "<?xml version=\"1.0\" standalone=\"yes\"?>\r\n<DATAPACKET Version=\"2.0\">\n"
      "<METADATA><FIELDS><FIELD attrname=\"Team\" fieldtype=\"string\" WIDTH=\"20\" required=\"true\"/>"
      "<FIELD attrname=\"Extra\" fieldtype=\"i2\"/>"
      "<FIELD attrname=\"Weight\" fieldtype=\"r8\"/></FIELDS>"
      "<PARAMS LCID=\"1049\" MD_FIELDLINKS=\"x\"/></METADATA>\n"
      "<ROWDATA><ROW Weight='1.5E1' Team=\"&#x41;&#1041;&#66;&#X1F600;&amp;&bogus;&\xC0\" Extra=\"7\" "
      "Other=\"1\"/>"
      "<ROW weight=\"2\"/></ROWDATA></DATAPACKET>";
  TClientDataSet t("dsHBTeam");
  t.AddField("Weight", TFieldType::ftFloat);
  t.AddField("Team", TFieldType::ftString, 20);
  t.LoadFromBytes(packet);
  EXPECT_EQ(t.RowStateOfVersion(1), 0);
  EXPECT_EQ(t.RecordCount(), 2);
  t.First();
  EXPECT_EQ(t.FieldByName("Weight").AsFloat(), 15.0);
  EXPECT_EQ(t.FieldByName("Team").AsString(), QString::fromUtf8("AБB😀&&bogus;&А"));
  t.Next();
  EXPECT_EQ(t.FieldByName("Weight").AsFloat(), 2.0);  // attribute names in any letter case
  // The unknown field is not kept; the table's own fields are written.
  const QByteArray saved = t.SaveToBytes();
  EXPECT_FALSE(saved.contains("Extra"));
  EXPECT_TRUE(saved.contains("<FIELD attrname=\"Weight\" fieldtype=\"r8\"/><FIELD attrname=\"Team\""));
  EXPECT_TRUE(saved.contains("<PARAMS/>"));
}

TEST(PacketRead, XmlAroundAndInsideThePacketIsPassedOver) {
  const QByteArray packet =
      "\xEF\xBB\xBF<?xml version='1.0' encoding='windows-1251'?>\n"
      "<!DOCTYPE DATAPACKET [<!ELEMENT DATAPACKET ANY>]>\n<!-- written by hand -->\n"
      "<DATAPACKET Version = '2.0' >\n  <METADATA>\n    <FIELDS>\n"
      "      <FIELD attrname='Name' fieldtype='string' WIDTH='255'><PARAM/></FIELD>\n"
      "    </FIELDS>\n    <PARAMS/>\n  </METADATA>\n"
      "  <ROWDATA><![CDATA[<ROW Name=\"not a row\"/>]]>\n"
      "    <ROW Name='one'><ROW Name='nested, not a row'/></ROW>\n    <?note?><ROW\tName=\"two\"\n/>\n"
      "  </ROWDATA>\n</DATAPACKET>\n<!-- end -->\n";
  TClientDataSet t("dsOrganizer");
  t.AddField("Name", TFieldType::ftString, 255);
  t.LoadFromBytes(packet);
  EXPECT_EQ(Column(t, "Name"), (QStringList{"one", "two"}));
}

TEST(PacketRead, OldVersionsInAnotherWritersFormsAreWrittenInOurs) {
  const QByteArray fields =
      "<FIELD attrname=\"Name\" fieldtype=\"string\" WIDTH=\"255\"/><FIELD attrname=\"Weight\" "
      "fieldtype=\"r8\"/>"
      "<FIELD attrname=\"SexRef\" fieldtype=\"i4\"/><FIELD attrname=\"Snatch\" fieldtype=\"boolean\"/>";
  const QByteArray packet =
      QByteArray(kHeader) + fields +
      "</FIELDS><PARAMS CHANGE_LOG=\"3 1 8 4 2 8\"/></METADATA><ROWDATA>"
      "<ROW RowState='1' Name='say \"hi\"\tnow &#x41;&#1041;' Weight=\"72.50\" SexRef=\"1\"/>"
      "<ROW RowState=\"1\" Name=\"b\" SexRef=\"007\" Snatch=\"true\"/>"
      "<ROW RowState=\"8\" Name=\"a\"/><ROW RowState=\"8\" Name=\"b\"/>"
      "<ROW RowState=\"2\" SexRef=\"&#49;\" Snatch=\"FALSE\"/>"
      "</ROWDATA></DATAPACKET>";
  TClientDataSet t("dsCompetitor");
  t.LoadFromBytes(packet);
  const QByteArray saved = t.SaveToBytes();
  const qsizetype start = saved.indexOf("<ROWDATA>") + 9;
  // Texts are escaped, references and raw tabs resolved; numbers, Booleans
  // and dates take the writer's own form, except that a float is kept as
  // written when it reads.
  EXPECT_EQ(
      saved.mid(start, saved.indexOf("</ROWDATA>") - start),
      QByteArray("<ROW RowState=\"1\" Name=\"say &quot;hi&quot; now A\xC1\" Weight=\"72.50\" SexRef=\"1\"/>"
                 "<ROW RowState=\"1\" Name=\"b\" SexRef=\"7\" Snatch=\"TRUE\"/>"
                 "<ROW RowState=\"8\" Name=\"a\"/><ROW RowState=\"8\" Name=\"b\"/>"
                 "<ROW RowState=\"2\" SexRef=\"1\" Snatch=\"FALSE\"/>"));
  TClientDataSet again("dsCompetitor");
  again.LoadFromBytes(saved);
  EXPECT_EQ(again.SaveToBytes(), saved);
  EXPECT_EQ(Column(again, "Name"), (QStringList{"a", "b"}));

  // A bad value in an old version is still a bad file.
  QByteArray bad = packet;
  bad.replace("SexRef=\"007\"", "SexRef=\"7x\"");
  TClientDataSet u("dsCompetitor");
  EXPECT_EQ(MessageOf([&] { u.LoadFromBytes(bad); }),
            "dsCompetitor: '7x' is not a valid integer value for field 'SexRef'");
  EXPECT_FALSE(u.Active());
  EXPECT_EQ(u.FieldCount(), 0);
}

// References to halves of surrogate pairs: 55296 to 57343.
bool HasSurrogateReference(const QByteArray& packet) {
  return QString::fromLatin1(packet).contains(
      QRegularExpression("&#5(5(29[6-9]|[3-9]\\d\\d)|[67]\\d\\d\\d);"));
}

TEST(PacketWrite, AnEmojiAtTheCutIsLeftOutWholeAndNoHalfIsWritten) {
  TClientDataSet t("dsCompetitor");
  t.AddField("Name", TFieldType::ftString, 20);
  t.CreateDataSet();
  const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
  for (const QString& name : {QString(19, u'a') + smile, QString(18, u'b') + smile, "c" + smile.left(1)}) {
    t.Append();
    t.FieldByName("Name").SetAsString(name);
    t.Post();
  }
  const QByteArray bytes = t.SaveToBytes();
  EXPECT_FALSE(HasSurrogateReference(bytes)) << bytes.constData();
  EXPECT_TRUE(bytes.contains(QByteArray(18, 'b') + "&#128512;\""));
  TClientDataSet back("dsCompetitor");
  back.AddField("Name", TFieldType::ftString, 20);
  back.LoadFromBytes(bytes);
  EXPECT_EQ(Column(back, "Name"), (QStringList{QString(19, u'a'), QString(18, u'b') + smile, "c"}));
}

TEST(PacketRead, ATextWiderThanTheTablesFieldIsCutAsAnAssignmentWould) {
  const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");
  const QByteArray wide = QByteArray(19, 'x') + "&#128512;" + QByteArray(20, 'y');
  const QByteArray packet = QByteArray(kHeader) +
                            "<FIELD attrname=\"Name\" fieldtype=\"string\" WIDTH=\"255\"/></FIELDS>"
                            "<PARAMS CHANGE_LOG=\"1 0 4 2 1 8 3 0 4\"/></METADATA><ROWDATA>"
                            "<ROW RowState=\"5\" Name=\"" +
                            QByteArray(30, 'o') +
                            "\"/>"
                            "<ROW RowState=\"12\" Name=\"" +
                            wide +
                            "\"/>"
                            "<ROW RowState=\"4\" Name=\"half &#55357;of a pair\"/>"
                            "</ROWDATA></DATAPACKET>";
  TClientDataSet t("dsCompetitor");
  t.AddField("Name", TFieldType::ftString, 20);
  t.LoadFromBytes(packet);
  EXPECT_EQ(Column(t, "Name"), (QStringList{QString(19, u'x'), "half of a pair"}));
  // What is written back fits the declared width, old versions included.
  const QByteArray saved = t.SaveToBytes();
  EXPECT_TRUE(saved.contains("WIDTH=\"20\""));
  EXPECT_TRUE(saved.contains("<ROW RowState=\"5\" Name=\"" + QByteArray(20, 'o') + "\"/>"))
      << saved.constData();
  EXPECT_FALSE(HasSurrogateReference(saved)) << saved.constData();
  TClientDataSet back("dsCompetitor");
  back.AddField("Name", TFieldType::ftString, 20);
  back.LoadFromBytes(saved);
  EXPECT_EQ(back.SaveToBytes(), saved);
  // A field as wide as the packet's keeps every character.
  TClientDataSet same("dsCompetitor");
  same.AddField("Name", TFieldType::ftString, 255);
  same.LoadFromBytes(packet);
  EXPECT_EQ(Column(same, "Name").first(), QString(19, u'x') + smile + QString(20, u'y'));
}

TEST(PacketRead, ATableWithoutFieldsTakesThePacketsUntilItCloses) {
  TClientDataSet source("dsTeamProtocol");
  source.AddField("Position", TFieldType::ftString, 20);
  source.AddField("Team", TFieldType::ftString, 20);
  source.AddField("Point", TFieldType::ftInteger);
  source.CreateDataSet();
  source.Append();
  source.FieldByName("Team").SetAsString("Динамо");
  source.FieldByName("Point").SetAsInteger(36);
  const QByteArray bytes = source.SaveToBytes();

  TClientDataSet t("dsTeamProtocol");
  t.LoadFromBytes(bytes);
  ASSERT_EQ(t.FieldCount(), 3);
  EXPECT_EQ(t.FieldByName("Team").Size(), 20);
  EXPECT_EQ(t.FieldByName("Point").AsInteger(), 36);
  EXPECT_EQ(t.SaveToBytes(), bytes);
  t.Close();
  EXPECT_EQ(t.FieldCount(), 0);
  // Now the table can be given columns of its own.
  t.AddField("Team", TFieldType::ftString, 20);
  t.CreateDataSet();
  EXPECT_EQ(t.FieldCount(), 1);
}

TEST(PacketRead, BadFilesLeaveTheTableClosedWithTheTablesMessage) {
  TClientDataSet good("dsManWeight");
  DefineWeightClasses(good);
  good.CreateDataSet();
  good.Append();
  good.FieldByName("Weight").SetAsInteger(63);
  const QByteArray packet = good.SaveToBytes();
  QByteArray wrongType = packet;
  wrongType.replace("\"Weight\" fieldtype=\"i4\"", "\"Weight\" fieldtype=\"string\" WIDTH=\"20\"");
  QByteArray missing = packet;
  missing.replace("<FIELD attrname=\"RefereePlatform\" fieldtype=\"string\" WIDTH=\"255\"/>", "");
  QByteArray badValue = packet;
  badValue.replace("Weight=\"63\"", "Weight=\"6x\"");
  QByteArray badState = packet;
  badState.replace("RowState=\"4\"", "RowState=\"four\"");
  QByteArray otherEncoding = packet;
  otherEncoding.replace("standalone=\"yes\"", "encoding=\"KOI8-R\"");
  QByteArray notUtf8 = packet;
  notUtf8.replace("standalone=\"yes\"", "encoding=\"UTF-8\"");
  notUtf8.replace("Weight=\"63\"", "Weight=\"63\" RefereePlatform=\"\xC0\xAF\"");
  // The same name in another letter case is the same field.
  QByteArray twice = packet;
  twice.replace("</FIELDS>", "<FIELD attrname=\"WEIGHT\" fieldtype=\"i4\"/></FIELDS>");
  QByteArray twiceWithoutRows = twice;
  twiceWithoutRows.replace(twiceWithoutRows.indexOf("<ROW "),
                           twiceWithoutRows.indexOf("</ROWDATA>") - twiceWithoutRows.indexOf("<ROW "), "");
  QByteArray notAscii = packet;
  notAscii.replace("standalone=\"yes\"", "encoding=\"us-ascii\"");
  notAscii.replace("Weight=\"63\"", "Weight=\"63\" RefereePlatform=\"\xCE\xF0\xEB\xEE\xE2\"");
  const QString path = Path("ManWeight.xml");
  const QString inFile = "dsManWeight: Invalid data packet in file \"" + path + "\": ";
  const struct {
    const char* what;
    QByteArray bytes;
    QString message;  // the whole message, or its start when it ends with ": "
  } cases[] = {
      {"not XML", "this is no packet", inFile},
      {"empty", "", inFile},
      {"cut short", packet.left(packet.size() / 2), inFile},
      {"another root", "<?xml version=\"1.0\"?><TABLE/>", inFile + "no DATAPACKET element"},
      {"no fields", "<DATAPACKET><ROWDATA/></DATAPACKET>", inFile + "no METADATA/FIELDS element"},
      {"wrong type", wrongType,
       "dsManWeight: Type mismatch for field 'Weight', expecting: i4 actual: string"},
      {"missing field", missing, "dsManWeight: Field 'RefereePlatform' not found"},
      {"bad value", badValue, "dsManWeight: '6x' is not a valid integer value for field 'Weight'"},
      {"bad state", badState, inFile + "a RowState that is not a number"},
      {"an encoding not read here", otherEncoding, inFile + "the encoding 'KOI8-R' is not supported"},
      {"UTF-8 declared, other bytes", notUtf8, inFile + "the file is not valid UTF-8"},
      {"US-ASCII declared, code page letters", notAscii, inFile + "the file is not valid US-ASCII"},
      {"a field twice", twice, inFile + "field 'WEIGHT' appears twice"},
      {"a field twice, no rows", twiceWithoutRows, inFile + "field 'WEIGHT' appears twice"},
      {"attributes run together", "<DATAPACKET a=\"1\"b=\"2\"/>",
       inFile + "attributes must be separated by blanks at byte 17"},
      {"unquoted value", "<DATAPACKET a=1/>", inFile + "an attribute value must be quoted at byte 14"},
      {"tags crossed", "<DATAPACKET><METADATA></DATAPACKET></METADATA>",
       inFile + "start and end tags do not match at byte 35"},
      {"two roots", "<DATAPACKET/><DATAPACKET/>", inFile + "a second root element at byte 13"},
      {"text around", "packet: <DATAPACKET/>", inFile + "text before the root element at byte 0"},
      {"cut in a value", "<DATAPACKET><ROWDATA><ROW Weight=\"6",
       inFile + "unexpected end of data at byte 35"},
      {"cut in a comment", "<DATAPACKET><!-- ", inFile + "unexpected end of data at byte 17"},
  };
  for (const auto& c : cases) {
    WriteFile(path, c.bytes);
    TClientDataSet t("dsManWeight");
    DefineWeightClasses(t);
    t.SetFileName(path);
    const QString message = MessageOf([&] { t.Open(); });
    if (c.message.endsWith(": ")) {
      EXPECT_TRUE(message.startsWith(c.message) && message.size() > c.message.size())
          << c.what << ": " << message.toStdString();
    } else {
      EXPECT_EQ(message, c.message) << c.what;
    }
    EXPECT_FALSE(t.Active()) << c.what;
    EXPECT_EQ(t.FieldCount(), 3) << c.what;
    t.Close();  // nothing to write back: the unreadable file stays as it was
    EXPECT_EQ(ReadFile(path), c.bytes) << c.what;
  }
  TClientDataSet t("dsManWeight");
  DefineWeightClasses(t);
  EXPECT_TRUE(MessageOf([&] {
                t.LoadFromFile(Path("none.xml"));
              }).startsWith("dsManWeight: Cannot open file \"" + Path("none.xml") + "\". "));
  EXPECT_EQ(MessageOf([&] { t.Open(); }),
            "dsManWeight: Missing data packet: the table has no file name to open");
}

// The bytes another program writes for a text: each character its encoding
// has as itself, every other one as a character reference.
enum class TForm { CodePage, Utf8, Latin1, Ascii };
QByteArray Encoded(const QString& text, TForm form) {
  switch (form) {
    case TForm::CodePage:
      return cp1251::Encode(text);
    case TForm::Utf8:
      return text.toUtf8();
    case TForm::Latin1:
    case TForm::Ascii:
      break;
  }
  const char32_t highest = form == TForm::Latin1 ? 0xFF : 0x7F;
  QByteArray bytes;
  for (const char32_t c : text.toUcs4()) {
    if (c <= highest) {
      bytes += char(c);
    } else {
      bytes += "&#" + QByteArray::number(uint(c)) + ';';
    }
  }
  return bytes;
}

// A name typed in, then corrected: an old version and the current one, as
// another program may write them, in the encoding its declaration names.
TEST(PacketRead, TheDeclaredEncodingIsTheOneRead) {
  const QString first = "Пётр Ёлкин";
  const struct {
    const char* what;
    QByteArray head;
    TForm form;
    QString corrected;
  } cases[] = {
      // Letters the code page lacks come through a UTF-8 file too.
      {"UTF-8", "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n", TForm::Utf8,
       "Қанат Әлиев"},
      {"another spelling, single quotes", "<?xml version='1.0' encoding='utf8'?>", TForm::Utf8,
       "Қанат Әлиев"},
      {"a byte-order mark alone", "\xEF\xBB\xBF<?xml version=\"1.0\"?>", TForm::Utf8, "Пётр Ёлкин-Щукин"},
      {"Windows-1251", "<?xml version=\"1.0\" encoding=\"Windows-1251\"?>", TForm::CodePage,
       "Пётр Ёлкин-Щукин"},
      {"another spelling", "\n<?xml version=\"1.0\" encoding=\"CP1251\"?>", TForm::CodePage,
       "Пётр Ёлкин-Щукин"},
      {"no declaration: our own form", "<?xml version=\"1.0\" standalone=\"yes\"?>  ", TForm::CodePage,
       "Пётр Ёлкин-Щукин"},
      // What many tools write: the Latin letters as bytes of their own, the
      // Cyrillic ones as references.
      {"ISO-8859-1", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", TForm::Latin1, "José Müller-Ёлкин"},
      {"latin1", "<?xml version='1.0' encoding='latin1' standalone='yes'?>", TForm::Latin1, "Åsa Öberg ©"},
      {"US-ASCII", "<?xml version=\"1.0\" encoding=\"us-ascii\"?>", TForm::Ascii, "Пётр Ёлкин-Щукин"},
      {"ASCII", "<?xml version=\"1.0\" encoding=\"ASCII\"?>\r\n", TForm::Ascii, "José Qanat"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const QByteArray packet =
        c.head +
        "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS><FIELD attrname=\"Name\" fieldtype=\"string\" "
        "WIDTH=\"255\"/></FIELDS><PARAMS CHANGE_LOG=\"1 0 4 2 1 8\"/></METADATA><ROWDATA><ROW RowState=\"5\" "
        "Name=\"" +
        Encoded(first, c.form) + "\"/><ROW RowState=\"12\" Name=\"" + Encoded(c.corrected, c.form) +
        "\"/></ROWDATA></DATAPACKET>";
    TClientDataSet t("dsOrganizer");
    t.AddField("Name", TFieldType::ftString, 255);
    t.LoadFromBytes(packet);
    EXPECT_EQ(Column(t, "Name"), QStringList{c.corrected});
    // Written in our own form, the old version as well: what the same
    // history typed into the program writes.
    TClientDataSet typed("dsOrganizer");
    typed.AddField("Name", TFieldType::ftString, 255);
    typed.CreateDataSet();
    typed.Append();
    typed.FieldByName("Name").SetAsString(first);
    typed.Post();
    typed.Edit();
    typed.FieldByName("Name").SetAsString(c.corrected);
    typed.Post();
    EXPECT_EQ(t.SaveToBytes(), typed.SaveToBytes());
  }
}

TEST(PacketRead, AProtocolLoadsIntoATableWithTheSameFieldsInAnyOrder) {
  TClientDataSet snatch("dsSnatch");
  DefineProtocol(snatch);
  snatch.CreateDataSet();
  AppendRows(snatch, {{"A", 66.0, 60}, {"B", 67.5, 60}});
  snatch.SaveToFile(Path("protocol_snatch20260309.ktp"), 1);

  TClientDataSet longCycle("dsLongCycle");
  longCycle.AddField("Result", TFieldType::ftInteger);
  longCycle.AddField("Name", TFieldType::ftString, 255);
  longCycle.AddField("Weight", TFieldType::ftFloat);
  longCycle.AddField("AtTheTeam", TFieldType::ftBoolean);
  longCycle.AddField("Point", TFieldType::ftInteger);
  longCycle.AddIndexDef({"dsPutIndex", "Result;Weight", ixDescending, "Result"});
  longCycle.SetIndexName("dsPutIndex");
  longCycle.LoadFromFile(Path("protocol_snatch20260309.ktp"));
  EXPECT_EQ(Column(longCycle, "Name"), (QStringList{"A", "B"}));  // its own index applies
  EXPECT_EQ(longCycle.FieldByName("Result").AsInteger(), 60);

  TClientDataSet relay("dsRelayRace");
  relay.AddField("Name", TFieldType::ftString, 255);
  relay.CreateDataSet();
  relay.SaveToFile(Path("relay.ktp"));
  EXPECT_EQ(MessageOf([&] { longCycle.LoadFromFile(Path("relay.ktp")); }),
            "dsLongCycle: Field 'Result' not found");
  EXPECT_FALSE(longCycle.Active());
}

TEST(PacketRead, RowsKeepTheirPlacesAcrossSaveAndLoad) {
  TClientDataSet t("dsOrganizer");
  DefineNames(t, {"A", "B", "C", "D"});
  t.SetRecNo(2);
  t.Edit();
  t.FieldByName("Name").SetAsString("B2");
  t.Post();
  t.SetRecNo(3);
  t.Delete();
  t.SetFilter("Name <> 'A'");
  t.SetFiltered(true);  // a save writes every row, filtered or not
  const QByteArray bytes = t.SaveToBytes();

  TClientDataSet back("dsOrganizer");
  back.AddField("Name", TFieldType::ftString, 255);
  back.LoadFromBytes(bytes);
  EXPECT_EQ(Column(back, "Name"), (QStringList{"A", "B2", "D"}));
  EXPECT_EQ(back.ChangeLog(), t.ChangeLog());
  EXPECT_EQ(back.VersionCount(), t.VersionCount());
  EXPECT_EQ(back.SaveToBytes(), bytes);
}

TEST(PacketRead, AnyHistoryWrittenReadsBackToTheSameRowsVersionsAndLog) {
  TClientDataSet t("dsCompetitor");
  DefineRegister(t);
  t.CreateDataSet();
  std::mt19937 random(20260309);
  const auto pick = [&](int n) { return int(random() % unsigned(n)); };
  const QString texts[] = {"Иванов", "a&b<c>\"d\"", "中文", "", "O'Brien\r\n", "Ёж"};
  for (int step = 0; step < 400; ++step) {
    const int action = pick(10);
    if (action < 4 || t.IsEmpty()) {
      pick(2) ? t.Append() : t.Insert();
    } else if (action < 9) {
      t.SetRecNo(1 + pick(t.RecordCount()));
      t.Edit();
    } else {
      t.SetRecNo(1 + pick(t.RecordCount()));
      t.Delete();
      continue;
    }
    t.FieldByName("Name").SetAsString(texts[pick(6)]);
    t.FieldByName("Birthday")
        .SetValue(pick(3) ? QVariant(QDate(1950 + pick(70), 1 + pick(12), 1 + pick(28))) : QVariant());
    t.FieldByName("RankRef").SetValue(pick(3) ? QVariant(pick(22) - 1) : QVariant());
    t.FieldByName("Weight").SetValue(pick(3) ? QVariant(pick(200000) / 1000.0) : QVariant());
    t.FieldByName("Snatch").SetValue(pick(3) ? QVariant(pick(2) == 1) : QVariant());
    t.Post();
  }
  const QByteArray bytes = t.SaveToBytes();
  TClientDataSet back("dsCompetitor");
  DefineRegister(back);
  back.LoadFromBytes(bytes);
  EXPECT_EQ(back.VersionCount(), t.VersionCount());
  EXPECT_EQ(back.ChangeLog(), t.ChangeLog());
  for (int v = 1; v <= t.VersionCount(); ++v) {
    ASSERT_EQ(back.RowStateOfVersion(v), t.RowStateOfVersion(v)) << v;
  }
  // The same rows; their order after the load is that of their first
  // versions, which inserts in the middle of the table do not keep.
  const auto rows = [](TClientDataSet& table) {
    QStringList out;
    for (table.First(); !table.Eof(); table.Next()) {
      QStringList row;
      for (int f = 0; f < table.FieldCount(); ++f) {
        row << table.Fields(f).AsString();
      }
      out << row.join('|');
    }
    out.sort();
    return out;
  };
  EXPECT_EQ(rows(back), rows(t));
  EXPECT_EQ(back.SaveToBytes(), bytes);
}

// ---- Write-back ----

class WriteBackTest : public ::testing::Test {
 protected:
  // Open-or-create, as the program does it for each file table.
  void OpenOrCreate(TClientDataSet& t, const QString& path) {
    if (!QFile::exists(path)) {
      t.CreateDataSet();
      for (int w : {63, 68, 1000}) {
        t.Insert();
        t.FieldByName("Weight").SetAsInteger(w);
      }
      t.SaveToFile(path, 1);  // posts the last row
      t.Close();              // no file name yet: writes nothing
    }
    t.SetFileName(path);
    t.Open();
  }
  const QString path = Path("ManWeight.xml");
};

TEST_F(WriteBackTest, OpenOrCreateThenWriteBackOnlyWhenChanged) {
  {
    TClientDataSet t("dsManWeight");
    DefineWeightClasses(t);
    OpenOrCreate(t, path);
    EXPECT_EQ(Column(t, "Weight"), (QStringList{"63", "68", "1000"}));
    EXPECT_EQ(t.VersionCount(), 3);
    EXPECT_FALSE(t.ContentChanged());
    // Unchanged: closing does not touch the file.
    WriteFile(path, ReadFile(path) + " ");
    t.Close();
    EXPECT_TRUE(ReadFile(path).endsWith(" "));
    t.Open();
    t.First();
    t.Edit();
    t.FieldByName("RefereePlatform").SetAsString("Судья");
    t.Post();
    t.Append();
    t.FieldByName("Weight").SetAsInteger(73);  // pending at close: discarded
  }                                            // destroyed: written back
  TClientDataSet t("dsManWeight");
  DefineWeightClasses(t);
  OpenOrCreate(t, path);
  EXPECT_EQ(Column(t, "Weight"), (QStringList{"63", "68", "1000"}));
  t.First();
  EXPECT_EQ(t.FieldByName("RefereePlatform").AsString(), "Судья");
  EXPECT_EQ(t.VersionCount(), 4);
}

TEST_F(WriteBackTest, AFileThatHasGoneIsWrittenAgainWhenItsTableCloses) {
  QDir().mkpath(Path("data"));
  const QString file = Path("data/ManWeight.xml");
  TClientDataSet t("dsManWeight");
  DefineWeightClasses(t);
  OpenOrCreate(t, file);
  const QByteArray bytes = ReadFile(file);
  ASSERT_TRUE(QFile::remove(file));
  t.Close();
  EXPECT_EQ(ReadFile(file), bytes);
  // With its folder gone the write fails, and the table stays open with its rows.
  t.Open();
  ASSERT_TRUE(QDir(Path("data")).removeRecursively());
  EXPECT_THROW(t.Close(), EDatabaseError);
  EXPECT_TRUE(t.Active());
  EXPECT_EQ(t.RecordCount(), 3);
  QDir().mkpath(Path("data"));
  t.Close();
  EXPECT_EQ(ReadFile(file), bytes);
}

TEST_F(WriteBackTest, SavingToItsOwnFileClearsTheChangeAndACopyDoesNot) {
  TClientDataSet t("dsManWeight");
  DefineWeightClasses(t);
  OpenOrCreate(t, path);
  t.First();
  t.Delete();
  t.SaveToFile();  // its own file, XML by the extension
  EXPECT_FALSE(t.ContentChanged());
  WriteFile(path, "marker");
  t.Close();
  EXPECT_EQ(ReadFile(path), "marker");

  WriteFile(path, QByteArray());
  TClientDataSet u("dsManWeight");
  DefineWeightClasses(u);
  u.CreateDataSet();
  u.Append();
  u.FieldByName("Weight").SetAsInteger(85);
  u.SetFileName(path);
  u.SaveToFile(Path("copy.ktp"), 1);
  EXPECT_TRUE(u.ContentChanged());
  // Loading another file closes the table first, with its write-back.
  u.LoadFromFile(Path("copy.ktp"));
  EXPECT_EQ(ReadFile(path), ReadFile(Path("copy.ktp")));
  EXPECT_EQ(u.FileName(), path);
}

TEST_F(WriteBackTest, AFailedWriteNamesTheTableAndKeepsTheOldFile) {
  TClientDataSet t("dsX");
  DefineWeightClasses(t);
  t.CreateDataSet();
  const QString nowhere = Path("no/such/folder/x.xml");
  const QString message = MessageOf([&] { t.SaveToFile(nowhere); });
  EXPECT_TRUE(message.startsWith("dsX: Cannot create file \"" + nowhere + "\". ")) << message.toStdString();
  EXPECT_GT(message.size(), QString("dsX: Cannot create file \"" + nowhere + "\". ").size());

  // A write-back that fails keeps the table open with its rows.
  t.Append();
  t.FieldByName("Weight").SetAsInteger(63);
  t.Post();
  t.SetFileName(nowhere);
  EXPECT_THROW(t.Close(), EDatabaseError);
  EXPECT_TRUE(t.Active());
  EXPECT_EQ(t.RecordCount(), 1);

  if (geteuid() != 0) {  // permissions do not stop root
    QDir().mkpath(Path("locked"));
    const QString locked = Path("locked/ManWeight.xml");
    t.SaveToFile(locked);
    const QByteArray before = ReadFile(locked);
    QFile::setPermissions(Path("locked"), QFile::ReadOwner | QFile::ExeOwner);
    t.Append();
    t.FieldByName("Weight").SetAsInteger(68);
    EXPECT_THROW(t.SaveToFile(locked), EDatabaseError);
    QFile::setPermissions(Path("locked"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_EQ(ReadFile(locked), before);
  }
  t.SetFileName("");
}

// A full disk at a save and at the write-back: the old file keeps every
// byte, the message names the table, the file and the system's reason, and
// the table keeps its changes for the save that works once there is room.
TEST_F(WriteBackTest, ASaveThatDoesNotFitKeepsTheOldFileAndTheChanges) {
  TClientDataSet t("dsManWeight");
  DefineWeightClasses(t);
  OpenOrCreate(t, path);
  const QByteArray before = ReadFile(path);
  t.Last();
  t.Edit();
  t.FieldByName("RefereePlatform").SetAsString("Судья Петров");
  t.Post();
  QString saveMessage;
  QString closeMessage;
  {
    TFileSizeLimit limit(rlim_t(before.size()));
    saveMessage = MessageOf([&] { t.SaveToFile(); });
    closeMessage = MessageOf([&] { t.Close(); });
  }
  const QString expected =
      "dsManWeight: Cannot create file \"" + path + "\". " + QString::fromLocal8Bit(strerror(EFBIG));
  EXPECT_EQ(saveMessage, expected);
  EXPECT_EQ(closeMessage, expected);
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_EQ(QDir(testing_sandbox::Folder()).entryList(QDir::Files | QDir::Hidden),
            QStringList{"ManWeight.xml"});
  ASSERT_TRUE(t.Active());
  EXPECT_TRUE(t.ContentChanged());
  t.Close();
  t.Open();
  t.Last();
  EXPECT_EQ(t.FieldByName("RefereePlatform").AsString(), "Судья Петров");
}

}  // namespace
