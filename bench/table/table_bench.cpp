// The table engine against baselines measured in the same run: loading a
// 10,000-version packet against a pugixml parse of the same bytes, the save
// throughput, the save to a file on the wall clock against a plain durable
// write of the same bytes, a filter over 1,000 rows and the re-sort after a
// post; and the loads that must grow in step with the file: 20,000 columns
// against 2,000 (beside a plain parse's growth between the same two packets),
// and a change log chaining 100,000 versions against the same rows without.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>

#include <QFile>

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

// The save to a file as the user waits for it, on the wall clock: the
// packet built, written through a temporary file, synced to the disk and
// renamed into place. Its baseline in the same run: the same bytes written
// to a file with a plain write and one sync, the least a durable write
// costs.
void BM_SaveToFile(benchmark::State& state) {
  QTemporaryDir dir;
  TClientDataSet t("dsCompetitor");
  DefineRegister(t);
  t.LoadFromBytes(TenThousandVersions());
  const QString path = dir.filePath("Competitor.xml");
  const QByteArray bytes = t.SaveToBytes();
  double save = 0;
  double plain = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    t.SaveToFile(path, 1);
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    save += seconds;
    state.SetIterationTime(seconds);

    t0 = Clock::now();
    const int fd = ::open(QFile::encodeName(dir.filePath("plain.xml")).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    benchmark::DoNotOptimize(::write(fd, bytes.constData(), size_t(bytes.size())));
    ::fsync(fd);
    ::close(fd);
    plain += std::chrono::duration<double>(Clock::now() - t0).count();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * bytes.size());
  const double runs = double(state.iterations());
  state.counters["save_ms"] = save * 1000 / runs;
  state.counters["plain_write_ms"] = plain * 1000 / runs;
  state.counters["save_over_plain_write"] = save / plain;
}
BENCHMARK(BM_SaveToFile)->Unit(benchmark::kMillisecond)->UseManualTime()->MinTime(2.0);

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

// A team protocol packet of many columns (the program makes one per
// discipline, sex and weight class), each row holding every column.
QByteArray WidePacket(int columns, int rows) {
  QByteArray packet =
      "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
      "<FIELD attrname=\"Team\" fieldtype=\"string\" WIDTH=\"255\"/>";
  QByteArray row = " Team=\"Dynamo\"";
  for (int c = 0; c < columns; ++c) {
    const QByteArray name = "LC_" + QByteArray::number(c % 2) + "_" + QByteArray::number(c);
    packet += "<FIELD attrname=\"" + name + "\" fieldtype=\"i4\"/>";
    row += " " + name + "=\"" + QByteArray::number(c % 97) + "\"";
  }
  packet += "</FIELDS><PARAMS/></METADATA><ROWDATA>";
  for (int r = 0; r < rows; ++r) {
    packet += "<ROW" + row + "/>";
  }
  return packet + "</ROWDATA></DATAPACKET>";
}

// Seconds one load of the packet into a table without fields takes, the
// best of a few: on a shared machine the best is the load nothing else
// disturbed.
double BestLoad(const QByteArray& bytes, int rounds) {
  double best = 1e9;
  for (int i = 0; i < rounds; ++i) {
    auto table = std::make_unique<TClientDataSet>("dsTeamProtocol");
    const auto t0 = Clock::now();
    table->LoadFromBytes(bytes);
    best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
    benchmark::DoNotOptimize(table->RecordCount());
  }
  return best;
}

struct TLoad {
  const char* Name;
  QByteArray Bytes;
  int Rounds;
};

// Both loads' times and the second's over the first's.
void CompareLoads(benchmark::State& state, const TLoad& base, const TLoad& other, const char* ratioName) {
  double baseSeconds = 0;
  double otherSeconds = 0;
  for (auto _ : state) {
    baseSeconds = BestLoad(base.Bytes, base.Rounds);
    otherSeconds = BestLoad(other.Bytes, other.Rounds);
  }
  state.counters[base.Name] = baseSeconds * 1000;
  state.counters[other.Name] = otherSeconds * 1000;
  state.counters[ratioName] = otherSeconds / baseSeconds;
}

// Seconds one pugixml parse of the bytes takes, the best of a few.
double BestParse(const QByteArray& bytes, int rounds) {
  double best = 1e9;
  for (int i = 0; i < rounds; ++i) {
    auto doc = std::make_unique<pugi::xml_document>();
    const auto t0 = Clock::now();
    benchmark::DoNotOptimize(doc->load_buffer(bytes.constData(), size_t(bytes.size())));
    best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
  }
  return best;
}

// Ten times the columns is ten times the bytes and the values; beside our
// ratio the same run gives a plain parse's of the same two packets, which
// meets the same growth of memory past the caches, and our ratio over it
// (1 when loading grows exactly as parsing does).
void BM_Load20000ColumnsAgainst2000(benchmark::State& state) {
  const QByteArray narrow = WidePacket(2000, 10);
  const QByteArray wide = WidePacket(20000, 10);
  CompareLoads(state, {"load_2000_ms", narrow, 30}, {"load_20000_ms", wide, 10}, "wide_over_narrow");
  const double parseRatio = BestParse(wide, 10) / BestParse(narrow, 30);
  state.counters["parse_wide_over_narrow"] = parseRatio;
  state.counters["load_ratio_over_parse_ratio"] = state.counters["wide_over_narrow"] / parseRatio;
}
BENCHMARK(BM_Load20000ColumnsAgainst2000)->Unit(benchmark::kMillisecond)->Iterations(1);

// 100,000 row versions, all of them current (no RowState), with and without
// a log in which each replaces the one before: a damaged file's history.
QByteArray VersionsPacket(int versions, bool chained) {
  QByteArray packet =
      "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
      "<FIELD attrname=\"Name\" fieldtype=\"string\" WIDTH=\"255\"/>"
      "<FIELD attrname=\"Weight\" fieldtype=\"r8\"/></FIELDS>";
  if (chained) {
    packet += "<PARAMS CHANGE_LOG=\"1 0 4";
    for (int n = 2; n <= versions; ++n) {
      packet += " " + QByteArray::number(n) + " " + QByteArray::number(n - 1) + " 8";
    }
    packet += "\"/>";
  } else {
    packet += "<PARAMS/>";
  }
  packet += "</METADATA><ROWDATA>";
  for (int n = 0; n < versions; ++n) {
    packet += "<ROW Name=\"Athlete " + QByteArray::number(n % 300) + "\" Weight=\"" +
              QByteArray::number(55 + n % 50) + "\"/>";
  }
  return packet + "</ROWDATA></DATAPACKET>";
}

void BM_Load100000ChainedVersionsAgainstUnchained(benchmark::State& state) {
  CompareLoads(state, {"unchained_ms", VersionsPacket(100000, false), 5},
               {"chained_ms", VersionsPacket(100000, true), 5}, "chained_over_unchained");
}
BENCHMARK(BM_Load100000ChainedVersionsAgainstUnchained)->Unit(benchmark::kMillisecond)->Iterations(1);

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
