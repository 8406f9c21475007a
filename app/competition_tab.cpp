// The discipline protocols: building them from the register, places as
// results change, the biathlon sum, team points and achieved ranks. The rules
// themselves are in protocol_rules.cpp.
#include <QComboBox>
#include <QTabWidget>
#include <algorithm>
#include <optional>

#include "app/controls_disabled.h"
#include "app/main_window.h"
#include "app/protocol_rules.h"
#include "platform/widgets/shared_dialogs.h"
#include "protocol/cleanup.h"

namespace {

const QString kWeight = QStringLiteral("Weight");

}  // namespace

void TfrmMain::btnNewCompetitionClick() {
  pcCompetition->setEnabled(true);
  pMenuCompLeft->setEnabled(true);
  if (dsSnatch.Active() && !ConfirmProtocolRebuild()) {
    return;
  }
  // The register's filter is borrowed and the protocols are made anew and
  // filtered to a class: the grids see the end of it only. What is still
  // typed into the register goes in before its pending row is posted.
  dsCompetitor.UpdateRecord();
  TClientDataSet* protocols[] = {&dsSnatch, &dsLongCycle, &dsBiathlon};
  WithControlsDisabled({&dsCompetitor, &dsSnatch, &dsLongCycle, &dsBiathlon}, [&] {
    cbCompWomanWeightClass->clear();
    FillWeightClassItems(dsWomanWeight.FieldByName(kWeight), *cbCompWomanWeightClass, false);
    cbCompWomanWeightClass->setCurrentIndex(0);
    cbCompManWeightClass->clear();
    FillWeightClassItems(dsManWeight.FieldByName(kWeight), *cbCompManWeightClass, false);
    cbCompManWeightClass->setCurrentIndex(0);
    cbCompWomanWeightClassChange();

    // The guards refuse the user's inserts while this tab is shown; the
    // build's own inserts pass.
    TClientDataSet::TDataSetNotify guards[3];
    for (int i = 0; i < 3; ++i) {
      guards[i] = std::move(protocols[i]->BeforeInsert);
      protocols[i]->BeforeInsert = {};
    }
    RunProtected(
        [&] {
          BuildProtocol(dsCompetitor, QStringLiteral("Snatch<>0"), dsSnatch);
          BuildProtocol(dsCompetitor, QStringLiteral("LongCycle<>0"), dsLongCycle);
          BuildProtocol(dsCompetitor, QStringLiteral("Biathlon<>0"), dsBiathlon);
        },
        {[&] {
          for (int i = 0; i < 3; ++i) {
            protocols[i]->BeforeInsert = std::move(guards[i]);
          }
        }});
    for (TClientDataSet* protocol : protocols) {
      FilterShownWeightClass(*protocol);
      MarkProtocolSaved(*protocol);
    }
  });
}

void TfrmMain::RefillCompetitionClasses(int Sex, const std::vector<int>& Before,
                                        const std::vector<int>& After) {
  QComboBox& selector = Sex == 1 ? *cbCompManWeightClass : *cbCompWomanWeightClass;
  const int chosen = selector.currentIndex();
  int keep = 0;
  if (chosen >= 0 && chosen < int(Before.size())) {
    const int limit = Before[size_t(chosen)];
    // A deleted class gives way to the one its athletes fall into, or to the
    // heaviest when none is above it.
    const std::optional<int> now = ClassAfterChange(Before, After, limit);
    const auto at = now ? std::lower_bound(After.begin(), After.end(), *now)
                        : std::upper_bound(After.begin(), After.end(), limit);
    keep = at != After.end() ? int(at - After.begin()) : int(After.size()) - 1;
  }
  selector.clear();
  for (const int limit : After) {
    selector.addItem(ClassItemText(limit));
  }
  selector.setCurrentIndex(After.empty() ? -1 : keep);
  if ((pcCompetitionWeight->currentWidget() == tbshCompMan) == (Sex == 1)) {
    if (Sex == 1) {
      cbCompManWeightClassChange();
    } else {
      cbCompWomanWeightClassChange();
    }
  }
}

bool TfrmMain::ConfirmProtocolRebuild() {
  return Confirm(Translate(QStringLiteral("Протокол будет удален и пересоздан"),
                           QStringLiteral("Delete and recreate protocol")));
}

void TfrmMain::dsJerkPutResultChange(TField& Sender) {
  NumberPlaces(Sender.DataSet());
}

void TfrmMain::dsBiathlonJerkResultChange(TField& Sender) {
  SumBiathlon(Sender);
}

void TfrmMain::btnSetPointSnatchClick() {
  if (dsSnatch.Active()) {
    SetPoints(dsSnatch.FieldByName(QStringLiteral("Position")), dsSnatch.FieldByName(QStringLiteral("Point")),
              dsSnatch.FieldByName(QStringLiteral("AtTheTeam")));
  }
}

void TfrmMain::btnSetPointLongCycleClick() {
  if (dsLongCycle.Active()) {
    SetPoints(dsLongCycle.FieldByName(QStringLiteral("Position")),
              dsLongCycle.FieldByName(QStringLiteral("Point")),
              dsLongCycle.FieldByName(QStringLiteral("AtTheTeam")));
  }
}

void TfrmMain::btnSetPointBiathlonClick() {
  if (dsBiathlon.Active()) {
    SetPoints(dsBiathlon.FieldByName(QStringLiteral("Position")),
              dsBiathlon.FieldByName(QStringLiteral("Point")),
              dsBiathlon.FieldByName(QStringLiteral("AtTheTeam")));
  }
}

void TfrmMain::SetShownMadeRank(const QString& Discipline, const QComboBox& WeightW, const QComboBox& WeightM,
                                TClientDataSet& Protocol, const QString& ResultName) {
  if (!Protocol.Active()) {
    return;
  }
  const bool men = pcCompetitionWeight->currentWidget() == tbshCompMan;
  SetMadeRank(Discipline, men ? WeightM.currentText() : WeightW.currentText(),
              men ? cbCompManWeightClass->currentText() : cbCompWomanWeightClass->currentText(), men ? 1 : 0,
              Protocol.FieldByName(ResultName), Protocol.FieldByName(QStringLiteral("MadeRankRef")));
}

void TfrmMain::btnSetMadeRankSnatchClick() {
  SetShownMadeRank(QStringLiteral("Рывок"), *cbSnatchWeightW, *cbSnatchWeightM, dsSnatch,
                   QStringLiteral("Result"));
}

void TfrmMain::btnSetMadeRankLongCycleClick() {
  SetShownMadeRank(QStringLiteral("Толчок ДЦ"), *cbLongCycleWeightW, *cbLongCycleWeightM, dsLongCycle,
                   QStringLiteral("Result"));
}

void TfrmMain::btnSetMadeRankBiathlonClick() {
  SetShownMadeRank(QStringLiteral("Двоеборье"), *cbBiathlonWeightW, *cbBiathlonWeightM, dsBiathlon,
                   QStringLiteral("Summa"));
}

void TfrmMain::SetPoints(TField& PlaceField, TField& PointField, TField& ConditionField) {
  AwardPoints(PlaceField, PointField, ConditionField);
}

void TfrmMain::SetMadeRank(const QString& Discipline, const QString& DumbbellWeight,
                           const QString& WeightClass, int Sex, TField& ResultField, TField& MadeRankField) {
  if (!dsNormative.Active()) {
    return;
  }
  const QString weightClass = WeightClass == OpenClassCaption() ? GetOpenClassName(Sex) : WeightClass;
  SetMadeRanks(dsNormative, Discipline, DumbbellWeight, weightClass, Sex, ResultField, MadeRankField);
}

QString TfrmMain::GetOpenClassName(int Sex) {
  return OpenClassName(Sex == 1 ? dsManWeight : dsWomanWeight);
}
