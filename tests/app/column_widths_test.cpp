// The default widths of the window's grids: every title and the usual values
// of the narrow columns show whole in both languages, on a first start and
// at the start after it; a width the layout file holds stays as it is.
#include <QAction>
#include <QFile>
#include <QHeaderView>

#include "app/frames/stream_frame.h"
#include "platform/widgets/data_grid.h"
#include "tests/app/athletes.h"
#include "tests/app/window_fixture.h"
#include "tests/platform/widgets/grid_fits.h"

namespace app_test {
namespace {

using ColumnWidths = WindowTest;

// The titles the header cuts at the present widths, as "grid: title": what
// the header paints, a title elided to the room the style leaves inside its
// section.
QStringList CutTitles(TfrmMain& window) {
  QStringList cut;
  for (TDataGrid* grid : window.findChildren<TDataGrid*>()) {
    const QHeaderView* titles = grid->horizontalHeader();
    for (int column = 0; column < titles->count(); ++column) {
      if (!grid_fits::TitleWhole(*grid, column)) {
        const QString title = grid->model()->headerData(column, Qt::Horizontal).toString();
        cut << grid->objectName() + QStringLiteral(": ") + title;
      }
    }
  }
  return cut;
}

// The cells of the named columns whose text is wider than the column, as
// "grid: text".
QStringList CutCells(TDataGrid& grid, const QStringList& fields) {
  QStringList cut;
  for (const QString& field : fields) {
    const int position = grid.ColumnPosition(field);
    const int column = grid.horizontalHeader()->logicalIndex(position);
    for (int row = 0; row < grid.model()->rowCount(); ++row) {
      const QString text = grid.model()->index(row, column).data().toString();
      if (!grid_fits::CellTextFits(grid, text, position)) {
        cut << grid.objectName() + QStringLiteral(": ") + text;
      }
    }
  }
  return cut;
}

// A team protocol with a scorer in a class of each sex, so that class columns
// show.
void BuildTeamProtocol(TfrmMain& window) {
  TClientDataSet& longCycle = window.dsLongCycle;
  longCycle.CreateDataSet();
  for (const auto& [sex, weight] : {std::pair{0, 70.0}, std::pair{1, 120.0}}) {
    longCycle.Append();
    longCycle.FieldByName("Name").SetAsString(QStringLiteral("Спортсмен"));
    longCycle.FieldByName("Team").SetAsString(QStringLiteral("Динамо"));
    longCycle.FieldByName("SexRef").SetAsInteger(sex);
    longCycle.FieldByName("Weight").SetAsFloat(weight);
    longCycle.FieldByName("Point").SetAsInteger(20);
    longCycle.FieldByName("AtTheTeam").SetAsBoolean(true);
    longCycle.Post();
  }
  Click(window.btnCreateTeamProtocol);
}

TEST_F(ColumnWidths, TitlesAndUsualValuesShowWholeInBothLanguages) {
  WriteAthletes({{"Иванов", 1, 105.5, "Динамо", true, true, true, true, 21, "28.12.2000"},
                 {"Петрова", 0, 58, "Динамо", true, true, true, true, 3, "01.02.1990"},
                 {"Сидоров", 1, 70, "Динамо", true, true, true, true, 9, "01.02.1990"}});
  const QStringList narrow = {"Sex", "Birthday", "Rank", "Weight"};
  for (const char* first : {"RU", "EN"}) {
    SCOPED_TRACE(first);
    QFile::remove(DataFile("Grids.ini"));
    WriteIni("Tyazhar.ini", QStringLiteral("[GENERAL]\r\nLanguage=%1\r\n").arg(QLatin1String(first)));
    const bool russian = qstrcmp(first, "RU") == 0;
    auto window = Start();
    ShowActive(*window);
    BuildTeamProtocol(*window);
    EXPECT_EQ(CutTitles(*window), QStringList());
    EXPECT_EQ(CutCells(*window->grCompetitor, narrow), QStringList());

    // Switched from the menu: the other language's titles fit as well.
    (russian ? window->miLanguage_EN : window->miLanguage_RU)->trigger();
    EXPECT_EQ(CutTitles(*window), QStringList()) << "after the switch";
    EXPECT_EQ(CutCells(*window->grCompetitor, narrow), QStringList()) << "after the switch";

    // The close stores every width; they serve the next start in either
    // language.
    Stop(window);
    ASSERT_TRUE(QFile::exists(DataFile("Grids.ini")));
    auto next = Start();
    ShowActive(*next);
    EXPECT_EQ(CutTitles(*next), QStringList()) << "at the next start";
    (russian ? next->miLanguage_RU : next->miLanguage_EN)->trigger();
    EXPECT_EQ(CutTitles(*next), QStringList()) << "at the next start, switched back";
    EXPECT_EQ(CutCells(*next->grCompetitor, narrow), QStringList()) << "at the next start";
    next.reset();
  }
  EXPECT_TRUE(Dialogs.Errors.isEmpty()) << Errors(Dialogs);
}

TEST_F(ColumnWidths, AWidthTheLayoutFileHoldsStaysWhateverTheTitle) {
  // Sex and Rank as narrow as a user may drag them; Birthday not stored.
  WriteIni("Grids.ini", QStringLiteral("[grCompetitor]\r\nName=0-150\r\nSex=1-12\r\n"));
  WriteIni("Tyazhar.ini", QStringLiteral("[GENERAL]\r\nLanguage=RU\r\n"));
  auto window = Start();
  TDataGrid& grid = *window->grCompetitor;
  const int birthday = grid.ColumnWidth(2);
  EXPECT_EQ(grid.ColumnWidth(0), 150);
  EXPECT_EQ(grid.ColumnWidth(1), 12);
  window->miLanguage_EN->trigger();
  EXPECT_EQ(grid.ColumnWidth(0), 150);
  EXPECT_EQ(grid.ColumnWidth(1), 12);
  EXPECT_GE(grid.ColumnWidth(2), birthday);
  EXPECT_EQ(CutTitles(*window).filter(QStringLiteral("grCompetitor: ")),
            QStringList{QStringLiteral("grCompetitor: Sex")});
}

}  // namespace
}  // namespace app_test
