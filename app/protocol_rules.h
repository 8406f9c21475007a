#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "platform/table/client_dataset.h"

// The rules of the discipline protocols as plain operations over tables:
// places, the biathlon sum, team points, achieved ranks and the fill from the
// register. Each walks the table's current view (the competition tab keeps
// it to one sex and class) with the table's controls disabled, and gives
// them back whatever happens.

// Appends every row of Source's view to Dest, field by field name.
void AppendAllRecords(TClientDataSet& Source, TClientDataSet& Dest);

// Re-creates the protocol empty and fills it with the register's rows that
// pass RegisterFilter; the register gets its own filter back afterwards.
void BuildProtocol(TClientDataSet& Register, const QString& RegisterFilter, TClientDataSet& Protocol);

// Position 1, 2, 3, ... along the view, in index order; a pending edit is
// posted first. The cursor stays on the same line of the view, which after a
// move may hold another athlete.
void NumberPlaces(TClientDataSet& Protocol);

// The filter of one sex's body weights above Lower (without it: from the
// lightest) up to and including Upper, in the form of the class filters.
QString WeightRangeFilter(int Sex, std::optional<int> Lower, int Upper);

// Whether any row of the protocol, whatever view it shows, passes Filter.
bool HasRowsIn(TClientDataSet& Protocol, const QString& Filter);

// Places 1, 2, 3, ... over the rows that pass Filter, as NumberPlaces numbers
// a class view; the protocol gets its own view and current row back.
void NumberPlacesIn(TClientDataSet& Protocol, const QString& Filter);

// A change of one sex's class limits (ascending) by one post or delete of a
// class row: a limit gone while another came is that row's limit changed,
// every other limit its class as it was. The class a class of Before is
// after it: its own limit, its changed one, or none when it was deleted.
std::optional<int> ClassAfterChange(const std::vector<int>& Before, const std::vector<int>& After, int Limit);

// The body weights above Lower (without it: from the lightest) up to and
// including Upper that change class with the change: they leave From (that
// class as it is named afterwards; none when it was deleted or they were in
// no class) for To (none: above every limit).
struct TClassMove {
  std::optional<int> Lower;
  int Upper;
  std::optional<int> From;
  std::optional<int> To;
};
std::vector<TClassMove> ClassMoves(const std::vector<int>& Before, const std::vector<int>& After);

// The classes of After (ascending) that take athletes of the protocol in or
// lose some with the moves, and still hold any: their places no longer run
// 1, 2, 3, ... in the class view.
std::vector<int> ClassesToRenumber(TClientDataSet& Protocol, int Sex, const std::vector<TClassMove>& Moves,
                                   const std::vector<int>& After);

// The filter of the class of After whose upper limit is Limit.
QString ClassFilter(int Sex, const std::vector<int>& After, int Limit);

// After a change of either result (JerkResult, the snatch, or PutResult,
// the jerk) of the biathlon row being changed: JerkPoint is half the snatch
// lifts, Summa the jerk lifts plus JerkPoint (empty results count 0); then
// the places. A jerk entered before the row has a snatch or a sum forms
// none: the row stays on its line for its snatch to be typed.
void SumBiathlon(TField& Result);

// The team points of a place: 20, 18, 16, then 19 - place down to 1 for the
// 18th; null for any other place or none.
TValue PointsForPlace(const TValue& Place);

// Points of every row of the view marked by Condition; other rows keep theirs.
void AwardPoints(TField& PlaceField, TField& PointField, TField& ConditionField);

// 0 for the most senior rank (DMS), then MSWC, MS, CMS, I ... IIIj; ranks
// outside the list come last.
int RankSeniority(int RankRef);

// The result a rank is looked up with: the lifts, or a biathlon sum rounded
// to the nearest integer, halves to the even one.
int ResultForRank(const TField& Result);

// The name the ranks requirements file the open class under: the heaviest
// closed limit with "+" ("105+"); "1000+" when the table holds only the open
// class, "" when it is closed or empty. Moves the table's current row.
QString OpenClassName(TClientDataSet& WeightClasses);

// Gives every row of the protocol's view the most senior rank whose required
// result it reaches, or none; rows keep theirs when no requirement of the
// discipline, kettlebell weight, class and sex exists. The requirements
// table's filter is switched off afterwards.
void SetMadeRanks(TClientDataSet& Normative, const QString& Discipline, const QString& DumbbellWeight,
                  const QString& WeightClass, int Sex, TField& ResultField, TField& MadeRankField);
