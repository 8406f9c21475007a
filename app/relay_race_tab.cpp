// The relay race: its sex and discipline pages and their filters, building a
// race, putting a competitor in, the running stage total, team totals and
// places.
// Filled in with the relay race's logic.
#include "app/main_window.h"

void TfrmMain::tbshRelayRaceShow() {}

void TfrmMain::tbshRRManShow() {}

void TfrmMain::tbshRRWomanShow() {}

void TfrmMain::tbshRRJerkShow() {}

void TfrmMain::tbshRRLongCycleShow() {}

void TfrmMain::tbshRRSnatchShow() {}

void TfrmMain::cbTeamChange() {}

void TfrmMain::btnShowRRCompetitorHBClick() {}

void TfrmMain::butCompetitorSelectClick() {}

void TfrmMain::dsRelayRaceResultChange(TField& /*Sender*/) {}

void TfrmMain::btnRRCalculateClick() {}

void TfrmMain::btnNewRelayRaceClick() {}

int TfrmMain::RelayCurrentSex() const {
  return 0;
}

int TfrmMain::RelayCurrentDiscipline() const {
  return 0;
}

void TfrmMain::FilterRelayRace(int /*Sex*/, int /*Discipline*/) {}

QString TfrmMain::WeightCategoryOf(TField& /*WeightField*/, double /*Weight*/) {
  return QString();
}
