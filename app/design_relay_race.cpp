// The relay race tab: the relay menu (sex, discipline, team, file buttons),
// the relay grid and the side panel with the competitor list or the team
// results. Menu and side panel stay disabled until a relay race is built.
#include <QSplitter>

#include "app/design.h"
#include "app/main_window.h"

using namespace design;

void TfrmMain::DesignRelayRaceTab() {
  tbshRelayRace = Page(pcMain, "tbshRelayRace");
  QVBoxLayout* layout = VBox(tbshRelayRace);

  QHBoxLayout* menu = Strip(layout);
  btnNewRelayRace = ToolButton(tbshRelayRace, "btnNewRelayRace", *ImageList, iiNewProtocol);
  btnShowRRCompetitorHB = ToolButton(tbshRelayRace, "btnShowRRCompetitorHB", *ImageList, iiShowList);
  btnShowRRCompetitorHB->setCheckable(true);
  menu->addWidget(btnNewRelayRace);
  menu->addWidget(btnShowRRCompetitorHB);
  menu->addSpacing(8);

  pMenuRRLeft = Named(new QWidget(tbshRelayRace), "pMenuRRLeft");
  auto* left = new QHBoxLayout(pMenuRRLeft);
  left->setContentsMargins(0, 0, 0, 0);
  left->setSpacing(4);
  pcRelayRaceSex = Named(new QTabWidget(pMenuRRLeft), "pcRelayRaceSex");
  tbshRRMan = Page(pcRelayRaceSex, "tbshRRMan");
  tbshRRWoman = Page(pcRelayRaceSex, "tbshRRWoman");
  TabsOnly(pcRelayRaceSex);
  pcRRDiscipline = Named(new QTabWidget(pMenuRRLeft), "pcRRDiscipline");
  tbshRRJerk = Page(pcRRDiscipline, "tbshRRJerk");
  tbshRRLongCycle = Page(pcRRDiscipline, "tbshRRLongCycle");
  tbshRRSnatch = Page(pcRRDiscipline, "tbshRRSnatch");
  TabsOnly(pcRRDiscipline);
  cbTeam = Named(new QComboBox(pMenuRRLeft), "cbTeam");
  cbTeam->setEditable(false);
  cbTeam->setMinimumWidth(160);
  dbnvgrRelayRace = Navigator(pMenuRRLeft, "dbnvgrRelayRace", dsRelayRace,
                              {nbFirst, nbPrior, nbNext, nbLast, nbDelete, nbEdit, nbPost, nbCancel});
  btnSaveRR = ToolButton(pMenuRRLeft, "btnSaveRR", *ImageList, iiSave);
  btnLoadRR = ToolButton(pMenuRRLeft, "btnLoadRR", *ImageList, iiOpen);
  btnPrintRR = ToolButton(pMenuRRLeft, "btnPrintRR", *ImageList, iiPrint);
  left->addWidget(pcRelayRaceSex, 0, Qt::AlignBottom);
  left->addWidget(pcRRDiscipline, 0, Qt::AlignBottom);
  left->addWidget(cbTeam);
  left->addWidget(dbnvgrRelayRace);
  left->addWidget(btnSaveRR);
  left->addWidget(btnLoadRR);
  left->addWidget(btnPrintRR);
  pMenuRRLeft->setEnabled(false);
  menu->addWidget(pMenuRRLeft);
  menu->addStretch(1);

  auto* split = Named(new QSplitter(Qt::Horizontal, tbshRelayRace), "splRelayRace");
  layout->addWidget(split, 1);
  grRelayRace = Grid(split, "grRelayRace", dsRelayRace,
                     {Column("Step"), Column("Result"), Column("StepResult", -1, true),
                      Column("WeightCategory", 50, true), Column("Name", 200, true),
                      Column("Birthday", -1, true), Column("Weight", -1, true), Column("Trainer", -1, true)});
  grRelayRace->SetNavigator(dbnvgrRelayRace);
  split->addWidget(grRelayRace);

  pRelayRace = Named(new QWidget(split), "pRelayRace");
  QVBoxLayout* side = VBox(pRelayRace, 0);
  butCompetitorSelect = ToolButton(pRelayRace, "butCompetitorSelect", *ImageList, iiSelect);
  side->addWidget(butCompetitorSelect);
  grRelayRaceHB = Grid(pRelayRace, "grRelayRaceHB", dsCompetitor,
                       {Column("Name", 200), Column("Weight"), Column("Rank", 50), Column("Passport", 200),
                        Column("Birthday"), Column("Trainer", 200)});
  grRelayRaceHB->SetReadOnly(true);
  side->addWidget(grRelayRaceHB, 1);
  btnRRCalculate = ToolButton(pRelayRace, "btnRRCalculate", *ImageList, iiCalculate);
  side->addWidget(btnRRCalculate);
  grRRTeam = Grid(pRelayRace, "grRRTeam", dsRRTeam,
                  {Column("Position"), Column("Team", 200), Column("Result"), Column("Weight")});
  grRRTeam->SetReadOnly(true);
  side->addWidget(grRRTeam, 1);
  // The toggle button is up at start: the competitor list is shown.
  btnRRCalculate->setVisible(false);
  grRRTeam->setVisible(false);
  pRelayRace->setEnabled(false);
  split->addWidget(pRelayRace);
  split->setStretchFactor(0, 1);
  split->setStretchFactor(1, 1);
}
