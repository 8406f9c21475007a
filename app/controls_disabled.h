#pragma once

#include <initializer_list>

#include "platform/table/client_dataset.h"
#include "protocol/cleanup.h"

// Runs Body with the controls of the tables disabled and gives them back
// whatever happens: a filter set and lifted again, or a walk, that lasts a
// moment is no view of its own, and a grid reads each table once afterwards
// instead of once per step.
//
// A disabled table asks its controls nothing, so what they still hold (a
// half-typed cell) is to be written before: UpdateRecord those tables whose
// pending edit Body posts.
template <class F>
void WithControlsDisabled(std::initializer_list<TClientDataSet*> Tables, F&& Body) {
  for (TClientDataSet* table : Tables) {
    table->DisableControls();
  }
  RunProtected(Body, {[&] {
                 for (TClientDataSet* table : Tables) {
                   table->EnableControls();
                 }
               }});
}
