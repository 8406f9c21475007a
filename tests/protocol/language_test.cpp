#include <gtest/gtest.h>

#include "protocol/language.h"

namespace {

struct TInterface {
  bool english = false;
  int asked = 0;
  TTranslateFunc Translate() {
    return [this](const QString& ru, const QString& en) {
      ++asked;
      return english ? en : ru;
    };
  }
};

struct CaptionCase {
  QString (TLanguage::*getter)() const;
  const char* russian;
  const char* english;
};

// The pairs whose English side is easy to get wrong: shared English words,
// a Cyrillic unit, a lone blank, one-letter sex captions, the full stop.
TEST(Language, GivesTheTextOfTheInterfaceLanguage) {
  const CaptionCase cases[] = {
      {&TLanguage::WeightOfKettlebell, "Вес гирь %s кг", "Weight of kettlebell %s kg."},
      {&TLanguage::WorkingTime, "Регламент времени - 10 мин.", "Working time - 10 мин."},
      {&TLanguage::UpTo, "до", " "},
      {&TLanguage::MoreThan, "свыше", "more than"},
      {&TLanguage::Rank, "Звание", "Rank"},
      {&TLanguage::RankAchieved, "Вып. разряд", "Rank"},
      {&TLanguage::CompetitorResult, "Результат участника", "Result"},
      {&TLanguage::ResultSum, "Сумма", "Result"},
      {&TLanguage::Biathlon, "Двоеборье", "Biathlon"},
      {&TLanguage::BiathlonSum, "Сумма дв-рья", "Biathlon"},
      {&TLanguage::TeamSummary, "СВОДНЫЙ", "TEAM"},
      {&TLanguage::RelayTeam, "КОМАНДА", "TEAM"},
      {&TLanguage::Women, "Женщины", "F"},
      {&TLanguage::Men, "Мужчины", "M"},
      {&TLanguage::Coach, "ФИО тренера(тренеров)", "Coach"},
      {&TLanguage::TotalResult, "Результат команды (количество подъёмов)", "Total result"},
      {&TLanguage::LongCycleTitle, "толчок ДЦ", "Long cycle"},
      {&TLanguage::LongCycle, "Длинный цикл", "Long Cycle"},
  };
  TInterface ui;
  TLanguage language(ui.Translate());
  for (const auto& c : cases) {
    ui.english = false;
    EXPECT_EQ((language.*c.getter)(), QString::fromUtf8(c.russian));
    ui.english = true;
    EXPECT_EQ((language.*c.getter)(), QString::fromUtf8(c.english)) << c.russian;
  }
}

TEST(Language, AsksTheCallbackAgainOnEveryCall) {
  TInterface ui;
  TLanguage language(ui.Translate());
  EXPECT_EQ(language.Protocol(), QStringLiteral("ПРОТОКОЛ"));
  ui.english = true;
  EXPECT_EQ(language.Protocol(), QStringLiteral("PROTOCOL"));
  EXPECT_EQ(ui.asked, 2);
}

}  // namespace
