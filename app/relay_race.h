#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class TClientDataSet;

// The relay race's rules over its tables, apart from the window: the filters
// of the page shown, the team list of a new race, the running stage total and
// the team totals and places. The relay tab's handlers call them.

// Relay discipline codes; 0 stands for no discipline page shown.
enum TRelayDiscipline { rdNone = 0, rdJerk = 1, rdLongCycle = 2, rdSnatch = 3 };

// The filters that tie the relay table, the competitor list (the register)
// and the team results to one sex, one discipline and the chosen team.
struct TRelayFilters {
  QString RelayRace;   // (SexRef=1) and (Team='Dynamo') and (Discipline=2)
  QString Competitor;  // (SexRef=1) and (Team='Dynamo')
  QString RRTeam;      // (SexRef=1) and (Discipline=2)
};

// Team: the team chosen in the team selector; none when it holds no item. An
// apostrophe in a team name is doubled inside the literal.
TRelayFilters RelayFilters(int Sex, int Discipline, const std::optional<QString>& Team);

// The relay rows of one team in one sex and discipline, as the calculation
// filters them: (SexRef=0) and (Discipline=1) and (Team='Dynamo').
QString RelayTeamFilter(int Sex, int Discipline, const QString& Team);

// The Team text of every row of the register, its filter switched off for the
// walk and put back afterwards: each team once, two spellings that differ
// only in letter case counting as one (the first met is kept), sorted without
// regard to letter case in the system's collation. A row without a team gives
// the empty name. Nothing when the register is closed.
QStringList CollectRelayTeams(TClientDataSet& Register);

// Six rows of the team results per team, one per relay discipline and sex,
// whatever disciplines are held and sexes the team has; totals and places
// empty.
void FillRelayTeamRows(TClientDataSet& RRTeam, const QStringList& Teams);

// The running total of the relay table's current row, whose Result has just
// changed: its Result (empty counts 0) plus the total of the team's previous
// stage in the view. The previous stage is the nearest lower stage number of
// the same team that has a total, so a gap in the numbering still carries
// the lifts before it. Only the changed row is totalled: later stages keep
// theirs until their own results are entered again. The row is posted; the
// current row stays the changed one.
void RelayStageTotal(TClientDataSet& Relay);

// Team totals and places of the team results' view (the shown sex and
// discipline): each team row gets the sum of Result and of Weight over its
// relay rows, then the teams take places 1, 2, 3, ... in the view's order
// (result descending; equal totals take consecutive places), and every relay
// row of a team carries its team's place. A team without relay rows totals
// 0. The relay table's filter and both tables' controls are put back
// whatever happens.
void CalculateRelayTeams(TClientDataSet& RRTeam, TClientDataSet& Relay);
