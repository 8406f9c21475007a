#include "app/data/tables.h"

namespace {

struct TLabel {
  TClientDataSet TCompetitionTables::*Table;
  const char* Field;
  const char* Russian;
  const char* English;
};

using T = TCompetitionTables;

// The labels of their own. The first letter of the two referee labels is the
// Latin capital C, as the program has always shown them.
constexpr TLabel kLabels[] = {
    {&T::dsCompetitor, "Name", "ФИО", "Name"},
    {&T::dsCompetitor, "Passport", "Паспортные данные", "Passport"},
    {&T::dsCompetitor, "Birthday", "Дата рождения", "Date of Birth"},
    {&T::dsCompetitor, "Rank", "Звание", "Rank"},
    {&T::dsCompetitor, "Team", "Команда", "Team"},
    {&T::dsCompetitor, "Trainer", "Тренер", "Coach"},
    {&T::dsCompetitor, "Weight", "Вес", "Body weight"},
    {&T::dsCompetitor, "SexRef", "Пол", "Sex"},
    {&T::dsCompetitor, "Sex", "Пол", "Sex"},
    {&T::dsCompetitor, "RealWeight", "Вес", "Body weight"},
    {&T::dsCompetitor, "Biathlon", "двоеборье", "biathlon"},
    {&T::dsCompetitor, "LongCycle", "толчок длинным циклом", "long cycle"},
    {&T::dsCompetitor, "Snatch", "рывок", "snatch"},
    {&T::dsCompetitor, "BestResSnatch", "Лучший результат в рывке", "Best snatch result"},
    {&T::dsCompetitor, "BestResLongCycle", "Лучший результат в длинном цикле", "Best long cycle result"},
    {&T::dsCompetitor, "BestResBiathlon", "Лучший результат в двоеборье", "Best biathlon result"},
    {&T::dsCompetitor, "AtTheTeam", "в команде", "at the team"},
    {&T::dsCompetitor, "BestResJerk", "Лучший результат в толчке", "Best jerk result"},

    {&T::dsSnatch, "Position", "Место", "Place"},
    {&T::dsSnatch, "MadeRank", "Вып. разряд", "Achieved rank"},
    {&T::dsSnatch, "Result", "Рывок", "Snatch"},
    {&T::dsSnatch, "Point", "Ком. очки", "Team points"},
    {&T::dsLongCycle, "Position", "Место", "Place"},
    {&T::dsLongCycle, "MadeRank", "Вып. разряд", "Achieved rank"},
    {&T::dsLongCycle, "Result", "Толчок", "Result"},
    {&T::dsLongCycle, "Point", "Ком. очки", "Team points"},
    {&T::dsBiathlon, "Position", "Место", "Place"},
    {&T::dsBiathlon, "MadeRank", "Вып. разряд", "Achieved rank"},
    {&T::dsBiathlon, "PutResult", "Толчок", "Jerk"},
    {&T::dsBiathlon, "JerkResult", "Рывок", "Snatch"},
    {&T::dsBiathlon, "Point", "Ком. очки", "Team points"},
    {&T::dsBiathlon, "Summa", "Сумма дв-рья", "Biathlon"},
    {&T::dsBiathlon, "JerkPoint", "Очки", "Points"},

    {&T::dsRelayRace, "Position", "Место", "Place"},
    {&T::dsRelayRace, "Result", "Результат", "Result"},
    {&T::dsRelayRace, "Step", "Этап", "Step"},
    {&T::dsRelayRace, "StepResult", "Результат команды после этапа", "Step result"},
    {&T::dsRelayRace, "WeightCategory", "Вес. категория", "Weight category"},
    {&T::dsRRTeam, "Position", "Место", "Place"},
    {&T::dsRRTeam, "Result", "Результат", "Result"},

    {&T::dsManWeight, "Weight", "вес", "weight"},
    {&T::dsManWeight, "RefereePlatform", "Cудья на помосте", "Platform referee"},
    {&T::dsManWeight, "RefereePlatformMain", "Cтарший судья на помосте", "Main platform referee"},
    {&T::dsWomanWeight, "Weight", "вес", "weight"},
    {&T::dsWomanWeight, "RefereePlatform", "Cудья на помосте", "Platform referee"},
    {&T::dsWomanWeight, "RefereePlatformMain", "Cтарший судья на помосте", "Main platform referee"},

    {&T::dsOrganizer, "Name", "Проводящие организации", "Organizers"},

    {&T::dsNormative, "Discipline", "Дисциплина", "Discipline"},
    {&T::dsNormative, "WeightClass", "Весовая категория", "Weight class"},
    {&T::dsNormative, "Sex", "Пол", "Sex"},
    {&T::dsNormative, "Rank", "Звание", "Rank"},
    {&T::dsNormative, "DumbbellWeight", "Вес гири", "Weight weight"},
    {&T::dsNormative, "Result", "Норма", "Norm"},
};

// Fields that take the label of the register's field of the same name.
struct TCopiedLabels {
  TClientDataSet TCompetitionTables::*Table;
  const char* Fields[9];  // null-terminated
};

const TCopiedLabels kCopied[] = {
    {&T::dsCompetitorHB, {"Name", "Passport", "Birthday", "Rank", "Team", "Trainer", "Weight", "Sex"}},
    {&T::dsCompetitorStream, {"Name", "Weight", "BestResSnatch", "BestResLongCycle", "BestResBiathlon"}},
    {&T::dsSnatch, {"Name", "Birthday", "Rank", "Team", "Trainer", "Weight"}},
    {&T::dsLongCycle, {"Name", "Birthday", "Rank", "Team", "Trainer", "Weight"}},
    {&T::dsBiathlon, {"Name", "Birthday", "Rank", "Team", "Trainer", "Weight"}},
    {&T::dsRelayRace, {"Name", "Birthday", "Rank", "Team", "Trainer", "Weight"}},
    {&T::dsRRTeam, {"Team", "Weight"}},
};

}  // namespace

void ApplyFieldLabels(TCompetitionTables& tables, const TTranslateFunc& translate) {
  for (const auto& label : kLabels) {
    (tables.*label.Table)
        .FieldByName(QString::fromLatin1(label.Field))
        .SetDisplayLabel(translate(QString::fromUtf8(label.Russian), QString::fromUtf8(label.English)));
  }
  const TClientDataSet& register_ = tables.dsCompetitor;
  for (const auto& copied : kCopied) {
    for (const char* const* field = copied.Fields; *field; ++field) {
      const QString name = QString::fromLatin1(*field);
      (tables.*copied.Table).FieldByName(name).SetDisplayLabel(register_.FieldByName(name).DisplayLabel());
    }
  }
  tables.dsHBTeam.FieldByName(QStringLiteral("Name"))
      .SetDisplayLabel(register_.FieldByName(QStringLiteral("Team")).DisplayLabel());
}

QStringList FieldLabelForms(const QString& label) {
  QStringList forms;
  for (const auto& pair : kLabels) {
    const QString russian = QString::fromUtf8(pair.Russian);
    const QString english = QString::fromUtf8(pair.English);
    if (label == russian || label == english) {
      forms << russian << english;
    }
  }
  forms.removeDuplicates();
  return forms;
}
