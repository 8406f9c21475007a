#pragma once

#include <utility>

// Runs a cleanup step when the scope ends, whether it ends normally or by an
// exception: the "whatever happens" steps (EnableControls, putting a filter
// back, re-attaching a guard).
template <class F>
class TScopeExit {
 public:
  explicit TScopeExit(F f) : FAction(std::move(f)) {}
  TScopeExit(const TScopeExit&) = delete;
  TScopeExit& operator=(const TScopeExit&) = delete;
  ~TScopeExit() { FAction(); }

 private:
  F FAction;
};
