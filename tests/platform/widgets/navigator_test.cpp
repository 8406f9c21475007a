#include <gtest/gtest.h>

#include <QToolButton>
#include <QVBoxLayout>
#include <functional>

#include "platform/core/exception.h"
#include "platform/widgets/data_edit.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/data_navigator.h"
#include "tests/platform/widgets/widget_fixtures.h"

namespace {

using namespace widgets_test;

class DataNavigator : public ::testing::Test {
 protected:
  void SetUp() override {
    DefineCompetitors(table, nullptr);
    table.CreateDataSet();
    AppendCompetitors(
        table,
        {{"Ivanov", 72.5, 2, "Dinamo"}, {"Petrov", 68.0, 3, "Spartak"}, {"Sidorov", 85.0, 1, "Dinamo"}});
    auto* layout = new QVBoxLayout(&window);
    navigator = new TDataNavigator(&window);
    navigator->setObjectName("dbnvgrCompetitor");
    layout->addWidget(navigator);
    edit = new TDataEdit(&window);
    edit->setObjectName("edName");
    layout->addWidget(edit);
    grid = new TDataGrid(&window);
    grid->setObjectName("grCompetitor");
    layout->addWidget(grid);
    navigator->SetDataSet(&table);
    edit->SetDataSet(&table);
    edit->SetDataField("Name");
    grid->SetDataSet(&table);
    tester = WatchModel(grid->DataModel());
    ShowActive(window);
  }

  QToolButton* Button(const char* name) const {
    return window.findChild<QToolButton*>(QString("dbnvgrCompetitor_") + name);
  }
  void Press(const char* name) {
    QToolButton* button = Button(name);
    ASSERT_NE(button, nullptr) << name;
    QTest::mouseClick(button, Qt::LeftButton);
    RunEventLoop();
  }
  QString Enabled() const {
    QStringList names;
    for (const char* name :
         {"first", "prior", "next", "last", "insert", "delete", "edit", "post", "cancel", "refresh"}) {
      if (Button(name)->isEnabled()) {
        names << name;
      }
    }
    return names.join(' ');
  }
  static void Type(const QString& text) {
    for (const QChar c : text) {
      QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
      QApplication::sendEvent(QApplication::focusWidget(), &press);
      QKeyEvent release(QEvent::KeyRelease, c.toUpper().unicode(), Qt::NoModifier, QString(c));
      QApplication::sendEvent(QApplication::focusWidget(), &release);
    }
    RunEventLoop();
  }

  TClientDataSet table{"dsCompetitor"};
  TDialogRecorder dialogs;
  QWidget window;
  TDataNavigator* navigator = nullptr;
  TDataEdit* edit = nullptr;
  TDataGrid* grid = nullptr;
  std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(DataNavigator, ButtonsFollowTheTableState) {
  struct TCase {
    const char* What;
    std::function<void(TClientDataSet&)> Do;
    const char* Enabled;
  };
  const TCase cases[] = {
      {"at the first row after First", [](TClientDataSet& t) { t.First(); },
       "next last insert delete edit refresh"},
      {"in the middle", [](TClientDataSet& t) { t.Next(); },
       "first prior next last insert delete edit refresh"},
      {"after Last", [](TClientDataSet& t) { t.Last(); }, "first prior insert delete edit refresh"},
      {"editing", [](TClientDataSet& t) { t.Edit(); }, "first prior delete post cancel refresh"},
      {"inserting",
       [](TClientDataSet& t) {
         t.Cancel();
         t.First();
         t.Insert();
       },
       "first prior next last delete post cancel refresh"},
      {"empty",
       [](TClientDataSet& t) {
         t.Cancel();
         while (!t.IsEmpty()) {
           t.Delete();
         }
       },
       "insert refresh"},
      {"closed", [](TClientDataSet& t) { t.Close(); }, ""},
      {"open again", [](TClientDataSet& t) { t.CreateDataSet(); }, "insert refresh"},
  };
  for (const auto& c : cases) {
    c.Do(table);
    RunEventLoop();
    EXPECT_EQ(Enabled(), QString(c.Enabled)) << c.What;
  }
}

// The buttons are read straight after each move, with no event loop between:
// the table's notice alone must bring them up to date.
TEST_F(DataNavigator, ButtonsFollowEachMoveAtOnce) {
  const char* const all = "first prior next last insert delete edit refresh";
  const char* const atEnd = "first prior insert delete edit refresh";
  const char* const atStart = "next last insert delete edit refresh";
  struct TCase {
    const char* What;
    std::function<void()> Do;
    const char* Enabled;
  };
  const TCase cases[] = {
      {"the middle row", [&] { table.SetRecNo(2); }, all},
      {"Last", [&] { table.Last(); }, atEnd},
      {"the last row by number, no longer at the end", [&] { table.SetRecNo(3); }, all},
      {"Next on the last row", [&] { table.Next(); }, atEnd},
      {"First", [&] { table.First(); }, atStart},
      {"the first row by number", [&] { table.SetRecNo(1); }, all},
      {"Prior on the first row", [&] { table.Prior(); }, atStart},
  };
  for (const auto& c : cases) {
    c.Do();
    EXPECT_EQ(Enabled(), QString(c.Enabled)) << c.What;
  }
}

TEST_F(DataNavigator, ButtonsMoveEditAndDelete) {
  const auto at = [&] { return table.FieldByName("Name").AsString(); };
  Press("last");
  EXPECT_EQ(at(), "Sidorov");
  Press("prior");
  EXPECT_EQ(at(), "Petrov");
  Press("first");
  EXPECT_EQ(at(), "Ivanov");
  Press("next");
  EXPECT_EQ(at(), "Petrov");

  Press("insert");
  EXPECT_EQ(table.State(), TDataSetState::dsInsert);
  EXPECT_EQ(table.CurrentViewRow(), 1);
  Press("cancel");
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  Press("edit");
  EXPECT_EQ(table.State(), TDataSetState::dsEdit);
  table.FieldByName("Team").SetAsString("CSKA");
  Press("post");
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(table.FieldByName("Team").AsString(), "CSKA");

  // A new row nobody filled does not survive moving on.
  Press("insert");
  Press("next");
  EXPECT_EQ(table.RecordCount(), 3);
  EXPECT_EQ(at(), "Sidorov");

  dialogs.Answers = {false, true};
  Press("delete");
  EXPECT_EQ(table.RecordCount(), 3);
  Press("delete");
  EXPECT_EQ(ViewTexts(table, "Name"), (QStringList{"Ivanov", "Petrov"}));
  EXPECT_EQ(dialogs.Questions, QStringList(2, "Delete record?"));

  Press("refresh");
  table.BeforeInsert = [](TClientDataSet&) { Abort(); };
  Press("insert");
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(table.ViewRowCount(), 2);
  EXPECT_TRUE(dialogs.Errors.isEmpty());
}

TEST_F(DataNavigator, ShowsTheChosenButtonsWithTheirHints) {
  navigator->SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast, nbEdit, nbPost, nbCancel});
  QStringList shown;
  for (const char* name :
       {"first", "prior", "next", "last", "insert", "delete", "edit", "post", "cancel", "refresh"}) {
    if (Button(name)->isVisibleTo(&window)) {
      shown << name;
    }
  }
  EXPECT_EQ(shown.join(' '), "first prior next last edit post cancel");

  EXPECT_EQ(Button("delete")->toolTip(), "");
  navigator->SetShowHint(true);
  EXPECT_EQ(Button("delete")->toolTip(), "Delete record");
  const QStringList russian{
      "Первая запись",  "Предыдущая запись",    "Следующая запись",  "Последняя запись",   "Вставить запись",
      "Удалить запись", "Редактировать запись", "Принять изменения", "Отменить изменения", "Обновить данные"};
  navigator->SetHints(russian);
  EXPECT_EQ(Button("delete")->toolTip(), QString::fromUtf8("Удалить запись"));
  EXPECT_EQ(navigator->Hints(), russian);
  // A short list leaves the rest of the ten at their defaults.
  navigator->SetHints({"Go to the first"});
  EXPECT_EQ(navigator->Hints().size(), NavigateBtnCount);
  EXPECT_EQ(Button("first")->toolTip(), "Go to the first");
  EXPECT_EQ(Button("refresh")->toolTip(), "Refresh data");
}

TEST_F(DataNavigator, PostAndMovesTakeWhatIsStillTypedIntoBoundControls) {
  edit->setFocus();
  edit->selectAll();
  Type("Orlov");
  EXPECT_EQ(table.State(), TDataSetState::dsEdit);
  EXPECT_EQ(table.FieldByName("Name").AsString(), "Ivanov");
  Press("post");
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(ViewTexts(table, "Name").first(), "Orlov");
  EXPECT_TRUE(edit->hasFocus());

  // A cell editor still open is written before the move.
  grid->setFocus();
  grid->setCurrentIndex(grid->model()->index(0, grid->ColumnPosition("Team")));
  QTest::keyClick(grid, Qt::Key_F2);
  Type("Sochi");
  Press("next");
  EXPECT_EQ(ViewTexts(table, "Team").first(), "Sochi");
  EXPECT_EQ(table.RecNo(), 2);

  // A refused text stops the post, and is shown once.
  table.FieldByName("Name").OnValidate = [](TField& field) {
    if (field.AsString().startsWith('-')) {
      throw Exception("Invalid value");
    }
  };
  edit->setFocus();
  edit->selectAll();
  Type("-");
  Press("post");
  EXPECT_EQ(dialogs.Errors, QStringList{"Invalid value"});
  EXPECT_EQ(table.State(), TDataSetState::dsEdit);
  EXPECT_EQ(edit->text(), "Petrov");
}

// The window's own buttons take no focus either: a handler that posts or
// saves the table runs while the text is still in the edit or the cell.
TEST_F(DataNavigator, APostOrASaveFromTheWindowTakesWhatIsStillTyped) {
  edit->setFocus();
  edit->selectAll();
  Type("Orlov");
  ASSERT_TRUE(edit->Modified());
  RunGuarded([&] { table.Post(); });
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(ViewTexts(table, "Name").first(), "Orlov");
  EXPECT_FALSE(edit->Modified());
  EXPECT_TRUE(edit->hasFocus());

  grid->setFocus();
  grid->setCurrentIndex(grid->model()->index(1, grid->ColumnPosition("Team")));
  QTest::keyClick(grid, Qt::Key_F2);
  Type("Sochi");
  const QString path = testing_sandbox::Path("Competitor.xml");
  RunGuarded([&] { table.SaveToFile(path); });
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  EXPECT_FALSE(grid->EditorOpen());
  EXPECT_EQ(ViewTexts(table, "Team")[1], "Sochi");
  EXPECT_TRUE(testing_sandbox::ReadFile(path).contains("Team=\"Sochi\""));
  EXPECT_TRUE(dialogs.Errors.isEmpty());
}

TEST_F(DataNavigator, ARefusedTypedTextStopsTheWindowsPostAndIsShownOnce) {
  table.FieldByName("Team").OnValidate = [](TField& field) {
    if (field.AsString().startsWith('-')) {
      throw Exception("Invalid value");
    }
  };
  edit->SetDataField("Team");
  struct TCase {
    const char* What;
    std::function<void()> Type;
  };
  const TCase cases[] = {
      {"typed into the edit",
       [&] {
         edit->setFocus();
         edit->selectAll();
         Type("-");
       }},
      {"typed into a cell",
       [&] {
         grid->setFocus();
         grid->setCurrentIndex(grid->model()->index(0, grid->ColumnPosition("Team")));
         QTest::keyClick(grid, Qt::Key_F2);
         Type("-");
       }},
  };
  for (const auto& c : cases) {
    dialogs.Errors.clear();
    table.First();
    c.Type();
    ASSERT_EQ(table.State(), TDataSetState::dsEdit) << c.What;
    RunGuarded([&] { table.Post(); });
    EXPECT_EQ(dialogs.Errors, QStringList{"Invalid value"}) << c.What;
    EXPECT_EQ(table.State(), TDataSetState::dsEdit) << c.What;
    EXPECT_EQ(table.FieldByName("Team").AsString(), "Dinamo") << c.What;
    EXPECT_EQ(edit->text(), "Dinamo") << c.What;
    table.Cancel();
  }
  EXPECT_EQ(table.VersionCount(), 3);
}

// A row the navigator began is dropped when left untouched; text typed into
// a bound edit and not yet written is touching it.
TEST_F(DataNavigator, ARowBegunByTheNavigatorAndFilledOnlyByTypingIsKept) {
  Press("insert");
  edit->setFocus();
  Type("Kozlov");
  ASSERT_EQ(table.State(), TDataSetState::dsInsert);
  ASSERT_FALSE(table.Modified());
  Press("next");
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(ViewTexts(table, "Name"), (QStringList{"Kozlov", "Ivanov", "Petrov", "Sidorov"}));

  Press("insert");
  Press("next");
  EXPECT_EQ(table.RecordCount(), 4);
  EXPECT_TRUE(dialogs.Errors.isEmpty());
}

}  // namespace
