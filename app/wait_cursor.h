#pragma once

#include <QApplication>

// The wait cursor for as long as the scope lasts: printing and the export
// start the spreadsheet application, which takes a few seconds.
class TWaitCursor {
 public:
  TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};
