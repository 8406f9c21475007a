#pragma once

#include <QByteArray>
#include <QString>

// The run's locale as the test command sets it (scripts/test.sh): the
// variables name the locale it meant and the decimal separator the C library
// must then use. Empty in a developer's plain ctest run.
namespace testing_locale {

QString MeantLocale();        // TYAZHAR_TEST_LOCALE, e.g. "ru_RU.UTF-8"
QString MeantDecimalPoint();  // TYAZHAR_TEST_DECIMAL_POINT, e.g. ","
bool RunByTheTestCommand();   // whether the test command set them

// Puts the process into a decimal-comma locale (ru_RU.UTF-8, or else
// de_DE.UTF-8) for the scope, as Qt puts a program on a Russian desktop at
// start-up, whatever locale the run itself has, and puts the previous one
// back. The test command generates both (LOCPATH); where neither exists it
// fails the test when the test command runs it, and is only inactive
// otherwise, for the test to skip.
class TCommaLocaleScope {
 public:
  TCommaLocaleScope();
  ~TCommaLocaleScope();
  TCommaLocaleScope(const TCommaLocaleScope&) = delete;
  TCommaLocaleScope& operator=(const TCommaLocaleScope&) = delete;

  bool Active() const { return FActive; }

 private:
  QByteArray FPrevious;
  bool FActive = false;
};

}  // namespace testing_locale
