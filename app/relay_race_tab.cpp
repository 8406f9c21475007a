// The relay race: its sex and discipline pages and their filters, building a
// race, putting a competitor in, the running stage total, team totals and
// places.
#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QTabWidget>
#include <QToolButton>
#include <algorithm>
#include <utility>

#include "app/controls_disabled.h"
#include "app/every_row.h"
#include "app/filter_literal.h"
#include "app/held_pages.h"
#include "app/main_window.h"
#include "app/relay_race.h"
#include "common/record_copy.h"
#include "platform/core/scope_exit.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/shared_dialogs.h"
#include "protocol/cleanup.h"

namespace {

const QString kTeam = QStringLiteral("Team");
const QString kStep = QStringLiteral("Step");
const QString kResult = QStringLiteral("Result");
const QString kStepResult = QStringLiteral("StepResult");
const QString kWeight = QStringLiteral("Weight");
const QString kPosition = QStringLiteral("Position");
const QString kSexRef = QStringLiteral("SexRef");
const QString kDiscipline = QStringLiteral("Discipline");

QString SexCondition(int sex) {
  return QStringLiteral("(SexRef=%1)").arg(sex);
}

QString DisciplineCondition(int discipline) {
  return QStringLiteral(" and (Discipline=%1)").arg(discipline);
}

QString TeamCondition(const QString& team) {
  return QStringLiteral(" and (Team='") + FilterLiteralText(team) + QStringLiteral("')");
}

// Filters the relay table to one team of one sex and discipline.
void FilterToTeam(TClientDataSet& relay, int sex, int discipline, const QString& team) {
  relay.SetFiltered(false);
  relay.SetFilter(RelayTeamFilter(sex, discipline, team));
  relay.SetFiltered(true);
}

}  // namespace

// ---- Rules ----

TRelayFilters RelayFilters(int Sex, int Discipline, const std::optional<QString>& Team) {
  const QString s = SexCondition(Sex);
  const QString d = DisciplineCondition(Discipline);
  const QString t = Team ? TeamCondition(*Team) : QString();
  return {s + t + d, s + t, s + d};
}

QString RelayTeamFilter(int Sex, int Discipline, const QString& Team) {
  return SexCondition(Sex == 1 ? 1 : 0) + DisciplineCondition(Discipline) + TeamCondition(Team);
}

QStringList CollectRelayTeams(TClientDataSet& Register) {
  QStringList teams;
  if (!Register.Active()) {
    return teams;
  }
  const bool filtered = Register.Filtered();
  Register.DisableControls();
  const TScopeExit restore([&] {
    Register.SetFiltered(filtered);
    Register.EnableControls();
  });
  Register.SetFiltered(false);
  TField& team = Register.FieldByName(kTeam);
  for (Register.First(); !Register.Eof(); Register.Next()) {
    const QString name = team.AsString();
    const bool known = std::any_of(teams.cbegin(), teams.cend(), [&](const QString& kept) {
      return kept.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (!known) {
      teams << name;
    }
  }
  QCollator collator;
  collator.setCaseSensitivity(Qt::CaseInsensitive);
  std::stable_sort(teams.begin(), teams.end(),
                   [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
  return teams;
}

void FillRelayTeamRows(TClientDataSet& RRTeam, const QStringList& Teams) {
  RRTeam.DisableControls();
  const TScopeExit enable([&] { RRTeam.EnableControls(); });
  TField& team = RRTeam.FieldByName(kTeam);
  TField& discipline = RRTeam.FieldByName(kDiscipline);
  TField& sex = RRTeam.FieldByName(kSexRef);
  try {
    for (const QString& name : Teams) {
      for (const int d : {rdJerk, rdLongCycle, rdSnatch}) {
        for (const int s : {0, 1}) {
          RRTeam.Append();
          team.SetAsString(name);
          discipline.SetAsInteger(d);
          sex.SetAsInteger(s);
          RRTeam.Post();
        }
      }
    }
  } catch (...) {
    RRTeam.Cancel();
    throw;
  }
}

void RelayStageTotal(TClientDataSet& Relay) {
  // Posted first: a step typed in the same edit puts the row in its place.
  // A grid showing the table may follow the row's old place while it moves,
  // so the row is remembered before and gone back to after.
  const TBookmark before = Relay.GetBookmark();
  Relay.Post();
  const TBookmark changed = before.IsValid() ? before : Relay.GetBookmark();
  // A row that its own post took out of the view has no stages beside it.
  if (!Relay.BookmarkValid(changed)) {
    return;
  }
  if (Relay.GetBookmark().RowId != changed.RowId) {
    Relay.GotoBookmark(changed);
  }
  TField& team = Relay.FieldByName(kTeam);
  TField& step = Relay.FieldByName(kStep);
  TField& result = Relay.FieldByName(kResult);
  TField& total = Relay.FieldByName(kStepResult);

  // The previous stage is the nearest lower stage number of the same team
  // that has a total (of two rows of one stage, the first in the view), so a
  // gap in the numbering still carries the lifts before it.
  const int changedRow = Relay.CurrentViewRow();
  const QString teamName = team.AsString();
  const int changedStep = step.AsInteger();
  int previousStep = 0;
  int previous = 0;
  for (int row = 0; changedStep > 1 && row < Relay.RecordCount(); ++row) {
    const int rowStep = Relay.ValueAt(row, step).toInt();
    const TValue rowTotal = Relay.ValueAt(row, total);
    if (row != changedRow && rowStep > previousStep && rowStep < changedStep && rowTotal.isValid() &&
        Relay.ValueAt(row, team).toString() == teamName) {
      previousStep = rowStep;
      previous = rowTotal.toInt();
    }
  }
  const int own = result.AsInteger() + previous;

  // The changed row where it stands: entering the stages in their order
  // moves nothing, and the grid keeps its cell.
  Relay.Edit();
  total.SetAsInteger(own);
  Relay.Post();
}

namespace {

// The totals and places of CalculateRelayTeams, with the tables' controls
// disabled; the relay table is left filtered to the last team.
void TotalAndPlaceTeams(TClientDataSet& RRTeam, TClientDataSet& Relay) {
  TField& team = RRTeam.FieldByName(kTeam);
  TField& sex = RRTeam.FieldByName(kSexRef);
  TField& discipline = RRTeam.FieldByName(kDiscipline);
  TField& teamResult = RRTeam.FieldByName(kResult);
  TField& teamWeight = RRTeam.FieldByName(kWeight);
  TField& teamPosition = RRTeam.FieldByName(kPosition);
  TField& weight = Relay.FieldByName(kWeight);
  TField& result = Relay.FieldByName(kResult);
  TField& position = Relay.FieldByName(kPosition);

  // Totals: the team rows are taken first, because each new total moves its
  // row within the view.
  ForEachRow(RRTeam, [&] {
    FilterToTeam(Relay, sex.AsInteger(), discipline.AsInteger(), team.AsString());
    double weightSum = 0;
    int resultSum = 0;
    for (Relay.First(); !Relay.Eof(); Relay.Next()) {
      weightSum += weight.AsFloat();
      resultSum += result.AsInteger();
    }
    RRTeam.Edit();
    teamWeight.SetAsFloat(weightSum);
    teamResult.SetAsInteger(resultSum);
    RRTeam.Post();
  });

  // Places, in the order the totals gave the view.
  int place = 1;
  ForEachRow(RRTeam, [&] {
    RRTeam.Edit();
    teamPosition.SetAsInteger(place);
    RRTeam.Post();
    FilterToTeam(Relay, sex.AsInteger(), discipline.AsInteger(), team.AsString());
    for (Relay.First(); !Relay.Eof(); Relay.Next()) {
      Relay.Edit();
      position.SetAsInteger(place);
      Relay.Post();
    }
    ++place;
  });
}

}  // namespace

void CalculateRelayTeams(TClientDataSet& RRTeam, TClientDataSet& Relay) {
  if (!RRTeam.Active() || !Relay.Active()) {
    return;
  }
  // Posted before the filter is taken: the filter is put back as it was in
  // force.
  Relay.Post();
  RRTeam.Post();
  const QString filter = Relay.Filter();
  const bool filtered = Relay.Filtered();
  Relay.DisableControls();
  RRTeam.DisableControls();
  RunProtected([&] { TotalAndPlaceTeams(RRTeam, Relay); },
               {[&] {
                  Relay.Cancel();
                  RRTeam.Cancel();
                  Relay.SetFiltered(false);
                  Relay.SetFilter(filter);
                  Relay.SetFiltered(filtered);
                },
                [&] { RRTeam.EnableControls(); }, [&] { Relay.EnableControls(); }});
  RRTeam.First();
}

// ---- The tab ----

namespace {

std::optional<QString> ChosenTeam(const QComboBox& teams) {
  if (teams.currentIndex() < 0) {
    return std::nullopt;
  }
  return teams.currentText();
}

}  // namespace

void TfrmMain::tbshRelayRaceShow() {
  btnShowRRCompetitorHBClick();
  tbshRelayRace->setEnabled(ShowHeldPages(*pcRRDiscipline, {{tbshRRJerk, cbRRDJerk->isChecked()},
                                                            {tbshRRLongCycle, cbRRDLongCycle->isChecked()},
                                                            {tbshRRSnatch, cbRRDSnatch->isChecked()}}));
}

void TfrmMain::tbshRRManShow() {
  FilterRelayRace(1, RelayCurrentDiscipline());
}

void TfrmMain::tbshRRWomanShow() {
  FilterRelayRace(0, RelayCurrentDiscipline());
}

void TfrmMain::tbshRRJerkShow() {
  FilterRelayRace(RelayCurrentSex(), rdJerk);
}

void TfrmMain::tbshRRLongCycleShow() {
  FilterRelayRace(RelayCurrentSex(), rdLongCycle);
}

void TfrmMain::tbshRRSnatchShow() {
  FilterRelayRace(RelayCurrentSex(), rdSnatch);
}

void TfrmMain::cbTeamChange() {
  FilterRelayRace(RelayCurrentSex(), RelayCurrentDiscipline());
}

void TfrmMain::btnShowRRCompetitorHBClick() {
  const bool teams = btnShowRRCompetitorHB->isChecked();
  butCompetitorSelect->setVisible(!teams);
  grRelayRaceHB->setVisible(!teams);
  btnRRCalculate->setVisible(teams);
  grRRTeam->setVisible(teams);
}

void TfrmMain::butCompetitorSelectClick() {
  // An empty competitor list has no current competitor to copy: the row
  // would be nobody's.
  if (!dsRelayRace.Active() || !dsCompetitor.Active() || dsCompetitor.IsEmpty()) {
    return;
  }
  TClientDataSet::TDataSetNotify guard = std::exchange(dsRelayRace.BeforeInsert, {});
  const TScopeExit reattach([&] { dsRelayRace.BeforeInsert = std::move(guard); });
  dsRelayRace.Insert();
  try {
    CopyRecordByFieldNames(dsCompetitor, dsRelayRace);
    TClientDataSet& classes = dsRelayRace.FieldByName(kSexRef).AsInteger() == 0 ? dsWomanWeight : dsManWeight;
    dsRelayRace.FieldByName(QStringLiteral("WeightCategory"))
        .SetAsString(
            WeightCategoryOf(classes.FieldByName(kWeight), dsRelayRace.FieldByName(kWeight).AsFloat()));
    dsRelayRace.FieldByName(kDiscipline).SetAsInteger(RelayCurrentDiscipline());
    dsRelayRace.Post();
  } catch (...) {
    dsRelayRace.Cancel();
    throw;
  }
}

void TfrmMain::dsRelayRaceResultChange(TField& Sender) {
  RelayStageTotal(Sender.DataSet());
}

void TfrmMain::btnRRCalculateClick() {
  CalculateRelayTeams(dsRRTeam, dsRelayRace);
}

void TfrmMain::btnNewRelayRaceClick() {
  pMenuRRLeft->setEnabled(true);
  pRelayRace->setEnabled(true);
  if (dsRRTeam.Active() && !ConfirmProtocolRebuild()) {
    return;
  }
  dsRRTeam.Close();
  dsRRTeam.CreateDataSet();
  cbTeam->clear();
  const QStringList teams = CollectRelayTeams(dsCompetitor);
  FillRelayTeamRows(dsRRTeam, teams);
  cbTeam->addItems(teams);
  if (!teams.isEmpty()) {
    cbTeam->setCurrentIndex(0);
  }
  dsRelayRace.Close();
  dsRelayRace.CreateDataSet();
  cbTeamChange();
}

int TfrmMain::RelayCurrentSex() const {
  return pcRelayRaceSex->currentWidget() == tbshRRMan ? 1 : 0;
}

int TfrmMain::RelayCurrentDiscipline() const {
  const int index = pcRRDiscipline->currentIndex();
  if (index < 0 || !pcRRDiscipline->isTabVisible(index)) {
    return rdNone;
  }
  QWidget* page = pcRRDiscipline->widget(index);
  if (page == tbshRRJerk) {
    return rdJerk;
  }
  if (page == tbshRRLongCycle) {
    return rdLongCycle;
  }
  if (page == tbshRRSnatch) {
    return rdSnatch;
  }
  return rdNone;
}

void TfrmMain::FilterRelayRace(int Sex, int Discipline) {
  const TRelayFilters filters = RelayFilters(Sex, Discipline, ChosenTeam(*cbTeam));
  // The grids see the view chosen, not the whole relay table on the way.
  for (TClientDataSet* table : {&dsRelayRace, &dsCompetitor, &dsRRTeam}) {
    table->UpdateRecord();
  }
  WithControlsDisabled({&dsRelayRace, &dsCompetitor, &dsRRTeam}, [&] {
    dsRelayRace.SetFiltered(false);
    dsRelayRace.SetFilter(filters.RelayRace);
    dsCompetitor.SetFilter(filters.Competitor);
    dsRRTeam.SetFilter(filters.RRTeam);
    dsRRTeam.SetFiltered(true);
    dsRelayRace.SetFiltered(true);
    dsCompetitor.SetFiltered(true);
  });
}

QString TfrmMain::WeightCategoryOf(TField& WeightField, double Weight) {
  TClientDataSet& classes = WeightField.DataSet();
  // No class to fall into: an empty category, not a limit of 0.
  if (!classes.Active() || classes.IsEmpty()) {
    return QString();
  }
  classes.DisableControls();
  const TScopeExit enable([&] { classes.EnableControls(); });
  classes.First();
  while (!classes.Eof() && WeightField.AsInteger() < Weight) {
    classes.Next();
  }
  const int limit = WeightField.AsInteger();
  return limit == 1000 ? OpenClassCaption() : QString::number(limit);
}
