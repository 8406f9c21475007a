// The team protocol tab's columns: which the build makes and their labels in
// either language, a protocol file opened before any build, a class row
// without its limit, the horizontal scroll bar over a wide protocol, and
// what a build leaves to ask about at close.
#include <QCheckBox>
#include <QHeaderView>
#include <QImage>
#include <QScrollBar>
#include <QStyleOptionSlider>

#include "app/main_window.h"
#include "app/team_protocol_tab.h"
#include "tests/app/team_protocol_fixture.h"
#include "tests/app/window_fixture.h"

namespace app_test {
namespace {

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
  TFileAnswers files;
  for (const bool english : {false, true}) {
    SCOPED_TRACE(english ? "EN" : "RU");
    files.Path = testing_sandbox::Path(QStringLiteral("team.ktp"));
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
    files.Path.clear();
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

}  // namespace
}  // namespace app_test
