// The weighing tab: the register by sex and weight class, the measured
// weight the only editable column.
#include "app/design.h"
#include "app/main_window.h"

using namespace design;

void TfrmMain::DesignWeighingTab() {
  tbshWeight = Page(pcMain, "tbshWeight");
  QVBoxLayout* layout = VBox(tbshWeight);

  dbnvgrSHWeight = Navigator(tbshWeight, "dbnvgrSHWeight", dsCompetitor,
                             {nbFirst, nbPrior, nbNext, nbLast, nbEdit, nbPost, nbCancel});
  btnSaveCompetitorWeight = ToolButton(tbshWeight, "btnSaveCompetitorWeight", *ImageList, iiSave);
  QHBoxLayout* strip = Strip(layout);
  strip->addWidget(dbnvgrSHWeight);
  strip->addWidget(btnSaveCompetitorWeight);
  strip->addStretch(1);

  pcWeight = Named(new QTabWidget(tbshWeight), "pcWeight");
  tbshWoman = Page(pcWeight, "tbshWoman");
  cbWomanWeightClass = ClassSelector(tbshWoman, "cbWomanWeightClass", 4);
  tbshMan = Page(pcWeight, "tbshMan");
  cbManWeightClass = ClassSelector(tbshMan, "cbManWeightClass", 4);
  pcWeight->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  layout->addWidget(pcWeight);

  grWeight = Grid(tbshWeight, "grWeight", dsCompetitor,
                  {Column("Name", 200, true), Column("RealWeight"), Column("Team", 200, true),
                   Column("Birthday", 80, true)});
  // Weighing adds and removes nobody.
  grWeight->SetNavigator(dbnvgrSHWeight);
  layout->addWidget(grWeight, 1);
}
