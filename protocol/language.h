#pragma once

#include <QString>

#include "common/translate_func.h"

// The bilingual captions of the printed protocols. The catalogue keeps no
// language of its own: every getter asks the callback again, so a protocol
// comes out in the interface language in force while it is being built.
class TLanguage {
 public:
  explicit TLanguage(TTranslateFunc ATranslate);

  QString WeightOfKettlebell() const;
  QString Protocol() const;
  QString WorkingTime() const;
  QString RanksRequirements() const;
  QString WeightClass() const;
  QString MSWC() const;
  QString MS() const;
  QString CMS() const;
  QString Kg() const;
  QString Place() const;
  QString Name() const;
  QString DateOfBirth() const;
  QString Rank() const;
  QString Team() const;
  QString BodyWeight() const;
  QString TeamPoints() const;
  QString RankAchieved() const;
  QString Coach() const;
  QString SnatchTitle() const;
  QString Snatch() const;
  QString MainJudgeOnPlatform() const;
  QString MainSecretary() const;
  QString Judge() const;
  QString MainJudge() const;
  QString TeamSummary() const;
  QString TeamColumn() const;
  QString LongCycle() const;
  QString Biathlon() const;
  QString Women() const;
  QString Men() const;
  QString BiathlonTitle() const;
  QString RelayTeam() const;
  QString Step() const;
  QString WeightCategory() const;
  QString CompetitorResult() const;
  QString TeamResult() const;
  QString TotalTeamWeight() const;
  QString TotalResult() const;
  QString JerkTitle() const;
  QString LongCycleTitle() const;
  QString Relay() const;
  QString MoreThan() const;
  QString UpTo() const;
  QString ResultSum() const;
  QString Jerk() const;
  QString BiathlonSum() const;
  QString Points() const;

 private:
  TTranslateFunc FTranslate;
};
