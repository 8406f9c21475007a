#include "app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>

#include "app/file_dialog.h"
#include "app/frames/stream_frame.h"
#include "app/image_list.h"
#include "platform/ini/ini_file.h"
#include "platform/widgets/data_edit.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/data_navigator.h"
#include "platform/widgets/shared_dialogs.h"

TfrmMain::TfrmMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("frmMain"));
  resize(1366, 768);
  setWindowState(Qt::WindowMaximized);

  ImageList = new TImageList(this);
  SaveDialog = new TFileDialog(TFileDialog::fdSave, this);
  SaveDialog->setObjectName(QStringLiteral("SaveDialog"));
  SaveDialog->DefaultExt = QStringLiteral("ktp");
  SaveDialog->Filter = QStringLiteral("KTP|*.ktp");
  SaveDialog->Options = TFileDialog::ofOverwritePrompt | TFileDialog::ofHideReadOnly |
                        TFileDialog::ofPathMustExist | TFileDialog::ofEnableSizing;
  OpenDialog = new TFileDialog(TFileDialog::fdOpen, this);
  OpenDialog->setObjectName(QStringLiteral("OpenDialog"));
  OpenDialog->DefaultExt = QStringLiteral("ktp");
  OpenDialog->Filter = QStringLiteral("KTP|*.ktp");
  OpenDialog->Options = TFileDialog::ofHideReadOnly | TFileDialog::ofPathMustExist |
                        TFileDialog::ofFileMustExist | TFileDialog::ofEnableSizing;

  DesignMenu();
  DesignProtocolTab();
  DesignRegisterTab();
  DesignWeighingTab();
  DesignStreamsTab();
  DesignCompetitionTab();
  DesignRelayRaceTab();
  DesignTeamProtocolTab();
  BindTableEvents();
  BindControls();
  // The design-time texts: the window was drawn in Russian, and shows it until
  // the start-up applies the language read from the settings.
  ApplyComponentTexts();

  RunGuarded([this] { FormCreate(); });
}

TfrmMain::~TfrmMain() {
  RunGuarded([this] { FormDestroy(); });
  // Freed whether or not their last writes went through.
  FSettings.reset();
  FGridsIni.reset();
  FShowHandlers.clear();
  // A focus move while the controls go would count as leaving a grid.
  if (QWidget* focus = QApplication::focusWidget(); focus != nullptr && isAncestorOf(focus)) {
    focus->clearFocus();
  }
  // The controls go before the tables they show; the stream frames write
  // their own tables back as they go.
  delete takeCentralWidget();
  CloseTables();
}

void TfrmMain::CloseTables() noexcept {
  TClientDataSet* tables[] = {&dsOrganizer,
                              &dsManWeight,
                              &dsWomanWeight,
                              &dsRefereePlatform,
                              &dsRefereePlatformMain,
                              &dsCompetitor,
                              &dsCompetitorHB,
                              &dsHBTeam,
                              &dsHBTrainer,
                              &dsNormative,
                              &dsSnatch,
                              &dsLongCycle,
                              &dsBiathlon,
                              &dsRelayRace,
                              &dsRRTeam,
                              &dsTeamProtocol,
                              &dsCompetitorStream,
                              &dsRank,
                              &dsSex};
  for (TClientDataSet* table : tables) {
    RunGuarded([table] { table->Close(); });
  }
}

void TfrmMain::closeEvent(QCloseEvent* event) {
  bool canClose = false;
  RunGuarded([&] { canClose = FormCloseQuery(); });
  if (!canClose) {
    event->ignore();
    return;
  }
  // A failed merge is shown and the files are written all the same.
  RunGuarded([this] { FormClose(); });
  bool written = false;
  RunGuarded([&] { written = WriteFilesAtClose(); });
  if (!written) {
    event->ignore();
    return;
  }
  event->accept();
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show && !event->spontaneous()) {
    if (const auto handler = FShowHandlers.value(watched)) {
      RunGuarded([this, handler] { (this->*handler)(); });
    }
  } else if (watched == lbAnchor) {
    switch (event->type()) {
      case QEvent::MouseButtonRelease: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && lbAnchor->rect().contains(mouse->position().toPoint())) {
          RunGuarded([this] { lbAnchorClick(); });
        }
        break;
      }
      case QEvent::MouseMove:
        RunGuarded([this] { lbAnchorMouseMove(); });
        break;
      case QEvent::Leave:
        RunGuarded([this] { lbAnchorMouseLeave(); });
        break;
      default:
        break;
    }
  }
  return QMainWindow::eventFilter(watched, event);
}

QList<TDataGrid*> TfrmMain::PersistedGrids() const {
  return {grCompetitor,
          grCompetitorHB,
          grWeight,
          grSnatch,
          grLongCycle,
          grBiathlon,
          frmStreamSnatch->grStream,
          frmStreamLongCycle->grStream,
          frmStreamBiathlon->grStream,
          grRelayRace,
          grRelayRaceHB};
}

void TfrmMain::OnShowPage(QWidget* Page, void (TfrmMain::*Handler)()) {
  FShowHandlers.insert(Page, Handler);
  Page->installEventFilter(this);
}

void TfrmMain::OnClick(QToolButton* Button, void (TfrmMain::*Handler)()) {
  connect(Button, &QToolButton::clicked, this,
          [this, Handler] { RunGuarded([this, Handler] { (this->*Handler)(); }); });
}

void TfrmMain::BindTableEvents() {
  using TTableHandler = void (TfrmMain::*)(TClientDataSet&);
  using TFieldHandler = void (TfrmMain::*)(TField&);
  const auto table = [this](TTableHandler handler) {
    return [this, handler](TClientDataSet& dataSet) { (this->*handler)(dataSet); };
  };
  const auto field = [this](TFieldHandler handler) {
    return [this, handler](TField& sender) { (this->*handler)(sender); };
  };
  const auto fieldOf = [](TClientDataSet& dataSet, const char* name) -> TField& {
    return dataSet.FieldByName(QString::fromLatin1(name));
  };

  dsCompetitor.BeforeInsert = table(&TfrmMain::dsCompetitorBeforeInsert);
  dsCompetitor.AfterPost = table(&TfrmMain::dsCompetitorAfterPost);
  dsCompetitor.OnNewRecord = table(&TfrmMain::dsCompetitorNewRecord);
  for (const char* name : {"Name", "Birthday", "Weight", "Sex"}) {
    fieldOf(dsCompetitor, name).OnValidate = field(&TfrmMain::dsCompetitorNotNullStrValidate);
  }
  fieldOf(dsCompetitor, "RealWeight").OnChange = field(&TfrmMain::dsCompetitorRealWeightChange);

  dsSnatch.BeforeInsert = table(&TfrmMain::dsSnatchBeforeInsert);
  dsLongCycle.BeforeInsert = table(&TfrmMain::dsLongCycleBeforeInsert);
  dsBiathlon.BeforeInsert = table(&TfrmMain::dsBiathlonBeforeInsert);
  fieldOf(dsSnatch, "Result").OnChange = field(&TfrmMain::dsJerkPutResultChange);
  fieldOf(dsLongCycle, "Result").OnChange = field(&TfrmMain::dsJerkPutResultChange);
  // The biathlon sum follows either of its two results.
  fieldOf(dsBiathlon, "JerkResult").OnChange = field(&TfrmMain::dsBiathlonJerkResultChange);
  fieldOf(dsBiathlon, "PutResult").OnChange = field(&TfrmMain::dsBiathlonJerkResultChange);
  for (TClientDataSet* protocol : {&dsSnatch, &dsLongCycle, &dsBiathlon}) {
    fieldOf(*protocol, "Point").OnGetText = [this](TField& sender, QString& text, bool displayText) {
      TeamPointGetText(sender, text, displayText);
    };
  }

  dsRelayRace.BeforeInsert = table(&TfrmMain::dsRelayRaceBeforeInsert);
  fieldOf(dsRelayRace, "Result").OnChange = field(&TfrmMain::dsRelayRaceResultChange);
  dsTeamProtocol.BeforeInsert = table(&TfrmMain::dsTeamProtocolBeforeInsert);

  for (TClientDataSet* classes : {&dsManWeight, &dsWomanWeight}) {
    classes->BeforeDelete = table(&TfrmMain::dsWeightBeforeDelete);
    classes->AfterPost = table(&TfrmMain::dsWeightAfterPost);
    TField& weight = fieldOf(*classes, "Weight");
    weight.OnGetText = [this](TField& sender, QString& text, bool displayText) {
      dsWeightWeightGetText(sender, text, displayText);
    };
    weight.OnSetText = [this](TField& sender, const QString& text) { dsWeightWeightSetText(sender, text); };
    weight.OnValidate = field(&TfrmMain::dsWeightWeightValidate);
  }

  dsNormative.AfterInsert = table(&TfrmMain::dsNormativeAfterInsert);
  dsCompetitorStream.AfterInsert = table(&TfrmMain::dsCompetitorStreamAfterInsert);
  for (const char* name : {"Name", "Weight"}) {
    fieldOf(dsCompetitorStream, name).OnValidate = field(&TfrmMain::dsCompetitorNotNullStrValidate);
  }
}

void TfrmMain::BindControls() {
  // ---- Menu ----
  for (QAction* item : {miLanguage_RU, miLanguage_EN}) {
    connect(item, &QAction::triggered, this, [this, item] {
      // Qt checks the item itself before it tells; the handler decides.
      item->setChecked(!item->isChecked());
      RunGuarded([this, item] { miLanguage_Click(item); });
    });
  }
  connect(miExportExcel, &QAction::triggered, this, [this] { RunGuarded([this] { miExportExcelClick(); }); });
  connect(mniAbout, &QAction::triggered, this, [this] { RunGuarded([this] { mniAboutClick(); }); });
  lbAnchor->installEventFilter(this);

  // ---- Pages ----
  OnShowPage(tbshProtocol_Weight, &TfrmMain::tbshProtocol_WeightShow);
  OnShowPage(tbshNormMan, &TfrmMain::tbshNormManShow);
  OnShowPage(tbshNormWoman, &TfrmMain::tbshNormWomanShow);
  OnShowPage(tbshCredentialsCommittee, &TfrmMain::tbshCredentialsCommitteeShow);
  OnShowPage(tbshWeight, &TfrmMain::tbshWeightShow);
  OnShowPage(tbshWoman, &TfrmMain::tbshWomanShow);
  OnShowPage(tbshMan, &TfrmMain::tbshManShow);
  OnShowPage(tbshStream, &TfrmMain::tbshStreamShow);
  OnShowPage(tbshStreamSnatch, &TfrmMain::tbshStreamSnatchShow);
  OnShowPage(tbshStreamLongCycle, &TfrmMain::tbshStreamLongCycleShow);
  OnShowPage(tbshStreamBiathlon, &TfrmMain::tbshStreamBiathlonShow);
  OnShowPage(tbshCompetition, &TfrmMain::tbshCompetitionShow);
  OnShowPage(tbshCompWoman, &TfrmMain::tbshCompWomanShow);
  OnShowPage(tbshCompMan, &TfrmMain::tbshCompManShow);
  OnShowPage(tbshRelayRace, &TfrmMain::tbshRelayRaceShow);
  OnShowPage(tbshRRMan, &TfrmMain::tbshRRManShow);
  OnShowPage(tbshRRWoman, &TfrmMain::tbshRRWomanShow);
  OnShowPage(tbshRRJerk, &TfrmMain::tbshRRJerkShow);
  OnShowPage(tbshRRLongCycle, &TfrmMain::tbshRRLongCycleShow);
  OnShowPage(tbshRRSnatch, &TfrmMain::tbshRRSnatchShow);

  // ---- Buttons ----
  OnClick(btnSaveOrganizator, &TfrmMain::btnSaveOrganizatorClick);
  OnClick(btnSaveRefereePM, &TfrmMain::btnSaveRefereePMClick);
  OnClick(btnSaveRefereeP, &TfrmMain::btnSaveRefereePClick);
  OnClick(btnSaveManWeight, &TfrmMain::btnSaveManWeightClick);
  OnClick(btnSaveWomanWeight, &TfrmMain::btnSaveWomanWeightClick);
  OnClick(btnRefreshManWeightHB, &TfrmMain::btnRefreshWeightHBClick);
  OnClick(btnRefreshWomanWeightHB, &TfrmMain::btnRefreshWeightHBClick);
  OnClick(btnSaveNormative, &TfrmMain::btnSaveNormativeClick);
  OnClick(btnSaveCompetitor, &TfrmMain::btnSaveCompetitorClick);
  OnClick(btnLoadCompetitor, &TfrmMain::btnLoadCompetitorClick);
  OnClick(butHBSelect, &TfrmMain::butHBSelectClick);
  OnClick(btnSaveCompetitorWeight, &TfrmMain::btnSaveCompetitorWeightClick);
  OnClick(butCompetitorStreamSelect, &TfrmMain::butCompetitorStreamSelectClick);
  OnClick(btnRefreshStreamHB, &TfrmMain::btnRefreshStreamHBClick);
  OnClick(btnNewCompetition, &TfrmMain::btnNewCompetitionClick);
  OnClick(btnSaveSnatch, &TfrmMain::btnSaveSnatchClick);
  OnClick(btnLoadSnatch, &TfrmMain::btnLoadSnatchClick);
  OnClick(btnPrintSnatch, &TfrmMain::btnPrintSnatchClick);
  OnClick(btnSetPointSnatch, &TfrmMain::btnSetPointSnatchClick);
  OnClick(btnSetMadeRankSnatch, &TfrmMain::btnSetMadeRankSnatchClick);
  OnClick(btnSaveLongCycle, &TfrmMain::btnSaveLongCycleClick);
  OnClick(btnLoadLongCycle, &TfrmMain::btnLoadLongCycleClick);
  OnClick(btnPrintLongCycle, &TfrmMain::btnPrintLongCycleClick);
  OnClick(btnSetPointLongCycle, &TfrmMain::btnSetPointLongCycleClick);
  OnClick(btnSetMadeRankLongCycle, &TfrmMain::btnSetMadeRankLongCycleClick);
  OnClick(btnSaveBiathlon, &TfrmMain::btnSaveBiathlonClick);
  OnClick(btnLoadBiathlon, &TfrmMain::btnLoadBiathlonClick);
  OnClick(btnPrintBiathlon, &TfrmMain::btnPrintBiathlonClick);
  OnClick(btnSetPointBiathlon, &TfrmMain::btnSetPointBiathlonClick);
  OnClick(btnSetMadeRankBiathlon, &TfrmMain::btnSetMadeRankBiathlonClick);
  OnClick(btnNewRelayRace, &TfrmMain::btnNewRelayRaceClick);
  OnClick(btnShowRRCompetitorHB, &TfrmMain::btnShowRRCompetitorHBClick);
  OnClick(btnSaveRR, &TfrmMain::btnSaveRRClick);
  OnClick(btnLoadRR, &TfrmMain::btnLoadRRClick);
  OnClick(btnPrintRR, &TfrmMain::btnPrintRRClick);
  OnClick(butCompetitorSelect, &TfrmMain::butCompetitorSelectClick);
  OnClick(btnRRCalculate, &TfrmMain::btnRRCalculateClick);
  OnClick(btnCreateTeamProtocol, &TfrmMain::btnCreateTeamProtocolClick);
  OnClick(btnCalculatePosition, &TfrmMain::btnCalculatePositionClick);
  OnClick(btnSaveTeamProtocol, &TfrmMain::btnSaveTeamProtocolClick);
  OnClick(btnLoadTeamProtocol, &TfrmMain::btnLoadTeamProtocolClick);
  OnClick(btnPrintTeamProtocol, &TfrmMain::btnPrintTeamProtocolClick);

  // ---- Selectors: a choice by the user, not an item set by the program ----
  const auto onChoice = [this](QComboBox* combo, void (TfrmMain::*handler)()) {
    connect(combo, &QComboBox::activated, this,
            [this, handler] { RunGuarded([this, handler] { (this->*handler)(); }); });
  };
  onChoice(cbWomanWeightClass, &TfrmMain::cbWomanWeightClassChange);
  onChoice(cbManWeightClass, &TfrmMain::cbManWeightClassChange);
  onChoice(cbCompWomanWeightClass, &TfrmMain::cbCompWomanWeightClassChange);
  onChoice(cbCompManWeightClass, &TfrmMain::cbCompManWeightClassChange);
  onChoice(cbTeam, &TfrmMain::cbTeamChange);

  // ---- Grids and edits (the controls run these guarded themselves) ----
  for (TDataGrid* grid :
       {grOrganizer, grRefereePlatform, grManWeight, grWomanWeight, grNormative, grCompetitor, grWeight,
        grSnatch, grLongCycle, grBiathlon, grRelayRace, grTeamProtocol}) {
    grid->OnExit = [this](TDataGrid& sender) { grAutoPostOnExit(sender); };
  }
  grCompetitorHB->OnDblClick = [this](TDataGrid&) { butHBSelectClick(); };
  grStreamHB->OnDblClick = [this](TDataGrid&) { butCompetitorStreamSelectClick(); };
  grStreamHB->OnKeyPress = [this](TDataGrid& sender, QChar& key) { grStreamHBKeyPress(sender, key); };
  grRelayRaceHB->OnDblClick = [this](TDataGrid&) { butCompetitorSelectClick(); };
  grTeamProtocol->OnKeyPress = [this](TDataGrid& sender, QChar& key) { grTeamProtocolKeyPress(sender, key); };
  grTeamProtocol->OnTitleClick = [this](TDataGrid& sender, int position) {
    grTeamProtocolTitleClick(sender, position);
  };
  edName->OnKeyUp = [this](TDataEdit& sender, int key, Qt::KeyboardModifiers shift) {
    edNameKeyUp(sender, key, shift);
  };
  edName->OnExit = [this](TDataEdit& sender) { edNameExit(sender); };
  for (TDataEdit* edit : {edTeam, edTrainer}) {
    edit->OnKeyUp = [this](TDataEdit& sender, int key, Qt::KeyboardModifiers shift) {
      edTeamKeyUp(sender, key, shift);
    };
  }
}
