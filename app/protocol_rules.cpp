#include "app/protocol_rules.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <iterator>
#include <vector>

#include "common/record_copy.h"
#include "platform/core/fmt.h"
#include "protocol/cleanup.h"

namespace {

void NumberView(TClientDataSet& protocol) {
  TField& position = protocol.FieldByName(QStringLiteral("Position"));
  // First posts the edit in progress, so the new result has its place in the
  // index before anybody is numbered.
  protocol.First();
  int place = 1;
  while (!protocol.Eof()) {
    protocol.Edit();
    position.SetAsInteger(place);
    protocol.Post();
    ++place;
    protocol.Next();
  }
}

// Runs Body with the table's controls disabled; afterwards the cursor goes
// back to the line it was on, whatever happened.
template <class F>
void KeepingLine(TClientDataSet& table, F body) {
  table.DisableControls();
  const int line = table.RecNo();
  RunProtected(body, {[&] { table.SetRecNo(line); }, [&] { table.EnableControls(); }});
}

// Runs Body on the rows that pass Filter, with the table's controls
// disabled; afterwards the table shows its own view again, on the row it was
// on, whatever happened.
template <class F>
void InView(TClientDataSet& table, const QString& filter, F body) {
  table.DisableControls();
  const bool filtered = table.Filtered();
  const QString own = table.Filter();
  const TBookmark row = table.GetBookmark();
  RunProtected(
      [&] {
        table.SetFilter(filter);
        table.SetFiltered(true);
        body();
      },
      {[&] { table.SetFiltered(false); }, [&] { table.SetFilter(own); }, [&] { table.SetFiltered(filtered); },
       [&] {
         if (table.BookmarkValid(row)) {
           table.GotoBookmark(row);
         }
       },
       [&] { table.EnableControls(); }});
}

}  // namespace

void AppendAllRecords(TClientDataSet& Source, TClientDataSet& Dest) {
  Source.DisableControls();
  Dest.DisableControls();
  RunProtected(
      [&] {
        Source.First();
        while (!Source.Eof()) {
          Dest.Insert();
          try {
            CopyRecordByFieldNames(Source, Dest);
            Dest.Post();
          } catch (...) {
            // A refused value leaves no half-copied row behind to be posted by
            // the next move.
            if (Dest.State() == TDataSetState::dsInsert) {
              Dest.Cancel();
            }
            throw;
          }
          Source.Next();
        }
      },
      {[&] { Dest.EnableControls(); }, [&] { Source.EnableControls(); }});
}

void BuildProtocol(TClientDataSet& Register, const QString& RegisterFilter, TClientDataSet& Protocol) {
  const bool filtered = Register.Filtered();
  const QString filter = Register.Filter();
  RunProtected(
      [&] {
        Protocol.Close();
        Register.SetFilter(RegisterFilter);
        Register.SetFiltered(true);
        Protocol.CreateDataSet();
        AppendAllRecords(Register, Protocol);
      },
      {[&] { Register.SetFiltered(filtered); }, [&] { Register.SetFilter(filter); }});
}

void NumberPlaces(TClientDataSet& Protocol) {
  KeepingLine(Protocol, [&] { NumberView(Protocol); });
}

QString WeightRangeFilter(int Sex, std::optional<int> Lower, int Upper) {
  QString filter = QStringLiteral("SexRef=") + QString::number(Sex);
  if (Lower) {
    filter += QStringLiteral(" and Weight > ") + QString::number(*Lower);
  }
  return filter + QStringLiteral(" and Weight <= ") + QString::number(Upper);
}

bool HasRowsIn(TClientDataSet& Protocol, const QString& Filter) {
  bool any = false;
  InView(Protocol, Filter, [&] { any = !Protocol.IsEmpty(); });
  return any;
}

void NumberPlacesIn(TClientDataSet& Protocol, const QString& Filter) {
  InView(Protocol, Filter, [&] { NumberView(Protocol); });
}

namespace {

std::vector<int> Ascending(std::vector<int> limits) {
  std::sort(limits.begin(), limits.end());
  limits.erase(std::unique(limits.begin(), limits.end()), limits.end());
  return limits;
}

// Those of A that B lacks; both ascending.
std::vector<int> Lacking(const std::vector<int>& a, const std::vector<int>& b) {
  std::vector<int> lacking;
  std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(lacking));
  return lacking;
}

// The class holding a body weight of Weight: the lowest limit not below it.
std::optional<int> ClassHolding(const std::vector<int>& limits, int weight) {
  const auto holding = std::lower_bound(limits.begin(), limits.end(), weight);
  return holding == limits.end() ? std::nullopt : std::optional<int>(*holding);
}

std::optional<int> LowerLimit(const std::vector<int>& limits, int limit) {
  const auto at = std::lower_bound(limits.begin(), limits.end(), limit);
  return at == limits.begin() ? std::nullopt : std::optional<int>(*std::prev(at));
}

}  // namespace

std::optional<int> ClassAfterChange(const std::vector<int>& Before, const std::vector<int>& After,
                                    int Limit) {
  const std::vector<int> before = Ascending(Before);
  const std::vector<int> after = Ascending(After);
  if (std::binary_search(after.begin(), after.end(), Limit)) {
    return Limit;
  }
  const std::vector<int> gone = Lacking(before, after);
  const std::vector<int> came = Lacking(after, before);
  if (gone.size() == 1 && came.size() == 1 && gone.front() == Limit) {
    return came.front();
  }
  return std::nullopt;
}

std::vector<TClassMove> ClassMoves(const std::vector<int>& Before, const std::vector<int>& After) {
  const std::vector<int> before = Ascending(Before);
  const std::vector<int> after = Ascending(After);
  std::vector<int> bounds;
  std::set_union(before.begin(), before.end(), after.begin(), after.end(), std::back_inserter(bounds));
  // Between two neighbouring limits of either list every body weight is in
  // one class before and one after; above the last nobody is in any.
  std::vector<TClassMove> moves;
  std::optional<int> lower;
  for (const int upper : bounds) {
    const std::optional<int> was = ClassHolding(before, upper);
    const std::optional<int> from = was ? ClassAfterChange(before, after, *was) : std::nullopt;
    const std::optional<int> to = ClassHolding(after, upper);
    if (from != to) {
      if (!moves.empty() && moves.back().Upper == lower && moves.back().From == from &&
          moves.back().To == to) {
        moves.back().Upper = upper;
      } else {
        moves.push_back({lower, upper, from, to});
      }
    }
    lower = upper;
  }
  return moves;
}

QString ClassFilter(int Sex, const std::vector<int>& After, int Limit) {
  return WeightRangeFilter(Sex, LowerLimit(Ascending(After), Limit), Limit);
}

std::vector<int> ClassesToRenumber(TClientDataSet& Protocol, int Sex, const std::vector<TClassMove>& Moves,
                                   const std::vector<int>& After) {
  std::vector<int> touched;
  for (const TClassMove& move : Moves) {
    if (HasRowsIn(Protocol, WeightRangeFilter(Sex, move.Lower, move.Upper))) {
      for (const std::optional<int>& limit : {move.From, move.To}) {
        if (limit) {
          touched.push_back(*limit);
        }
      }
    }
  }
  touched = Ascending(touched);
  std::vector<int> classes;
  for (const int limit : touched) {
    if (HasRowsIn(Protocol, ClassFilter(Sex, After, limit))) {
      classes.push_back(limit);
    }
  }
  return classes;
}

void SumBiathlon(TField& Result) {
  TClientDataSet& biathlon = Result.DataSet();
  TField& snatch = biathlon.FieldByName(QStringLiteral("JerkResult"));
  TField& summa = biathlon.FieldByName(QStringLiteral("Summa"));
  if (&Result != &snatch && snatch.IsNull() && summa.IsNull()) {
    return;
  }
  KeepingLine(biathlon, [&] {
    biathlon.Edit();
    TField& jerkPoint = biathlon.FieldByName(QStringLiteral("JerkPoint"));
    jerkPoint.SetAsFloat(snatch.AsInteger() / 2.0);
    summa.SetAsFloat(biathlon.FieldByName(QStringLiteral("PutResult")).AsInteger() + jerkPoint.AsFloat());
    biathlon.Post();
    NumberView(biathlon);
  });
}

TValue PointsForPlace(const TValue& Place) {
  if (!Place.isValid()) {
    return {};
  }
  switch (const int place = Place.toInt()) {
    case 1:
      return 20;
    case 2:
      return 18;
    case 3:
      return 16;
    default:
      if (place >= 4 && place <= 18) {
        return 19 - place;
      }
      return {};
  }
}

void AwardPoints(TField& PlaceField, TField& PointField, TField& ConditionField) {
  TClientDataSet& protocol = PlaceField.DataSet();
  protocol.DisableControls();
  RunProtected(
      [&] {
        protocol.First();
        while (!protocol.Eof()) {
          if (ConditionField.AsBoolean()) {
            protocol.Edit();
            PointField.SetValue(PointsForPlace(PlaceField.Value()));
            protocol.Post();
          }
          protocol.Next();
        }
      },
      {[&] { protocol.EnableControls(); }});
}

int RankSeniority(int RankRef) {
  static constexpr int kOrder[] = {1, 21, 2, 3, 4, 5, 6, 7, 8, 9};
  for (int i = 0; i < int(std::size(kOrder)); ++i) {
    if (kOrder[i] == RankRef) {
      return i;
    }
  }
  return int(std::size(kOrder));
}

int ResultForRank(const TField& Result) {
  if (Result.DataType() == TFieldType::ftFloat) {
    // The program never leaves the default rounding mode: halves go to the
    // even neighbour. A sum beyond the integers (two results near their
    // limits) counts as the nearest one.
    return int(std::clamp(std::nearbyint(Result.AsFloat()), double(INT_MIN), double(INT_MAX)));
  }
  return Result.AsInteger();
}

QString OpenClassName(TClientDataSet& WeightClasses) {
  if (!WeightClasses.Active() || WeightClasses.IsEmpty()) {
    return QString();
  }
  WeightClasses.Last();
  if (WeightClasses.RecordCount() > 1) {
    WeightClasses.Prior();
  }
  return WeightClasses.FieldByName(QStringLiteral("Weight")).AsString() + u'+';
}

void SetMadeRanks(TClientDataSet& Normative, const QString& Discipline, const QString& DumbbellWeight,
                  const QString& WeightClass, int Sex, TField& ResultField, TField& MadeRankField) {
  if (!Normative.Active()) {
    return;
  }
  TClientDataSet& protocol = ResultField.DataSet();
  Normative.DisableControls();
  RunProtected(
      [&] {
        // One filter for the key; the few requirements it leaves are then
        // compared with each row's result in memory, in the view's order, so
        // that of two ranks of one seniority the first listed wins, as a
        // filter per row would give it.
        Normative.SetFilter(Fmt(
            QStringLiteral(
                "(upper(Discipline)='%s') and (DumbbellWeight=%s) and (WeightClass='%s') and (SexRef=%d)"),
            {Discipline.toUpper(), DumbbellWeight, WeightClass, QString::number(Sex)}));
        Normative.SetFiltered(true);
        if (Normative.IsEmpty()) {
          return;
        }
        struct TRequirement {
          int Result;
          int RankRef;
        };
        std::vector<TRequirement> requirements;
        TField& required = Normative.FieldByName(QStringLiteral("Result"));
        TField& rankRef = Normative.FieldByName(QStringLiteral("RankRef"));
        for (Normative.First(); !Normative.Eof(); Normative.Next()) {
          // A requirement without a result is reached by no result.
          if (!required.IsNull()) {
            requirements.push_back({required.AsInteger(), rankRef.AsInteger()});
          }
        }
        protocol.DisableControls();
        RunProtected(
            [&] {
              protocol.First();
              while (!protocol.Eof()) {
                const int result = ResultForRank(ResultField);
                int best = -1;
                for (const TRequirement& r : requirements) {
                  if (r.Result <= result && (best < 0 || RankSeniority(r.RankRef) < RankSeniority(best))) {
                    best = r.RankRef;
                  }
                }
                protocol.Edit();
                if (best >= 0) {
                  MadeRankField.SetAsInteger(best);
                } else {
                  MadeRankField.Clear();
                }
                protocol.Post();
                protocol.Next();
              }
            },
            {[&] { protocol.EnableControls(); }});
      },
      {[&] { Normative.SetFiltered(false); }, [&] { Normative.EnableControls(); }});
}
