// What the secretary waits for at a meet of 5,000 competitors, in the window
// shown offscreen with every grid attached, against the same table work on
// tables no control is attached to, in the same run:
// - the three protocols built (the competition tab's button), against the
//   same three builds and class filters on bare tables;
// - a men's class chosen on the weighing tab, against the same filter on a
//   bare register in the same order.
// Each reports both times (the best of a few rounds: on a shared machine the
// best is the one nothing else disturbed) and the window's over the bare
// tables'.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QTabWidget>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>

#include "app/data/tables.h"
#include "app/main_window.h"
#include "app/protocol_rules.h"
#include "bench/app/lookup_tables.h"
#include "platform/widgets/shared_dialogs.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kCompetitors = 5000;

// The register of a national meet: both sexes over every default class, most
// in two or three disciplines.
void FillRegister(TCompetitionTables& tables) {
  FillLookupTables(tables);
  TClientDataSet& reg = tables.dsCompetitor;
  reg.CreateDataSet();
  for (int i = 0; i < kCompetitors; ++i) {
    const int sex = i % 3 == 0 ? 0 : 1;
    reg.Append();
    reg.FieldByName(QStringLiteral("Name")).SetAsString(QStringLiteral("Спортсмен %1 Фамилия").arg(i));
    reg.FieldByName(QStringLiteral("SexRef")).SetAsInteger(sex);
    reg.FieldByName(QStringLiteral("Birthday")).SetAsDateTime(QDate(1980 + i % 25, 1 + i % 12, 1 + i % 28));
    reg.FieldByName(QStringLiteral("RankRef")).SetAsInteger(2 + i % 8);
    reg.FieldByName(QStringLiteral("Weight"))
        .SetAsFloat(sex == 0 ? 48.0 + (i * 7) % 30 : 58.0 + (i * 11) % 60 + 0.5);
    reg.FieldByName(QStringLiteral("Team")).SetAsString(QStringLiteral("Команда %1").arg(i % 40));
    reg.FieldByName(QStringLiteral("Trainer")).SetAsString(QStringLiteral("Тренер %1").arg(i % 60));
    reg.FieldByName(QStringLiteral("Snatch")).SetAsBoolean(i % 4 != 3);
    reg.FieldByName(QStringLiteral("LongCycle")).SetAsBoolean(i % 2 == 0);
    reg.FieldByName(QStringLiteral("Biathlon")).SetAsBoolean(i % 3 == 1);
    reg.FieldByName(QStringLiteral("AtTheTeam")).SetAsBoolean(true);
    reg.Post();
  }
}

// A data folder of its own with the register file, the settings and
// registry of this run only, and boxes that answer OK and note errors.
class TSandbox {
 public:
  TSandbox() {
    const QString root = FDir.path();
    for (const char* sub : {"home", "config", "data", "cache", "registry", "runtime"}) {
      QDir(root).mkpath(QString::fromLatin1(sub));
    }
    qputenv("HOME", (root + "/home").toUtf8());
    qputenv("XDG_CONFIG_HOME", (root + "/config").toUtf8());
    qputenv("XDG_DATA_HOME", (root + "/data").toUtf8());
    qputenv("XDG_CACHE_HOME", (root + "/cache").toUtf8());
    qputenv("XDG_RUNTIME_DIR", (root + "/runtime").toUtf8());
    qputenv("TYAZHAR_REGISTRY_ROOT", (root + "/registry").toUtf8());
    const QString data = root + QStringLiteral("/data/Tyazharnet-protocol/");
    QDir().mkpath(data);
    TCompetitionTables tables;
    FillRegister(tables);
    tables.dsCompetitor.SaveToFile(data + QStringLiteral("Competitor.xml"), 1);
    SetErrorDisplay([this](const QString& message) { Errors << message; });
    SetConfirmation([](const QString&) { return true; });
  }

  QStringList Errors;

 private:
  QTemporaryDir FDir;
};

TSandbox& Sandbox() {
  static TSandbox sandbox;
  return sandbox;
}

// The window as the program shows it, on the given tab.
std::unique_ptr<TfrmMain> ShownWindow(QWidget*(TfrmMain::*tab)) {
  Sandbox();
  auto window = std::make_unique<TfrmMain>();
  window->resize(1200, 800);
  window->show();
  window->pcMain->setCurrentWidget((*window).*tab);
  QApplication::processEvents();
  return window;
}

// Seconds of the best of the rounds.
double Best(int rounds, const std::function<void()>& work) {
  double best = 1e9;
  for (int i = 0; i < rounds; ++i) {
    const auto t0 = Clock::now();
    work();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
  }
  return best;
}

void Report(benchmark::State& state, const char* windowName, double window, const char* baseName, double base,
            const char* ratioName) {
  state.counters[windowName] = window * 1000;
  state.counters[baseName] = base * 1000;
  state.counters[ratioName] = window / base;
  if (!Sandbox().Errors.isEmpty()) {
    state.SkipWithError(Sandbox().Errors.join(u'\n').toStdString().c_str());
  }
}

void BM_BuildProtocolsInTheWindow5000(benchmark::State& state) {
  auto window = ShownWindow(&TfrmMain::tbshCompetition);
  // The build ends by showing a class; the bare tables get the same filter.
  window->btnNewCompetitionClick();
  const QString classFilter = window->dsSnatch.Filter();
  TCompetitionTables tables;
  FillRegister(tables);
  TClientDataSet* protocols[] = {&tables.dsSnatch, &tables.dsLongCycle, &tables.dsBiathlon};
  const auto bare = [&] {
    BuildProtocol(tables.dsCompetitor, QStringLiteral("Snatch<>0"), tables.dsSnatch);
    BuildProtocol(tables.dsCompetitor, QStringLiteral("LongCycle<>0"), tables.dsLongCycle);
    BuildProtocol(tables.dsCompetitor, QStringLiteral("Biathlon<>0"), tables.dsBiathlon);
    for (TClientDataSet* protocol : protocols) {
      protocol->SetFiltered(false);
      protocol->SetFilter(classFilter);
      protocol->SetFiltered(true);
    }
  };
  const auto shown = [&] {
    window->btnNewCompetitionClick();
    // Until the grids have painted the new protocols, the user waits.
    QApplication::processEvents();
  };
  double windowSeconds = 0;
  double bareSeconds = 0;
  for (auto _ : state) {
    bareSeconds = Best(5, bare);
    windowSeconds = Best(5, shown);
  }
  Report(state, "window_ms", windowSeconds, "tables_ms", bareSeconds, "window_over_tables");
}
BENCHMARK(BM_BuildProtocolsInTheWindow5000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_ClassSwitchOnTheWeighingTab5000(benchmark::State& state) {
  auto window = ShownWindow(&TfrmMain::tbshWeight);
  window->pcWeight->setCurrentWidget(window->tbshMan);
  QApplication::processEvents();
  QComboBox& selector = *window->cbManWeightClass;
  const int classes = selector.count();
  QStringList filters;
  for (int item = 0; item < classes; ++item) {
    selector.setCurrentIndex(item);
    window->cbManWeightClassChange();
    filters << window->dsCompetitor.Filter();
  }
  TCompetitionTables tables;
  FillRegister(tables);
  TClientDataSet& reg = tables.dsCompetitor;
  reg.SetIndexName(QStringLiteral("dsCompetitorIndexWeight"));
  const auto bare = [&] {
    for (const QString& filter : filters) {
      reg.SetFiltered(false);
      reg.SetFilter(filter);
      reg.SetFiltered(true);
    }
  };
  const auto shown = [&] {
    for (int item = 0; item < classes; ++item) {
      selector.setCurrentIndex(item);
      window->cbManWeightClassChange();
      QApplication::processEvents();
    }
  };
  double windowSeconds = 0;
  double bareSeconds = 0;
  for (auto _ : state) {
    bareSeconds = Best(5, bare) / classes;
    windowSeconds = Best(5, shown) / classes;
  }
  Report(state, "window_ms", windowSeconds, "tables_ms", bareSeconds, "window_over_tables");
}
BENCHMARK(BM_ClassSwitchOnTheWeighingTab5000)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
