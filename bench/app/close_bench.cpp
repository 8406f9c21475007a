// The close of the window as the secretary waits for it, on the wall clock
// (the syncs to the disk included): a register of 700 merged into a
// competitor handbook of 20,000, the changed files and the settings written.
// Its baseline, in the same run: writing that handbook's file alone.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <chrono>
#include <memory>

#include "app/data/tables.h"
#include "app/main_window.h"
#include "platform/core/format_settings.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kHandbookRows = 20000;
constexpr int kRegisterRows = 700;

QString DataFolder() {
  return qEnvironmentVariable("XDG_DATA_HOME") + QStringLiteral("/Tyazharnet-protocol/");
}

void FillCompetitor(TClientDataSet& t, int i, const QString& team) {
  t.FieldByName(QStringLiteral("Name")).SetAsString(QStringLiteral("Спортсмен %1 Иванович").arg(i));
  t.FieldByName(QStringLiteral("Passport")).SetAsString(QStringLiteral("45 0%1 123456").arg(i % 10));
  t.FieldByName(QStringLiteral("Birthday")).SetAsDateTime(QDate(1980 + i % 25, 1 + i % 12, 1 + i % 28));
  t.FieldByName(QStringLiteral("RankRef")).SetAsInteger(i % 10);
  t.FieldByName(QStringLiteral("Team")).SetAsString(team);
  t.FieldByName(QStringLiteral("Trainer")).SetAsString(QStringLiteral("Петров П. П."));
  t.FieldByName(QStringLiteral("Weight")).SetAsFloat(55 + (i % 500) / 10.0);
  t.FieldByName(QStringLiteral("SexRef")).SetAsInteger(i % 2);
}

// The two files of a federation's data folder: a handbook of every
// competitor of past seasons, and this meet's register, half of whom the
// handbook knows (with a team that changed since), half new.
struct TFiles {
  QByteArray Handbook;
  QByteArray Register;
  TFiles() {
    TCompetitionTables tables;
    TClientDataSet& handbook = tables.dsCompetitorHB;
    handbook.CreateDataSet();
    for (int i = 0; i < kHandbookRows; ++i) {
      handbook.Append();
      FillCompetitor(handbook, i, QStringLiteral("Команда %1").arg(i % 40));
      handbook.Post();
    }
    Handbook = handbook.SaveToBytes();
    TClientDataSet& register_ = tables.dsCompetitor;
    register_.CreateDataSet();
    for (int i = 0; i < kRegisterRows; ++i) {
      register_.Append();
      const int known = i * (kHandbookRows / kRegisterRows);
      FillCompetitor(register_, i % 2 == 0 ? known : kHandbookRows + i, QStringLiteral("Динамо"));
      register_.Post();
    }
    Register = register_.SaveToBytes();
  }
};

void Put(const QString& name, const QByteArray& bytes) {
  QFile file(DataFolder() + name);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    file.write(bytes);
  }
}

void BM_CloseWithA20000RowHandbook(benchmark::State& state) {
  static const TFiles files;
  double close = 0;
  double handbookWrite = 0;
  for (auto _ : state) {
    // A first close each time: the settings files are written as well.
    QDir(DataFolder()).removeRecursively();
    QDir().mkpath(DataFolder());
    Put(QStringLiteral("CompetitorHB.xml"), files.Handbook);
    Put(QStringLiteral("Competitor.xml"), files.Register);
    auto window = std::make_unique<TfrmMain>();
    window->show();
    window->pcMain->setCurrentWidget(window->tbshCredentialsCommittee);
    QApplication::processEvents();

    auto t0 = Clock::now();
    window->close();
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    close += seconds;
    state.SetIterationTime(seconds);

    t0 = Clock::now();
    window->dsCompetitorHB.SaveToFile();
    handbookWrite += std::chrono::duration<double>(Clock::now() - t0).count();
    benchmark::DoNotOptimize(window->dsCompetitorHB.RecordCount());
    window.reset();
  }
  const double runs = double(state.iterations());
  state.counters["close_ms"] = close * 1000 / runs;
  state.counters["handbook_write_ms"] = handbookWrite * 1000 / runs;
  state.counters["close_over_handbook_write"] = close / handbookWrite;
}
BENCHMARK(BM_CloseWithA20000RowHandbook)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  // The window finds its data folder through the user's folders: all of them
  // in a folder of this run.
  QTemporaryDir root;
  for (const char* sub : {"home", "config", "data", "cache", "registry", "runtime"}) {
    QDir(root.path()).mkpath(QString::fromLatin1(sub));
  }
  qputenv("HOME", (root.path() + "/home").toUtf8());
  qputenv("XDG_CONFIG_HOME", (root.path() + "/config").toUtf8());
  qputenv("XDG_DATA_HOME", (root.path() + "/data").toUtf8());
  qputenv("XDG_CACHE_HOME", (root.path() + "/cache").toUtf8());
  qputenv("XDG_RUNTIME_DIR", (root.path() + "/runtime").toUtf8());
  qputenv("TYAZHAR_REGISTRY_ROOT", (root.path() + "/registry").toUtf8());
  QFile::setPermissions(root.path() + "/runtime", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  SetFormatSettings(TFormatSettings{u',', QStringLiteral("dd.MM.yyyy")});
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
