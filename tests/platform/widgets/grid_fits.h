#pragma once

#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QStyleOptionHeader>

#include "platform/widgets/data_grid.h"

// Whether a grid shows a text whole, measured as the grid draws it: a column
// title within its section, a cell's text within its column.
namespace grid_fits {

// The title of the column with that logical index.
inline bool TitleWhole(const TDataGrid& grid, int logical) {
  const QHeaderView* titles = grid.horizontalHeader();
  QStyleOptionHeader option;
  option.initFrom(titles);
  option.orientation = Qt::Horizontal;
  option.rect = QRect(0, 0, titles->sectionSize(logical), titles->height());
  option.text = grid.model()->headerData(logical, Qt::Horizontal).toString();
  option.textAlignment = titles->defaultAlignment();
  const QRect room = titles->style()->subElementRect(QStyle::SE_HeaderLabel, &option, titles);
  return titles->fontMetrics().elidedText(option.text, Qt::ElideRight, room.width()) == option.text;
}

// A cell text in the column at that position on screen.
inline bool CellTextFits(TDataGrid& grid, const QString& text, int position) {
  const int margin = grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1;
  return grid.fontMetrics().horizontalAdvance(text) + 2 * margin <= grid.ColumnWidth(position);
}

}  // namespace grid_fits
