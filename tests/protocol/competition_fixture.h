#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "app/data/tables.h"
#include "common/translate_func.h"
#include "platform/table/client_dataset.h"

// The tables of a small competition, as the competition program defines
// them, for the printing tests.
namespace competition_fixture {

struct TCompetitor {
  TCompetitor(QString name, int sex, double weight, QString team, int result, int position, int rankRef = 0,
              int madeRankRef = 0, int point = 0, QString trainer = QString())
      : Name(std::move(name)),
        Sex(sex),
        Weight(weight),
        Team(std::move(team)),
        Result(result),
        Position(position),
        RankRef(rankRef),
        MadeRankRef(madeRankRef),
        Point(point),
        Trainer(std::move(trainer)) {}
  QString Name;
  int Sex = 1;
  double Weight = 0;
  QString Team;
  int Result = 0;  // snatch and long cycle: lifts; biathlon: the jerk
  int Position = 0;
  int RankRef = 0;
  int MadeRankRef = 0;
  int Point = 0;
  QString Trainer;
  QDate Birthday = QDate(2000, 1, 2);
  int SnatchResult = 0;  // biathlon only
  bool Entered = true;   // false: results, points and sums left empty
};

struct TStage {
  TStage(QString team, int step, int sex, int discipline, int position, QString name = QString(),
         double weight = 70.5, int result = 10)
      : Team(std::move(team)),
        Step(step),
        Sex(sex),
        Discipline(discipline),
        Position(position),
        Name(std::move(name)),
        Weight(weight),
        Result(result) {}
  QString Team;
  int Step = 1;
  int Sex = 1;
  int Discipline = 2;
  int Position = 1;
  QString Name;
  double Weight = 70.5;
  int Result = 10;
  QString WeightCategory = QStringLiteral("до 73");
  QString Trainer;
};

struct TRequirement {
  QString Discipline;
  QString WeightClass;
  int Sex;
  int RankRef;
  int Kettlebell;
  int Result;
};

class TCompetition {
 public:
  TCompetition();

  void AddOrganizer(const QString& name);
  void AddWeightClass(int sex, int limit, const QString& referee = QString(),
                      const QString& mainReferee = QString());
  void AddCompetitor(TClientDataSet& table, const TCompetitor& competitor);
  void AddStage(const TStage& stage);
  void AddRequirement(const TRequirement& requirement);
  void AddStream(int id, const QString& name, double weight, double bestResult = 0);
  // Team protocol columns after Position, Team and Point; then one row per
  // team, each with Position, Team, Point and one text per class column.
  void DefineTeamProtocol(const QStringList& classColumns);
  void AddTeamRow(const QString& position, const QString& team, int point, const QStringList& classValues);

  // The program's own table definitions, opened empty.
  TCompetitionTables Tables;
  TClientDataSet& Rank = Tables.dsRank;
  TClientDataSet& Sex = Tables.dsSex;
  TClientDataSet& Organizer = Tables.dsOrganizer;
  TClientDataSet& ManWeight = Tables.dsManWeight;
  TClientDataSet& WomanWeight = Tables.dsWomanWeight;
  TClientDataSet& Snatch = Tables.dsSnatch;
  TClientDataSet& LongCycle = Tables.dsLongCycle;
  TClientDataSet& Biathlon = Tables.dsBiathlon;
  TClientDataSet& RelayRace = Tables.dsRelayRace;
  TClientDataSet& TeamProtocol = Tables.dsTeamProtocol;
  TClientDataSet& Normative = Tables.dsNormative;
  TClientDataSet Stream{QStringLiteral("dsStream")};
};

// The team protocol's class columns of a national championship, in the order
// the team protocol makes them: women's and men's long cycle, snatch and
// biathlon. 26: women's long cycle and snatch in 5 classes, men's long cycle
// and biathlon in 8; 40: every discipline, women in 5 or 6 classes, men in 8.
QStringList NationalMeetColumns(int count);

// The interface language as the window holds it.
struct TInterface {
  bool English = false;
  TTranslateFunc Translate() {
    return [this](const QString& ru, const QString& en) { return English ? en : ru; };
  }
};

// One table's filter, filtered flag and controls, to compare before and after.
struct TTableView {
  QString Filter;
  bool Filtered;
  bool ControlsDisabled;
  QString IndexName;
  bool operator==(const TTableView&) const = default;
};
TTableView ViewOf(const TClientDataSet& table);

}  // namespace competition_fixture
