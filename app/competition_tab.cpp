// The discipline protocols: building them from the register, places as
// results change, the biathlon sum, team points and achieved ranks.
// Filled in with the competition tab's logic.
#include "app/main_window.h"

void TfrmMain::btnNewCompetitionClick() {}

void TfrmMain::dsJerkPutResultChange(TField& /*Sender*/) {}

void TfrmMain::dsBiathlonJerkResultChange(TField& /*Sender*/) {}

void TfrmMain::btnSetPointSnatchClick() {}

void TfrmMain::btnSetPointLongCycleClick() {}

void TfrmMain::btnSetPointBiathlonClick() {}

void TfrmMain::btnSetMadeRankSnatchClick() {}

void TfrmMain::btnSetMadeRankLongCycleClick() {}

void TfrmMain::btnSetMadeRankBiathlonClick() {}

void TfrmMain::SetPoints(TField& /*PlaceField*/, TField& /*PointField*/, TField& /*ConditionField*/) {}

void TfrmMain::SetMadeRank(const QString& /*Discipline*/, const QString& /*DumbbellWeight*/,
                           const QString& /*WeightClass*/, int /*Sex*/, TField& /*ResultField*/,
                           TField& /*MadeRankField*/) {}

QString TfrmMain::GetOpenClassName(int /*Sex*/) {
  return QString();
}
