#pragma once

#include "common/translate_func.h"
#include "platform/table/client_dataset.h"

// Every table of the competition program with its design-time definition:
// fields in order, lookups, visibility, indexes and design filters. The main
// window owns one TCompetitionTables and binds its handlers to the tables'
// events; the stream frames each define their own stream table with
// DefineStreamTable.
//
// The lookup tables dsRank and dsSex come first, so every table that looks
// them up is built after them and destroyed before them.
class TCompetitionTables {
 public:
  TCompetitionTables();
  TCompetitionTables(const TCompetitionTables&) = delete;
  TCompetitionTables& operator=(const TCompetitionTables&) = delete;

  // Memory-only lookup tables.
  TClientDataSet dsRank{QStringLiteral("dsRank")};
  TClientDataSet dsSex{QStringLiteral("dsSex")};

  // Reference tables and handbooks kept in the data folder.
  TClientDataSet dsOrganizer{QStringLiteral("dsOrganizer")};
  TClientDataSet dsManWeight{QStringLiteral("dsManWeight")};
  TClientDataSet dsWomanWeight{QStringLiteral("dsWomanWeight")};
  TClientDataSet dsRefereePlatform{QStringLiteral("dsRefereePlatform")};
  TClientDataSet dsRefereePlatformMain{QStringLiteral("dsRefereePlatformMain")};
  TClientDataSet dsCompetitor{QStringLiteral("dsCompetitor")};
  TClientDataSet dsCompetitorHB{QStringLiteral("dsCompetitorHB")};
  TClientDataSet dsHBTeam{QStringLiteral("dsHBTeam")};
  TClientDataSet dsHBTrainer{QStringLiteral("dsHBTrainer")};
  TClientDataSet dsNormative{QStringLiteral("dsNormative")};

  // Competition protocols: in memory and in protocol files.
  TClientDataSet dsSnatch{QStringLiteral("dsSnatch")};
  TClientDataSet dsLongCycle{QStringLiteral("dsLongCycle")};
  TClientDataSet dsBiathlon{QStringLiteral("dsBiathlon")};
  TClientDataSet dsRelayRace{QStringLiteral("dsRelayRace")};
  TClientDataSet dsRRTeam{QStringLiteral("dsRRTeam")};
  // No fields of its own: the team protocol builds its columns, or a file
  // loaded into it brings them.
  TClientDataSet dsTeamProtocol{QStringLiteral("dsTeamProtocol")};

  // The streams tab's list of competitors still to be placed.
  TClientDataSet dsCompetitorStream{QStringLiteral("dsCompetitorStream")};
};

// The file tables opened at start-up, in their order, with their file names.
struct TTableFile {
  TClientDataSet TCompetitionTables::*Table;
  const char* FileName;
};
// Steps 1 to 5 (before the rank and sex tables are built) and 6 to 10.
extern const TTableFile kTableFilesBeforeLookups[5];
extern const TTableFile kTableFilesAfterLookups[5];

// The stream table of a stream frame (SStream.xml, LStream.xml, BStream.xml).
void DefineStreamTable(TClientDataSet& dsStream);

// The default weight classes of a freshly created class table (open, empty).
// The Weight field's validation refuses the open class 1000, so it is detached
// while the rows are written and put back afterwards. The last row stays
// pending; the save that follows posts it.
void FillManWeightDefaults(TClientDataSet& dsManWeight);
void FillWomanWeightDefaults(TClientDataSet& dsWomanWeight);

// The rank and sex lookup rows in the language of the moment. On a table that
// already has rows they relabel (no row is added); on an empty one they insert.
void FillRankTable(TClientDataSet& dsRank, const TTranslateFunc& translate);
void FillSexTable(TClientDataSet& dsSex, const TTranslateFunc& translate);

// Puts the Russian or English display label on every field that has one,
// the copied labels taken from the register's fields after those are set.
void ApplyFieldLabels(TCompetitionTables& tables, const TTranslateFunc& translate);
// The Russian and the English form of each field label that reads as the
// text in either language; nothing when no field label does.
QStringList FieldLabelForms(const QString& label);
