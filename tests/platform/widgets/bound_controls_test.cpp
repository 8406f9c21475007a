#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/core/exception.h"
#include "platform/widgets/data_check_box.h"
#include "platform/widgets/data_edit.h"
#include "platform/widgets/data_lookup_combo_box.h"
#include "tests/platform/widgets/widget_fixtures.h"

namespace {

using namespace widgets_test;

class BoundControls : public ::testing::Test {
 protected:
  void SetUp() override {
    FillLookup(ranks, {{0, ""}, {1, "ЗМС"}, {2, "МС"}, {3, "КМС"}});
    DefineCompetitors(table, &ranks);
    table.CreateDataSet();
    AppendCompetitors(table,
                      {{"Ivanov", 72.5, 2, ""}, {"Petrov", 68.0, 10, "Spartak"}, {"Sidorov", 85.0, {}, ""}});
    table.First();
    table.Edit();
    table.FieldByName("AtTheTeam").SetAsBoolean(true);
    table.Post();
    layout = new QVBoxLayout(&window);
    other = new QLineEdit(&window);
    other->setObjectName("edOther");
    layout->addWidget(other);
  }

  template <class T>
  T* Add(const char* name, const char* field) {
    auto* control = new T(&window);
    control->setObjectName(name);
    layout->addWidget(control);
    control->SetDataSet(&table);
    control->SetDataField(field);
    return window.findChild<T*>(name);
  }
  void Show() { ShowActive(window); }
  static void Type(const QString& text) {
    for (const QChar c : text) {
      QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
      QApplication::sendEvent(QApplication::focusWidget(), &press);
      QKeyEvent release(QEvent::KeyRelease, c.toUpper().unicode(), Qt::NoModifier, QString(c));
      QApplication::sendEvent(QApplication::focusWidget(), &release);
    }
    RunEventLoop();
  }
  static void Key(Qt::Key key) {
    QTest::keyClick(QApplication::focusWidget(), key);
    RunEventLoop();
  }
  void Leave() {
    other->setFocus();
    RunEventLoop();
  }
  QString FieldText(const char* name) const { return table.FieldByName(name).AsString(); }

  TClientDataSet ranks{"dsRank"};
  TClientDataSet table{"dsCompetitor"};
  TDialogRecorder dialogs;
  QWidget window;
  QVBoxLayout* layout = nullptr;
  QLineEdit* other = nullptr;
};

TEST_F(BoundControls, AnEditShowsTheFieldAndWritesItOnLeavingOrEnter) {
  table.FieldByName("Weight").OnGetText = [](TField& field, QString& text, bool displayText) {
    if (displayText && !field.IsNull()) {
      text += " kg";
    }
  };
  table.FieldByName("Weight").OnValidate = [](TField& field) {
    if (field.AsFloat() > 999) {
      throw Exception("Invalid value");
    }
  };
  TDataEdit* edit = Add<TDataEdit>("edWeight", "Weight");
  QStringList exits;
  edit->OnExit = [&](TDataEdit& sender) { exits << sender.Field()->AsString(); };
  Show();
  EXPECT_EQ(edit->text(), "72,5 kg");
  table.Next();
  EXPECT_EQ(edit->text(), "68 kg");

  // Focused, it shows the editing text; typing starts the edit but writes
  // nothing yet.
  edit->setFocus();
  EXPECT_EQ(edit->text(), "68");
  edit->selectAll();
  Type("70");
  EXPECT_EQ(table.State(), TDataSetState::dsEdit);
  EXPECT_EQ(FieldText("Weight"), "68");
  Leave();
  EXPECT_EQ(FieldText("Weight"), "70");
  EXPECT_EQ(edit->text(), "70 kg");
  EXPECT_EQ(exits, QStringList{"70"});

  edit->setFocus();
  edit->selectAll();
  Type("71");
  Key(Qt::Key_Return);
  EXPECT_EQ(FieldText("Weight"), "71");
  Type("5");
  Key(Qt::Key_Escape);
  EXPECT_EQ(edit->text(), "71");

  // A refused text is shown once; field and edit keep the old value.
  edit->selectAll();
  Type("1200");
  Leave();
  EXPECT_EQ(dialogs.Errors, QStringList{"Invalid value"});
  EXPECT_EQ(FieldText("Weight"), "71");
  EXPECT_EQ(edit->text(), "71 kg");
}

// The register's team completion, as the window's key-release handler does
// it: it proposes the rest of the first handbook team that begins with the
// word before the caret, selected, so that further typing replaces it.
void CompleteFrom(TClientDataSet& handbook, TDataEdit& edit, int key) {
  if (key == Qt::Key_Backspace || key == Qt::Key_Delete) {
    edit.del();
    return;
  }
  if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    const int end = edit.selectionEnd() >= 0 ? edit.selectionEnd() : edit.cursorPosition();
    edit.deselect();
    edit.setCursorPosition(end);
    return;
  }
  const QString text = edit.text();
  const int caret = edit.cursorPosition();
  if (caret < text.size() && text.at(caret).isLetter()) {
    return;
  }
  int start = caret;
  while (start > 0 && text.at(start - 1).isLetter()) {
    --start;
  }
  const QString word = text.mid(start, caret - start);
  if (word.isEmpty() || !handbook.Locate("Name", word, loCaseInsensitive | loPartialKey)) {
    return;
  }
  const QString rest = handbook.FieldByName("Name").AsString().mid(word.size());
  edit.setText(text.left(caret) + rest + text.mid(caret));
  edit.setSelection(caret, int(rest.size()));
}

TEST_F(BoundControls, AKeyReleaseHandlerCanCompleteWhatIsTyped) {
  TClientDataSet teams("dsHBTeam");
  FillLookup(teams, {{1, "Спартак"}, {2, "Динамо"}, {3, "Сочи"}});
  TDataEdit* edit = Add<TDataEdit>("edTeam", "Team");
  edit->OnKeyUp = [&](TDataEdit& sender, int key, Qt::KeyboardModifiers) {
    CompleteFrom(teams, sender, key);
  };
  Show();

  edit->setFocus();
  Type(QString::fromUtf8("Спар"));
  EXPECT_EQ(edit->text(), QString::fromUtf8("Спартак"));
  EXPECT_EQ(edit->selectedText(), QString::fromUtf8("так"));
  EXPECT_EQ(table.State(), TDataSetState::dsEdit);
  Key(Qt::Key_Return);
  EXPECT_EQ(FieldText("Team"), QString::fromUtf8("Спартак"));
  EXPECT_EQ(edit->selectedText(), "");
  EXPECT_EQ(edit->cursorPosition(), 7);

  // Backspace takes the proposal back; the field gets what is left.
  edit->clear();
  Type(QString::fromUtf8("Ди"));
  EXPECT_EQ(edit->text(), QString::fromUtf8("Динамо"));
  Key(Qt::Key_Backspace);
  EXPECT_EQ(edit->text(), QString::fromUtf8("Ди"));
  Leave();
  EXPECT_EQ(FieldText("Team"), QString::fromUtf8("Ди"));
  EXPECT_TRUE(dialogs.Errors.isEmpty());
}

TEST_F(BoundControls, ACheckBoxShowsAndWritesABooleanField) {
  TDataCheckBox* box = Add<TDataCheckBox>("edAtTheTeam", "AtTheTeam");
  box->setText("at the team");
  Show();
  const QPoint indicator(6, box->height() / 2);
  EXPECT_TRUE(box->isChecked());
  table.Next();
  EXPECT_FALSE(box->isChecked());
  QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, indicator);
  EXPECT_EQ(table.State(), TDataSetState::dsEdit);
  EXPECT_TRUE(table.FieldByName("AtTheTeam").AsBoolean());
  table.Post();

  table.FieldByName("AtTheTeam").OnValidate = [](TField&) { throw Exception("Not now"); };
  QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, indicator);
  EXPECT_EQ(dialogs.Errors, QStringList{"Not now"});
  EXPECT_TRUE(box->isChecked());
  EXPECT_TRUE(table.FieldByName("AtTheTeam").AsBoolean());
}

TEST_F(BoundControls, ALookupComboBoxListsTheLookupTableAndStoresTheKey) {
  struct TCase {
    const char* What;
    const char* Field;
    bool ListSource;
  };
  const TCase cases[] = {
      {"bound to the key field with a list source", "RankRef", true},
      {"bound to the lookup field itself", "Rank", false},
  };
  for (const auto& c : cases) {
    table.First();
    auto* box = new TDataLookupComboBox(&window);
    box->SetDataSet(&table);
    box->SetDataField(c.Field);
    if (c.ListSource) {
      box->SetListSource(&ranks);
      box->SetKeyField("ID");
      box->SetListField("Name");
    }
    QStringList items;
    for (int i = 0; i < box->count(); ++i) {
      items << box->itemText(i);
    }
    EXPECT_EQ(items, (QStringList{"", "ЗМС", "МС", "КМС"})) << c.What;
    EXPECT_EQ(box->currentText(), QString::fromUtf8("МС")) << c.What;
    table.Next();
    EXPECT_EQ(box->currentIndex(), -1) << c.What << ": a key the list does not have";
    table.Next();
    EXPECT_EQ(box->currentIndex(), -1) << c.What << ": a null key";

    box->setFocus();
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(table.State(), TDataSetState::dsEdit) << c.What;
    EXPECT_EQ(table.FieldByName("RankRef").AsInteger(), 0) << c.What;
    QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(table.FieldByName("RankRef").AsInteger(), 1) << c.What;
    table.Cancel();
    EXPECT_EQ(box->currentIndex(), -1) << c.What;

    // Relabelled lookup rows show at once.
    ASSERT_TRUE(ranks.Locate("ID", 1));
    ranks.Edit();
    ranks.FieldByName("Name").SetAsString("DMS");
    ranks.Post();
    EXPECT_EQ(box->itemText(1), "DMS") << c.What;
    ranks.Edit();
    ranks.FieldByName("Name").SetAsString(QString::fromUtf8("ЗМС"));
    ranks.Post();
    delete box;
  }
  EXPECT_TRUE(dialogs.Errors.isEmpty());
}

}  // namespace
