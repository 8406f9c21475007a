#include <gtest/gtest.h>
#include <locale.h>

#include <QByteArray>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/core/c_locale.h"
#include "tests/support/comma_locale.h"

namespace {

using testing_locale::TCommaLocaleScope;

// A locale the system lacks gives the C locale without a word, and every
// fault of a decimal-comma desktop hides behind it: a run of the test command
// that meant such a locale fails here instead of passing.
TEST(RunLocale, TheCLibraryTookTheLocaleTheRunIsMeantFor) {
  if (!testing_locale::RunByTheTestCommand()) {
    GTEST_SKIP() << "a plain run: the locale is whatever the developer has";
  }
  EXPECT_EQ(QString::fromLocal8Bit(setlocale(LC_ALL, nullptr)), testing_locale::MeantLocale());
  EXPECT_EQ(QString::fromLatin1(localeconv()->decimal_point), testing_locale::MeantDecimalPoint());
}

QByteArray Printed(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

TEST(CLocale, NumbersInsideTakeThePointAndTheThreadsLocaleComesBack) {
  TCommaLocaleScope comma;
  if (!comma.Active()) {
    GTEST_SKIP() << "no decimal-comma locale on this system";
  }
  ASSERT_EQ(Printed(67.8), "67,8");
  {
    const TCLocale outer;
    EXPECT_EQ(Printed(67.8), "67.8");
    EXPECT_EQ(std::strtod("208.4", nullptr), 208.4);
    // Another thread keeps the process's locale meanwhile.
    QByteArray elsewhere;
    std::thread([&] { elsewhere = Printed(67.8); }).join();
    EXPECT_EQ(elsewhere, "67,8");
    {
      const TCLocale inner;
      EXPECT_EQ(Printed(110.5), "110.5");
    }
    EXPECT_EQ(Printed(110.5), "110.5");
  }
  EXPECT_EQ(Printed(67.8), "67,8");
  try {
    const TCLocale failing;
    throw 1;
  } catch (int) {
  }
  EXPECT_EQ(Printed(67.8), "67,8");
}

}  // namespace
