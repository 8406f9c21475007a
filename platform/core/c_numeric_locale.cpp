#include "platform/core/c_numeric_locale.h"

#include <new>

TCNumericLocale::TCNumericLocale() {
  // The thread's other categories stay as they are: only the numbers change.
  const locale_t current = uselocale(nullptr);
  locale_t base = duplocale(current);
  if (base == nullptr) {
    throw std::bad_alloc();
  }
  FLocale = newlocale(LC_NUMERIC_MASK, "C", base);
  if (FLocale == nullptr) {
    freelocale(base);
    throw std::bad_alloc();
  }
  FPrevious = uselocale(FLocale);
}

TCNumericLocale::~TCNumericLocale() {
  uselocale(FPrevious);
  freelocale(FLocale);
}
