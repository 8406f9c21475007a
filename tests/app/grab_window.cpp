// Grabs the main window offscreen, one picture per tab and page, for the
// screenshots under docs/ and for looking the layout over:
//   QT_QPA_PLATFORM=offscreen grab_window <output folder> [RU|EN]
// The window runs on a data folder of its own under the output folder, with
// a small competition typed in; the team protocol is built and totalled from
// a few points put straight into the long cycle and snatch protocols.
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <cstdio>
#include <iterator>

#include "app/main_window.h"
#include "platform/core/format_settings.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/shared_dialogs.h"

namespace {

struct TSample {
  const char* Name;
  const char* Birthday;
  int Rank;
  const char* Team;
  const char* Trainer;
  double Weight;
  int Sex;
  bool Snatch, LongCycle, Biathlon;
  int BestSnatch;
};

constexpr TSample kSamples[] = {
    {"Иванов Сергей Петрович", "12.03.1998", 2, "Динамо", "Кузнецов А. В.", 72.4, 1, true, true, false, 120},
    {"Петрова Анна Игоревна", "05.07.2001", 3, "Спартак", "Орлова Е. Н.", 61.8, 0, true, false, true, 95},
    {"Сидоров Илья Андреевич", "23.11.1995", 21, "Динамо", "Кузнецов А. В.", 84.9, 1, false, true, true, 150},
    {"Морозова Дарья Олеговна", "17.01.2003", 4, "Локомотив", "Орлова Е. Н.", 57.2, 0, true, true, false, 80},
    {"Волков Артём Сергеевич", "30.09.1999", 5, "Спартак", "Белов Д. М.", 94.6, 1, true, false, false, 101},
    {"Кузьмин Олег Викторович", "08.02.1997", 3, "Локомотив", "Белов Д. М.", 71.3, 1, true, false, false,
     118},
    {"Лебедев Павел Юрьевич", "14.06.2000", 4, "Спартак", "Белов Д. М.", 69.8, 1, true, false, false, 104},
    {"Соколов Никита Ильич", "02.12.1996", 2, "Локомотив", "Кузнецов А. В.", 72.9, 1, true, true, false, 131},
};

// Snatch results of the men's 73 kg class for the scored protocol.
struct TResult {
  const char* Name;
  int Result;
  bool AtTheTeam;
};
constexpr TResult kSnatchResults[] = {{"Иванов Сергей Петрович", 124, true},
                                      {"Кузьмин Олег Викторович", 117, true},
                                      {"Лебедев Павел Юрьевич", 102, false},
                                      {"Соколов Никита Ильич", 133, true}};

void WriteSampleTables(const QString& folder) {
  TCompetitionTables tables;
  TClientDataSet& reg = tables.dsCompetitor;
  reg.CreateDataSet();
  for (const TSample& s : kSamples) {
    reg.Append();
    reg.FieldByName("Name").SetAsString(QString::fromUtf8(s.Name));
    reg.FieldByName("Birthday").SetAsString(QString::fromLatin1(s.Birthday));
    reg.FieldByName("RankRef").SetAsInteger(s.Rank);
    reg.FieldByName("Team").SetAsString(QString::fromUtf8(s.Team));
    reg.FieldByName("Trainer").SetAsString(QString::fromUtf8(s.Trainer));
    reg.FieldByName("Weight").SetAsFloat(s.Weight);
    reg.FieldByName("SexRef").SetAsInteger(s.Sex);
    reg.FieldByName("Snatch").SetAsBoolean(s.Snatch);
    reg.FieldByName("LongCycle").SetAsBoolean(s.LongCycle);
    reg.FieldByName("Biathlon").SetAsBoolean(s.Biathlon);
    reg.FieldByName("AtTheTeam").SetAsBoolean(true);
    reg.FieldByName("BestResSnatch").SetAsInteger(s.BestSnatch);
    reg.Post();
  }
  reg.SaveToFile(folder + "Competitor.xml", 1);
  TClientDataSet& handbook = tables.dsCompetitorHB;
  handbook.CreateDataSet();
  for (const TSample& s : kSamples) {
    handbook.Append();
    handbook.FieldByName("Name").SetAsString(QString::fromUtf8(s.Name));
    handbook.FieldByName("Birthday").SetAsString(QString::fromLatin1(s.Birthday));
    handbook.FieldByName("RankRef").SetAsInteger(s.Rank);
    handbook.FieldByName("Team").SetAsString(QString::fromUtf8(s.Team));
    handbook.FieldByName("Trainer").SetAsString(QString::fromUtf8(s.Trainer));
    handbook.FieldByName("Weight").SetAsFloat(s.Weight);
    handbook.FieldByName("SexRef").SetAsInteger(s.Sex);
    handbook.Post();
  }
  handbook.SaveToFile(folder + "CompetitorHB.xml", 1);
  TClientDataSet& organisers = tables.dsOrganizer;
  organisers.CreateDataSet();
  for (const char* name : {"Федерация гиревого спорта области", "Спортивный клуб «Богатырь»"}) {
    organisers.Append();
    organisers.FieldByName("Name").SetAsString(QString::fromUtf8(name));
    organisers.Post();
  }
  organisers.SaveToFile(folder + "Organizer.xml", 1);
  TClientDataSet& normative = tables.dsNormative;
  normative.CreateDataSet();
  for (const auto& [rank, result] : {std::pair{2, 130}, {3, 115}, {4, 100}}) {
    normative.Append();
    normative.FieldByName("Discipline").SetAsString(QStringLiteral("Рывок"));
    normative.FieldByName("WeightClass").SetAsString(QStringLiteral("73"));
    normative.FieldByName("SexRef").SetAsInteger(1);
    normative.FieldByName("RankRef").SetAsInteger(rank);
    normative.FieldByName("DumbbellWeight").SetAsInteger(32);
    normative.FieldByName("Result").SetAsInteger(result);
    normative.Post();
  }
  normative.SaveToFile(folder + "Normative.xml", 1);
}

// The competition tab with the men's 73 kg snatch built, the results typed,
// team points and achieved ranks set.
void ScoreSnatch(TfrmMain& window) {
  window.pcMain->setCurrentWidget(window.tbshCompetition);
  window.btnNewCompetitionClick();
  window.pcCompetitionWeight->setCurrentWidget(window.tbshCompMan);
  window.cbCompManWeightClass->setCurrentIndex(2);
  window.cbCompManWeightClassChange();
  TClientDataSet& snatch = window.dsSnatch;
  for (const TResult& r : kSnatchResults) {
    if (snatch.Locate("Name", QString::fromUtf8(r.Name))) {
      snatch.Edit();
      snatch.FieldByName("AtTheTeam").SetAsBoolean(r.AtTheTeam);
      snatch.FieldByName("Result").SetAsInteger(r.Result);
    }
  }
  window.btnSetPointSnatchClick();
  window.btnSetMadeRankSnatchClick();
  snatch.First();
}

struct TScore {
  const char* Team;
  int Sex;
  double Weight;
  int Point;
};

// Points already awarded in the long cycle and snatch protocols, for the team
// protocol's picture: built and totalled.
constexpr TScore kLongCycle[] = {
    {"Динамо", 1, 72.4, 20}, {"Спартак", 1, 71.0, 18}, {"Динамо", 1, 70.2, 16},    {"Локомотив", 1, 84.9, 20},
    {"Урал", 1, 83.1, 18},   {"Спартак", 0, 61.8, 20}, {"Локомотив", 0, 57.2, 20}, {"Урал", 0, 56.0, 18},
    {"Динамо", 0, 62.5, 18}, {"Спартак", 1, 94.6, 20}, {"Урал", 1, 93.0, 18},
};
constexpr TScore kSnatch[] = {
    {"Спартак", 1, 72.4, 20}, {"Динамо", 1, 71.0, 18},  {"Урал", 1, 70.2, 16}, {"Локомотив", 0, 57.2, 20},
    {"Динамо", 0, 56.0, 18},  {"Спартак", 0, 61.8, 20}, {"Урал", 1, 94.6, 20},
};

void FillProtocol(TClientDataSet& protocol, const TScore* scores, int count) {
  protocol.CreateDataSet();
  for (int i = 0; i < count; ++i) {
    protocol.Append();
    protocol.FieldByName("Name").SetAsString(QStringLiteral("Спортсмен %1").arg(i + 1));
    protocol.FieldByName("Team").SetAsString(QString::fromUtf8(scores[i].Team));
    protocol.FieldByName("SexRef").SetAsInteger(scores[i].Sex);
    protocol.FieldByName("Weight").SetAsFloat(scores[i].Weight);
    protocol.FieldByName("Point").SetAsInteger(scores[i].Point);
    protocol.FieldByName("AtTheTeam").SetAsBoolean(true);
    protocol.Post();
  }
}

void BuildTeamProtocol(TfrmMain& window) {
  FillProtocol(window.dsLongCycle, kLongCycle, int(std::size(kLongCycle)));
  FillProtocol(window.dsSnatch, kSnatch, int(std::size(kSnatch)));
  window.btnCreateTeamProtocol->click();
  window.btnCalculatePosition->click();
  // In the order of the places, as a title click on the place column gives.
  window.grTeamProtocolTitleClick(*window.grTeamProtocol, 0);
}

void Grab(QWidget& window, const QString& file) {
  // The grids read lookup values in from the event loop.
  QTest::qWait(30);
  if (!window.grab().save(file)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: grab_window <output folder> [RU|EN]\n");
    return 2;
  }
  const QString out = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
  const bool english = argc > 2 && qstrcmp(argv[2], "EN") == 0;
  const QString root = out + "/grab-data";
  QDir(root).removeRecursively();
  for (const char* sub : {"home", "data", "registry"}) {
    QDir().mkpath(root + "/" + sub);
  }
  qputenv("HOME", (root + "/home").toUtf8());
  qputenv("XDG_DATA_HOME", (root + "/data").toUtf8());
  qputenv("TYAZHAR_REGISTRY_ROOT", (root + "/registry").toUtf8());
  QApplication application(argc, argv);
  SetFormatSettings(TFormatSettings{u',', QStringLiteral("dd.MM.yyyy")});

  const QString folder = root + "/data/Tyazharnet-protocol/";
  QDir().mkpath(folder);
  WriteSampleTables(folder);
  QFile ini(folder + "Tyazhar.ini");
  if (ini.open(QIODevice::WriteOnly)) {
    ini.write(english ? "[GENERAL]\r\nLanguage=EN\r\n" : "[GENERAL]\r\nLanguage=RU\r\n");
    ini.write(english ? "City=Kazan\r\nDate=09.03.2026\r\nCompetitionName=Open cup\r\n"
                      : "City=\xca\xe0\xe7\xe0\xed\r\nDate=09.03.2026\r\n");
    ini.close();
  }

  // The protocols filled for the team picture are not saved: the close
  // question is answered, not shown.
  SetConfirmation([](const QString&) { return true; });
  auto* window = new TfrmMain;
  window->setWindowState(Qt::WindowNoState);
  window->resize(1366, 768);
  window->show();
  QTest::qWait(50);
  const QString suffix = english ? "en" : "ru";
  for (int tab = 0; tab < window->pcMain->count(); ++tab) {
    window->pcMain->setCurrentIndex(tab);
    const QString name = window->pcMain->widget(tab)->objectName();
    if (name == "tbshTeamProtocol") {
      BuildTeamProtocol(*window);
    }
    QList<QTabWidget*> inner;
    for (QTabWidget* pages : window->pcMain->widget(tab)->findChildren<QTabWidget*>()) {
      if (pages->count() > 1 && pages->maximumHeight() > 100) {
        inner << pages;
      }
    }
    if (inner.isEmpty() || name != "tbshProtocol") {
      Grab(*window, out + "/" + name + "-" + suffix + ".png");
      continue;
    }
    QTabWidget* pages = window->pcProtocol;
    for (int page = 0; page < pages->count(); ++page) {
      pages->setCurrentIndex(page);
      Grab(*window, out + "/" + pages->widget(page)->objectName() + "-" + suffix + ".png");
    }
    pages->setCurrentIndex(0);
  }
  ScoreSnatch(*window);
  Grab(*window, out + "/competition-scored-" + suffix + ".png");
  window->close();
  delete window;
  QDir(root).removeRecursively();
  return 0;
}
