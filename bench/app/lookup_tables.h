#pragma once

#include "app/data/tables.h"

// The rank and sex lookups that the copy of register rows into the protocols
// reads, filled in Russian as a fresh start fills them.
inline void FillLookupTables(TCompetitionTables& tables) {
  const auto russian = [](const QString& ru, const QString&) { return ru; };
  tables.dsRank.CreateDataSet();
  FillRankTable(tables.dsRank, russian);
  tables.dsSex.CreateDataSet();
  FillSexTable(tables.dsSex, russian);
}
