#include "tests/support/comma_locale.h"

#include <gtest/gtest.h>
#include <locale.h>

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

TCommaLocaleScope::TCommaLocaleScope() : FPrevious(setlocale(LC_ALL, nullptr)) {
  for (const char* name : {"ru_RU.UTF-8", "de_DE.UTF-8"}) {
    if (setlocale(LC_ALL, name)) {
      FActive = true;
      return;
    }
  }
  if (RunByTheTestCommand()) {
    ADD_FAILURE() << "neither ru_RU.UTF-8 nor de_DE.UTF-8 is there (LOCPATH="
                  << qgetenv("LOCPATH").constData() << ")";
  }
}

TCommaLocaleScope::~TCommaLocaleScope() {
  if (FActive) {
    setlocale(LC_ALL, FPrevious.constData());
  }
}

}  // namespace testing_locale
