#include <gtest/gtest.h>

#include <QHeaderView>
#include <QMouseEvent>
#include <QSignalSpy>

#include "tests/platform/widgets/data_grid_fixture.h"
#include "tests/platform/widgets/grid_fits.h"

namespace {

using namespace widgets_test;

TEST_F(DataGrid, ColumnsAreAddressedByTheirPositionOnScreen) {
  TDataColumn name{"Name", "", 120, false, {}};
  TDataColumn weight{"Weight", "", 50, false, {}};
  TDataColumn team{"Team", "", 90, false, {}};
  grid->SetColumns({name, weight, team});
  grid->MoveColumn(0, 2);
  const auto layout = [&] {
    QStringList out;
    for (int position = 0; position < grid->ColumnCount(); ++position) {
      out << QString("%1 %2").arg(grid->ColumnFieldName(position)).arg(grid->ColumnWidth(position));
    }
    return out;
  };
  EXPECT_EQ(layout(), (QStringList{"Weight 50", "Team 90", "Name 120"}));
  grid->SetColumnWidth(0, 77);
  EXPECT_EQ(grid->ColumnPosition("name"), 2);

  // New rows, a new order: the user's layout stays.
  table.SetIndexFieldNames("Weight");
  EXPECT_EQ(layout(), (QStringList{"Weight 77", "Team 90", "Name 120"}));
  EXPECT_EQ(Cell(0, 2), "Petrov");

  QStringList clicked;
  grid->OnTitleClick = [&](TDataGrid& sender, int position) { clicked << sender.ColumnFieldName(position); };
  ClickTitle(2);
  ClickTitle(0);
  EXPECT_EQ(clicked, (QStringList{"Name", "Weight"}));

  // A new column list is laid out afresh.
  grid->SetColumns({name, team});
  EXPECT_EQ(layout(), (QStringList{"Name 120", "Team 90"}));
}

TEST_F(DataGrid, ColumnWidthsAreTakenExactlyNarrowOnesIncluded) {
  for (int width : {5, 20, 0, 1, 300}) {
    grid->SetColumnWidth(colTeam, width);
    EXPECT_EQ(grid->ColumnWidth(colTeam), width) << width;
    table.SetIndexFieldNames(table.IndexFieldNames().isEmpty() ? "Weight" : "");  // a reset keeps them
    EXPECT_EQ(grid->ColumnWidth(colTeam), width) << width << " after a reset";
  }
}

// Narrow design widths grow to what the titles, in each of their forms, and
// the usual values need; as titles change the columns follow them, unless
// their width came from outside or from the user's drag.
TEST_F(DataGrid, DefaultWidthsShowTitlesAndUsualValuesWhole) {
  ranks.Append();
  ranks.FieldByName("ID").SetAsInteger(21);
  ranks.FieldByName("Name").SetAsString(QString::fromUtf8("МСМК"));
  ranks.Post();
  grid->TitleForms = [](const QString& title) {
    return title == "Team" ? QStringList{"Team", "Название команды целиком"} : QStringList();
  };
  grid->SetColumns({{"Name", {}, 4, false, {}},
                    {"Weight", {}, 4, false, {}},
                    {"Rank", {}, 4, false, {}},
                    {"Team", {}, 4, false, {}}});
  const auto cellWhole = [&](int row, int position) {
    return grid_fits::CellTextFits(*grid, Cell(row, position), position);
  };
  for (int position = 0; position < 4; ++position) {
    EXPECT_TRUE(grid_fits::TitleWhole(*grid, grid->horizontalHeader()->logicalIndex(position))) << position;
  }
  table.First();
  table.Edit();
  table.FieldByName("Weight").SetAsFloat(105.5);
  table.FieldByName("RankRef").SetAsInteger(21);
  table.Post();
  EXPECT_TRUE(cellWhole(0, 1)) << Cell(0, 1).toStdString();
  EXPECT_TRUE(cellWhole(0, 2)) << Cell(0, 2).toStdString();
  // The other form of the title is the longer one.
  const QFontMetrics titleFont = grid->horizontalHeader()->fontMetrics();
  EXPECT_GT(grid->ColumnWidth(3), titleFont.horizontalAdvance(QString::fromUtf8("Название команды целиком")));

  // Set from outside, dragged by the user, or left to the grid.
  grid->SetColumnWidth(0, 9);
  QHeaderView* titles = grid->horizontalHeader();
  const int before = grid->ColumnWidth(2);
  const QPoint edge(titles->sectionViewportPosition(titles->logicalIndex(2)) + titles->sectionSize(2) - 1,
                    titles->height() / 2);
  QTest::mousePress(titles->viewport(), Qt::LeftButton, Qt::NoModifier, edge);
  QMouseEvent drag(QEvent::MouseMove, QPointF(edge + QPoint(-5, 0)),
                   QPointF(titles->viewport()->mapToGlobal(edge + QPoint(-5, 0))), Qt::NoButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(titles->viewport(), &drag);
  QTest::mouseRelease(titles->viewport(), Qt::LeftButton, Qt::NoModifier, edge + QPoint(-5, 0));
  const int dragged = grid->ColumnWidth(2);
  ASSERT_EQ(dragged, before - 5);
  const int weight = grid->ColumnWidth(1);
  for (const char* field : {"Name", "Weight", "Rank"}) {
    table.FieldByName(field).SetDisplayLabel(QString::fromUtf8("Заголовок гораздо длиннее прежнего"));
  }
  EXPECT_EQ(grid->ColumnWidth(0), 9);
  EXPECT_GT(grid->ColumnWidth(1), weight);
  EXPECT_TRUE(grid_fits::TitleWhole(*grid, grid->horizontalHeader()->logicalIndex(1)));
  EXPECT_EQ(grid->ColumnWidth(2), dragged);
}

// A language switch relabels the fields; hiding or showing a field changes
// the default columns, and the user's widths and moves of the others stay.
TEST_F(DataGrid, TitlesAndColumnsFollowTheFieldsWithoutARefresh) {
  const auto layout = [&] {
    QStringList out;
    for (int position = 0; position < grid->ColumnCount(); ++position) {
      const int logical = grid->horizontalHeader()->logicalIndex(position);
      out << QString("%1 %2")
                 .arg(grid->model()->headerData(logical, Qt::Horizontal).toString())
                 .arg(grid->ColumnWidth(position));
    }
    return out;
  };
  grid->SetColumnWidth(colName, 111);
  grid->SetColumnWidth(colTeam, 33);
  grid->MoveColumn(colTeam, colName);
  const QString weight = QString("Weight %1").arg(grid->ColumnWidth(2));
  const QString rank = QString("Rank %1").arg(grid->ColumnWidth(3));
  const QString atTheTeam = QString("AtTheTeam %1").arg(grid->ColumnWidth(4));
  ASSERT_EQ(layout(), (QStringList{"Team 33", "Name 111", weight, rank, atTheTeam}));
  QSignalSpy reset(grid->model(), &QAbstractItemModel::modelReset);

  table.FieldByName("Name").SetDisplayLabel(QString::fromUtf8("ФИО"));
  table.FieldByName("Weight").SetVisible(false);
  EXPECT_EQ(layout(), (QStringList{"Team 33", QString::fromUtf8("ФИО 111"), rank, atTheTeam}));
  grid->SetColumnWidth(2, 70);
  table.FieldByName("Weight").SetVisible(true);
  EXPECT_EQ(layout(), (QStringList{"Team 33", QString::fromUtf8("ФИО 111"), weight, "Rank 70", atTheTeam}));
  EXPECT_EQ(Cell(0, 2), "72,5");
  // The first field's column comes back before the column of the second.
  table.FieldByName("Name").SetVisible(false);
  table.FieldByName("Name").SetVisible(true);
  QStringList fields;
  for (int position = 0; position < grid->ColumnCount(); ++position) {
    fields << grid->ColumnFieldName(position);
  }
  EXPECT_EQ(fields, (QStringList{"Team", "Name", "Weight", "Rank", "AtTheTeam"}));
  EXPECT_EQ(reset.count(), 0);
  EXPECT_EQ(grid->currentIndex().row(), table.CurrentViewRow());
}

}  // namespace
