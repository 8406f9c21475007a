// The team protocol tab: the columns and their labels, the fill from the
// discipline protocols by class and sex, the best-N cut, the relay step,
// team expressions, totals and shared places, the mark of points that do not
// count for the team, the grid's keys, title clicks and insert guard.
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyleOptionSlider>
#include <QToolButton>
#include <climits>

#include "app/file_dialog.h"
#include "app/main_window.h"
#include "app/team_protocol_tab.h"
#include "common/int_sort_list.h"
#include "platform/core/scope_exit.h"
#include "platform/spreadsheet/office.h"
#include "platform/widgets/data_grid.h"
#include "tests/app/athletes.h"
#include "tests/app/window_fixture.h"
#include "tests/support/pdf_reader.h"

namespace app_test {
namespace {

constexpr int kNoPoint = INT_MIN;

struct TEntry {
  const char* Team;
  int Sex;
  double Weight;
  int Point = kNoPoint;
  bool AtTheTeam = true;
  int Result = 0;  // orders the protocol: the larger first
};

// Rows of a discipline protocol, as the competition tab would hold them once
// its places are given (the places that a typed result renumbers are out of
// the way).
void Fill(TClientDataSet& protocol, std::initializer_list<TEntry> entries) {
  if (!protocol.Active()) {
    protocol.CreateDataSet();
  }
  TField* typed = protocol.FindField("Result");
  const auto renumber = typed != nullptr ? typed->OnChange : TField::TFieldNotify();
  if (typed != nullptr) {
    typed->OnChange = {};
  }
  const TScopeExit reattach([&] {
    if (typed != nullptr) {
      typed->OnChange = renumber;
    }
  });
  for (const TEntry& e : entries) {
    protocol.Append();
    protocol.FieldByName("Name").SetAsString(QStringLiteral("Спортсмен %1").arg(protocol.RecordCount() + 1));
    protocol.FieldByName("Team").SetAsString(QString::fromUtf8(e.Team));
    protocol.FieldByName("SexRef").SetAsInteger(e.Sex);
    protocol.FieldByName("Weight").SetAsFloat(e.Weight);
    protocol.FieldByName(protocol.FindField("Summa") ? "Summa" : "Result").SetAsInteger(e.Result);
    if (e.Point != kNoPoint) {
      protocol.FieldByName("Point").SetAsInteger(e.Point);
    }
    protocol.FieldByName("AtTheTeam").SetAsBoolean(e.AtTheTeam);
    protocol.Post();
  }
}

struct TStage {
  const char* Team;
  int Sex;
  int Discipline;  // 1 jerk, 2 long cycle, 3 snatch
  const char* Category;
  const char* Result;  // "" for none
};

// Relay rows as the relay tab's member selection puts them in, its guard
// and running total out of the way.
void FillRelay(TClientDataSet& relay, std::initializer_list<TStage> stages) {
  const auto guard = relay.BeforeInsert;
  TField& result = relay.FieldByName("Result");
  const auto change = result.OnChange;
  relay.BeforeInsert = {};
  result.OnChange = {};
  if (!relay.Active()) {
    relay.CreateDataSet();
  }
  for (const TStage& s : stages) {
    relay.Append();
    relay.FieldByName("Team").SetAsString(QString::fromUtf8(s.Team));
    relay.FieldByName("SexRef").SetAsInteger(s.Sex);
    relay.FieldByName("Discipline").SetAsInteger(s.Discipline);
    relay.FieldByName("WeightCategory").SetAsString(QString::fromUtf8(s.Category));
    relay.FieldByName("Step").SetAsInteger(relay.RecordCount() + 1);
    result.SetAsString(QString::fromLatin1(s.Result));
    relay.Post();
  }
  relay.BeforeInsert = guard;
  result.OnChange = change;
}

// The names of a table's fields, in order.
QStringList FieldNames(const TClientDataSet& table) {
  QStringList names;
  for (int i = 0; i < table.FieldCount(); ++i) {
    names << table.Fields(i).FieldName();
  }
  return names;
}

class TeamProtocol : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    window = Start();
  }
  void TearDown() override {
    window.reset();
    WindowTest::TearDown();
  }

  void Click(const char* button) {
    auto* found = Find<QToolButton>(*window, button);
    ASSERT_NE(found, nullptr);
    QTest::mouseClick(found, Qt::LeftButton);
  }
  void Build() { Click("btnCreateTeamProtocol"); }
  void Calculate() { Click("btnCalculatePosition"); }

  TClientDataSet& Team() { return window->dsTeamProtocol; }

  // The view row of a team, found by its exact name; -1 when none.
  int RowOf(const QString& team) {
    TField& name = Team().FieldByName("Team");
    for (int row = 0; row < Team().RecordCount(); ++row) {
      if (Team().ValueAt(row, name).toString() == team) {
        return row;
      }
    }
    return -1;
  }
  // Every filled field of a team's row but Team, as "name=value".
  QStringList Values(const QString& team) {
    const int row = RowOf(team);
    if (row < 0) {
      return {QStringLiteral("no row")};
    }
    QStringList values;
    for (int i = 0; i < Team().FieldCount(); ++i) {
      TField& field = Team().Fields(i);
      const TValue value = Team().ValueAt(row, field);
      if (value.isValid() && field.FieldName() != QLatin1String("Team")) {
        values << field.FieldName() + u'=' + value.toString();
      }
    }
    return values;
  }
  QString Value(const QString& team, const char* field) {
    const int row = RowOf(team);
    return row < 0 ? QStringLiteral("no row") : Team().ValueAt(row, Team().FieldByName(field)).toString();
  }
  // The titles of the grid's columns, left to right.
  QStringList GridTitles() {
    QStringList titles;
    TDataGrid& grid = *window->grTeamProtocol;
    for (int i = 0; i < grid.ColumnCount(); ++i) {
      titles << grid.model()->headerData(i, Qt::Horizontal).toString();
    }
    return titles;
  }
  // Team rows with the given class cells, put in by hand after an empty
  // build (the only way rows come into the table).
  void TeamsWithCells(const std::vector<std::pair<const char*, const char*>>& teams) {
    for (const auto& [team, cell] : teams) {
      Fill(window->dsLongCycle, {{team, 0, 55}});
    }
    Build();
    for (const auto& [team, cell] : teams) {
      ASSERT_TRUE(Team().Locate("Team", QString::fromUtf8(team))) << team;
      Team().Edit();
      Team().FieldByName("LC_058").SetAsString(QString::fromUtf8(cell));
      Team().Post();
    }
  }
  // A fresh window on the settings the last one left.
  void Restart() {
    window.reset();
    window = Start();
  }

  std::unique_ptr<TfrmMain> window;
};

// ---- Columns ----

TEST_F(TeamProtocol, ColumnsFollowTheCheckedDisciplinesAndTheClassTablesWithLabelsOfTheBuildsLanguage) {
  struct TLabelCase {
    const char* Field;
    const char* Russian;
    const char* English;
  };
  const TLabelCase labels[] = {
      {"Position", "Место", "Place"},
      {"Team", "Команда", "Team"},
      {"Point", "Очки", "Point"},
      {"LC_058", "Ж (ДЦ) 58", "W (LC) 58"},
      {"LC_01000", "Ж (ДЦ) свыше", "W (LC) свыше"},
      {"LC_163", "М (ДЦ) 63", "M (LC) 63"},
      {"B_068", "Ж (Д) 68", "W (B) 68"},
      {"B_11000", "М (Д) свыше", "M (B) свыше"},
  };
  for (const bool english : {false, true}) {
    Restart();
    (english ? window->miLanguage_EN : window->miLanguage_RU)->trigger();
    window->cbSnatch->setChecked(false);
    Build();
    EXPECT_EQ(FieldNames(Team()),
              (QStringList{"Position", "Team",   "Point",  "LC_058", "LC_063",  "LC_068", "LC_01000",
                           "LC_163",   "LC_168", "LC_173", "LC_178", "LC_185",  "LC_195", "LC_1105",
                           "LC_11000", "B_058",  "B_063",  "B_068",  "B_01000", "B_163",  "B_168",
                           "B_173",    "B_178",  "B_185",  "B_195",  "B_1105",  "B_11000"}))
        << english;
    for (const TLabelCase& c : labels) {
      EXPECT_EQ(Team().FieldByName(c.Field).DisplayLabel(),
                QString::fromUtf8(english ? c.English : c.Russian))
          << c.Field;
    }
    // Built once: a later build keeps the columns and their labels, whatever
    // the language and the disciplines are now.
    (english ? window->miLanguage_RU : window->miLanguage_EN)->trigger();
    window->cbSnatch->setChecked(true);
    Build();
    EXPECT_EQ(Team().FieldCount(), 27);
    EXPECT_EQ(Team().FieldByName("LC_058").DisplayLabel(),
              QString::fromUtf8(english ? "W (LC) 58" : "Ж (ДЦ) 58"));
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join('\n').toStdString();
  }
  // The snatch columns, when the discipline is held.
  Restart();
  window->miLanguage_RU->trigger();
  window->cbSnatch->setChecked(true);
  Build();
  EXPECT_EQ(Team().FieldCount(), 3 + 3 * 12);
  EXPECT_EQ(Team().FieldByName("S_11000").DisplayLabel(), QStringLiteral("М (Р) свыше"));
  EXPECT_EQ(Team().FieldByName("S_068").DisplayLabel(), QStringLiteral("Ж (Р) 68"));
}

TEST_F(TeamProtocol, BuildWithNoProtocolOpenLeavesAnEmptyTableShowingPlaceAndPoints) {
  Build();
  EXPECT_TRUE(Team().Active());
  EXPECT_EQ(Team().RecordCount(), 0);
  EXPECT_EQ(GridTitles(), (QStringList{"Место", "Очки"}));
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join('\n').toStdString();
  // Nothing to total; the places run on an empty table.
  Calculate();
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join('\n').toStdString();
}

// A file saved from a built protocol and opened into a window that has built
// none brings its own columns; they read as the build showed them: the same
// titles, the same columns shown (empty classes left out), the same widths.
TEST_F(TeamProtocol, AFileOpenedBeforeAnyBuildShowsAsTheBuildDid) {
  const QString path = testing_sandbox::Path(QStringLiteral("team.ktp"));
  const TScopeExit noDialogs([] { TFileDialog::ExecuteHook = {}; });
  for (const bool english : {false, true}) {
    SCOPED_TRACE(english ? "EN" : "RU");
    TFileDialog::ExecuteHook = [&](TFileDialog& dialog) {
      dialog.FileName = path;
      return true;
    };
    Restart();
    (english ? window->miLanguage_EN : window->miLanguage_RU)->trigger();
    Fill(window->dsLongCycle, {{"Динамо", 0, 55, 20}, {"Спартак", 1, 120, 18}});
    Fill(window->dsSnatch, {{"Динамо", 1, 60, 16}});
    Build();
    Calculate();
    Click("btnSaveTeamProtocol");
    const QStringList titles = GridTitles();
    QList<int> widths;
    for (int i = 0; i < window->grTeamProtocol->ColumnCount(); ++i) {
      widths << window->grTeamProtocol->ColumnWidth(i);
    }
    ASSERT_EQ(titles.size(), 6);
    EXPECT_TRUE(titles.contains(QString::fromUtf8(english ? "M (LC) свыше" : "М (ДЦ) свыше")))
        << titles.join(u' ').toStdString();

    Restart();
    (english ? window->miLanguage_EN : window->miLanguage_RU)->trigger();
    Click("btnLoadTeamProtocol");
    ASSERT_TRUE(Team().Active());
    EXPECT_EQ(GridTitles(), titles);
    for (int i = 0; i < widths.size(); ++i) {
      EXPECT_EQ(window->grTeamProtocol->ColumnWidth(i), widths[i]) << titles.value(i).toStdString();
    }
    EXPECT_EQ(Value("Динамо", "Position"), QStringLiteral("1"));

    // A dialog cancelled afterwards changes nothing.
    TFileDialog::ExecuteHook = [](TFileDialog&) { return false; };
    Click("btnLoadTeamProtocol");
    EXPECT_EQ(GridTitles(), titles);
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join('\n').toStdString();
  }
}

// The state of a scroll bar as its style draws it.
QStyleOptionSlider BarOption(const QScrollBar& bar) {
  QStyleOptionSlider option;
  option.initFrom(&bar);
  option.subControls = QStyle::SC_All;
  option.orientation = bar.orientation();
  option.minimum = bar.minimum();
  option.maximum = bar.maximum();
  option.sliderPosition = bar.sliderPosition();
  option.sliderValue = bar.value();
  option.singleStep = bar.singleStep();
  option.pageStep = bar.pageStep();
  option.upsideDown = bar.invertedAppearance();
  if (bar.orientation() == Qt::Horizontal) {
    option.state |= QStyle::State_Horizontal;
  }
  return option;
}

// The mean grey of a stretch of the bar's painted middle line.
int MeanGrey(const QImage& image, int left, int right) {
  const int y = image.height() / 2;
  qint64 sum = 0;
  for (int x = left; x <= right; ++x) {
    sum += qGray(image.pixel(x, y));
  }
  return right >= left ? int(sum / (right - left + 1)) : -1;
}

// A team protocol wider than the window. Where the scroll bar stands tells
// the columns shown, and its handle is the part that stands out from the
// groove: a handle drawn lighter than the groove reads as the groove, and
// the strip of groove beside it as a handle at the other end.
TEST_F(TeamProtocol, TheHorizontalScrollBarStandsWhereTheShownColumnsAre) {
  Fill(window->dsLongCycle, {{"Динамо", 0, 55, 20},
                             {"Динамо", 0, 60, 20},
                             {"Динамо", 0, 65, 20},
                             {"Динамо", 0, 80, 20},
                             {"Динамо", 1, 60, 20},
                             {"Динамо", 1, 66, 20},
                             {"Динамо", 1, 70, 20},
                             {"Динамо", 1, 75, 20},
                             {"Динамо", 1, 80, 20},
                             {"Динамо", 1, 90, 20},
                             {"Динамо", 1, 100, 20},
                             {"Динамо", 1, 120, 20}});
  Fill(window->dsSnatch, {{"Динамо", 1, 60, 18}, {"Динамо", 1, 66, 18}, {"Динамо", 1, 70, 18}});
  ShowActive(*window);
  ShowPageOf(window->grTeamProtocol);
  Build();
  QApplication::processEvents();
  TDataGrid& grid = *window->grTeamProtocol;
  ASSERT_EQ(grid.ColumnCount(), 18);
  QScrollBar& bar = *grid.horizontalScrollBar();
  ASSERT_GT(bar.maximum(), 0);
  const QHeaderView& titles = *grid.horizontalHeader();

  const auto handle = [&] {
    const QStyleOptionSlider option = BarOption(bar);
    return bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, &bar);
  };
  const auto groove = [&] {
    const QStyleOptionSlider option = BarOption(bar);
    return bar.style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarGroove, &bar);
  };
  // The handle, inside its outline, is darker than the groove beside it.
  const auto handleStandsOut = [&] {
    const QImage image = bar.grab().toImage();
    const QRect h = handle();
    const QRect g = groove();
    const int inHandle = MeanGrey(image, h.left() + 3, h.right() - 3);
    const int inGroove = h.left() - g.left() > g.right() - h.right()
                             ? MeanGrey(image, g.left() + 3, h.left() - 3)
                             : MeanGrey(image, h.right() + 3, g.right() - 3);
    return inGroove - inHandle >= 16;
  };

  // The first column shown: the bar at its minimum, the handle at the left.
  EXPECT_EQ(titles.visualIndexAt(0), 0);
  EXPECT_EQ(bar.value(), bar.minimum());
  EXPECT_EQ(handle().left(), groove().left());
  EXPECT_TRUE(handleStandsOut());

  // The handle dragged to the right end: the bar at its maximum, the last
  // column shown whole.
  const QPoint from = handle().center();
  const QPoint to(bar.width() + 50, from.y());
  QTest::mousePress(&bar, Qt::LeftButton, Qt::NoModifier, from);
  QMouseEvent drag(QEvent::MouseMove, QPointF(to), QPointF(bar.mapToGlobal(to)), Qt::NoButton, Qt::LeftButton,
                   Qt::NoModifier);
  QApplication::sendEvent(&bar, &drag);
  QTest::mouseRelease(&bar, Qt::LeftButton, Qt::NoModifier, to);
  QApplication::processEvents();
  EXPECT_EQ(bar.value(), bar.maximum());
  const int last = titles.logicalIndex(titles.count() - 1);
  EXPECT_EQ(titles.sectionViewportPosition(last) + titles.sectionSize(last), grid.viewport()->width());
  EXPECT_EQ(handle().right(), groove().right());
  EXPECT_TRUE(handleStandsOut());

  // One step back with the left arrow: a little to the left, not to the
  // other end.
  QTest::mouseClick(&bar, Qt::LeftButton, Qt::NoModifier, QPoint(groove().left() / 2, bar.height() / 2));
  QApplication::processEvents();
  EXPECT_EQ(bar.value(), bar.maximum() - bar.singleStep());
  EXPECT_GT(titles.visualIndexAt(0), 0);
}

// ---- Fill ----

TEST_F(TeamProtocol, PointsFillTheCellOfTheirDisciplineSexAndClass) {
  Fill(window->dsLongCycle, {
                                {"Динамо", 0, 58.0, 20, true, 100},
                                {"ДИНАМО", 0, 58.0, 16, true, 90},
                                {"Вымпел 'Север'", 0, 58.5, 15, false},  // counts though not marked
                                {"Урал", 1, 110, 18},
                                {"Спартак", 1, 63.0, 5},
                                {"Спартак", 1, 63.5},  // no point: nothing more
                                {"Без очков", 1, 70},
                            });
  Fill(window->dsSnatch, {{"динамо", 1, 73, 20}});
  Fill(window->dsBiathlon, {{"O'Neil's club", 0, 66, 9}});
  // The competition tab leaves a protocol filtered to one class.
  window->dsLongCycle.SetFilter("(SexRef=1) and (Weight > 105)");
  window->dsLongCycle.SetFiltered(true);
  window->dsManWeight.Last();

  Build();
  ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join('\n').toStdString();
  EXPECT_EQ(Team().RecordCount(), 6);
  // One row for one team however it is spelt; the last spelling stays.
  EXPECT_EQ(Values("динамо"), (QStringList{"LC_058=20+16", "S_173=20"}));
  EXPECT_EQ(Values("Вымпел 'Север'"), QStringList{"LC_063=15"});
  EXPECT_EQ(Values("Урал"), QStringList{"LC_11000=18"});
  // 63 kg exactly belongs to the class of 63.
  EXPECT_EQ(Values("Спартак"), QStringList{"LC_163=5"});
  EXPECT_EQ(Values("Без очков"), QStringList{});
  EXPECT_EQ(Values("O'Neil's club"), QStringList{"B_068=9"});
  EXPECT_EQ(GridTitles(), (QStringList{"Место", "Команда", "Ж (ДЦ) 58", "Ж (ДЦ) 63", "М (ДЦ) 63",
                                       "М (ДЦ) свыше", "М (Р) 73", "Ж (Д) 68", "Очки"}));

  EXPECT_EQ(window->dsLongCycle.Filter(), "(SexRef=1) and (Weight > 105)");
  EXPECT_TRUE(window->dsLongCycle.Filtered());
  EXPECT_EQ(window->dsManWeight.FieldByName("Weight").AsInteger(), 1000);
  // The guard is back.
  RunGuarded([&] { Team().Insert(); });
  EXPECT_EQ(Team().State(), TDataSetState::dsBrowse);
}

// A class row without its limit, as an older file may hold, is no class: it
// makes no column and moves no other class's bounds.
TEST_F(TeamProtocol, AClassRowWithoutItsLimitIsSkipped) {
  TClientDataSet& women = window->dsWomanWeight;
  women.FieldByName("Weight").SetRequired(false);
  women.Append();
  women.FieldByName("RefereePlatform").SetAsString("Судья");
  women.Post();
  window->cbSnatch->setChecked(false);
  window->cbBiathlon->setChecked(false);
  Fill(window->dsLongCycle, {{"Динамо", 0, 50.0, 20}, {"Урал", 0, 60.0, 18}});

  Build();
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join('\n').toStdString();
  EXPECT_EQ(FieldNames(Team()).mid(0, 7),
            (QStringList{"Position", "Team", "Point", "LC_058", "LC_063", "LC_068", "LC_01000"}));
  EXPECT_EQ(Values("Динамо"), QStringList{"LC_058=20"});
  EXPECT_EQ(Values("Урал"), QStringList{"LC_063=18"});
}

// The build only gathers what the other protocols hold: closing right after
// it has nothing to ask about, while a cell typed afterwards is asked about.
TEST_F(TeamProtocol, ABuildLeavesNothingUnsavedUntilACellIsTyped) {
  Fill(window->dsLongCycle, {{"Динамо", 0, 50.0, 20}});
  window->MarkProtocolSaved(window->dsLongCycle);
  Build();
  EXPECT_FALSE(window->ProtocolUnsaved(Team()));
  Team().Edit();
  Team().FieldByName("LC_058").SetAsString("20+1");
  Team().Post();
  EXPECT_TRUE(window->ProtocolUnsaved(Team()));
}

TEST_F(TeamProtocol, LongTeamNamesAndManyScorersStayWhole) {
  const QString longName = QStringLiteral("Спортивный клуб «Богатыри Северо-Западного федерального округа»");
  const QByteArray name = longName.toUtf8();
  Fill(window->dsLongCycle, {{name.constData(), 1, 70, 20, true, 30}, {name.constData(), 0, 60, 3}});
  const int points[] = {18, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7};
  for (const int point : points) {
    Fill(window->dsLongCycle, {{name.constData(), 1, 70, point, true, point}});
  }
  Build();
  EXPECT_EQ(Values(longName), (QStringList{"LC_063=3", "LC_173=20+18+16+15+14+13+12+11+10+9+8+7"}));
  Calculate();
  EXPECT_EQ(Value(longName, "Point"), "156");
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join('\n').toStdString();
}

TEST_F(TeamProtocol, PointsOfAClassWithoutAColumnStopTheBuildAndLeaveEverythingRestored) {
  window->cbSnatch->setChecked(false);
  Fill(window->dsLongCycle, {{"Динамо", 0, 58, 20}});
  Fill(window->dsSnatch, {{"Урал", 0, 58, 18}});
  window->dsSnatch.SetFilter("(SexRef=0)");
  window->dsSnatch.SetFiltered(true);
  window->cbCountTeamProtocolCompetitor->setChecked(true);
  Build();
  EXPECT_EQ(Dialogs.Errors, QStringList{"dsTeamProtocol: Field 'S_058' not found"});
  EXPECT_EQ(Team().State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Values("Динамо"), QStringList{"LC_058=20"});
  EXPECT_EQ(RowOf("Урал"), -1);
  EXPECT_EQ(window->dsSnatch.Filter(), "(SexRef=0)");
  EXPECT_TRUE(window->dsSnatch.Filtered());
  RunGuarded([&] { Team().Insert(); });
  EXPECT_EQ(Team().State(), TDataSetState::dsBrowse);
}

// ---- Best N and the relay ----

TEST_F(TeamProtocol, BestTwoKeepTheLargestOfEachCellAndTheRelayComesOnTopTripled) {
  Fill(window->dsLongCycle, {
                                {"Динамо", 0, 58, 16, true, 30},
                                {"Динамо", 0, 58, 20, true, 20},
                                {"Динамо", 0, 58, 18, true, 10},
                                {"Динамо", 1, 70, 9, true, 30},
                                {"Динамо", 1, 70, 15, true, 20},
                                {"Урал", 1, 70, 16, true, 30},
                                {"Урал", 1, 70, 16, true, 20},
                                {"Урал", 1, 70, 3, true, 10},
                            });
  FillRelay(window->dsRelayRace, {
                                     {"динамо", 1, 3, "свыше", "40"},  // snatch, open class
                                     {"Динамо", 0, 2, "58", "10"},     // long cycle
                                     {"Динамо", 0, 1, "58", "50"},     // jerk: not counted
                                     {"Урал", 1, 2, "73", ""},         // no result: 0
                                     {"Урал", 1, 3, "above", "5"},     // built in the other language
                                     {"Нет такой", 1, 3, "63", "30"},  // no row
                                     {"Урал", 1, 3, "64", "30"},       // no such column
                                 });
  window->dsRelayRace.SetFilter("(SexRef=1) and (Discipline=1)");
  window->dsRelayRace.SetFiltered(true);
  window->cbCountTeamProtocolCompetitor->setChecked(true);
  window->seCountTeamProtocolCompetitor->setValue(2);
  window->cbAddRelayToTeamProtocol->setChecked(true);
  Build();
  ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join('\n').toStdString();
  EXPECT_EQ(Values("Динамо"), (QStringList{"LC_058=20+18+30", "LC_173=15+9", "S_11000=120"}));
  EXPECT_EQ(Values("Урал"), (QStringList{"LC_173=16+16+0", "S_11000=15"}));
  EXPECT_EQ(RowOf("Нет такой"), -1);
  EXPECT_EQ(window->dsRelayRace.Filter(), "(SexRef=1) and (Discipline=1)");
  EXPECT_TRUE(window->dsRelayRace.Filtered());
  // A column filled by the relay alone stays out of the grid.
  EXPECT_EQ(window->grTeamProtocol->ColumnPosition("S_11000"), -1);
  EXPECT_EQ(window->grTeamProtocol->ColumnPosition("LC_173"), 3);
}

TEST_F(TeamProtocol, BestNCutsEveryCellOnItsOwn) {
  struct TCutCase {
    const char* Cell;
    int N;
    const char* Cut;
  };
  const TCutCase cases[] = {
      {"20+18+16", 2, "20+18"}, {"9+15", 2, "15+9"}, {"16+16+3", 2, "16+16"},
      {"3+20+18", 1, "20"},     {"7", 3, "7"},       {"0+0+5", 2, "5+0"},
  };
  TClientDataSet team(QStringLiteral("dsTeamProtocol"));
  for (const char* name : {"Position", "Team"}) {
    team.AddField(QString::fromLatin1(name), TFieldType::ftString);
  }
  team.AddField("Point", TFieldType::ftInteger);
  team.AddField("S_058", TFieldType::ftString, team_protocol::kTeamTextWidth);
  team.AddField("S_063", TFieldType::ftString, team_protocol::kTeamTextWidth);
  for (const TCutCase& c : cases) {
    team.CreateDataSet();
    team.Append();
    team.FieldByName("S_058").SetAsString(QString::fromLatin1(c.Cell));
    team.FieldByName("S_063").SetAsString("1+2+3");
    team.Post();
    team_protocol::LimitTeamCells(team, c.N);
    EXPECT_EQ(team.FieldByName("S_058").AsString(), QString::fromLatin1(c.Cut)) << c.Cell;
    EXPECT_EQ(team.FieldByName("S_063").AsString(), c.N == 1 ? "3" : c.N == 2 ? "3+2" : "3+2+1") << c.Cell;
  }
}

// ---- Expressions, totals and places ----

TEST_F(TeamProtocol, TeamExpressionsAreCheckedCharacterByCharacter) {
  const auto digit = [](int position) {
    return QStringLiteral("Нарушен формат выражения: позиция %1, ожидается цифра").arg(position);
  };
  const auto character = [](int position, const char* c) {
    return QStringLiteral("Нарушен формат выражения: позиция %1, недопустимый символ %2")
        .arg(position)
        .arg(QString::fromUtf8(c));
  };
  const QString tooLarge = QStringLiteral("'2147483648' is not a valid integer value");
  struct TExpressionCase {
    const char* Text;
    QString Error;  // empty: the sum follows
    int Sum = 0;
  };
  const TExpressionCase cases[] = {
      {"7", "", 7},
      {"20+16+9", "", 45},
      {"12#x", "", 12},
      {"007+1", "", 8},
      {"2147483647", "", INT_MAX},
      {"15+", digit(4)},
      {"+15", digit(1)},
      {"", digit(1)},
      {"12++3", digit(4)},
      {"-5", digit(1)},  // a negative point typed into a protocol
      {"20+-5", digit(4)},
      {"1 5", character(2, " ")},
      {"18(л)", character(3, "(")},
      {"20,5", character(3, ",")},
      {"2147483648", tooLarge},
      {"2147483647+1", tooLarge},
  };
  for (const TExpressionCase& c : cases) {
    QString error;
    int sum = 0;
    try {
      sum = window->SumTeamExpression(QString::fromUtf8(c.Text));
    } catch (const Exception& e) {
      error = e.Message();
    }
    EXPECT_EQ(error, c.Error) << c.Text;
    EXPECT_EQ(sum, c.Sum) << c.Text;
  }
  // The numbers go into the list as they are, equal ones kept apart.
  TIntSortList list;
  window->CheckTeamExpression("16+20+16", list);
  EXPECT_EQ(list.Count, 3);
  EXPECT_EQ(list.Pop(), 20);
  EXPECT_EQ(list.Pop(), 16);
  EXPECT_EQ(list.Pop(), 16);
}

TEST_F(TeamProtocol, EqualTotalsShareTheirBlockOfPlaces) {
  struct TPlacesCase {
    const char* What;
    std::vector<std::pair<const char*, const char*>> Teams;  // team, its LC_058 cell
    QStringList Expected;                                    // "Team Position Point"
  };
  const TPlacesCase cases[] = {
      {"two share the second",
       {{"А", "30"}, {"Б", "20+22"}, {"В", "50"}, {"Г", "40+2"}},
       {"А 4 30", "Б 2-3 42", "В 1 50", "Г 2-3 42"}},
      {"two share the top",
       {{"А", "20"}, {"Б", "20"}, {"В", "5"}, {"Г", ""}},
       {"А 1-2 20", "Б 1-2 20", "В 3 5", "Г 4 0"}},
      {"three without points",
       {{"А", ""}, {"Б", "1"}, {"В", ""}, {"Г", ""}},
       {"А 2-3-4 0", "Б 1 1", "В 2-3-4 0", "Г 2-3-4 0"}},
  };
  for (const TPlacesCase& c : cases) {
    Restart();
    TeamsWithCells(c.Teams);
    Calculate();
    QStringList got;
    for (const auto& [team, cell] : c.Teams) {
      got << QString::fromUtf8(team) + u' ' + Value(QString::fromUtf8(team), "Position") + u' ' +
                 Value(QString::fromUtf8(team), "Point");
    }
    EXPECT_EQ(got, c.Expected) << c.What;
    EXPECT_TRUE(Dialogs.Errors.isEmpty()) << c.What << Dialogs.Errors.join('\n').toStdString();
    EXPECT_FALSE(Team().Filtered()) << c.What;
  }
}

TEST_F(TeamProtocol, TotalsCountEveryCellOnceWhateverOrderTheGridShows) {
  Fill(window->dsLongCycle, {{"А", 0, 55, 20}, {"Б", 0, 55, 18}, {"В", 0, 55, 16}, {"Г", 0, 55, 15}});
  Fill(window->dsSnatch, {{"А", 1, 70, 1}, {"Б", 1, 70, 9}, {"В", 1, 70, 16}, {"Г", 1, 70, 20}});
  Build();
  // Ordered by the points and then by the places while they are written.
  for (const char* field : {"Point", "Position"}) {
    Team().SetIndexFieldNames(field);
    Calculate();
    EXPECT_EQ(Values("А"), (QStringList{"Position=4", "Point=21", "LC_058=20", "S_173=1"})) << field;
    EXPECT_EQ(Values("Б"), (QStringList{"Position=3", "Point=27", "LC_058=18", "S_173=9"})) << field;
    EXPECT_EQ(Values("В"), (QStringList{"Position=2", "Point=32", "LC_058=16", "S_173=16"})) << field;
    EXPECT_EQ(Values("Г"), (QStringList{"Position=1", "Point=35", "LC_058=15", "S_173=20"})) << field;
  }
}

TEST_F(TeamProtocol, ABadCellStopsTheTotalsWithItsPositionAndGivesNoPlace) {
  Fill(window->dsLongCycle, {{"А", 0, 55, 20}, {"Б", 0, 55, -5}, {"В", 0, 55, 16}});
  Build();
  Calculate();
  EXPECT_EQ(Dialogs.Errors, QStringList{"Нарушен формат выражения: позиция 1, ожидается цифра"});
  EXPECT_EQ(Team().State(), TDataSetState::dsBrowse);
  EXPECT_FALSE(Team().Filtered());
  for (const char* team : {"А", "Б", "В"}) {
    EXPECT_EQ(Value(team, "Position"), "") << team;
  }
  // The rows totalled before the bad one keep their totals.
  const int bad = RowOf("Б");
  for (const auto& [team, total] : {std::pair{"А", "20"}, std::pair{"В", "16"}}) {
    EXPECT_EQ(Value(team, "Point"), RowOf(team) < bad ? total : "") << team;
  }

  // The same cell stops the best-N cut of a build at that cell.
  Dialogs.Errors.clear();
  window->cbCountTeamProtocolCompetitor->setChecked(true);
  Build();
  EXPECT_EQ(Dialogs.Errors, QStringList{"Нарушен формат выражения: позиция 1, ожидается цифра"});
  EXPECT_EQ(Team().State(), TDataSetState::dsBrowse);
  EXPECT_EQ(Value("Б", "LC_058"), "-5");
}

TEST_F(TeamProtocol, PlacesThatAnOlderNarrowFileCannotHoldAreRefusedNotCut) {
  // A protocol file of the narrow columns, opened before any build.
  TClientDataSet narrow(QStringLiteral("dsTeamProtocol"));
  narrow.AddField("Position", TFieldType::ftString, 20);
  narrow.AddField("Team", TFieldType::ftString, 20);
  narrow.AddField("Point", TFieldType::ftInteger);
  narrow.AddField("LC_058", TFieldType::ftString, 20);
  narrow.CreateDataSet();
  for (int i = 1; i <= 12; ++i) {
    narrow.Append();
    narrow.FieldByName("Team").SetAsString(QStringLiteral("Команда %1").arg(i));
    narrow.Post();
  }
  Team().LoadFromBytes(narrow.SaveToBytes());
  Calculate();
  EXPECT_EQ(
      Dialogs.Errors,
      QStringList{
          "dsTeamProtocol: значение \"1-2-3-4-5-6-7-8-9-10-11-12\" длиннее поля Position (20 символов)"});
  EXPECT_EQ(Value("Команда 1", "Position"), "");

  // Built columns hold it whole.
  Dialogs.Errors.clear();
  for (int i = 1; i <= 12; ++i) {
    Fill(window->dsLongCycle, {{QStringLiteral("Команда %1").arg(i).toUtf8().constData(), 0, 55}});
  }
  Build();
  Calculate();
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join('\n').toStdString();
  EXPECT_EQ(Value("Команда 7", "Position"), "1-2-3-4-5-6-7-8-9-10-11-12");
}

// ---- Display mark ----

TEST_F(TeamProtocol, PointsOfAthletesNotAtTheTeamAreMarked) {
  struct TMarkCase {
    TClientDataSet TCompetitionTables::*Protocol;
    int Point;
    int AtTheTeam;  // -1: empty
    const char* Shown;
  };
  const TMarkCase cases[] = {
      {&TCompetitionTables::dsSnatch, 18, 1, "18"},
      {&TCompetitionTables::dsSnatch, 18, 0, "18(л)"},
      {&TCompetitionTables::dsLongCycle, 16, -1, "16(л)"},
      {&TCompetitionTables::dsBiathlon, kNoPoint, 0, "(л)"},
      {&TCompetitionTables::dsBiathlon, kNoPoint, 1, ""},
  };
  for (const TMarkCase& c : cases) {
    TClientDataSet& protocol = window->Tables().*c.Protocol;
    protocol.CreateDataSet();
    Fill(protocol, {{"Динамо", 1, 70, c.Point}});
    protocol.Edit();
    if (c.AtTheTeam < 0) {
      protocol.FieldByName("AtTheTeam").Clear();
    } else {
      protocol.FieldByName("AtTheTeam").SetAsBoolean(c.AtTheTeam == 1);
    }
    protocol.Post();
    TField& point = protocol.FieldByName("Point");
    EXPECT_EQ(protocol.DisplayTextAt(0, point), QString::fromUtf8(c.Shown)) << c.Shown;
    // The text to edit is the number alone.
    EXPECT_EQ(point.Text(), c.Point == kNoPoint ? "" : QString::number(c.Point)) << c.Shown;
  }
}

// ---- The grid ----

TEST_F(TeamProtocol, TheGridTakesOnlyDigitsAndPlusAndNeverInserts) {
  Fill(window->dsLongCycle, {{"Динамо", 0, 55, 20}, {"Урал", 0, 55, 18}});
  ShowActive(*window);
  window->pcMain->setCurrentWidget(window->tbshTeamProtocol);
  Build();
  TDataGrid& grid = *window->grTeamProtocol;
  grid.setFocus();
  QApplication::processEvents();
  const int column = grid.ColumnPosition("LC_058");
  ASSERT_GE(column, 0);
  grid.setCurrentIndex(grid.model()->index(0, column));
  const QString team = Team().FieldByName("Team").AsString();
  Type(QStringLiteral("1a+ 2Ж"));
  ASSERT_TRUE(grid.EditorOpen());
  QKeyEvent backspace(QEvent::KeyPress, Qt::Key_Backspace, Qt::NoModifier, QStringLiteral("\b"));
  QApplication::sendEvent(QApplication::focusWidget(), &backspace);
  grid.CommitEditor();
  Team().Post();
  EXPECT_EQ(Value(team, "LC_058"), "1+2");
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join('\n').toStdString();

  // Insert and Down on the last row are refused without a word.
  grid.setFocus();
  QTest::keyClick(&grid, Qt::Key_Insert);
  grid.setCurrentIndex(grid.model()->index(1, column));
  QTest::keyClick(&grid, Qt::Key_Down);
  EXPECT_EQ(Team().RecordCount(), 2);
  EXPECT_EQ(Team().State(), TDataSetState::dsBrowse);
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Dialogs.Errors.join('\n').toStdString();
}

TEST_F(TeamProtocol, ATitleClickOrdersTheRowsByItsColumn) {
  Fill(window->dsLongCycle, {{"Б", 0, 55, 2}, {"В", 0, 55, 10}, {"А", 0, 55, 9}});
  ShowActive(*window);
  window->pcMain->setCurrentWidget(window->tbshTeamProtocol);
  Build();
  Calculate();
  TDataGrid& grid = *window->grTeamProtocol;
  QHeaderView* titles = grid.horizontalHeader();
  const auto clickTitle = [&](const char* field) {
    const int logical = titles->logicalIndex(grid.ColumnPosition(field));
    QTest::mouseClick(titles->viewport(), Qt::LeftButton, {},
                      QPoint(titles->sectionViewportPosition(logical) + titles->sectionSize(logical) / 2,
                             titles->height() / 2));
  };
  const auto order = [&] {
    QStringList teams;
    for (int row = 0; row < Team().RecordCount(); ++row) {
      teams << Team().ValueAt(row, Team().FieldByName("Team")).toString();
    }
    return teams;
  };
  clickTitle("Team");
  EXPECT_EQ(Team().IndexFieldNames(), "Team");
  EXPECT_EQ(order(), (QStringList{"А", "Б", "В"}));
  // Cells order as text, the points as numbers.
  clickTitle("LC_058");
  EXPECT_EQ(order(), (QStringList{"В", "Б", "А"}));
  clickTitle("Point");
  EXPECT_EQ(order(), (QStringList{"Б", "А", "В"}));
}

// ---- Printing ----

TEST_F(TeamProtocol, TheSheetPrintsWhatTheBuildAndTheCalculationGave) {
  if (office::FindSoffice(nullptr).isEmpty()) {
    GTEST_SKIP() << "LibreOffice is not installed";
  }
  WriteAthletes({{"Иванов", 1, 66, "Динамо", true, true},
                 {"Козлов", 1, 65, "Динамо", true, false},
                 {"Петров", 1, 67, "Вымпел 'Север'", true, false},
                 {"Сидорова", 0, 57, "Динамо", true, false}});
  Restart();
  ShowActive(*window);
  ShowPageOf(window->tbshCompetition);
  QTest::mouseClick(window->btnNewCompetition, Qt::LeftButton);
  ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
  // The points as the secretary leaves them; the result typed after them
  // renumbers the places and posts.
  const auto score = [](TClientDataSet& protocol, const char* name, int point, int result) {
    protocol.SetFiltered(false);
    ASSERT_TRUE(protocol.Locate("Name", QString::fromUtf8(name))) << name;
    protocol.Edit();
    protocol.FieldByName("Point").SetAsInteger(point);
    protocol.FieldByName("Result").SetAsInteger(result);
    protocol.Post();
  };
  score(window->dsSnatch, "Петров", 20, 130);
  score(window->dsSnatch, "Иванов", 18, 120);
  score(window->dsSnatch, "Козлов", 16, 110);
  score(window->dsSnatch, "Сидорова", 20, 90);
  score(window->dsLongCycle, "Иванов", 20, 50);
  window->edCompetitionName->setText(QStringLiteral("Кубок области"));

  ShowPageOf(window->tbshTeamProtocol);
  Build();
  Calculate();
  EXPECT_EQ(Values("Динамо"),
            (QStringList{"Position=1", "Point=74", "LC_168=20", "S_058=20", "S_168=18+16"}));
  EXPECT_EQ(Values("Вымпел 'Север'"), (QStringList{"Position=2", "Point=20", "S_168=20"}));

  const QString pdf = testing_sandbox::Path(QStringLiteral("team.pdf"));
  {
    const TPrintToPdf printTo(pdf);
    Click("btnPrintTeamProtocol");
  }
  ASSERT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
  const QString text = testing_pdf::Text(pdf);
  // The title and the group captions wrap over the narrow sheet: looked for
  // word by word.
  for (const char* expected :
       {"СВОДНЫЙ", "ПРОТОКОЛ", "Кубок области", "Вымпел 'Север'", "Динамо", "18+16", "74"}) {
    EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
  }
}

}  // namespace
}  // namespace app_test
