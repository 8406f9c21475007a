#pragma once

#include <QTabWidget>
#include <initializer_list>
#include <utility>

// Shows each page of a page control only when its discipline is held, and
// brings the first held page to the front; with none held the page in front
// stays. Returns whether any page is held.
inline bool ShowHeldPages(QTabWidget& pages, std::initializer_list<std::pair<QWidget*, bool>> pageHeld) {
  QWidget* first = nullptr;
  for (const auto& [page, held] : pageHeld) {
    pages.setTabVisible(pages.indexOf(page), held);
    if (held && first == nullptr) {
      first = page;
    }
  }
  if (first != nullptr) {
    pages.setCurrentWidget(first);
  }
  return first != nullptr;
}
