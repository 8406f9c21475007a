#pragma once

#include <span>

// The window's own texts, one row per component: the caption (tab, label,
// check box, menu item, window title) or the hint (a tool button's or an
// edit's tooltip), in Russian and English. The field labels that the grids
// show as column titles are the tables' (ApplyFieldLabels).
enum class TTextTarget { Caption, Hint };

struct TWindowText {
  const char* Component;
  TTextTarget Target;
  const char* Russian;
  const char* English;
};

// Captions that are always another component's, taken from it after it got
// its own text in the same pass.
struct TSameText {
  const char* Component;
  const char* Source;
};

extern const std::span<const TWindowText> kWindowTexts;
extern const std::span<const TSameText> kSameTexts;
