// The discipline protocols' rules at the sizes of a big competition, each
// beside a plain walk over the same rows in the same run: places renumbered
// after one result in a class view of 200 rows, the three protocols built
// from a register of 1,000 competitors, achieved ranks over 200 rows against
// the same ranks found by a filter per row.
#include <benchmark/benchmark.h>

#include <chrono>

#include "app/data/tables.h"
#include "app/protocol_rules.h"
#include "bench/app/lookup_tables.h"
#include "tests/app/ranks_filtered_per_row.h"

namespace {

using Clock = std::chrono::steady_clock;

// The register of count men, with the rank and sex lookups the copy into the
// protocols reads.
void FillRegister(TCompetitionTables& tables, int count) {
  FillLookupTables(tables);
  TClientDataSet& reg = tables.dsCompetitor;
  reg.CreateDataSet();
  for (int i = 0; i < count; ++i) {
    reg.Append();
    reg.FieldByName(QStringLiteral("Name")).SetAsString(QStringLiteral("Спортсмен %1").arg(i));
    reg.FieldByName(QStringLiteral("SexRef")).SetAsInteger(1);
    reg.FieldByName(QStringLiteral("Weight")).SetAsFloat(64 + (i % 40) / 10.0);
    reg.FieldByName(QStringLiteral("Team")).SetAsString(QStringLiteral("Команда %1").arg(i % 30));
    reg.FieldByName(QStringLiteral("Snatch")).SetAsBoolean(true);
    reg.FieldByName(QStringLiteral("LongCycle")).SetAsBoolean(i % 2 == 0);
    reg.FieldByName(QStringLiteral("Biathlon")).SetAsBoolean(i % 3 == 0);
    reg.FieldByName(QStringLiteral("AtTheTeam")).SetAsBoolean(true);
    reg.Post();
  }
}

// A snatch protocol of one class view: count rows with results.
struct TClassView {
  TCompetitionTables Tables;
  explicit TClassView(int count) {
    FillRegister(Tables, count);
    BuildProtocol(Tables.dsCompetitor, QStringLiteral("Snatch<>0"), Tables.dsSnatch);
    TClientDataSet& snatch = Tables.dsSnatch;
    // In the order of entry while the results go in, so no row moves under the walk.
    const QString index = snatch.IndexName();
    snatch.SetIndexName(QString());
    int result = 1;
    for (snatch.First(); !snatch.Eof(); snatch.Next()) {
      snatch.Edit();
      snatch.FieldByName(QStringLiteral("Result")).SetAsInteger(result++ % 150);
      snatch.Post();
    }
    snatch.SetIndexName(index);
    snatch.SetFilter(QStringLiteral("SexRef=1 and Weight > 63 and Weight <= 68"));
    snatch.SetFiltered(true);
  }
};

void BM_WalkView200(benchmark::State& state) {
  TClassView view(200);
  TClientDataSet& snatch = view.Tables.dsSnatch;
  TField& result = snatch.FieldByName(QStringLiteral("Result"));
  if (snatch.RecordCount() != 200) {
    state.SkipWithError("the class view does not hold 200 rows");
  }
  for (auto _ : state) {
    int sum = 0;
    for (snatch.First(); !snatch.Eof(); snatch.Next()) {
      sum += result.AsInteger();
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_WalkView200)->Unit(benchmark::kMicrosecond);

void BM_NumberPlacesAfterOneResult200(benchmark::State& state) {
  TClassView view(200);
  TClientDataSet& snatch = view.Tables.dsSnatch;
  TField& result = snatch.FieldByName(QStringLiteral("Result"));
  int value = 0;
  for (auto _ : state) {
    snatch.SetRecNo(100);
    snatch.Edit();
    result.SetAsInteger(value++ % 150);
    NumberPlaces(snatch);
  }
}
BENCHMARK(BM_NumberPlacesAfterOneResult200)->Unit(benchmark::kMicrosecond);

void BM_BuildThreeProtocols1000(benchmark::State& state) {
  TCompetitionTables tables;
  FillRegister(tables, 1000);
  for (auto _ : state) {
    BuildProtocol(tables.dsCompetitor, QStringLiteral("Snatch<>0"), tables.dsSnatch);
    BuildProtocol(tables.dsCompetitor, QStringLiteral("LongCycle<>0"), tables.dsLongCycle);
    BuildProtocol(tables.dsCompetitor, QStringLiteral("Biathlon<>0"), tables.dsBiathlon);
  }
}
BENCHMARK(BM_BuildThreeProtocols1000)->Unit(benchmark::kMillisecond);

// Requirements of the shipped file's size, some 800 rows over every
// discipline, class, kettlebell and sex.
void FillNormative(TClientDataSet& normative) {
  normative.CreateDataSet();
  const char* disciplines[] = {"Рывок", "Толчок ДЦ", "Двоеборье"};
  const int ranks[] = {21, 2, 3, 4, 5, 6, 7, 8, 9};
  for (const char* discipline : disciplines) {
    for (const int sex : {0, 1}) {
      for (const int limit : {63, 68, 73, 78, 85}) {
        for (const int weight : {16, 24, 32}) {
          for (int r = 0; r < int(std::size(ranks)); ++r) {
            normative.Append();
            normative.FieldByName(QStringLiteral("Discipline")).SetAsString(QString::fromUtf8(discipline));
            normative.FieldByName(QStringLiteral("WeightClass")).SetAsString(QString::number(limit));
            normative.FieldByName(QStringLiteral("SexRef")).SetAsInteger(sex);
            normative.FieldByName(QStringLiteral("RankRef")).SetAsInteger(ranks[r]);
            normative.FieldByName(QStringLiteral("DumbbellWeight")).SetAsInteger(weight);
            normative.FieldByName(QStringLiteral("Result")).SetAsInteger(140 - r * 12);
            normative.Post();
          }
        }
      }
    }
  }
}

// The achieved ranks of a class view of 200 rows, beside the same ranks found
// by a filter of the requirements per row (the rule's first form) in the
// same run.
void BM_SetMadeRanks200AgainstAFilterPerRow(benchmark::State& state) {
  TClassView view(200);
  TClientDataSet& normative = view.Tables.dsNormative;
  FillNormative(normative);
  TClientDataSet& snatch = view.Tables.dsSnatch;
  TField& result = snatch.FieldByName(QStringLiteral("Result"));
  TField& madeRank = snatch.FieldByName(QStringLiteral("MadeRankRef"));
  const auto seconds = [](auto&& work) {
    const auto t0 = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - t0).count();
  };
  double onePass = 0;
  double perRow = 0;
  for (auto _ : state) {
    onePass += seconds([&] {
      SetMadeRanks(normative, QStringLiteral("Рывок"), QStringLiteral("32"), QStringLiteral("68"), 1, result,
                   madeRank);
    });
    perRow += seconds([&] {
      RanksByFilterPerRow(normative, QStringLiteral("Рывок"), QStringLiteral("32"), QStringLiteral("68"), 1,
                          result, madeRank);
    });
  }
  const double runs = double(state.iterations());
  state.counters["requirements"] = double(normative.RecordCount());
  state.counters["one_pass_ms"] = onePass * 1000 / runs;
  state.counters["filter_per_row_ms"] = perRow * 1000 / runs;
  state.counters["filter_per_row_over_one_pass"] = perRow / onePass;
}
BENCHMARK(BM_SetMadeRanks200AgainstAFilterPerRow)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
