// The table engine against baselines measured in the same run: loading a
// 10,000-version packet against a pugixml parse of the same bytes, the save
// throughput, a filter over 1,000 rows and the re-sort after a post.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <QTemporaryDir>
#include <chrono>
#include <memory>
#include <pugixml.hpp>

#include "platform/core/format_settings.h"
#include "platform/table/client_dataset.h"

namespace {

using Clock = std::chrono::steady_clock;

// The competitor register's fields: the widest table of the program.
void DefineRegister(TClientDataSet& t) {
  t.AddField("Name", TFieldType::ftString, 255);
  t.AddField("Passport", TFieldType::ftString, 255);
  t.AddField("Birthday", TFieldType::ftDate);
  t.AddField("RankRef", TFieldType::ftInteger);
  t.AddField("Team", TFieldType::ftString, 255);
  t.AddField("Trainer", TFieldType::ftString, 1024);
  t.AddField("Weight", TFieldType::ftFloat);
  t.AddField("SexRef", TFieldType::ftInteger);
  t.AddField("RealWeight", TFieldType::ftFloat);
  t.AddField("Biathlon", TFieldType::ftBoolean);
  t.AddField("LongCycle", TFieldType::ftBoolean);
  t.AddField("Snatch", TFieldType::ftBoolean);
  t.AddField("BestResSnatch", TFieldType::ftInteger);
  t.AddField("BestResLongCycle", TFieldType::ftInteger);
  t.AddField("BestResBiathlon", TFieldType::ftFloat);
  t.AddField("AtTheTeam", TFieldType::ftBoolean);
  t.AddField("BestResJerk", TFieldType::ftInteger);
}

void FillRow(TClientDataSet& t, int i) {
  static const char* const teams[] = {"Динамо", "Спартак", "ЦСКА", "Локомотив", "Зенит & Co"};
  t.FieldByName("Name").SetAsString(QStringLiteral("Спортсмен %1 Иванович").arg(i));
  t.FieldByName("Passport")
      .SetAsString(QStringLiteral("45 0%1 123456, выдан ОВД \"Центральный\"").arg(i % 10));
  t.FieldByName("Birthday").SetAsDateTime(QDate(1980 + i % 25, 1 + i % 12, 1 + i % 28));
  t.FieldByName("RankRef").SetAsInteger(i % 10);
  t.FieldByName("Team").SetAsString(QString::fromUtf8(teams[i % 5]));
  t.FieldByName("Trainer").SetAsString(QStringLiteral("Петров П. П., Сидоров С. С."));
  t.FieldByName("Weight").SetAsFloat(55 + (i % 500) / 10.0);
  t.FieldByName("SexRef").SetAsInteger(i % 2);
  t.FieldByName("RealWeight").SetAsFloat(55.25 + (i % 500) / 10.0);
  t.FieldByName("Biathlon").SetAsBoolean(i % 3 == 0);
  t.FieldByName("LongCycle").SetAsBoolean(i % 3 == 1);
  t.FieldByName("Snatch").SetAsBoolean(true);
  t.FieldByName("BestResSnatch").SetAsInteger(50 + i % 100);
  t.FieldByName("BestResLongCycle").SetAsInteger(40 + i % 80);
  t.FieldByName("AtTheTeam").SetAsBoolean(i % 4 != 0);
}

// 300 rows, edited over and over until the file holds 10,000 versions.
const QByteArray& TenThousandVersions() {
  static const QByteArray bytes = [] {
    TClientDataSet t("dsCompetitor");
    DefineRegister(t);
    t.CreateDataSet();
    for (int i = 0; i < 300; ++i) {
      t.Append();
      FillRow(t, i);
      t.Post();
    }
    for (int i = 300; t.VersionCount() < 10000; ++i) {
      t.SetRecNo(1 + i * 7 % 300);
      t.Edit();
      FillRow(t, i);
      t.Post();
    }
    return t.SaveToBytes();
  }();
  return bytes;
}

void BM_LoadAgainstPugixml(benchmark::State& state) {
  const QByteArray& bytes = TenThousandVersions();
  // Each side runs a few times in a row, so that neither meets the heap as
  // the other left it; only the loads are timed, not freeing what they built.
  constexpr int kRounds = 4;
  double ours = 0;
  double pugi = 0;
  for (auto _ : state) {
    for (int i = 0; i < kRounds; ++i) {
      auto doc = std::make_unique<pugi::xml_document>();
      const auto t0 = Clock::now();
      benchmark::DoNotOptimize(doc->load_buffer(bytes.constData(), size_t(bytes.size())));
      pugi += std::chrono::duration<double>(Clock::now() - t0).count();
    }
    for (int i = 0; i < kRounds; ++i) {
      auto table = std::make_unique<TClientDataSet>("dsCompetitor");
      DefineRegister(*table);
      const auto t0 = Clock::now();
      table->LoadFromBytes(bytes);
      ours += std::chrono::duration<double>(Clock::now() - t0).count();
      benchmark::DoNotOptimize(table->RecordCount());
    }
  }
  const double runs = double(state.iterations()) * kRounds;
  state.counters["bytes"] = double(bytes.size());
  state.counters["load_ms"] = ours * 1000 / runs;
  state.counters["pugixml_ms"] = pugi * 1000 / runs;
  state.counters["load_over_pugixml"] = ours / pugi;
}
BENCHMARK(BM_LoadAgainstPugixml)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_SaveToBytes(benchmark::State& state) {
  TClientDataSet t("dsCompetitor");
  DefineRegister(t);
  t.LoadFromBytes(TenThousandVersions());
  qsizetype size = 0;
  for (auto _ : state) {
    const QByteArray out = t.SaveToBytes();
    size = out.size();
    benchmark::DoNotOptimize(out.constData());
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * size);
}
BENCHMARK(BM_SaveToBytes)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same with the atomic write to a file, as SaveToFile does it.
void BM_SaveToFile(benchmark::State& state) {
  QTemporaryDir dir;
  TClientDataSet t("dsCompetitor");
  DefineRegister(t);
  t.LoadFromBytes(TenThousandVersions());
  const QString path = dir.filePath("Competitor.xml");
  for (auto _ : state) {
    t.SaveToFile(path, 1);
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * TenThousandVersions().size());
}
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void FillThousand(TClientDataSet& t) {
  t.CreateDataSet();
  t.DisableControls();
  for (int i = 0; i < 1000; ++i) {
    t.Append();
    FillRow(t, i);
    t.Post();
  }
  t.EnableControls();
}

// A class filter of the weighing tab over 1,000 rows: compiled and applied.
void BM_Filter1000Rows(benchmark::State& state) {
  TClientDataSet t("dsCompetitor");
  DefineRegister(t);
  FillThousand(t);
  t.SetFilter("(SexRef=1) and (Weight>68) and (Weight<=73)");
  for (auto _ : state) {
    t.SetFiltered(true);
    benchmark::DoNotOptimize(t.RecordCount());
    t.SetFiltered(false);
  }
}
BENCHMARK(BM_Filter1000Rows)->Unit(benchmark::kMicrosecond);

// A result typed into a 1,000-row protocol: the post re-sorts the index.
void BM_PostInIndexOf1000Rows(benchmark::State& state) {
  TClientDataSet t("dsCompetitor");
  DefineRegister(t);
  t.AddIndexDef({"byResult", "BestResSnatch;Weight", ixDescending, "BestResSnatch"});
  t.SetIndexName("byResult");
  FillThousand(t);
  int i = 0;
  for (auto _ : state) {
    t.SetRecNo(1 + i * 37 % 1000);
    t.Edit();
    t.FieldByName("BestResSnatch").SetAsInteger(i * 13 % 200);
    t.Post();
    ++i;
  }
}
BENCHMARK(BM_PostInIndexOf1000Rows)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  // Freed memory stays in the process: the comparisons then measure the
  // parsing and building, not the kernel handing pages back and forth
  // (which favours neither side, but makes the figures jump).
  mallopt(M_MMAP_THRESHOLD, 256 << 20);
  mallopt(M_TRIM_THRESHOLD, 512 << 20);
  SetFormatSettings(TFormatSettings{u',', QStringLiteral("dd.MM.yyyy")});
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
