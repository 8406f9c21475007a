#pragma once

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
