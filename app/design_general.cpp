// The window's frame (menu, link panel, main page control) and the
// competition protocol tab with its pages: general data, referees, weight
// classes, ranks requirements.
#include <QAction>
#include <QGridLayout>
#include <QMenu>
#include <QMenuBar>
#include <QSpinBox>
#include <QSplitter>

#include "app/design.h"
#include "app/main_window.h"

using namespace design;

void TfrmMain::DesignMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName(QStringLiteral("MainMenu"));
  miLanguage = Named(new QMenu(bar), "miLanguage");
  miLanguage_RU = Named(new QAction(this), "miLanguage_RU");
  miLanguage_EN = Named(new QAction(this), "miLanguage_EN");
  for (QAction* item : {miLanguage_RU, miLanguage_EN}) {
    item->setCheckable(true);
    miLanguage->addAction(item);
  }
  miLanguage_RU->setChecked(true);
  bar->addMenu(miLanguage);
  miExportExcel = Named(new QAction(this), "miExportExcel");
  bar->addAction(miExportExcel);
  mniAbout = Named(new QAction(this), "mniAbout");
  bar->addAction(mniAbout);

  auto* client = Named(new QWidget(this), "pClient");
  auto* layout = new QVBoxLayout(client);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  pTop = Named(new QWidget(client), "pTop");
  auto* top = new QHBoxLayout(pTop);
  top->setContentsMargins(6, 2, 10, 2);
  lbAnchor = Label(pTop, "lbAnchor");
  lbAnchor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  QFont anchorFont;
  anchorFont.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
  anchorFont.setPixelSize(24);
  anchorFont.setBold(true);
  anchorFont.setUnderline(true);
  lbAnchor->setFont(anchorFont);
  lbAnchor->setCursor(Qt::PointingHandCursor);
  // Move events arrive without a pressed button too: the hover colour.
  lbAnchor->setMouseTracking(true);
  lbAnchorMouseLeave();
  top->addStretch(1);
  top->addWidget(lbAnchor);
  layout->addWidget(pTop);

  pcMain = Named(new QTabWidget(client), "pcMain");
  layout->addWidget(pcMain, 1);
  setCentralWidget(client);
}

namespace {

// A reference table's page: its navigator and buttons over its grid.
QVBoxLayout* TablePage(QWidget* page, TDataNavigator* navigator,
                       std::initializer_list<QToolButton*> buttons) {
  QVBoxLayout* layout = VBox(page);
  QHBoxLayout* strip = Strip(layout);
  strip->addWidget(navigator);
  for (QToolButton* button : buttons) {
    strip->addWidget(button);
  }
  strip->addStretch(1);
  return layout;
}

QComboBox* KettlebellWeight(QWidget* parent, const char* name, const char* text) {
  auto* combo = Named(new QComboBox(parent), name);
  combo->setEditable(true);
  combo->addItems({QStringLiteral("32"), QStringLiteral("24"), QStringLiteral("16")});
  combo->setCurrentText(QString::fromLatin1(text));
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setMinimumWidth(70);
  return combo;
}

}  // namespace

void TfrmMain::DesignProtocolTab() {
  tbshProtocol = Page(pcMain, "tbshProtocol");
  QVBoxLayout* outer = VBox(tbshProtocol, 2);
  pcProtocol = Named(new QTabWidget(tbshProtocol), "pcProtocol");
  outer->addWidget(pcProtocol);

  // ---- General data ----
  tbshProtocol_General = Page(pcProtocol, "tbshProtocol_General");
  auto* general = new QHBoxLayout(tbshProtocol_General);
  general->setContentsMargins(4, 4, 4, 4);
  general->setSpacing(12);

  auto* organisers = new QVBoxLayout;
  dbnvgrProtocolGeneral = Navigator(tbshProtocol_General, "dbnvgrProtocolGeneral", dsOrganizer, kEditButtons);
  btnSaveOrganizator = ToolButton(tbshProtocol_General, "btnSaveOrganizator", *ImageList, iiSave);
  QHBoxLayout* strip = Strip(organisers);
  strip->addWidget(dbnvgrProtocolGeneral);
  strip->addWidget(btnSaveOrganizator);
  strip->addStretch(1);
  grOrganizer = Grid(tbshProtocol_General, "grOrganizer", dsOrganizer, {Column("Name", 420)});
  grOrganizer->SetNavigator(dbnvgrProtocolGeneral);
  organisers->addWidget(grOrganizer, 1);
  general->addLayout(organisers, 1);

  auto* form = new QGridLayout;
  form->setHorizontalSpacing(8);
  form->setVerticalSpacing(4);
  int row = 0;
  auto edit = [&](QLabel*& label, const char* labelName, QLineEdit*& line, const char* editName) {
    label = Label(tbshProtocol_General, labelName);
    line = LineEdit(tbshProtocol_General, editName);
    label->setBuddy(line);
    form->addWidget(label, row++, 0, 1, 4);
    form->addWidget(line, row++, 0, 1, 4);
  };
  lbDate = Label(tbshProtocol_General, "lbDate");
  edDate = LineEdit(tbshProtocol_General, "edDate");
  lbCity = Label(tbshProtocol_General, "lbCity");
  edCity = LineEdit(tbshProtocol_General, "edCity");
  lbDate->setBuddy(edDate);
  lbCity->setBuddy(edCity);
  form->addWidget(lbDate, row, 0, 1, 2);
  form->addWidget(lbCity, row++, 2, 1, 2);
  form->addWidget(edDate, row, 0, 1, 2);
  form->addWidget(edCity, row++, 2, 1, 2);
  edit(edCompetitionName_EditLabel, "edCompetitionName_EditLabel", edCompetitionName, "edCompetitionName");
  edit(edRefereeMain_EditLabel, "edRefereeMain_EditLabel", edRefereeMain, "edRefereeMain");
  edit(edSecretary_EditLabel, "edSecretary_EditLabel", edSecretary, "edSecretary");
  form->setRowMinimumHeight(row++, 10);

  // The kettlebell weights stand under the discipline they belong to.
  lbDiscipline = Label(tbshProtocol_General, "lbDiscipline");
  cbBiathlon = CheckBox(tbshProtocol_General, "cbBiathlon");
  cbLongCycle = CheckBox(tbshProtocol_General, "cbLongCycle");
  cbSnatch = CheckBox(tbshProtocol_General, "cbSnatch");
  for (QCheckBox* box : {cbBiathlon, cbLongCycle, cbSnatch}) {
    box->setChecked(true);
  }
  form->addWidget(lbDiscipline, row, 0);
  form->addWidget(cbBiathlon, row, 1);
  form->addWidget(cbLongCycle, row, 2);
  form->addWidget(cbSnatch, row++, 3);
  lbWeightM = Label(tbshProtocol_General, "lbWeightM");
  cbBiathlonWeightM = KettlebellWeight(tbshProtocol_General, "cbBiathlonWeightM", "32");
  cbLongCycleWeightM = KettlebellWeight(tbshProtocol_General, "cbLongCycleWeightM", "32");
  cbSnatchWeightM = KettlebellWeight(tbshProtocol_General, "cbSnatchWeightM", "32");
  form->addWidget(lbWeightM, row, 0);
  form->addWidget(cbBiathlonWeightM, row, 1);
  form->addWidget(cbLongCycleWeightM, row, 2);
  form->addWidget(cbSnatchWeightM, row++, 3);
  lbWeightW = Label(tbshProtocol_General, "lbWeightW");
  cbBiathlonWeightW = KettlebellWeight(tbshProtocol_General, "cbBiathlonWeightW", "24");
  cbLongCycleWeightW = KettlebellWeight(tbshProtocol_General, "cbLongCycleWeightW", "24");
  cbSnatchWeightW = KettlebellWeight(tbshProtocol_General, "cbSnatchWeightW", "24");
  form->addWidget(lbWeightW, row, 0);
  form->addWidget(cbBiathlonWeightW, row, 1);
  form->addWidget(cbLongCycleWeightW, row, 2);
  form->addWidget(cbSnatchWeightW, row++, 3);
  form->setRowMinimumHeight(row++, 10);

  lbRelayRaceDiscipline = Label(tbshProtocol_General, "lbRelayRaceDiscipline");
  cbRRDJerk = CheckBox(tbshProtocol_General, "cbRRDJerk");
  cbRRDLongCycle = CheckBox(tbshProtocol_General, "cbRRDLongCycle");
  cbRRDSnatch = CheckBox(tbshProtocol_General, "cbRRDSnatch");
  cbRRDJerk->setChecked(true);
  cbRRDLongCycle->setChecked(true);
  form->addWidget(lbRelayRaceDiscipline, row, 0);
  form->addWidget(cbRRDJerk, row, 1);
  form->addWidget(cbRRDLongCycle, row, 2);
  form->addWidget(cbRRDSnatch, row++, 3);
  form->setRowMinimumHeight(row++, 10);

  cbCountTeamProtocolCompetitor = CheckBox(tbshProtocol_General, "cbCountTeamProtocolCompetitor");
  lbX = Label(tbshProtocol_General, "lbX", QStringLiteral("X="));
  seCountTeamProtocolCompetitor = Named(new QSpinBox(tbshProtocol_General), "seCountTeamProtocolCompetitor");
  seCountTeamProtocolCompetitor->setRange(1, 255);
  seCountTeamProtocolCompetitor->setValue(1);
  lbX->setBuddy(seCountTeamProtocolCompetitor);
  auto* count = new QHBoxLayout;
  count->addWidget(cbCountTeamProtocolCompetitor);
  count->addSpacing(12);
  count->addWidget(lbX);
  count->addWidget(seCountTeamProtocolCompetitor);
  count->addStretch(1);
  form->addLayout(count, row++, 0, 1, 4);
  cbAddRelayToTeamProtocol = CheckBox(tbshProtocol_General, "cbAddRelayToTeamProtocol");
  form->addWidget(cbAddRelayToTeamProtocol, row++, 0, 1, 4);
  form->setRowStretch(row, 1);
  general->addLayout(form, 1);

  // ---- Referees ----
  tbshRefereePlatformMain = Page(pcProtocol, "tbshRefereePlatformMain");
  dbnvgrRefereePlatformMain =
      Navigator(tbshRefereePlatformMain, "dbnvgrRefereePlatformMain", dsRefereePlatformMain, kEditButtons);
  btnSaveRefereePM = ToolButton(tbshRefereePlatformMain, "btnSaveRefereePM", *ImageList, iiSave);
  grRefereePlatformMain =
      Grid(tbshRefereePlatformMain, "grRefereePlatformMain", dsRefereePlatformMain, {Column("Name", 420)});
  grRefereePlatformMain->SetNavigator(dbnvgrRefereePlatformMain);
  TablePage(tbshRefereePlatformMain, dbnvgrRefereePlatformMain, {btnSaveRefereePM})
      ->addWidget(grRefereePlatformMain);

  tbshRefereePlatform = Page(pcProtocol, "tbshRefereePlatform");
  dbnvgrRefereePlatform =
      Navigator(tbshRefereePlatform, "dbnvgrRefereePlatform", dsRefereePlatform, kEditButtons);
  btnSaveRefereeP = ToolButton(tbshRefereePlatform, "btnSaveRefereeP", *ImageList, iiSave);
  grRefereePlatform =
      Grid(tbshRefereePlatform, "grRefereePlatform", dsRefereePlatform, {Column("Name", 420)});
  grRefereePlatform->SetNavigator(dbnvgrRefereePlatform);
  TablePage(tbshRefereePlatform, dbnvgrRefereePlatform, {btnSaveRefereeP})->addWidget(grRefereePlatform);

  // ---- Weight classes ----
  tbshProtocol_Weight = Page(pcProtocol, "tbshProtocol_Weight");
  QVBoxLayout* weights = VBox(tbshProtocol_Weight, 2);
  pcProtocolWeight = Named(new QTabWidget(tbshProtocol_Weight), "pcProtocolWeight");
  weights->addWidget(pcProtocolWeight);
  const QList<TDataColumn> classColumns = {Column("Weight", 80), Column("RefereePlatform", 300),
                                           Column("RefereePlatformMain", 300)};

  tbshManWeight = Page(pcProtocolWeight, "tbshManWeight");
  dbnvgrManWeight = Navigator(tbshManWeight, "dbnvgrManWeight", dsManWeight, kEditButtons);
  btnSaveManWeight = ToolButton(tbshManWeight, "btnSaveManWeight", *ImageList, iiSave);
  btnRefreshManWeightHB = ToolButton(tbshManWeight, "btnRefreshManWeightHB", *ImageList, iiRefresh);
  grManWeight = Grid(tbshManWeight, "grManWeight", dsManWeight, classColumns);
  grManWeight->SetNavigator(dbnvgrManWeight);
  TablePage(tbshManWeight, dbnvgrManWeight, {btnSaveManWeight, btnRefreshManWeightHB})
      ->addWidget(grManWeight);

  tbshWomanWeight = Page(pcProtocolWeight, "tbshWomanWeight");
  dbnvgrWomanWeight = Navigator(tbshWomanWeight, "dbnvgrWomanWeight", dsWomanWeight, kEditButtons);
  btnSaveWomanWeight = ToolButton(tbshWomanWeight, "btnSaveWomanWeight", *ImageList, iiSave);
  btnRefreshWomanWeightHB = ToolButton(tbshWomanWeight, "btnRefreshWomanWeightHB", *ImageList, iiRefresh);
  grWomanWeight = Grid(tbshWomanWeight, "grWomanWeight", dsWomanWeight, classColumns);
  grWomanWeight->SetNavigator(dbnvgrWomanWeight);
  TablePage(tbshWomanWeight, dbnvgrWomanWeight, {btnSaveWomanWeight, btnRefreshWomanWeightHB})
      ->addWidget(grWomanWeight);

  // ---- Ranks requirements ----
  tbshNormative = Page(pcProtocol, "tbshNormative");
  dbnvgrNormative = Navigator(tbshNormative, "dbnvgrNormative", dsNormative, kEditButtons);
  btnSaveNormative = ToolButton(tbshNormative, "btnSaveNormative", *ImageList, iiSave);
  QVBoxLayout* normative = TablePage(tbshNormative, dbnvgrNormative, {btnSaveNormative});
  pcNormativeSex = Named(new QTabWidget(tbshNormative), "pcNormativeSex");
  tbshNormMan = Page(pcNormativeSex, "tbshNormMan");
  tbshNormWoman = Page(pcNormativeSex, "tbshNormWoman");
  TabsOnly(pcNormativeSex);
  normative->addWidget(pcNormativeSex);
  TDataColumn discipline = Column("Discipline", 140);
  discipline.PickList = {QStringLiteral("Двоеборье"), QStringLiteral("Толчок ДЦ"), QStringLiteral("Рывок")};
  grNormative = Grid(tbshNormative, "grNormative", dsNormative,
                     {discipline, Column("WeightClass", 150), Column("Sex", 60), Column("RankRef", 70),
                      Column("Rank", 80), Column("DumbbellWeight", 90), Column("Result", 80)});
  grNormative->SetNavigator(dbnvgrNormative);
  normative->addWidget(grNormative, 1);
}
