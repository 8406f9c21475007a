#pragma once

// The achieved-rank rule in its first form, kept to check the program's
// against and to measure it by: a filter of the requirements for each row.

#include <QString>

#include "app/protocol_rules.h"
#include "platform/core/fmt.h"
#include "platform/table/client_dataset.h"

// The rule as the requirements table states it: for each row of the view,
// the requirements of the discipline word (any letter case), kettlebell
// weight, class and sex whose result the row's result reaches, filtered
// afresh, and the most senior rank among them; rows keep their ranks when the
// key has no requirement at all.
inline void RanksByFilterPerRow(TClientDataSet& normative, const QString& discipline,
                                const QString& dumbbellWeight, const QString& weightClass, int sex,
                                TField& resultField, TField& madeRankField) {
  TClientDataSet& protocol = resultField.DataSet();
  TField& rankRef = normative.FieldByName(QStringLiteral("RankRef"));
  const QString base =
      Fmt(QStringLiteral(
              "(upper(Discipline)='%s') and (DumbbellWeight=%s) and (WeightClass='%s') and (SexRef=%d)"),
          {discipline.toUpper(), dumbbellWeight, weightClass, QString::number(sex)});
  normative.SetFilter(base);
  normative.SetFiltered(true);
  if (!normative.IsEmpty()) {
    for (protocol.First(); !protocol.Eof(); protocol.Next()) {
      normative.SetFilter(base + QStringLiteral(" and (result <= %1)").arg(ResultForRank(resultField)));
      protocol.Edit();
      int best = -1;
      for (normative.First(); !normative.Eof(); normative.Next()) {
        if (best < 0 || RankSeniority(rankRef.AsInteger()) < RankSeniority(best)) {
          best = rankRef.AsInteger();
        }
      }
      if (best >= 0) {
        madeRankField.SetAsInteger(best);
      } else {
        madeRankField.Clear();
      }
      protocol.Post();
    }
  }
  normative.SetFiltered(false);
}
