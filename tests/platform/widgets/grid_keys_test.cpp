#include <gtest/gtest.h>

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <functional>

#include "platform/core/exception.h"
#include "platform/core/scope_exit.h"
#include "tests/platform/widgets/data_grid_fixture.h"
#include "tests/platform/widgets/real_error_box.h"

namespace {

using namespace widgets_test;

TEST_F(DataGrid, EditsThroughTheFieldTextAndPostsOnLeavingTheRow) {
  table.FieldByName("Name").OnSetText = [](TField& field, const QString& text) {
    field.SetAsString(text.trimmed().toUpper());
  };
  table.FieldByName("Weight").OnGetText = [](TField& field, QString& text, bool displayText) {
    if (displayText && !field.IsNull()) {
      text += " kg";
    }
  };
  // Handlers attached after the grid has read its rows need a refresh, as a
  // language switch does.
  RefreshControls(table);
  EXPECT_EQ(Cell(0, colWeight), "72,5 kg");
  Click(0, colWeight);
  Key(Qt::Key_F2);
  ASSERT_NE(CellEditor(), nullptr);
  EXPECT_EQ(CellEditor()->text(), "72,5");
  Key(Qt::Key_Escape);

  // The first typed character already puts the row into edit state.
  Click(0, colName);
  Type("s");
  EXPECT_EQ(table.State(), TDataSetState::dsEdit);
  EXPECT_EQ(grid->model()->headerData(0, Qt::Vertical).toString(), "I");
  EXPECT_EQ(FieldText("Name"), "Ivanov");
  Type("mirnov ");
  Key(Qt::Key_Return);
  EXPECT_EQ(FieldText("Name"), "SMIRNOV");
  EXPECT_EQ(table.State(), TDataSetState::dsEdit);

  Key(Qt::Key_Down);
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(table.RecNo(), 2);
  EXPECT_EQ(grid->currentIndex().row(), 1);
  EXPECT_EQ(Cell(0, colName), "SMIRNOV");
  EXPECT_TRUE(dialogs.Errors.isEmpty());
}

TEST_F(DataGrid, ARefusedValueIsShownOnceAndTheOldValueStays) {
  struct TCase {
    const char* What;
    std::function<void()> WhileShown;
  };
  const TCase cases[] = {
      {"a quiet display", nullptr},
      // A real message box takes the focus from the cell editor while it is
      // up, which tempts Qt to commit the same editor again.
      {"a display that takes the focus",
       [&] {
         other->setFocus();
         RunEventLoop();
       }},
  };
  table.FieldByName("Name").OnValidate = [](TField& field) {
    if (field.AsString().trimmed().isEmpty()) {
      throw Exception("Field is null \"Name\"");
    }
  };
  for (const auto& c : cases) {
    dialogs.Errors.clear();
    dialogs.OnError = [&](const QString&) {
      if (c.WhileShown) {
        c.WhileShown();
      }
    };
    grid->setFocus();
    Click(0, colName);
    Type("   ");
    Key(Qt::Key_Return);
    RunEventLoop();
    EXPECT_EQ(dialogs.Errors, QStringList{"Field is null \"Name\""}) << c.What;
    EXPECT_EQ(FieldText("Name"), "Ivanov") << c.What;
    EXPECT_EQ(Cell(0, colName), "Ivanov") << c.What;
    table.Cancel();
  }

  // The refusal is that write's, not the next one's: the value the row has,
  // typed again, writes nothing, refuses nothing, and Down goes on.
  dialogs.OnError = nullptr;
  dialogs.Errors.clear();
  Click(0, colName);
  Type("   ");
  Key(Qt::Key_Return);
  Type("Ivanov");
  Key(Qt::Key_Down);
  EXPECT_EQ(dialogs.Errors.size(), 1);
  EXPECT_EQ(grid->currentIndex().row(), 1);
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
}

// A real message box takes the focus while the refused cell's editor
// closes behind it. Once it is answered, the keys are the grid's again, on
// the cell the value was refused in: Escape takes back the row, and the
// value can be typed again at once.
TEST_F(DataGrid, AfterTheErrorBoxTheKeysAreBackOnTheRefusedCell) {
  struct TCase {
    const char* What;
    Qt::Key Key;
  };
  const TCase cases[] = {
      {"Return", Qt::Key_Return},
      {"Tab, which would go on to the next cell", Qt::Key_Tab},
      {"Down, which would go on to the next row", Qt::Key_Down},
  };
  TRealErrorBox box;
  for (const TCase& c : cases) {
    box.Shown.clear();
    Click(0, colWeight);
    Type("abc");
    Key(c.Key);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window)) << c.What;
    RunEventLoop();
    EXPECT_EQ(box.Shown.size(), 1) << c.What;
    EXPECT_EQ(QApplication::focusWidget(), grid) << c.What;
    EXPECT_EQ(grid->currentIndex(),
              grid->model()->index(0, grid->horizontalHeader()->logicalIndex(colWeight)))
        << c.What;
    EXPECT_EQ(table.State(), TDataSetState::dsEdit) << c.What;
    Key(Qt::Key_Escape);
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse) << c.What;

    Type("70");
    Key(Qt::Key_Down);
    EXPECT_EQ(table.ValueAt(0, table.FieldByName("Weight")).toDouble(), 70.0) << c.What;
    EXPECT_EQ(grid->currentIndex().row(), 1) << c.What;
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse) << c.What;
    EXPECT_EQ(box.Shown.size(), 1) << c.What;
  }
}

TEST_F(DataGrid, TheInsertGuardRefusesQuietlyOnBothWaysOfInserting) {
  struct TCase {
    const char* What;
    int Row;
    Qt::Key Key;
  };
  const TCase cases[] = {
      {"Insert key", 1, Qt::Key_Insert},
      {"moving down past the last row", 2, Qt::Key_Down},
  };
  int asked = 0;
  table.BeforeInsert = [&](TClientDataSet&) {
    ++asked;
    Abort();
  };
  for (const auto& c : cases) {
    asked = 0;
    Click(c.Row, colName);
    Key(c.Key);
    EXPECT_EQ(asked, 1) << c.What;
    EXPECT_EQ(table.ViewRowCount(), 3) << c.What;
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse) << c.What;
    EXPECT_EQ(grid->currentIndex().row(), c.Row) << c.What;
  }
  EXPECT_TRUE(dialogs.Errors.isEmpty());
}

TEST_F(DataGrid, InsertKeyInsertsAndDownPastTheLastRowAppends) {
  Click(1, colName);
  Key(Qt::Key_Insert);
  EXPECT_EQ(table.State(), TDataSetState::dsInsert);
  EXPECT_EQ(table.CurrentViewRow(), 1);
  EXPECT_EQ(grid->currentIndex().row(), 1);
  EXPECT_EQ(Cell(2, colName), "Petrov");
  Key(Qt::Key_Escape);
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(table.ViewRowCount(), 3);

  // An appended row nobody filled is not followed by another, and moving up
  // off it drops it.
  Click(2, colName);
  Key(Qt::Key_Down);
  EXPECT_EQ(table.State(), TDataSetState::dsInsert);
  EXPECT_EQ(table.CurrentViewRow(), 3);
  Key(Qt::Key_Down);
  EXPECT_EQ(table.ViewRowCount(), 4);
  Key(Qt::Key_Up);
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(table.ViewRowCount(), 3);
  EXPECT_EQ(table.RecordCount(), 3);

  // A filled one is posted by the next Down, which starts the next row.
  Key(Qt::Key_Down);
  Type("Kozlov");
  Key(Qt::Key_Down);
  EXPECT_EQ(table.RecordCount(), 4);
  EXPECT_EQ(table.State(), TDataSetState::dsInsert);
  EXPECT_EQ(Cell(3, colName), "Kozlov");
  Key(Qt::Key_Escape);
  EXPECT_EQ(table.ViewRowCount(), 4);
  EXPECT_TRUE(dialogs.Errors.isEmpty());
}

TEST_F(DataGrid, EscapeTakesBackTheTypingThenCancelsTheRow) {
  Click(0, colName);
  Type("Orlov");
  ASSERT_EQ(table.State(), TDataSetState::dsEdit);
  Key(Qt::Key_Escape);
  EXPECT_EQ(Cell(0, colName), "Ivanov");
  EXPECT_EQ(table.State(), TDataSetState::dsEdit);
  Key(Qt::Key_Escape);
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);

  Key(Qt::Key_Insert);
  Type("Orlov");
  Key(Qt::Key_Return);
  Key(Qt::Key_Escape);
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(table.ViewRowCount(), 3);
}

TEST_F(DataGrid, CtrlDeleteAsksTheSharedPromptFirst) {
  SetRecordDeletePrompt(QString::fromUtf8("Удалить запись?"));
  dialogs.Answers = {false, true};
  Click(1, colName);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(table.ViewRowCount(), 3);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(ViewTexts(table, "Name"), (QStringList{"Ivanov", "Sidorov"}));
  EXPECT_EQ(dialogs.Questions, QStringList(2, QString::fromUtf8("Удалить запись?")));
  SetRecordDeletePrompt("Delete record?");

  // The table's delete guard may still keep the row, without a word.
  table.BeforeDelete = [](TClientDataSet&) { Abort(); };
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(table.ViewRowCount(), 2);
  EXPECT_TRUE(dialogs.Errors.isEmpty());
}

// The grid inserts and deletes rows by its keys only where the navigator
// beside it offers those buttons: the keys are the same commands.
TEST_F(DataGrid, RecordKeysDoOnlyWhatTheNavigatorBesideTheGridOffers) {
  struct TCase {
    const char* What;
    std::initializer_list<TNavigateBtn> Buttons;
    bool Inserts;
    bool Deletes;
  };
  const TCase cases[] = {
      {"every button",
       {nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel},
       true,
       true},
      {"moves and edits only", {nbFirst, nbPrior, nbNext, nbLast, nbEdit, nbPost, nbCancel}, false, false},
      {"delete but no insert",
       {nbFirst, nbPrior, nbNext, nbLast, nbDelete, nbEdit, nbPost, nbCancel},
       false,
       true},
  };
  for (const TCase& c : cases) {
    Refill();
    TDataNavigator navigator(&window);
    navigator.SetVisibleButtons(c.Buttons);
    navigator.SetDataSet(&table);
    grid->SetNavigator(&navigator);
    dialogs.Questions.clear();

    for (const auto& [row, key] : {std::pair{1, Qt::Key_Insert}, std::pair{2, Qt::Key_Down}}) {
      Click(row, colName);
      Key(key);
      EXPECT_EQ(table.State(), c.Inserts ? TDataSetState::dsInsert : TDataSetState::dsBrowse)
          << c.What << " " << key;
      EXPECT_EQ(table.ViewRowCount(), c.Inserts ? 4 : 3) << c.What << " " << key;
      Key(Qt::Key_Escape);
    }
    Click(1, colName);
    Type("Orlov");
    Key(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(dialogs.Questions.size(), c.Deletes ? 1 : 0) << c.What;
    EXPECT_EQ(ViewTexts(table, "Name"),
              c.Deletes ? (QStringList{"Ivanov", "Sidorov"}) : (QStringList{"Ivanov", "Petrov", "Sidorov"}))
        << c.What;
    // A key that does nothing leaves the typing where it is.
    EXPECT_EQ(grid->EditorOpen(), !c.Deletes) << c.What;
    table.Cancel();
    grid->SetNavigator(nullptr);
  }
  EXPECT_TRUE(dialogs.Errors.isEmpty());
}

TEST_F(DataGrid, CurrentRowAndCursorFollowEachOther) {
  Click(2, colTeam);
  EXPECT_EQ(table.RecNo(), 3);
  table.First();
  EXPECT_EQ(grid->currentIndex().row(), 0);
  EXPECT_EQ(grid->currentIndex().column(), grid->horizontalHeader()->logicalIndex(colTeam));
  ASSERT_TRUE(table.Locate("Name", QString("Petrov")));
  EXPECT_EQ(grid->currentIndex().row(), 1);
  EXPECT_TRUE(grid->selectionModel()->isSelected(grid->currentIndex()));
}

// A deleted row leaves the cursor where the table puts it (on the row that
// followed, or the one before when the last went), whoever deletes: the grid
// follows and never moves the table on its own while the row goes.
TEST_F(DataGrid, ADeletedRowLeavesTheCursorWhereTheTablePutsIt) {
  struct {
    const char* deleted;
    const char* current;
  } cases[] = {{"Ivanov", "Petrov"}, {"Petrov", "Sidorov"}, {"Sidorov", "Petrov"}};
  for (const auto& c : cases) {
    Refill();
    ASSERT_TRUE(table.Locate("Name", QString::fromLatin1(c.deleted)));
    table.Delete();
    EXPECT_EQ(table.FieldByName("Name").AsString(), c.current) << c.deleted;
    EXPECT_EQ(grid->currentIndex().row(), table.RecNo() - 1) << c.deleted;
  }
}

TEST_F(DataGrid, APostRefusedOnLeavingTheRowKeepsGridAndTableOnIt) {
  TClientDataSet classes("dsManWeight");
  classes.AddField("Weight", TFieldType::ftInteger);
  classes.AddIndexDef({"dsManWeightIndex1", "Weight", ixUnique, ""});
  classes.SetIndexName("dsManWeightIndex1");
  classes.CreateDataSet();
  for (int weight : {63, 68, 73}) {
    classes.Append();
    classes.FieldByName("Weight").SetAsInteger(weight);
    classes.Post();
  }
  grid->SetDataSet(&classes);
  Click(0, 0);
  Type("68");
  Key(Qt::Key_Return);
  Click(2, 0);
  EXPECT_EQ(dialogs.Errors, QStringList{"dsManWeight: Key violation."});
  EXPECT_EQ(classes.State(), TDataSetState::dsEdit);
  EXPECT_EQ(classes.CurrentViewRow(), 0);
  EXPECT_EQ(grid->currentIndex().row(), 0);
  classes.Cancel();
  grid->SetDataSet(&table);
}

TEST_F(DataGrid, AChangeHandlerMayRenumberTheWholeTableWhileItsCellIsWritten) {
  // A discipline protocol: best result first, places renumbered down the
  // view whenever a result changes, with the controls detached, and the
  // cursor put back on the line it was on.
  TClientDataSet protocol("dsSnatch");
  protocol.AddField("Position", TFieldType::ftInteger);
  protocol.AddField("Name", TFieldType::ftString, 50);
  protocol.AddField("Result", TFieldType::ftInteger);
  protocol.AddIndexDef({"dsJerkIndex", "Result", ixDescending, "Result"});
  protocol.SetIndexName("dsJerkIndex");
  protocol.CreateDataSet();
  const auto renumber = [&] {
    protocol.DisableControls();
    const int line = protocol.RecNo();
    const TScopeExit enable([&] {
      protocol.SetRecNo(line);
      protocol.EnableControls();
    });
    int place = 0;
    protocol.First();
    while (!protocol.Eof()) {
      protocol.Edit();
      protocol.FieldByName("Position").SetAsInteger(++place);
      protocol.Post();
      protocol.Next();
    }
  };
  for (const auto& [name, result] : {std::pair{"A", 10}, {"B", 20}, {"C", 30}}) {
    protocol.Append();
    protocol.FieldByName("Name").SetAsString(name);
    protocol.FieldByName("Result").SetAsInteger(result);
    protocol.Post();
  }
  renumber();
  protocol.FieldByName("Result").OnChange = [&](TField&) { renumber(); };
  grid->SetDataSet(&protocol);
  ASSERT_EQ(ViewTexts(protocol, "Name"), (QStringList{"C", "B", "A"}));

  Click(2, 2);
  Type("25");
  Key(Qt::Key_Return);
  EXPECT_EQ(protocol.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(ModelColumn(*grid->model(), 1), (QStringList{"C", "A", "B"}));
  EXPECT_EQ(ModelColumn(*grid->model(), 0), (QStringList{"1", "2", "3"}));
  // The editor the reset closed takes the focus back to the grid without
  // moving it: both stay on the line typed on.
  EXPECT_EQ(protocol.CurrentViewRow(), 2);
  EXPECT_EQ(grid->currentIndex().row(), 2);
  EXPECT_EQ(grid->currentIndex().column(), 2);
  EXPECT_EQ(QApplication::focusWidget(), grid);

  // Keys only from here: an arrow out of an open editor writes the cell,
  // the renumbering resets the rows, and the arrow still moves, from the
  // line the renumbering kept and in the same column.
  Key(Qt::Key_Up);
  // A modifier pressed on its own (Shift for a capital) ends nothing.
  Type("4");
  Key(Qt::Key_Shift);
  Type("0");
  Key(Qt::Key_Down);
  EXPECT_EQ(ModelColumn(*grid->model(), 1), (QStringList{"A", "C", "B"}));
  EXPECT_EQ(grid->currentIndex(), grid->model()->index(2, 2));
  Type("5");
  Key(Qt::Key_Up);
  EXPECT_EQ(ModelColumn(*grid->model(), 2), (QStringList{"40", "30", "5"}));
  EXPECT_EQ(ModelColumn(*grid->model(), 0), (QStringList{"1", "2", "3"}));
  EXPECT_EQ(grid->currentIndex(), grid->model()->index(1, 2));
  EXPECT_EQ(protocol.CurrentViewRow(), 1);
  EXPECT_EQ(protocol.State(), TDataSetState::dsBrowse);
  EXPECT_TRUE(dialogs.Errors.isEmpty());
  grid->SetDataSet(&table);
}

TEST_F(DataGrid, TheKeyHookSeesEveryTypedCharacterCellEditorsIncluded) {
  QString seen;
  grid->OnKeyPress = [&](TDataGrid&, QChar& key) {
    seen += key;
    if (!key.isDigit() && key != u'+') {
      Abort();
    }
  };
  // A refused first character opens no editor and starts no edit.
  Click(0, colTeam);
  Type("x");
  EXPECT_EQ(CellEditor(), nullptr);
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);

  Type("20a+x16");
  ASSERT_NE(CellEditor(), nullptr);
  EXPECT_EQ(CellEditor()->text(), "20+16");
  Key(Qt::Key_Backspace);
  EXPECT_EQ(CellEditor()->text(), "20+16");
  // Each character once: the one that opened the editor is not asked again.
  EXPECT_EQ(seen, "x20a+x16\b");
  grid->OnKeyPress = nullptr;
  Key(Qt::Key_Return);
  EXPECT_EQ(FieldText("Team"), "20+16");
  EXPECT_TRUE(dialogs.Errors.isEmpty());

  // A handler may also put another character in place of the typed one.
  grid->OnKeyPress = [](TDataGrid&, QChar& key) { key = key.toUpper(); };
  Click(1, colTeam);
  Type("cska");
  Key(Qt::Key_Return);
  EXPECT_EQ(FieldText("Team"), "CSKA");
}

TEST_F(DataGrid, LeavingTheGridRunsTheExitHookAfterTheCellIsWritten) {
  int exits = 0;
  grid->OnExit = [&](TDataGrid& sender) {
    ++exits;
    TClientDataSet* dataSet = sender.DataSet();
    if (dataSet->State() == TDataSetState::dsEdit || dataSet->State() == TDataSetState::dsInsert) {
      dataSet->Post();
    }
  };
  Click(0, colName);
  Key(Qt::Key_Insert);
  Type("Novikov");
  EXPECT_EQ(exits, 0);
  other->setFocus();
  RunEventLoop();
  EXPECT_EQ(exits, 1);
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(ViewTexts(table, "Name"), (QStringList{"Novikov", "Ivanov", "Petrov", "Sidorov"}));
}

TEST_F(DataGrid, ReadOnlyGridsAndColumnsEditNothing) {
  grid->SetColumnReadOnly(colWeight, true);
  Click(0, colWeight);
  Type("99");
  EXPECT_EQ(CellEditor(), nullptr);
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);

  grid->SetReadOnly(true);
  grid->SetRowSelect(true);
  Click(1, colName);
  EXPECT_EQ(grid->selectionModel()->selectedIndexes().size(), grid->ColumnCount());
  for (Qt::Key key : {Qt::Key_X, Qt::Key_F2, Qt::Key_Insert}) {
    Key(key);
  }
  Key(Qt::Key_Delete, Qt::ControlModifier);
  DoubleClick(1, colName);
  EXPECT_EQ(CellEditor(), nullptr);
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(table.ViewRowCount(), 3);
  EXPECT_TRUE(dialogs.Questions.isEmpty());
}

TEST_F(DataGrid, DoubleClickAndEnterReachTheirHandlers) {
  grid->SetReadOnly(true);
  QStringList seen;
  grid->OnDblClick = [&](TDataGrid& sender) {
    seen << "double " + sender.DataSet()->FieldByName("Name").AsString();
  };
  grid->OnEnterKey = [&](TDataGrid& sender) {
    seen << "enter " + sender.DataSet()->FieldByName("Name").AsString();
  };
  DoubleClick(2, colName);
  Key(Qt::Key_Up);
  Key(Qt::Key_Return);
  EXPECT_EQ(seen, (QStringList{"double Sidorov", "enter Petrov"}));
}

TEST_F(DataGrid, LookupAndPickListColumnsAreEditedAsDropDowns) {
  Click(0, colRank);
  Key(Qt::Key_F2);
  auto* lookup = qobject_cast<QComboBox*>(QApplication::focusWidget());
  ASSERT_NE(lookup, nullptr);
  EXPECT_FALSE(lookup->isEditable());
  QStringList items;
  for (int i = 0; i < lookup->count(); ++i) {
    items << lookup->itemText(i);
  }
  EXPECT_EQ(items, (QStringList{"", "ЗМС", "МС", "КМС"}));
  EXPECT_EQ(lookup->currentText(), QString::fromUtf8("МС"));
  // The list opens with Alt+Down; inside it the arrows choose, and the
  // chosen entry stores its key.
  Key(Qt::Key_Down, Qt::AltModifier);
  ASSERT_TRUE(lookup->view()->isVisible());
  Key(Qt::Key_Down);
  Key(Qt::Key_Return);
  EXPECT_EQ(table.FieldByName("RankRef").AsInteger(), 3);
  EXPECT_EQ(Cell(0, colRank), QString::fromUtf8("КМС"));
  EXPECT_EQ(grid->currentIndex().row(), 0);

  grid->SetColumnPickList(colTeam, {"Dinamo", "Spartak", "CSKA"});
  Click(0, colTeam);
  Key(Qt::Key_F2);
  auto* pick = qobject_cast<QComboBox*>(QApplication::focusWidget());
  ASSERT_NE(pick, nullptr);
  EXPECT_TRUE(pick->isEditable());
  // F4 opens the list as well.
  Key(Qt::Key_F4);
  ASSERT_TRUE(pick->view()->isVisible());
  Key(Qt::Key_Down);
  Key(Qt::Key_Return);
  EXPECT_EQ(FieldText("Team"), "Spartak");
  EXPECT_TRUE(dialogs.Errors.isEmpty());
}

// With a drop-down's list closed, Up and Down do what they do in any other
// cell: write what the cell shows and go to the row above or below. Choosing
// with them was a silent change of the row being left.
TEST_F(DataGrid, UpAndDownLeaveTheRowFromADropDownWithItsListClosed) {
  struct TCase {
    const char* What;
    int Position;
    int Row;
    Qt::Key Key;
    const char* Typed;  // after F2; nothing when null
    int RowAfter;
    const char* RankRefs;
    const char* Teams;
  };
  const TCase cases[] = {
      {"Down from a rank", colRank, 0, Qt::Key_Down, nullptr, 1, "2 3 1", "Dinamo Spartak Dinamo"},
      {"Up from a rank", colRank, 2, Qt::Key_Up, nullptr, 1, "2 3 1", "Dinamo Spartak Dinamo"},
      {"Page Down from a rank", colRank, 0, Qt::Key_PageDown, nullptr, 2, "2 3 1", "Dinamo Spartak Dinamo"},
      {"Down from a team typed over", colTeam, 0, Qt::Key_Down, "CSKA", 1, "2 3 1", "CSKA Spartak Dinamo"},
      {"Up from a team typed over", colTeam, 1, Qt::Key_Up, "Zenit", 0, "2 3 1", "Dinamo Zenit Dinamo"},
  };
  grid->SetColumnPickList(colTeam, {"Dinamo", "Spartak", "CSKA"});
  const auto column = [&](const char* field) {
    QStringList values;
    for (int row = 0; row < table.ViewRowCount(); ++row) {
      values << table.ValueAt(row, table.FieldByName(field)).toString();
    }
    return values.join(u' ');
  };
  for (const TCase& c : cases) {
    Refill();
    Click(c.Row, c.Position);
    Key(Qt::Key_F2);
    auto* combo = qobject_cast<QComboBox*>(QApplication::focusWidget());
    ASSERT_NE(combo, nullptr) << c.What;
    if (c.Typed != nullptr) {
      combo->lineEdit()->selectAll();
      Type(QString::fromLatin1(c.Typed));
    }
    Key(c.Key);
    EXPECT_FALSE(grid->EditorOpen()) << c.What;
    EXPECT_EQ(table.State(), TDataSetState::dsBrowse) << c.What;
    EXPECT_EQ(table.CurrentViewRow(), c.RowAfter) << c.What;
    EXPECT_EQ(grid->currentIndex().row(), c.RowAfter) << c.What;
    EXPECT_EQ(column("RankRef"), c.RankRefs) << c.What;
    EXPECT_EQ(column("Team"), c.Teams) << c.What;
    // The keys stay with the grid: the next Down goes on.
    EXPECT_EQ(QApplication::focusWidget(), grid) << c.What;
  }

  // Down from the last row's drop-down begins a new row there, as from any
  // cell.
  Click(2, colRank);
  Key(Qt::Key_F2);
  Key(Qt::Key_Down);
  EXPECT_EQ(table.State(), TDataSetState::dsInsert);
  EXPECT_EQ(table.CurrentViewRow(), 3);
  Key(Qt::Key_Escape);
  EXPECT_EQ(table.ViewRowCount(), 3);
  EXPECT_TRUE(dialogs.Errors.isEmpty());
}

// The protocol tabs renumber places from a result's change handler; one that
// posts the row from there does it from inside the cell's own write.
TEST_F(DataGrid, AChangeHandlerThatPostsFromTheCellsWriteLeavesNothingHalfDone) {
  const TQtWarnings warnings;
  int posts = 0;
  table.AfterPost = [&](TClientDataSet&) { ++posts; };
  table.FieldByName("Team").OnChange = [&](TField& field) { field.DataSet().Post(); };
  Click(0, colTeam);
  Type("CSKA");
  Key(Qt::Key_Return);
  EXPECT_EQ(table.State(), TDataSetState::dsBrowse);
  EXPECT_EQ(posts, 1);
  EXPECT_EQ(Cell(0, colTeam), "CSKA");
  EXPECT_FALSE(grid->EditorOpen());
  Key(Qt::Key_Down);
  Type("Sochi");
  Click(2, colName);
  EXPECT_EQ(posts, 2);
  EXPECT_EQ(ModelColumn(*grid->model(), colTeam), (QStringList{"CSKA", "Sochi", "Dinamo"}));
  EXPECT_EQ(table.RecNo(), 3);
  // In an ordered view the post moves the row, and its editor with it, away
  // from under the write.
  table.SetIndexFieldNames("Team");
  Click(2, colTeam);
  Type("Amur");
  Key(Qt::Key_Return);
  EXPECT_EQ(posts, 3);
  EXPECT_EQ(ModelColumn(*grid->model(), colTeam), (QStringList{"Amur", "CSKA", "Dinamo"}));
  EXPECT_FALSE(grid->EditorOpen());
  // The editor is closed once, by the view itself.
  EXPECT_EQ(warnings.About("editor"), QStringList());
  EXPECT_TRUE(dialogs.Errors.isEmpty());
}

}  // namespace
