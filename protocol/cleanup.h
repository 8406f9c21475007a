#pragma once

#include <exception>
#include <functional>
#include <initializer_list>

// Runs ABody, then every cleanup step however ABody ended. A failing step does
// not keep the later ones from running: a table must get its controls back
// and a hidden spreadsheet instance must be put away even when restoring a
// filter went wrong. The first failure of the cleanup replaces the body's
// error (the user needs to hear that the application could not be closed);
// otherwise the body's error passes on.
inline void RunProtected(const std::function<void()>& ABody,
                         std::initializer_list<std::function<void()>> ACleanup) {
  std::exception_ptr bodyError;
  try {
    ABody();
  } catch (...) {
    bodyError = std::current_exception();
  }
  std::exception_ptr cleanupError;
  for (const auto& step : ACleanup) {
    try {
      step();
    } catch (...) {
      if (!cleanupError) {
        cleanupError = std::current_exception();
      }
    }
  }
  if (cleanupError) {
    std::rethrow_exception(cleanupError);
  }
  if (bodyError) {
    std::rethrow_exception(bodyError);
  }
}
