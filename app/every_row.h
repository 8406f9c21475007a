#pragma once

#include <vector>

#include "platform/core/scope_exit.h"
#include "platform/table/client_dataset.h"

// Runs Work over every row of the table, whatever filter is in force, with
// its controls detached; the filtering comes back as it was whatever happens.
// An edit that Work left unposted by failing is dropped, not posted.
template <class F>
void OverEveryRow(TClientDataSet& table, F&& Work) {
  table.DisableControls();
  const bool filtered = table.Filtered();
  const TScopeExit restore([&] {
    table.Cancel();
    table.SetFiltered(filtered);
    table.EnableControls();
  });
  table.SetFiltered(false);
  Work();
}

// Makes each row of the view current in turn and runs Visit on it, the rows
// taken as they stand before the walk: a row that an edit moves within the
// view's order is visited once all the same, and none is passed over.
template <class F>
void ForEachRow(TClientDataSet& table, F&& Visit) {
  std::vector<TBookmark> rows;
  rows.reserve(size_t(table.RecordCount()));
  for (table.First(); !table.Eof(); table.Next()) {
    rows.push_back(table.GetBookmark());
  }
  for (const TBookmark& row : rows) {
    table.GotoBookmark(row);
    Visit();
  }
}
