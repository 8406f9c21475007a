#include "platform/core/c_locale.h"

#include <new>

TCLocale::TCLocale() {
  // The C library's own C locale object: nothing to load, nothing to fail
  // but memory.
  FLocale = newlocale(LC_ALL_MASK, "C", nullptr);
  if (FLocale == nullptr) {
    throw std::bad_alloc();
  }
  FPrevious = uselocale(FLocale);
}

TCLocale::~TCLocale() {
  uselocale(FPrevious);
  freelocale(FLocale);
}
