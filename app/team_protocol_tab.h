#pragma once

#include <QList>
#include <QString>

#include "platform/table/client_dataset.h"
#include "platform/widgets/data_grid_model.h"

class TIntSortList;

// The team protocol's rules over its tables, without the window: the tab's
// handlers (team_protocol_tab.cpp) call them with the window's tables, and a
// test can call them on its own.
//
// The team table: Position (text), Team (text), Point (integer), then the
// class columns, each named by discipline prefix ("LC_", "S_", "B_"), sex
// digit and class bound (LC_058, S_11000) and holding a team expression such
// as 20+16+9.
namespace team_protocol {

// Team names are kept whole, as wide as the register's; a cell or a shared
// place ("11-12-13-...") has room for a whole competition's worth of numbers.
constexpr int kTeamNameWidth = 255;
constexpr int kTeamTextWidth = 1024;

// The first class column's position among the fields.
constexpr int kFirstClassColumn = 3;

// The numbers of a team expression, added to the list. Raises
// "Нарушен формат выражения: позиция %d, ..." for a bad form, and the integer
// conversion error for a number beyond 32 bits.
void CheckTeamExpression(const QString& Text, TIntSortList& List);
// The sum of a team expression's numbers, checked the same way.
int SumTeamExpression(const QString& Text);

// The width on screen of a team-table field, by its name: the place, the
// team, a class column; the total keeps its number's width.
void SetTeamDisplayWidth(TField& Field);

// Writes the text into a text field of the team table whole: a text the
// field would cut (the narrow columns of an older file) is refused.
void SetTeamText(TField& Field, const QString& Text);

// One text column per row of the weight field's table, in its order: named
// NamePrefix + bound, labelled LabelPrefix + " " + bound ("свыше" for the
// open class 1000).
void AddTeamClassFields(TClientDataSet& Table, TField& WeightField, const QString& NamePrefix,
                        const QString& LabelPrefix);

// Adds the points of one discipline protocol and one sex to the team table,
// class by class of the weight field's table; every team with a competitor
// there gets a row. The protocol's filter and the class table's current row
// are back afterwards, whatever happens.
void FillTeamColumns(TField& TeamField, TField& WeightField, TField& ProtocolTeamField, TField& PointField,
                     const QString& Sex, const QString& Prefix);

// Cuts every class cell to its N largest numbers, largest first.
void LimitTeamCells(TClientDataSet& Team, int N);

// Adds three times each long cycle and snatch relay result to its team's
// class cell; jerk stages, unknown teams and missing columns add nothing.
void AddRelayPoints(TClientDataSet& Team, TClientDataSet& Relay);

// Totals every row's class cells into Point and gives the places, equal
// totals sharing their block ("2-3").
void CalculateTeamPositions(TClientDataSet& Team);

// The grid's columns after a build: Position, the other fields that hold a
// value, Point.
QList<TDataColumn> TeamGridColumns(TClientDataSet& Team);

}  // namespace team_protocol

class TfrmMain;

// After a team protocol file is opened into the window's table: when its
// columns came with the file (no build yet), they take the labels and widths
// a build gives them, and the grid shows what a build shows.
void ShowOpenedTeamProtocol(TfrmMain& Window);
