#include "tests/support/comma_locale.h"

#include <gtest/gtest.h>

#include <QtGlobal>

namespace testing_locale {

QString MeantLocale() {
  return qEnvironmentVariable("TYAZHAR_TEST_LOCALE");
}

QString MeantDecimalPoint() {
  return qEnvironmentVariable("TYAZHAR_TEST_DECIMAL_POINT");
}

bool RunByTheTestCommand() {
  return !MeantLocale().isEmpty();
}

TCommaLocaleScope::TCommaLocaleScope() {
  for (const char* name : {"ru_RU.UTF-8", "de_DE.UTF-8"}) {
    FLocale = newlocale(LC_ALL_MASK, name, nullptr);
    if (FLocale) {
      FPrevious = uselocale(FLocale);
      return;
    }
  }
  if (RunByTheTestCommand()) {
    ADD_FAILURE() << "neither ru_RU.UTF-8 nor de_DE.UTF-8 is there (LOCPATH="
                  << qgetenv("LOCPATH").constData() << ")";
  }
}

TCommaLocaleScope::~TCommaLocaleScope() {
  if (FLocale) {
    uselocale(FPrevious);
    freelocale(FLocale);
  }
}

}  // namespace testing_locale
