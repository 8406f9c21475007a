#include "protocol/language.h"

#include <utility>

TLanguage::TLanguage(TTranslateFunc ATranslate) : FTranslate(std::move(ATranslate)) {}

QString TLanguage::WeightOfKettlebell() const {
  return FTranslate(QStringLiteral("Вес гирь %s кг"), QStringLiteral("Weight of kettlebell %s kg."));
}
QString TLanguage::Protocol() const {
  return FTranslate(QStringLiteral("ПРОТОКОЛ"), QStringLiteral("PROTOCOL"));
}
QString TLanguage::WorkingTime() const {
  return FTranslate(QStringLiteral("Регламент времени - 10 мин."), QStringLiteral("Working time - 10 мин."));
}
QString TLanguage::RanksRequirements() const {
  return FTranslate(QStringLiteral("Разрядные нормативы"), QStringLiteral("Ranks requirements"));
}
QString TLanguage::WeightClass() const {
  return FTranslate(QStringLiteral("Весовая категория"), QStringLiteral("Weight class"));
}
QString TLanguage::MSWC() const {
  return FTranslate(QStringLiteral("МСМК"), QStringLiteral("MSWC"));
}
QString TLanguage::MS() const {
  return FTranslate(QStringLiteral("МС"), QStringLiteral("MS"));
}
QString TLanguage::CMS() const {
  return FTranslate(QStringLiteral("КМС"), QStringLiteral("CMS"));
}
QString TLanguage::Kg() const {
  return FTranslate(QStringLiteral("кг"), QStringLiteral("kg"));
}
QString TLanguage::Place() const {
  return FTranslate(QStringLiteral("Место"), QStringLiteral("Place"));
}
QString TLanguage::Name() const {
  return FTranslate(QStringLiteral("ФИО"), QStringLiteral("Name"));
}
QString TLanguage::DateOfBirth() const {
  return FTranslate(QStringLiteral("Дата рожд."), QStringLiteral("Date of birth"));
}
QString TLanguage::Rank() const {
  return FTranslate(QStringLiteral("Звание"), QStringLiteral("Rank"));
}
QString TLanguage::Team() const {
  return FTranslate(QStringLiteral("Команда"), QStringLiteral("Team"));
}
QString TLanguage::BodyWeight() const {
  return FTranslate(QStringLiteral("Соб. вес"), QStringLiteral("Body weight"));
}
QString TLanguage::TeamPoints() const {
  return FTranslate(QStringLiteral("Ком. очки"), QStringLiteral("Team points"));
}
QString TLanguage::RankAchieved() const {
  return FTranslate(QStringLiteral("Вып. разряд"), QStringLiteral("Rank"));
}
QString TLanguage::Coach() const {
  return FTranslate(QStringLiteral("ФИО тренера(тренеров)"), QStringLiteral("Coach"));
}
QString TLanguage::SnatchTitle() const {
  return FTranslate(QStringLiteral("рывок"), QStringLiteral("snatch"));
}
QString TLanguage::Snatch() const {
  return FTranslate(QStringLiteral("Рывок"), QStringLiteral("Snatch"));
}
QString TLanguage::MainJudgeOnPlatform() const {
  return FTranslate(QStringLiteral("Старший судья на помосте"), QStringLiteral("Main judge on the platform"));
}
QString TLanguage::MainSecretary() const {
  return FTranslate(QStringLiteral("Главный секретарь"), QStringLiteral("Main secretary of competition"));
}
QString TLanguage::Judge() const {
  return FTranslate(QStringLiteral("Судья"), QStringLiteral("Judge"));
}
QString TLanguage::MainJudge() const {
  return FTranslate(QStringLiteral("Главный судья"), QStringLiteral("Main judge of competition"));
}
QString TLanguage::TeamSummary() const {
  return FTranslate(QStringLiteral("СВОДНЫЙ"), QStringLiteral("TEAM"));
}
QString TLanguage::TeamColumn() const {
  return FTranslate(QStringLiteral("Команда"), QStringLiteral("Team"));
}
QString TLanguage::LongCycle() const {
  return FTranslate(QStringLiteral("Длинный цикл"), QStringLiteral("Long Cycle"));
}
QString TLanguage::Biathlon() const {
  return FTranslate(QStringLiteral("Двоеборье"), QStringLiteral("Biathlon"));
}
QString TLanguage::Women() const {
  return FTranslate(QStringLiteral("Женщины"), QStringLiteral("F"));
}
QString TLanguage::Men() const {
  return FTranslate(QStringLiteral("Мужчины"), QStringLiteral("M"));
}
QString TLanguage::BiathlonTitle() const {
  return FTranslate(QStringLiteral("двоеборье"), QStringLiteral("biathlon"));
}
QString TLanguage::RelayTeam() const {
  return FTranslate(QStringLiteral("КОМАНДА"), QStringLiteral("TEAM"));
}
QString TLanguage::Step() const {
  return FTranslate(QStringLiteral("Этап"), QStringLiteral("Step"));
}
QString TLanguage::WeightCategory() const {
  return FTranslate(QStringLiteral("Вес. категория"), QStringLiteral("Weight category"));
}
QString TLanguage::CompetitorResult() const {
  return FTranslate(QStringLiteral("Результат участника"), QStringLiteral("Result"));
}
QString TLanguage::TeamResult() const {
  return FTranslate(QStringLiteral("Рез-т команды после этапа"), QStringLiteral("Team result"));
}
QString TLanguage::TotalTeamWeight() const {
  return FTranslate(QStringLiteral("Общий вес команды"), QStringLiteral("Total weight of the team"));
}
QString TLanguage::TotalResult() const {
  return FTranslate(QStringLiteral("Результат команды (количество подъёмов)"),
                    QStringLiteral("Total result"));
}
QString TLanguage::JerkTitle() const {
  return FTranslate(QStringLiteral("короткий толчок"), QStringLiteral("jerk"));
}
QString TLanguage::LongCycleTitle() const {
  return FTranslate(QStringLiteral("толчок ДЦ"), QStringLiteral("Long cycle"));
}
QString TLanguage::Relay() const {
  return FTranslate(QStringLiteral("Эстафета"), QStringLiteral("RELAY"));
}
QString TLanguage::MoreThan() const {
  return FTranslate(QStringLiteral("свыше"), QStringLiteral("more than"));
}
QString TLanguage::UpTo() const {
  return FTranslate(QStringLiteral("до"), QStringLiteral(" "));
}
QString TLanguage::ResultSum() const {
  return FTranslate(QStringLiteral("Сумма"), QStringLiteral("Result"));
}
QString TLanguage::Jerk() const {
  return FTranslate(QStringLiteral("Толчок"), QStringLiteral("Jerk"));
}
QString TLanguage::BiathlonSum() const {
  return FTranslate(QStringLiteral("Сумма дв-рья"), QStringLiteral("Biathlon"));
}
QString TLanguage::Points() const {
  return FTranslate(QStringLiteral("Очки"), QStringLiteral("Points"));
}
