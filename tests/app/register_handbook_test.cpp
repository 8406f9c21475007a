// The handbooks of the registration tab: the team and coach handbooks that
// grow from the register, completion of names, teams and coaches, and taking
// a competitor from the handbook.
#include <QLineEdit>
#include <QToolButton>

#include "app/main_window.h"
#include "platform/widgets/data_edit.h"
#include "platform/widgets/data_grid.h"
#include "tests/app/register_files.h"
#include "tests/app/window_fixture.h"

namespace app_test {
namespace {

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

}  // namespace
}  // namespace app_test
