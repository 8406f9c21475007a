#pragma once

#include <QList>
#include <QString>

#include "app/data/tables.h"

namespace app_test {

// A competitor of the register as the competition tests need one.
struct TAthlete {
  const char* Name;
  int Sex = 1;
  double Weight = 70;
  const char* Team = "Динамо";
  bool Snatch = true;
  bool LongCycle = false;
  bool Biathlon = false;
  bool AtTheTeam = true;
  int Rank = -1;  // none
  const char* Birthday = "01.02.1990";
  const char* Trainer = "";
};

// The register file Competitor.xml of the data folder.
void WriteAthletes(const QList<TAthlete>& athletes);

// The ranks requirements file Normative.xml: rows of discipline word, class
// text, sex, rank, kettlebell weight and result.
struct TRequirement {
  const char* Discipline;
  const char* WeightClass;
  int Sex;
  int Rank;
  int DumbbellWeight;
  int Result;
};
void WriteRequirements(const QList<TRequirement>& requirements);

}  // namespace app_test
