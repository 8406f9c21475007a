// The competition tab: the class selector panel and the three discipline
// protocols. Until the first build the protocols can be neither seen nor
// filtered.
#include "app/design.h"
#include "app/main_window.h"

using namespace design;

void TfrmMain::DesignCompetitionTab() {
  tbshCompetition = Page(pcMain, "tbshCompetition");
  QVBoxLayout* layout = VBox(tbshCompetition);

  QHBoxLayout* menu = Strip(layout);
  btnNewCompetition = ToolButton(tbshCompetition, "btnNewCompetition", *ImageList, iiNewProtocol);
  menu->addWidget(btnNewCompetition, 0, Qt::AlignBottom);
  pMenuCompLeft = Named(new QWidget(tbshCompetition), "pMenuCompLeft");
  auto* left = new QHBoxLayout(pMenuCompLeft);
  left->setContentsMargins(0, 0, 0, 0);
  pcCompetitionWeight = Named(new QTabWidget(pMenuCompLeft), "pcCompetitionWeight");
  tbshCompWoman = Page(pcCompetitionWeight, "tbshCompWoman");
  cbCompWomanWeightClass = ClassSelector(tbshCompWoman, "cbCompWomanWeightClass", 2);
  tbshCompMan = Page(pcCompetitionWeight, "tbshCompMan");
  cbCompManWeightClass = ClassSelector(tbshCompMan, "cbCompManWeightClass", 2);
  pcCompetitionWeight->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
  left->addWidget(pcCompetitionWeight);
  pMenuCompLeft->setEnabled(false);
  menu->addWidget(pMenuCompLeft);
  menu->addStretch(1);

  pcCompetition = Named(new QTabWidget(tbshCompetition), "pcCompetition");
  pcCompetition->setEnabled(false);
  layout->addWidget(pcCompetition, 1);

  struct TProtocolPage {
    QWidget*& Page;
    const char* PageName;
    QToolButton*& Save;
    const char* SaveName;
    QToolButton*& Load;
    const char* LoadName;
    QToolButton*& Print;
    const char* PrintName;
    QToolButton*& SetPoint;
    const char* SetPointName;
    QToolButton*& SetMadeRank;
    const char* SetMadeRankName;
    TDataNavigator*& Navigator;
    const char* NavigatorName;
    TDataGrid*& Grid;
    const char* GridName;
    TClientDataSet& Table;
    QList<TDataColumn> Columns;
  };
  const QList<TDataColumn> athlete = {Column("Name", 200), Column("Rank", 50),  Column("MadeRank", 50),
                                      Column("Weight"),    Column("Team", 200), Column("Trainer", 200)};
  const QList<TDataColumn> lift =
      QList<TDataColumn>{Column("Position"), Column("Result"), Column("Point")} + athlete;
  const QList<TDataColumn> biathlon =
      QList<TDataColumn>{Column("Position"),  Column("PutResult"), Column("JerkResult"),
                         Column("JerkPoint"), Column("Summa"),     Column("Point")} +
      athlete;
  TProtocolPage pages[] = {
      {tbshSnatch, "tbshSnatch", btnSaveSnatch, "btnSaveSnatch", btnLoadSnatch, "btnLoadSnatch",
       btnPrintSnatch, "btnPrintSnatch", btnSetPointSnatch, "btnSetPointSnatch", btnSetMadeRankSnatch,
       "btnSetMadeRankSnatch", dbnvgrSnatch, "dbnvgrSnatch", grSnatch, "grSnatch", dsSnatch, lift},
      {tbshLongCycle, "tbshLongCycle", btnSaveLongCycle, "btnSaveLongCycle", btnLoadLongCycle,
       "btnLoadLongCycle", btnPrintLongCycle, "btnPrintLongCycle", btnSetPointLongCycle,
       "btnSetPointLongCycle", btnSetMadeRankLongCycle, "btnSetMadeRankLongCycle", dbnvgrLongCycle,
       "dbnvgrLongCycle", grLongCycle, "grLongCycle", dsLongCycle, lift},
      {tbshBiathlon, "tbshBiathlon", btnSaveBiathlon, "btnSaveBiathlon", btnLoadBiathlon, "btnLoadBiathlon",
       btnPrintBiathlon, "btnPrintBiathlon", btnSetPointBiathlon, "btnSetPointBiathlon",
       btnSetMadeRankBiathlon, "btnSetMadeRankBiathlon", dbnvgrBiathlon, "dbnvgrBiathlon", grBiathlon,
       "grBiathlon", dsBiathlon, biathlon},
  };
  for (TProtocolPage& p : pages) {
    p.Page = Page(pcCompetition, p.PageName);
    QVBoxLayout* pageLayout = VBox(p.Page);
    p.Save = ToolButton(p.Page, p.SaveName, *ImageList, iiSave);
    p.Load = ToolButton(p.Page, p.LoadName, *ImageList, iiOpen);
    p.Print = ToolButton(p.Page, p.PrintName, *ImageList, iiPrint);
    p.SetPoint = ToolButton(p.Page, p.SetPointName, *ImageList, iiSetPoint);
    p.SetMadeRank = ToolButton(p.Page, p.SetMadeRankName, *ImageList, iiSetMadeRank);
    // Rows enter a protocol only by the build or a protocol file.
    p.Navigator = Navigator(p.Page, p.NavigatorName, p.Table,
                            {nbFirst, nbPrior, nbNext, nbLast, nbEdit, nbPost, nbCancel});
    QHBoxLayout* strip = Strip(pageLayout);
    for (QToolButton* button : {p.Save, p.Load, p.Print, p.SetPoint, p.SetMadeRank}) {
      strip->addWidget(button);
    }
    strip->addSpacing(8);
    strip->addWidget(p.Navigator);
    strip->addStretch(1);
    p.Grid = Grid(p.Page, p.GridName, p.Table, p.Columns);
    p.Grid->SetNavigator(p.Navigator);
    pageLayout->addWidget(p.Grid, 1);
  }
}
