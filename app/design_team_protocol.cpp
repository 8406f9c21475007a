// The team protocol tab: its columns are built at run time.
#include "app/design.h"
#include "app/main_window.h"

using namespace design;

void TfrmMain::DesignTeamProtocolTab() {
  tbshTeamProtocol = Page(pcMain, "tbshTeamProtocol");
  QVBoxLayout* layout = VBox(tbshTeamProtocol);
  btnCreateTeamProtocol = ToolButton(tbshTeamProtocol, "btnCreateTeamProtocol", *ImageList, iiCreateProtocol);
  btnCalculatePosition = ToolButton(tbshTeamProtocol, "btnCalculatePosition", *ImageList, iiCalculate);
  btnSaveTeamProtocol = ToolButton(tbshTeamProtocol, "btnSaveTeamProtocol", *ImageList, iiSave);
  btnLoadTeamProtocol = ToolButton(tbshTeamProtocol, "btnLoadTeamProtocol", *ImageList, iiOpen);
  btnPrintTeamProtocol = ToolButton(tbshTeamProtocol, "btnPrintTeamProtocol", *ImageList, iiPrint);
  // Rows are edited and deleted by hand, never inserted.
  dbnvgrTeamProtocol = Navigator(tbshTeamProtocol, "dbnvgrTeamProtocol", dsTeamProtocol,
                                 {nbFirst, nbPrior, nbNext, nbLast, nbDelete, nbEdit, nbPost, nbCancel});
  QHBoxLayout* strip = Strip(layout);
  for (QToolButton* button : {btnCreateTeamProtocol, btnCalculatePosition, btnSaveTeamProtocol,
                              btnLoadTeamProtocol, btnPrintTeamProtocol}) {
    strip->addWidget(button);
  }
  strip->addSpacing(8);
  strip->addWidget(dbnvgrTeamProtocol);
  strip->addStretch(1);
  grTeamProtocol = Grid(tbshTeamProtocol, "grTeamProtocol", dsTeamProtocol, {});
  grTeamProtocol->SetNavigator(dbnvgrTeamProtocol);
  layout->addWidget(grTeamProtocol, 1);
}
