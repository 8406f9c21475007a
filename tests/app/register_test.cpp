// The registration tab: the register's field rules and new rows, the team and
// coach handbooks that grow from it, completion of names, teams and coaches,
// taking a competitor from the handbook, the insert guards of the tabs, the
// table copy, the save buttons and what showing the tab resets.
#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>

#include "app/main_window.h"
#include "platform/widgets/data_check_box.h"
#include "platform/widgets/data_edit.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/data_navigator.h"
#include "tests/app/window_fixture.h"
#include "tests/support/test_sandbox.h"

namespace app_test {
namespace {

const QString kRefused = QStringLiteral("Не допускается пустое значение поля ");

struct TPerson {
  const char* Name;
  int Sex = 1;
  const char* Birthday = "01.02.1990";
  double Weight = 70;
  const char* Team = "";
  const char* Trainer = "";
  const char* Passport = "";
  int Rank = -1;  // none
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

// A team or coach handbook file.
void WriteNames(TClientDataSet TCompetitionTables::*table, const QString& fileName,
                const QStringList& names) {
  TCompetitionTables tables;
  WriteTable(tables.*table, fileName, [&](TClientDataSet& t) {
    for (const QString& name : names) {
      t.Append();
      t.FieldByName("Name").SetAsString(name);
      t.Post();
    }
  });
}

using Register = WindowTest;

// ---- Field rules ----

struct TValidateCase {
  const char* What;
  bool English;
  bool Stream;  // the streams tab's list instead of the register
  const char* Field;
  const char* Text;
  const char* Error;  // empty: accepted
};

TEST_F(Register, EmptyValuesAndOversizedWeightsAreRefusedWithTheFieldsLabel) {
  WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {{"Иванов"}});
  const TValidateCase cases[] = {
      {"empty name", false, false, "Name", "", "Не допускается пустое значение поля \"ФИО\""},
      {"three blanks", false, false, "Name", "   ", "Не допускается пустое значение поля \"ФИО\""},
      {"control characters", false, false, "Name", "\t\r\n ", "Не допускается пустое значение поля \"ФИО\""},
      {"blanks around a name", false, false, "Name", "  Петров ", ""},
      {"no birthday", false, false, "Birthday", "", "Не допускается пустое значение поля \"Дата рождения\""},
      {"no weight", false, false, "Weight", "", "Не допускается пустое значение поля \"Вес\""},
      {"no sex", false, false, "Sex", "", "Не допускается пустое значение поля \"Пол\""},
      {"a sex", false, false, "Sex", "Ж", ""},
      {"999.4 rounds to 999", false, false, "Weight", "999,4", ""},
      {"999.5 rounds to 1000", false, false, "Weight", "999,5", "Не допустимое значение"},
      {"1000", false, false, "Weight", "1000", "Не допустимое значение"},
      {"English empty name", true, false, "Name", "", "Field is null \"Name\""},
      {"English no birthday", true, false, "Birthday", "", "Field is null \"Date of Birth\""},
      {"English weight", true, false, "Weight", "1200", "Invalid value"},
      {"stream list empty name", false, true, "Name", " ", "Не допускается пустое значение поля \"ФИО\""},
      {"stream list empty weight", false, true, "Weight", "", "Не допускается пустое значение поля \"Вес\""},
      {"stream list weight has no bound", false, true, "Weight", "1200", ""},
  };
  for (const TValidateCase& c : cases) {
    auto window = Start();
    // The language of the last window comes back from the settings file.
    (c.English ? window->miLanguage_EN : window->miLanguage_RU)->trigger();
    TClientDataSet& table = c.Stream ? window->dsCompetitorStream : window->dsCompetitor;
    if (c.Stream) {
      table.CreateDataSet();
      table.Append();
      table.FieldByName("Name").SetAsString("Иванов");
      table.FieldByName("Weight").SetAsFloat(70);
      table.Post();
    }
    table.First();
    table.Edit();
    TField& field = table.FieldByName(c.Field);
    const QString before = field.AsString();
    Dialogs.Errors.clear();
    RunGuarded([&] { field.SetText(QString::fromUtf8(c.Text)); });
    const QString error = QString::fromUtf8(c.Error);
    if (error.isEmpty()) {
      EXPECT_TRUE(Dialogs.Errors.isEmpty()) << c.What << ": " << Errors(Dialogs);
      EXPECT_EQ(field.AsString(), QString::fromUtf8(c.Text)) << c.What;
    } else {
      EXPECT_EQ(Dialogs.Errors, QStringList{error}) << c.What;
      EXPECT_EQ(field.AsString(), before) << c.What;
    }
    table.Cancel();
    window.reset();
  }
}

TEST_F(Register, ClearingTheNameInItsBoxIsRefusedAndTheOldNameComesBack) {
  WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {{"Иванов"}});
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->edName);
  Focus(window->edName);
  window->edName->selectAll();
  QTest::keyClick(window->edName, Qt::Key_Backspace);
  Focus(window->edPassport);
  EXPECT_EQ(Dialogs.Errors, QStringList{kRefused + "\"ФИО\""});
  EXPECT_EQ(window->dsCompetitor.FieldByName("Name").AsString(), "Иванов");
  EXPECT_EQ(window->edName->text(), "Иванов");
}

struct TMeasuredCase {
  const char* Typed;
  double RealWeight;
  double Weight;
  const char* Error;
};

TEST_F(Register, MeasuredWeightBecomesTheBodyWeightWithinItsBound) {
  const TMeasuredCase cases[] = {
      {"72,5", 72.5, 72.5, ""},
      {"", 0, 0, ""},
      {"1200", 1200, 60, "Не допустимое значение"},
  };
  for (const TMeasuredCase& c : cases) {
    WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {{"Иванов", 1, "01.02.1990", 60}});
    auto window = Start();
    TClientDataSet& table = window->dsCompetitor;
    table.First();
    table.Edit();
    table.FieldByName("RealWeight").SetAsFloat(61);
    table.FieldByName("Weight").SetAsFloat(60);
    Dialogs.Errors.clear();
    RunGuarded([&] { table.FieldByName("RealWeight").SetText(QString::fromLatin1(c.Typed)); });
    EXPECT_EQ(table.FieldByName("RealWeight").AsFloat(), c.RealWeight) << c.Typed;
    EXPECT_EQ(table.FieldByName("RealWeight").IsNull(), QString(c.Typed).isEmpty()) << c.Typed;
    EXPECT_EQ(table.FieldByName("Weight").AsFloat(), c.Weight) << c.Typed;
    EXPECT_FALSE(table.FieldByName("Weight").IsNull()) << c.Typed;
    EXPECT_EQ(Dialogs.Errors,
              QString(c.Error).isEmpty() ? QStringList{} : QStringList{QString::fromUtf8(c.Error)})
        << c.Typed;
    table.Cancel();
    window.reset();
  }
}

TEST_F(Register, NewRowStartsInTheTeamAndInNoDisciplineAndPostsWithoutAName) {
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->edName);
  auto* insert = Find<QToolButton>(*window, "dbnvgrCompetitor_insert");
  auto* post = Find<QToolButton>(*window, "dbnvgrCompetitor_post");
  ASSERT_NE(insert, nullptr);
  ASSERT_NE(post, nullptr);
  QTest::mouseClick(insert, Qt::LeftButton);
  TClientDataSet& table = window->dsCompetitor;
  ASSERT_EQ(table.State(), TDataSetState::dsInsert);
  EXPECT_FALSE(window->edSnatch->isChecked());
  EXPECT_FALSE(window->edBiathlon->isChecked());
  EXPECT_FALSE(window->edLongCycle->isChecked());
  EXPECT_TRUE(window->edAtTheTeam->isChecked());
  for (const char* name : {"Snatch", "Biathlon", "LongCycle", "AtTheTeam"}) {
    EXPECT_FALSE(table.FieldByName(name).IsNull()) << name;
  }
  for (const char* name :
       {"Name", "Passport", "Birthday", "RankRef", "Team", "Trainer", "Weight", "SexRef", "RealWeight",
        "BestResSnatch", "BestResLongCycle", "BestResBiathlon", "BestResJerk"}) {
    EXPECT_TRUE(table.FieldByName(name).IsNull()) << name;
  }
  QTest::mouseClick(post, Qt::LeftButton);
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(table.RecordCount(), 1);
  EXPECT_TRUE(table.FieldByName("Name").IsNull());
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

// ---- Team and coach handbooks ----

struct TGrowCase {
  const char* What;
  QString Team;
  QString Trainer;
  QStringList TeamsAfter;  // sorted
  QStringList TrainersAfter;
};

TEST_F(Register, PostedTeamAndCoachJoinTheirHandbooksUnlessKnownIgnoringCase) {
  const QString longCoach = QString(300, u'щ');
  const TGrowCase cases[] = {
      {"known in another case", "Динамо", "ПЕТРОВ", {"динамо"}, {"Петров"}},
      {"a new team and coach", "Динамо-2", "Петров П.", {"Динамо-2", "динамо"}, {"Петров", "Петров П."}},
      {"empty", "", "", {"динамо"}, {"Петров"}},
      {"blanks are a text", "   ", "  ", {"   ", "динамо"}, {"  ", "Петров"}},
      {"a coach beyond the handbook's width",
       "динамо",
       longCoach,
       {"динамо"},
       {"Петров", longCoach.left(255)}},
  };
  for (const TGrowCase& c : cases) {
    WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {{"Иванов"}});
    WriteNames(&TCompetitionTables::dsHBTeam, "TeamHB.xml", {"динамо"});
    WriteNames(&TCompetitionTables::dsHBTrainer, "TrainerHB.xml", {"Петров"});
    auto window = Start();
    ShowActive(*window);
    ShowPageOf(window->edName);
    auto* post = Find<QToolButton>(*window, "dbnvgrCompetitor_post");
    ASSERT_NE(post, nullptr);
    window->edTeam->setText(c.Team);
    window->edTrainer->setText(c.Trainer);
    QTest::mouseClick(post, Qt::LeftButton);
    ASSERT_EQ(window->dsCompetitor.State(), TDataSetState::dsBrowse) << c.What;
    EXPECT_EQ(window->dsCompetitor.FieldByName("Trainer").AsString(), c.Trainer) << c.What;
    // Posting the same row again finds what the first post added.
    window->dsCompetitor.Edit();
    window->dsCompetitor.Post();
    // A handbook row goes in where the handbook's cursor stands.
    QStringList teams = ViewTexts(window->dsHBTeam, "Name");
    QStringList trainers = ViewTexts(window->dsHBTrainer, "Name");
    teams.sort();
    trainers.sort();
    EXPECT_EQ(teams, c.TeamsAfter) << c.What;
    EXPECT_EQ(trainers, c.TrainersAfter) << c.What;
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << c.What << ": " << Errors(Dialogs);
    window->hide();
    window.reset();
  }
}

// ---- Name completion ----

struct TNameCase {
  const char* Typed;
  QStringList Shown;
};

TEST_F(Register, TypedNameFiltersTheHandbookByItsBeginningUntilTheBoxIsLeft) {
  const QStringList all{"Иванов", "ивлев", "Ивкин", "Петров", "O'Brien", "O'Neil"};
  QList<TPerson> handbook;
  QList<QByteArray> names;
  for (const QString& name : all) {
    names << name.toUtf8();
  }
  for (const QByteArray& name : names) {
    handbook.append(TPerson{name.constData()});
  }
  const TNameCase cases[] = {
      {"Ив", {"Иванов", "Ивкин"}},
      {"ив", {"ивлев"}},
      {"O'", {"O'Brien", "O'Neil"}},
      {"O'B", {"O'Brien"}},
      // The asterisk is no wildcard when typed: no name holds one.
      {"*", {}},
      {"Ив*", {}},
      {"Я", {}},
  };
  for (const TNameCase& c : cases) {
    WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {{"Старый"}});
    WritePeople(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml", handbook);
    auto window = Start();
    ShowActive(*window);
    ShowPageOf(window->edName);
    Focus(window->edName);
    window->edName->clear();
    Type(QString::fromUtf8(c.Typed));
    EXPECT_EQ(window->edName->text(), QString::fromUtf8(c.Typed));
    EXPECT_EQ(GridColumn(*window->grCompetitorHB), c.Shown) << c.Typed;
    Focus(window->edPassport);
    EXPECT_EQ(GridColumn(*window->grCompetitorHB), all) << c.Typed;
    EXPECT_TRUE(window->dsCompetitorHB.Filter().isEmpty()) << c.Typed;
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << c.Typed << ": " << Errors(Dialogs);
    window->dsCompetitor.Cancel();
    window->hide();
    window.reset();
  }
}

// ---- Team and coach completion ----

struct TCompleteCase {
  const char* What;
  const char* Edit;
  const char* Before;  // "|" marks the caret
  const char* Typed;
  const char* After;  // "|" marks the caret, [ ] the selection
};

// The text of an edit with its caret as "|" and its selection in brackets.
QString Marked(const QLineEdit& edit) {
  QString text = edit.text();
  if (edit.hasSelectedText()) {
    const int start = edit.selectionStart();
    const int end = start + int(edit.selectedText().size());
    text.insert(end, u']');
    text.insert(start, u'[');
    const int caret = edit.cursorPosition() == start ? start : end + 2;
    text.insert(caret, u'|');
  } else {
    text.insert(edit.cursorPosition(), u'|');
  }
  return text;
}

void SetMarked(QLineEdit& edit, const QString& marked) {
  const int caret = int(marked.indexOf(u'|'));
  QString text = marked;
  text.remove(u'|');
  edit.setText(text);
  edit.setCursorPosition(caret < 0 ? int(text.size()) : caret);
}

TEST_F(Register, TeamAndCoachAreCompletedAtTheEndOfAWord) {
  const TCompleteCase cases[] = {
      {"the handbook's rest selected", "edTeam", "", "Спар", "Спар|[так]"},
      {"letter case of the typing kept", "edTeam", "", "спар", "спар|[так]"},
      {"blanks belong to the word", "edTeam", "", "ФК Спар", "ФК Спар|[так]"},
      {"a comma ends the word", "edTeam", "", "Динамо,Спар", "Динамо,Спар|[так]"},
      {"a blank after the comma starts the word", "edTeam", "", "Динамо, Спар", "Динамо, Спар|"},
      {"a quote ends the word", "edTeam", "", "«Спар", "«Спар|[так]"},
      {"Ё ends the word", "edTeam", "", "ЁСпар", "ЁСпар|[так]"},
      {"hyphen, full stop and digits are word characters", "edTeam", "", "Локомотив-2.", "Локомотив-2.|[0]"},
      {"in front of other text", "edTeam", "|,Динамо", "Спар", "Спар|[так],Динамо"},
      {"caret inside a word", "edTeam", "Сп|ар", "а", "Спа|ар"},
      {"nothing in the handbook", "edTeam", "", "Зенит", "Зенит|"},
      {"the coach from the coach handbook", "edTrainer", "", "пет", "пет|[ров П.П.]"},
      {"no team for the coach", "edTrainer", "", "Спар", "Спар|"},
  };
  for (const TCompleteCase& c : cases) {
    WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {{"Иванов"}});
    WriteNames(&TCompetitionTables::dsHBTeam, "TeamHB.xml",
               {"Динамо", "Спартак", "ФК Спартак", "Локомотив-2.0"});
    WriteNames(&TCompetitionTables::dsHBTrainer, "TrainerHB.xml", {"Петров П.П."});
    auto window = Start();
    ShowActive(*window);
    ShowPageOf(window->edName);
    auto* edit = Find<TDataEdit>(*window, c.Edit);
    ASSERT_NE(edit, nullptr);
    Focus(edit);
    SetMarked(*edit, QString::fromUtf8(c.Before));
    Type(QString::fromUtf8(c.Typed));
    EXPECT_EQ(Marked(*edit), QString::fromUtf8(c.After)) << c.What;
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << c.What << ": " << Errors(Dialogs);
    window->dsCompetitor.Cancel();
    window->hide();
    window.reset();
  }
}

struct TProposalKeyCase {
  const char* What;
  const char* Team;  // the handbook's one team
  const char* Before;
  const char* Typed;
  Qt::Key Key;
  const char* After;
  const char* Field;  // the register's Team afterwards, focus still in the box
};

TEST_F(Register, KeysAcceptOrDropTheProposal) {
  const TProposalKeyCase cases[] = {
      {"Enter accepts", "Спартак", "", "Спар", Qt::Key_Return, "Спартак|", "Спартак"},
      {"Enter accepts in front of other text", "Спартак", "|,Динамо", "Спар", Qt::Key_Return,
       "Спартак|,Динамо", "Спартак,Динамо"},
      {"Backspace drops", "Спартак", "", "Спар", Qt::Key_Backspace, "Спар|", "Иностранец"},
      {"Delete drops", "Спартак", "", "Спар", Qt::Key_Delete, "Спар|", "Иностранец"},
      // The proposal's rest begins with a character that ends a word, so the
      // caret stands at the end of a word; a key that types nothing must not
      // propose the rest a second time.
      {"Shift leaves the proposal", "Динамо,Москва", "", "Динамо", Qt::Key_Shift, "Динамо|[,Москва]",
       "Иностранец"},
  };
  for (const TProposalKeyCase& c : cases) {
    WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml",
                {{"Иванов", 1, "01.02.1990", 70, "Иностранец"}});
    WriteNames(&TCompetitionTables::dsHBTeam, "TeamHB.xml", {QString::fromUtf8(c.Team)});
    auto window = Start();
    ShowActive(*window);
    ShowPageOf(window->edName);
    Focus(window->edTeam);
    SetMarked(*window->edTeam, QString::fromUtf8(c.Before));
    Type(QString::fromUtf8(c.Typed));
    ASSERT_TRUE(window->edTeam->hasSelectedText()) << c.What;
    QTest::keyClick(window->edTeam, c.Key);
    EXPECT_EQ(Marked(*window->edTeam), QString::fromUtf8(c.After)) << c.What;
    EXPECT_EQ(window->dsCompetitor.FieldByName("Team").AsString(), QString::fromUtf8(c.Field)) << c.What;
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << c.What << ": " << Errors(Dialogs);
    window->dsCompetitor.Cancel();
    window->hide();
    window.reset();
  }
}

TEST_F(Register, TabTakesTheProposalIntoTheField) {
  WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {{"Иванов"}});
  WriteNames(&TCompetitionTables::dsHBTeam, "TeamHB.xml", {"Спартак"});
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->edName);
  Focus(window->edTeam);
  Type("Спар");
  QTest::keyClick(window->edTeam, Qt::Key_Tab);
  QApplication::processEvents();
  EXPECT_FALSE(window->edTeam->hasFocus());
  EXPECT_EQ(window->dsCompetitor.FieldByName("Team").AsString(), "Спартак");
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

TEST_F(Register, ClosedHandbooksAreLeftAloneSilently) {
  WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {{"Иванов"}});
  WritePeople(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml", {{"Иванов"}});
  WriteNames(&TCompetitionTables::dsHBTeam, "TeamHB.xml", {"Спартак"});
  WriteNames(&TCompetitionTables::dsHBTrainer, "TrainerHB.xml", {"Петров"});
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->edName);
  window->dsCompetitorHB.Close();
  window->dsHBTeam.Close();
  window->dsHBTrainer.Close();
  Focus(window->edName);
  Type("Ив");
  Focus(window->edTeam);
  Type("Спар");
  EXPECT_EQ(Marked(*window->edTeam), "Спар|");
  Focus(window->edTrainer);
  Type("Пет");
  EXPECT_EQ(Marked(*window->edTrainer), "Пет|");
  Focus(window->edPassport);
  window->dsCompetitor.Post();
  EXPECT_EQ(window->dsCompetitor.FieldByName("Team").AsString(), "Спар");
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

// ---- Taking a competitor from the handbook ----

enum class TTake { Button, DoubleClick };

struct TTakeCase {
  const char* What;
  bool Insert;            // a new row is open; otherwise the register browses
  const char* TypedName;  // typed into the name box before taking, not yet written
  TTake How;
  bool Taken;
};

TEST_F(Register, HandbookRowFillsARowBeingEditedOnly) {
  const TTakeCase cases[] = {
      {"button in browse state", false, "", TTake::Button, false},
      {"double click in browse state", false, "", TTake::DoubleClick, false},
      {"button on a new row", true, "", TTake::Button, true},
      {"double click on a new row", true, "", TTake::DoubleClick, true},
      // The typing filters the handbook down to the competitor taken.
      {"button with a name still typed", true, "Ива", TTake::Button, true},
  };
  for (const TTakeCase& c : cases) {
    WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml",
                {{"Старый", 0, "03.03.2003", 55, "Зенит"}});
    WritePeople(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml",
                {{"Иванов Иван", 1, "01.02.1990", 72.5, "Динамо", "Петров", "1234 567890", 3}});
    auto window = Start();
    ShowActive(*window);
    ShowPageOf(window->edName);
    TClientDataSet& table = window->dsCompetitor;
    if (c.Insert) {
      auto* insert = Find<QToolButton>(*window, "dbnvgrCompetitor_insert");
      ASSERT_NE(insert, nullptr);
      QTest::mouseClick(insert, Qt::LeftButton);
      ASSERT_EQ(table.State(), TDataSetState::dsInsert) << c.What;
    }
    if (*c.TypedName != 0) {
      Focus(window->edName);
      Type(QString::fromUtf8(c.TypedName));
    }
    if (c.How == TTake::Button) {
      QTest::mouseClick(window->butHBSelect, Qt::LeftButton);
    } else {
      QWidget* cells = window->grCompetitorHB->viewport();
      const QRect first = window->grCompetitorHB->visualRect(window->grCompetitorHB->model()->index(0, 0));
      QTest::mouseDClick(cells, Qt::LeftButton, Qt::NoModifier, first.center());
    }
    // Leaving the name box writes nothing over what was taken.
    Focus(window->edPassport);
    QApplication::processEvents();
    const QStringList fields{"Name", "Passport", "Birthday", "RankRef",
                             "Team", "Trainer",  "Weight",   "SexRef"};
    QStringList values;
    for (const QString& field : fields) {
      values << table.FieldByName(field).AsString();
    }
    const QStringList expected =
        c.Taken
            ? QStringList{"Иванов Иван", "1234 567890", "01.02.1990", "3", "Динамо", "Петров", "72,5", "1"}
            : QStringList{"Старый", "", "03.03.2003", "", "Зенит", "", "55", "0"};
    EXPECT_EQ(values, expected) << c.What;
    EXPECT_EQ(table.State(), c.Insert ? TDataSetState::dsInsert : TDataSetState::dsBrowse) << c.What;
    if (c.Taken) {
      EXPECT_EQ(window->edName->text(), "Иванов Иван") << c.What;
      EXPECT_TRUE(table.FieldByName("AtTheTeam").AsBoolean()) << c.What;
    }
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << c.What << ": " << Errors(Dialogs);
    table.Cancel();
    window->hide();
    window.reset();
  }
}

TEST_F(Register, HandbookRowWithoutBirthdayIsRefusedAtThatField) {
  WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {});
  WritePeople(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml",
              {{"Иванов Иван", 1, "", 72.5, "Динамо"}});
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->edName);
  window->dsCompetitor.Insert();
  QTest::mouseClick(window->butHBSelect, Qt::LeftButton);
  EXPECT_EQ(Dialogs.Errors, QStringList{kRefused + "\"Дата рождения\""});
  // The fields before it are taken, those after it are not.
  EXPECT_EQ(window->dsCompetitor.FieldByName("Name").AsString(), "Иванов Иван");
  EXPECT_TRUE(window->dsCompetitor.FieldByName("Team").IsNull());
}

// ---- Insert guards ----

struct TGuardCase {
  const char* Grid;
  const char* Page;  // the main page shown
  bool Refused;
};

TEST_F(Register, RowsAppendedBelowAGridsLastRowAreRefusedOnTheGuardedTabs) {
  const TGuardCase cases[] = {
      {"grWeight", "tbshWeight", true},        {"grCompetitor", "tbshCredentialsCommittee", false},
      {"grSnatch", "tbshCompetition", true},   {"grLongCycle", "tbshCompetition", true},
      {"grBiathlon", "tbshCompetition", true}, {"grRelayRace", "tbshRelayRace", true},
  };
  for (const TGuardCase& c : cases) {
    WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {{"Иванов"}});
    auto window = Start();
    for (TClientDataSet* protocol :
         {&window->dsSnatch, &window->dsLongCycle, &window->dsBiathlon, &window->dsRelayRace}) {
      protocol->CreateDataSet();
    }
    ShowActive(*window);
    auto* grid = Find<TDataGrid>(*window, c.Grid);
    ASSERT_NE(grid, nullptr);
    ShowPageOf(grid);
    ASSERT_EQ(window->pcMain->currentWidget(), Find<QWidget>(*window, c.Page)) << c.Grid;
    TClientDataSet& table = *grid->DataSet();
    const int rows = table.ViewRowCount();
    Focus(grid);
    table.Last();
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(table.State(), c.Refused ? TDataSetState::dsBrowse : TDataSetState::dsInsert) << c.Grid;
    EXPECT_EQ(table.ViewRowCount(), c.Refused ? rows : rows + 1) << c.Grid;
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << c.Grid << ": " << Errors(Dialogs);
    table.Cancel();
    window->hide();
    window.reset();
  }
}

TEST_F(Register, GuardsLetInsertsThroughElsewhereExceptTheRelays) {
  auto window = Start();
  for (TClientDataSet* protocol :
       {&window->dsSnatch, &window->dsLongCycle, &window->dsBiathlon, &window->dsRelayRace}) {
    protocol->CreateDataSet();
  }
  ShowActive(*window);
  ShowPageOf(window->tbshCredentialsCommittee);
  for (TClientDataSet* allowed :
       {&window->dsCompetitor, &window->dsSnatch, &window->dsLongCycle, &window->dsBiathlon}) {
    allowed->Insert();
    EXPECT_EQ(allowed->State(), TDataSetState::dsInsert) << allowed->Name().toStdString();
    allowed->Cancel();
  }
  EXPECT_THROW(window->dsRelayRace.Insert(), EAbort);
  EXPECT_EQ(window->dsRelayRace.State(), TDataSetState::dsBrowse);
  ShowPageOf(window->tbshWeight);
  EXPECT_THROW(window->dsCompetitor.Append(), EAbort);
  EXPECT_EQ(window->dsCompetitor.RecordCount(), 0);
}

// ---- The register grid's keys ----

// Up and Down go to the next row from the rank's list cell as from any other
// cell: the rank stays as it was (КМС did become I). The list opens with
// Alt+Down, and inside it the arrows choose.
TEST_F(Register, UpAndDownLeaveTheRankCellWithoutChangingTheRank) {
  struct TCase {
    const char* What;
    const char* Keys;  // after the rank cell of the row is made current
    int Row;
    int RowAfter;
    QStringList Ranks;
  };
  const TCase cases[] = {
      {"F2, Down", "F2 Down", 0, 1, {"КМС", "МС", "I"}},
      {"F2, Up", "F2 Up", 2, 1, {"КМС", "МС", "I"}},
      {"F2, Down, Down", "F2 Down Down", 0, 2, {"КМС", "МС", "I"}},
      {"F2, the list opened, Down in it, Return", "F2 Alt+Down Down Return", 0, 0, {"I", "МС", "I"}},
      {"F2, the list opened and chosen from, then Down",
       "F2 Alt+Down Down Return Down",
       0,
       1,
       {"I", "МС", "I"}},
  };
  const QMap<QString, std::pair<Qt::Key, Qt::KeyboardModifiers>> keys = {
      {"F2", {Qt::Key_F2, Qt::NoModifier}},         {"Down", {Qt::Key_Down, Qt::NoModifier}},
      {"Up", {Qt::Key_Up, Qt::NoModifier}},         {"Alt+Down", {Qt::Key_Down, Qt::AltModifier}},
      {"Return", {Qt::Key_Return, Qt::NoModifier}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.What);
    WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml",
                {{"Иванов", 1, "01.02.1990", 70, "", "", "", 3},
                 {"Петров", 1, "01.02.1990", 70, "", "", "", 2},
                 {"Сидоров", 1, "01.02.1990", 70, "", "", "", 4}});
    auto window = Start();
    ShowActive(*window);
    TDataGrid& grid = *window->grCompetitor;
    ShowPageOf(&grid);
    Focus(&grid);
    const int rank = grid.ColumnPosition(QStringLiteral("Rank"));
    grid.setCurrentIndex(grid.model()->index(c.Row, grid.horizontalHeader()->logicalIndex(rank)));
    for (const QString& key : QString::fromLatin1(c.Keys).split(u' ')) {
      QTest::keyClick(QApplication::focusWidget(), keys[key].first, keys[key].second);
      QApplication::processEvents();
    }
    EXPECT_EQ(ViewTexts(window->dsCompetitor, "Rank"), c.Ranks);
    EXPECT_EQ(window->dsCompetitor.CurrentViewRow(), c.RowAfter);
    EXPECT_EQ(grid.currentIndex().row(), c.RowAfter);
    EXPECT_EQ(grid.currentIndex().column(), grid.horizontalHeader()->logicalIndex(rank));
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
    window->dsCompetitor.Cancel();
    window.reset();
  }
}

// ---- The table copy ----

TEST_F(Register, CopyTakesTheSourcesViewAndLeavesItAtItsEnd) {
  WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml",
              {{"Анна", 0, "01.01.2000", 55},
               {"Борис", 1, "01.01.2001", 81},
               {"Вера", 0, "01.01.2002", 63},
               {"Глеб", 1, "01.01.2003", 73}});
  auto window = Start();
  TClientDataSet& source = window->dsCompetitor;
  TClientDataSet& dest = window->dsSnatch;
  dest.CreateDataSet();
  source.SetFilter("SexRef=1");
  source.SetFiltered(true);
  window->CopyAllRecords(source, dest);
  EXPECT_TRUE(source.Eof());
  EXPECT_EQ(dest.State(), TDataSetState::dsBrowse);
  // The protocol lists them by body weight.
  EXPECT_EQ(ViewTexts(dest, "Name"), (QStringList{"Глеб", "Борис"}));
  EXPECT_EQ(ViewTexts(dest, "Birthday"), (QStringList{"01.01.2003", "01.01.2001"}));

  // The competition tab refuses the copy until its guard is detached.
  ShowActive(*window);
  ShowPageOf(window->tbshCompetition);
  dest.CreateDataSet();
  EXPECT_THROW(window->CopyAllRecords(source, dest), EAbort);
  EXPECT_EQ(dest.RecordCount(), 0);
}

TEST_F(Register, CopyStopsAtARefusedValueAndLeavesNoHalfRow) {
  WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml", {});
  WritePeople(&TCompetitionTables::dsCompetitorHB, "CompetitorHB.xml",
              {{"Анна", 0, "01.01.2000", 55}, {"Борис", 1, "", 81}, {"Вера", 0, "01.01.2002", 63}});
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->tbshCredentialsCommittee);
  try {
    window->CopyAllRecords(window->dsCompetitorHB, window->dsCompetitor);
    ADD_FAILURE() << "the row without a birthday was copied";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), kRefused + "\"Дата рождения\"");
  }
  EXPECT_EQ(window->dsCompetitor.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(ViewTexts(window->dsCompetitor, "Name"), QStringList{"Анна"});
}

// ---- Save buttons ----

struct TSaveCase {
  const char* Button;
  TClientDataSet TCompetitionTables::*Table;
  const char* File;
  const char* Field;
  int Value;  // for the integer fields; texts get "Новый"
};

const TSaveCase kSaveCases[] = {
    {"btnSaveNormative", &TCompetitionTables::dsNormative, "Normative.xml", "Discipline", 0},
    {"btnSaveManWeight", &TCompetitionTables::dsManWeight, "ManWeight.xml", "Weight", 150},
    {"btnSaveWomanWeight", &TCompetitionTables::dsWomanWeight, "WomanWeight.xml", "Weight", 150},
    {"btnSaveRefereePM", &TCompetitionTables::dsRefereePlatformMain, "RefereePlatformMain.xml", "Name", 0},
    {"btnSaveRefereeP", &TCompetitionTables::dsRefereePlatform, "RefereePlatform.xml", "Name", 0},
    {"btnSaveOrganizator", &TCompetitionTables::dsOrganizer, "Organizer.xml", "Name", 0},
    {"btnSaveCompetitorWeight", &TCompetitionTables::dsCompetitor, "Competitor.xml", "Name", 0},
};

TEST_F(Register, SaveButtonsPostAndWriteTheirTableToItsOwnFile) {
  for (const TSaveCase& c : kSaveCases) {
    auto window = Start();
    TClientDataSet& table = window->Tables().*c.Table;
    TField& field = table.FieldByName(c.Field);
    const QString value = c.Value != 0 ? QString::number(c.Value) : QStringLiteral("Новый");
    table.Append();
    field.SetAsString(value);
    auto* button = Find<QToolButton>(*window, c.Button);
    ASSERT_NE(button, nullptr);
    button->click();
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse) << c.Button;
    EXPECT_TRUE(ReadRows(c.Table, QString::fromLatin1(c.File), {c.Field}).contains(value)) << c.Button;
    EXPECT_FALSE(table.ContentChanged()) << c.Button;
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << c.Button << ": " << Errors(Dialogs);
    window.reset();
  }
}

TEST_F(Register, SaveButtonsOfClosedTablesWriteNothing) {
  for (const TSaveCase& c : kSaveCases) {
    auto window = Start();
    (window->Tables().*c.Table).Close();
    const auto before = Snapshot();
    Find<QToolButton>(*window, c.Button)->click();
    const auto after = Snapshot();
    EXPECT_EQ(after.value(QString::fromLatin1(c.File)), before.value(QString::fromLatin1(c.File)))
        << c.Button;
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << c.Button << ": " << Errors(Dialogs);
    window.reset();
  }
}

TEST_F(Register, OrganisersSaveTakesTheOpenCellAndTheSettings) {
  auto window = Start();
  ShowActive(*window);
  ShowPageOf(window->grOrganizer);
  window->edCity->setText("Тула");
  Focus(window->grOrganizer);
  QTest::keyClick(window->grOrganizer, Qt::Key_Insert);
  Type("Федерация");
  ASSERT_TRUE(window->grOrganizer->EditorOpen());
  QTest::mouseClick(window->btnSaveOrganizator, Qt::LeftButton);
  EXPECT_EQ(ReadRows(&TCompetitionTables::dsOrganizer, "Organizer.xml", {"Name"}), QStringList{"Федерация"});
  EXPECT_TRUE(ReadIni("Tyazhar.ini").contains("City=Тула")) << ReadIni("Tyazhar.ini").toStdString();
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

TEST_F(Register, OrganisersSaveWithoutADataFolderDoesNothing) {
  QDir(testing_sandbox::Folder() + "/data").removeRecursively();
  auto window = Start();
  ASSERT_EQ(Dialogs.Errors.size(), 1);
  window->btnSaveOrganizator->click();
  EXPECT_EQ(Dialogs.Errors.size(), 1) << Errors(Dialogs);
  EXPECT_FALSE(QDir(testing_sandbox::Folder() + "/data").exists());
}

// ---- Showing the tab ----

struct TShowCase {
  bool Biathlon;
  bool Snatch;
  bool LongCycle;
};

TEST_F(Register, ShowingTheTabShowsTheWholeRegisterAndTheDisciplinesHeld) {
  WritePeople(&TCompetitionTables::dsCompetitor, "Competitor.xml",
              {{"Борис", 1, "01.01.2001", 81}, {"Анна", 0, "01.01.2000", 55}});
  const TShowCase cases[] = {
      {true, true, true}, {false, true, false}, {true, false, true}, {false, false, false}};
  auto window = Start();
  ShowActive(*window);
  TClientDataSet& table = window->dsCompetitor;
  for (const TShowCase& c : cases) {
    ShowPageOf(window->tbshWeight);
    table.SetIndexName("dsCompetitorIndexWeight");
    table.SetFilter("SexRef=0");
    table.SetFiltered(true);
    window->cbBiathlon->setChecked(c.Biathlon);
    window->cbSnatch->setChecked(c.Snatch);
    window->cbLongCycle->setChecked(c.LongCycle);
    ShowPageOf(window->tbshCredentialsCommittee);
    EXPECT_FALSE(table.Filtered());
    EXPECT_TRUE(table.Filter().isEmpty());
    EXPECT_TRUE(table.IndexName().isEmpty());
    EXPECT_EQ(ViewTexts(table, "Name"), (QStringList{"Борис", "Анна"}));
    EXPECT_EQ(window->edBiathlon->isVisible(), c.Biathlon);
    EXPECT_EQ(window->edSnatch->isVisible(), c.Snatch);
    EXPECT_EQ(window->edLongCycle->isVisible(), c.LongCycle);
  }
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

}  // namespace
}  // namespace app_test
