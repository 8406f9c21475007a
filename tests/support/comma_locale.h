#pragma once

#include <locale.h>

#include <QString>

// The run's locale as the test command sets it (scripts/test.sh): the
// variables name the locale it meant and the decimal separator the C library
// must then use. Empty in a developer's plain ctest run.
namespace testing_locale {

QString MeantLocale();        // TYAZHAR_TEST_LOCALE, e.g. "ru_RU.UTF-8"
QString MeantDecimalPoint();  // TYAZHAR_TEST_DECIMAL_POINT, e.g. ","
bool RunByTheTestCommand();   // whether the test command set them

// Puts a decimal-comma C library locale (ru_RU.UTF-8, or else de_DE.UTF-8)
// on the calling thread for the scope, as a process on a Russian desktop has
// it, whatever locale the run itself has. The test command generates both
// (LOCPATH); where neither exists it fails the test when the test command
// runs it, and is only inactive otherwise, for the test to skip.
class TCommaLocaleScope {
 public:
  TCommaLocaleScope();
  ~TCommaLocaleScope();
  TCommaLocaleScope(const TCommaLocaleScope&) = delete;
  TCommaLocaleScope& operator=(const TCommaLocaleScope&) = delete;

  bool Active() const { return FLocale != nullptr; }

 private:
  locale_t FLocale = nullptr;
  locale_t FPrevious = nullptr;
};

}  // namespace testing_locale
