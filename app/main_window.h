#pragma once

#include <QHash>
#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

#include "app/data/tables.h"

class QAction;
class QDate;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QSpinBox;
class QTabWidget;
class QToolButton;
class TDataCheckBox;
class TDataEdit;
class TDataGrid;
class TDataLookupComboBox;
class TDataNavigator;
class TFileDialog;
class TImageList;
class TIniFile;
class TIntSortList;
class TProtocol;
class TfrmStream;

// The competition program's main window. It owns every table (through
// TCompetitionTables), the settings files, the three stream frames and every
// control of the tabs.
//
// The class is laid out by tab. Each group names the file that holds its
// bodies; a tab's logic is added by filling in that file. The controls and the
// tables' event bindings are all made by the constructor (the design_*.cpp
// files and main_window.cpp), so a handler declared here is already bound to
// its control or table event.
//
// Every entry point from Qt (slots, event handlers, the close event) runs its
// work guarded: an error is shown through the shared error display and never
// reaches Qt. Handlers of table and field events run inside the table's own
// operation and let their exceptions (the silent abort included) travel back
// to it.
// The default name of a protocol file of a kind ("snatch") saved on a day:
// protocol_snatch20260309.ktp.
QString ProtocolFileName(const QString& Kind, const QDate& Today);

class TfrmMain : public QMainWindow {
  Q_OBJECT

 private:
  // Declared first: the table references below are bound to it.
  TCompetitionTables FTables;

 public:
  // Builds the window and runs FormCreate; an error in the start-up sequence
  // is shown and the window opens all the same.
  explicit TfrmMain(QWidget* parent = nullptr);
  // FormDestroy, then the controls (the stream frames writing their tables
  // back), then the window's tables, each file table written back when it
  // changed. Never throws: errors are shown and the rest goes on.
  ~TfrmMain() override;

  // ---- Tables ----
  TClientDataSet& dsRank = FTables.dsRank;
  TClientDataSet& dsSex = FTables.dsSex;
  TClientDataSet& dsOrganizer = FTables.dsOrganizer;
  TClientDataSet& dsManWeight = FTables.dsManWeight;
  TClientDataSet& dsWomanWeight = FTables.dsWomanWeight;
  TClientDataSet& dsRefereePlatform = FTables.dsRefereePlatform;
  TClientDataSet& dsRefereePlatformMain = FTables.dsRefereePlatformMain;
  TClientDataSet& dsCompetitor = FTables.dsCompetitor;
  TClientDataSet& dsCompetitorHB = FTables.dsCompetitorHB;
  TClientDataSet& dsHBTeam = FTables.dsHBTeam;
  TClientDataSet& dsHBTrainer = FTables.dsHBTrainer;
  TClientDataSet& dsNormative = FTables.dsNormative;
  TClientDataSet& dsSnatch = FTables.dsSnatch;
  TClientDataSet& dsLongCycle = FTables.dsLongCycle;
  TClientDataSet& dsBiathlon = FTables.dsBiathlon;
  TClientDataSet& dsRelayRace = FTables.dsRelayRace;
  TClientDataSet& dsRRTeam = FTables.dsRRTeam;
  TClientDataSet& dsTeamProtocol = FTables.dsTeamProtocol;
  TClientDataSet& dsCompetitorStream = FTables.dsCompetitorStream;
  TCompetitionTables& Tables() { return FTables; }

  // ---- Non-visual components ----
  TImageList* ImageList;
  TFileDialog* SaveDialog;
  TFileDialog* OpenDialog;

  // ---- Menu and top panel ----
  QMenu* miLanguage;
  QAction* miLanguage_RU;
  QAction* miLanguage_EN;
  QAction* miExportExcel;
  QAction* mniAbout;
  QWidget* pTop;
  QLabel* lbAnchor;
  QTabWidget* pcMain;

  // ---- Competition protocol tab: general data, referees, weight classes,
  //      ranks requirements ----
  QWidget* tbshProtocol;
  QTabWidget* pcProtocol;
  QWidget* tbshProtocol_General;
  TDataGrid* grOrganizer;
  TDataNavigator* dbnvgrProtocolGeneral;
  QToolButton* btnSaveOrganizator;
  QLabel* lbDate;
  QLineEdit* edDate;
  QLabel* lbCity;
  QLineEdit* edCity;
  QLabel* edCompetitionName_EditLabel;
  QLineEdit* edCompetitionName;
  QLabel* edRefereeMain_EditLabel;
  QLineEdit* edRefereeMain;
  QLabel* edSecretary_EditLabel;
  QLineEdit* edSecretary;
  QLabel* lbDiscipline;
  QCheckBox* cbBiathlon;
  QCheckBox* cbLongCycle;
  QCheckBox* cbSnatch;
  QLabel* lbWeightM;
  QLabel* lbWeightW;
  QComboBox* cbBiathlonWeightM;
  QComboBox* cbBiathlonWeightW;
  QComboBox* cbLongCycleWeightM;
  QComboBox* cbLongCycleWeightW;
  QComboBox* cbSnatchWeightM;
  QComboBox* cbSnatchWeightW;
  QLabel* lbRelayRaceDiscipline;
  QCheckBox* cbRRDJerk;
  QCheckBox* cbRRDLongCycle;
  QCheckBox* cbRRDSnatch;
  QCheckBox* cbCountTeamProtocolCompetitor;
  QLabel* lbX;
  QSpinBox* seCountTeamProtocolCompetitor;
  QCheckBox* cbAddRelayToTeamProtocol;
  QWidget* tbshRefereePlatformMain;
  TDataGrid* grRefereePlatformMain;
  TDataNavigator* dbnvgrRefereePlatformMain;
  QToolButton* btnSaveRefereePM;
  QWidget* tbshRefereePlatform;
  TDataGrid* grRefereePlatform;
  TDataNavigator* dbnvgrRefereePlatform;
  QToolButton* btnSaveRefereeP;
  QWidget* tbshProtocol_Weight;
  QTabWidget* pcProtocolWeight;
  QWidget* tbshManWeight;
  TDataGrid* grManWeight;
  TDataNavigator* dbnvgrManWeight;
  QToolButton* btnSaveManWeight;
  QToolButton* btnRefreshManWeightHB;
  QWidget* tbshWomanWeight;
  TDataGrid* grWomanWeight;
  TDataNavigator* dbnvgrWomanWeight;
  QToolButton* btnSaveWomanWeight;
  QToolButton* btnRefreshWomanWeightHB;
  QWidget* tbshNormative;
  QTabWidget* pcNormativeSex;
  QWidget* tbshNormMan;
  QWidget* tbshNormWoman;
  TDataGrid* grNormative;
  TDataNavigator* dbnvgrNormative;
  QToolButton* btnSaveNormative;

  // ---- Registration tab ----
  QWidget* tbshCredentialsCommittee;
  QLabel* lbName;
  TDataEdit* edName;
  QLabel* lbPassport;
  TDataEdit* edPassport;
  QLabel* lbBirthday;
  TDataEdit* edBirthday;
  QLabel* lbRank;
  TDataLookupComboBox* edRank;
  QLabel* lbTeam;
  TDataEdit* edTeam;
  TDataCheckBox* edAtTheTeam;
  QLabel* lbTrainer;
  TDataEdit* edTrainer;
  QLabel* lbWeight;
  TDataEdit* edWeight;
  QLabel* lbSex;
  TDataLookupComboBox* edSex;
  QLabel* lbBestResult;
  QLabel* lbDiscip;
  QLabel* lbInvolved;
  QLabel* lbBestResJerk;
  TDataEdit* edBestResJerk;
  TDataEdit* edBestResSnatch;
  TDataCheckBox* edSnatch;
  TDataEdit* edBestResBiathlon;
  TDataCheckBox* edBiathlon;
  TDataEdit* edBestResLongCycle;
  TDataCheckBox* edLongCycle;
  TDataNavigator* dbnvgrCompetitor;
  TDataNavigator* dbnvgrComp2;
  QToolButton* btnSaveCompetitor;
  QToolButton* btnLoadCompetitor;
  QLabel* lbParticipants;
  TDataGrid* grCompetitor;
  QLabel* lbHandbook;
  QToolButton* butHBSelect;
  TDataGrid* grCompetitorHB;

  // ---- Weighing tab ----
  QWidget* tbshWeight;
  QTabWidget* pcWeight;
  QWidget* tbshWoman;
  QComboBox* cbWomanWeightClass;
  QWidget* tbshMan;
  QComboBox* cbManWeightClass;
  TDataNavigator* dbnvgrSHWeight;
  QToolButton* btnSaveCompetitorWeight;
  TDataGrid* grWeight;

  // ---- Streams tab ----
  QWidget* tbshStream;
  QTabWidget* pcStream;
  QWidget* tbshStreamSnatch;
  TfrmStream* frmStreamSnatch;
  QWidget* tbshStreamLongCycle;
  TfrmStream* frmStreamLongCycle;
  QWidget* tbshStreamBiathlon;
  TfrmStream* frmStreamBiathlon;
  QToolButton* butCompetitorStreamSelect;
  QToolButton* btnRefreshStreamHB;
  QCheckBox* cbExcept;
  TDataGrid* grStreamHB;

  // ---- Competition tab ----
  QWidget* tbshCompetition;
  QToolButton* btnNewCompetition;
  QWidget* pMenuCompLeft;
  QTabWidget* pcCompetitionWeight;
  QWidget* tbshCompWoman;
  QComboBox* cbCompWomanWeightClass;
  QWidget* tbshCompMan;
  QComboBox* cbCompManWeightClass;
  QTabWidget* pcCompetition;
  QWidget* tbshSnatch;
  QToolButton* btnSaveSnatch;
  QToolButton* btnLoadSnatch;
  QToolButton* btnPrintSnatch;
  QToolButton* btnSetPointSnatch;
  QToolButton* btnSetMadeRankSnatch;
  TDataNavigator* dbnvgrSnatch;
  TDataGrid* grSnatch;
  QWidget* tbshLongCycle;
  QToolButton* btnSaveLongCycle;
  QToolButton* btnLoadLongCycle;
  QToolButton* btnPrintLongCycle;
  QToolButton* btnSetPointLongCycle;
  QToolButton* btnSetMadeRankLongCycle;
  TDataNavigator* dbnvgrLongCycle;
  TDataGrid* grLongCycle;
  QWidget* tbshBiathlon;
  QToolButton* btnSaveBiathlon;
  QToolButton* btnLoadBiathlon;
  QToolButton* btnPrintBiathlon;
  QToolButton* btnSetPointBiathlon;
  QToolButton* btnSetMadeRankBiathlon;
  TDataNavigator* dbnvgrBiathlon;
  TDataGrid* grBiathlon;

  // ---- Relay race tab ----
  QWidget* tbshRelayRace;
  QToolButton* btnNewRelayRace;
  QToolButton* btnShowRRCompetitorHB;
  QWidget* pMenuRRLeft;
  QTabWidget* pcRelayRaceSex;
  QWidget* tbshRRMan;
  QWidget* tbshRRWoman;
  QTabWidget* pcRRDiscipline;
  QWidget* tbshRRJerk;
  QWidget* tbshRRLongCycle;
  QWidget* tbshRRSnatch;
  QComboBox* cbTeam;
  TDataNavigator* dbnvgrRelayRace;
  QToolButton* btnSaveRR;
  QToolButton* btnLoadRR;
  QToolButton* btnPrintRR;
  TDataGrid* grRelayRace;
  QWidget* pRelayRace;
  QToolButton* butCompetitorSelect;
  TDataGrid* grRelayRaceHB;
  QToolButton* btnRRCalculate;
  TDataGrid* grRRTeam;

  // ---- Team protocol tab ----
  QWidget* tbshTeamProtocol;
  QToolButton* btnCreateTeamProtocol;
  QToolButton* btnCalculatePosition;
  QToolButton* btnSaveTeamProtocol;
  QToolButton* btnLoadTeamProtocol;
  QToolButton* btnPrintTeamProtocol;
  TDataNavigator* dbnvgrTeamProtocol;
  TDataGrid* grTeamProtocol;

  // ==== Start-up and shutdown (startup.cpp) ====
  void FormCreate();
  // Asked first when the window is to close: false, or an error (its message
  // shown), keeps the window open as it is and nothing of the close runs.
  // Each step is a small function of its own that refuses by raising or by
  // returning false.
  bool FormCloseQuery();
  // The register's pending row, with what its controls still hold, posted
  // (a row a grid began and nobody filled is dropped); a refused value raises
  // and the row stays pending.
  void PostPendingRegisterRow();
  // The close event: merges the whole register, whatever view a tab left on
  // it, into the whole competitor handbook; the register's view stays as it
  // was. Never refuses the close.
  void FormClose();
  // At close: a data folder removed while the program ran is made again and
  // the user told so once; every open file table then writes its file into
  // it.
  void RecreateDataFolder();
  // At close, after the merge: each file table's pending row posted and its
  // posted rows written if changed, then the settings and the grid layout.
  // When a post or a write fails, the failures and what each costs are shown
  // with an OK/Cancel question; false (Cancel) keeps the window open with
  // everything in memory, OK gives up the refused rows (cancelled) and the
  // failed writes for good.
  bool WriteFilesAtClose();
  // Settings and grid layout written, both INI objects flushed and freed.
  void FormDestroy();
  void SetupStreamFrame(TfrmStream& Frame);
  void InitDataFolder();
  // Open-or-create of one table file in the data folder; Fill gives a freshly
  // created table its default rows.
  void OpenOrCreate(TClientDataSet& Table, const QString& FileName, const std::function<void()>& Fill = {});
  void FillManWeightDefaults();
  void FillWomanWeightDefaults();
  void FillRankTable();
  void FillSexTable();

  // ==== Settings and grid layout (settings.cpp) ====
  void LoadSettings();
  void SaveSettings();
  void LoadGridColumns(TDataGrid& Grid);
  void SaveGridColumns(TDataGrid& Grid);
  void LoadAllGridColumns();
  void SaveAllGridColumns();

  // ==== Interface language and window texts (window_texts.cpp) ====
  QString Translate(const QString& Russian, const QString& English) const;
  TTranslateFunc TranslateFunc() const;
  void ApplyLanguage();
  void SetNavigatorHints(TDataNavigator& Navigator, TDataNavigator* Source);
  // Replaces the prompt every grid and navigator asks before deleting.
  void PatchResourceString(const QString& Text);
  void miLanguage_Click(QAction* Sender);
  void mniAboutClick();
  void grAutoPostOnExit(TDataGrid& Sender);
  void lbAnchorClick();
  void lbAnchorMouseMove();
  void lbAnchorMouseLeave();

  // ==== Registration tab and reference tables (register_tab.cpp) ====
  void dsCompetitorNotNullStrValidate(TField& Sender);
  void dsCompetitorRealWeightChange(TField& Sender);
  void dsCompetitorNewRecord(TClientDataSet& DataSet);
  void dsCompetitorAfterPost(TClientDataSet& DataSet);
  void dsCompetitorBeforeInsert(TClientDataSet& DataSet);
  void dsSnatchBeforeInsert(TClientDataSet& DataSet);
  void dsLongCycleBeforeInsert(TClientDataSet& DataSet);
  void dsBiathlonBeforeInsert(TClientDataSet& DataSet);
  void dsRelayRaceBeforeInsert(TClientDataSet& DataSet);
  // Key: the Qt::Key code of the released key.
  void edNameKeyUp(TDataEdit& Sender, int Key, Qt::KeyboardModifiers Shift);
  void edNameExit(TDataEdit& Sender);
  void edTeamKeyUp(TDataEdit& Sender, int Key, Qt::KeyboardModifiers Shift);
  void butHBSelectClick();
  void tbshCredentialsCommitteeShow();
  void CopyAllRecords(TClientDataSet& Source, TClientDataSet& Dest);
  void btnSaveNormativeClick();
  void btnSaveManWeightClick();
  void btnSaveWomanWeightClick();
  void btnSaveRefereePMClick();
  void btnSaveRefereePClick();
  void btnSaveOrganizatorClick();
  void btnSaveCompetitorWeightClick();

  // ==== Weighing, weight classes and class filters (weighing_tab.cpp) ====
  // Items: the selector whose item list is filled or read.
  void FillWeightClassItems(TField& WeightField, QComboBox& Items, bool AddAll);
  QString BuildWeightFilter(int Index, const QComboBox& Items, bool HasAll) const;
  void FilterWomanWeightClass(TClientDataSet& DataSet, int Index, const QComboBox& Items, bool HasAll);
  void FilterManWeightClass(TClientDataSet& DataSet, int Index, const QComboBox& Items, bool HasAll);
  // Sex 0 or 1; a selector with no item selected changes no filter.
  void FilterWeightClass(TClientDataSet& DataSet, int Sex, int Index, const QComboBox& Items, bool HasAll);
  // The class filter of the sex page the competition tab shows.
  void FilterShownWeightClass(TClientDataSet& DataSet);
  // "свыше" / "above" in the language of the moment.
  QString OpenClassCaption() const;
  // After a language switch: the open class and "all" items of the four
  // selectors in the new language, the selection kept.
  void RelabelWeightClassItems();
  void tbshWeightShow();
  void tbshWomanShow();
  void tbshManShow();
  void cbWomanWeightClassChange();
  void cbManWeightClassChange();
  void tbshCompetitionShow();
  void tbshCompWomanShow();
  void tbshCompManShow();
  void cbCompWomanWeightClassChange();
  void cbCompManWeightClassChange();
  void dsWeightWeightGetText(TField& Sender, QString& Text, bool DisplayText);
  void dsWeightWeightSetText(TField& Sender, const QString& Text);
  void dsWeightWeightValidate(TField& Sender);
  void dsWeightBeforeDelete(TClientDataSet& DataSet);
  void dsWeightAfterPost(TClientDataSet& DataSet);
  // A class table going to After's limits (a delete about to be done, or a
  // post done): in the built protocols, the classes whose athletes change get
  // their places numbered afresh, and the competition tab lists After's
  // classes. Question, given the classes to renumber, is asked first and its
  // Cancel changes nothing; without it the user is told afterwards.
  void FollowWeightClassChange(TClientDataSet& Classes, const std::vector<int>& After,
                               const std::function<QString(const std::vector<int>& Renumbered)>& Question);
  // The limits a competition selector lists, in its order.
  std::vector<int> SelectorClassLimits(const QComboBox& Items) const;
  // A class's item text: the limit, or for the open class its caption.
  QString ClassItemText(int Limit) const;
  void btnRefreshWeightHBClick();
  void tbshProtocol_WeightShow();
  void tbshNormManShow();
  void tbshNormWomanShow();
  void dsNormativeAfterInsert(TClientDataSet& DataSet);

  // ==== Streams tab (streams_tab.cpp) ====
  void tbshStreamShow();
  void tbshStreamSnatchShow();
  void tbshStreamLongCycleShow();
  void tbshStreamBiathlonShow();
  void btnRefreshStreamHBClick();
  void butCompetitorStreamSelectClick();
  void grStreamHBKeyPress(TDataGrid& Sender, QChar& Key);
  // The stream frames' removed-competitor callback.
  void ReturnCompetitorToList(TClientDataSet& Stream);
  void dsCompetitorStreamAfterInsert(TClientDataSet& DataSet);

  // ==== Discipline protocols (competition_tab.cpp) ====
  void btnNewCompetitionClick();
  // The question before a protocol is built again; true for OK.
  bool ConfirmProtocolRebuild();
  void dsJerkPutResultChange(TField& Sender);
  void dsBiathlonJerkResultChange(TField& Sender);
  void btnSetPointSnatchClick();
  void btnSetPointLongCycleClick();
  void btnSetPointBiathlonClick();
  void btnSetMadeRankSnatchClick();
  void btnSetMadeRankLongCycleClick();
  void btnSetMadeRankBiathlonClick();
  void SetPoints(TField& PlaceField, TField& PointField, TField& ConditionField);
  void SetMadeRank(const QString& Discipline, const QString& DumbbellWeight, const QString& WeightClass,
                   int Sex, TField& ResultField, TField& MadeRankField);
  QString GetOpenClassName(int Sex);
  // The competition selector of a sex lists After's classes, the class chosen
  // kept as it is after the change (a deleted one gives way to the class that
  // takes its athletes in); a class view shown of that sex is filtered anew.
  void RefillCompetitionClasses(int Sex, const std::vector<int>& Before, const std::vector<int>& After);
  // An achieved-rank button: the sex, class and kettlebell weight of the sex
  // page shown.
  void SetShownMadeRank(const QString& Discipline, const QComboBox& WeightW, const QComboBox& WeightM,
                        TClientDataSet& Protocol, const QString& ResultName);

  // ==== Protocol files (protocol_files.cpp) ====
  void SaveProtocolFile(TClientDataSet& Table, const QString& Kind);
  // A file that cannot be read leaves the table as it was.
  void LoadProtocolFile(TClientDataSet& Table);
  // The OK/Cancel question before an opened file would replace protocol
  // changes; true when the file may be opened.
  bool ConfirmProtocolReplace(const TClientDataSet& Table);
  void btnSaveCompetitorClick();
  void btnLoadCompetitorClick();
  void btnSaveSnatchClick();
  void btnLoadSnatchClick();
  void btnSaveLongCycleClick();
  void btnLoadLongCycleClick();
  void btnSaveBiathlonClick();
  void btnLoadBiathlonClick();
  void btnSaveRRClick();
  void btnLoadRRClick();
  void btnSaveTeamProtocolClick();
  void btnLoadTeamProtocolClick();
  // Protocols live in memory: what was built, opened or saved to a protocol
  // file is the baseline a close compares against.
  void MarkProtocolSaved(TClientDataSet& Table);
  // A discipline protocol opened from a file, then the class filter shown.
  void LoadDisciplineProtocol(TClientDataSet& Table);
  bool ProtocolUnsaved(const TClientDataSet& Table) const;
  // The OK/Cancel question before a close would lose protocol changes; true
  // when the window may close.
  bool ConfirmUnsavedProtocols();

  // ==== Print requests (print_requests.cpp) ====
  void btnPrintSnatchClick();
  void btnPrintLongCycleClick();
  void btnPrintBiathlonClick();
  void btnPrintRRClick();
  void btnPrintTeamProtocolClick();
  void miExportExcelClick();
  QString GetWeightClassCaption();
  void GetPlatformReferees(QString& Referee, QString& MainReferee);
  // The class selector and weight-class table of the competition tab's sex
  // page shown.
  QComboBox& ShownClassSelector() const;
  TClientDataSet& ShownWeightTable();
  using TDisciplinePrint = void (TProtocol::*)(const QString&, const QString&, const QString&, const QString&,
                                               const QString&, const QString&, const QString&, const QString&,
                                               TClientDataSet&, TClientDataSet&, TClientDataSet&,
                                               const QString&, const QString&, int, const QString&);
  // A snatch, long cycle or biathlon print of the class shown.
  void PrintDiscipline(TDisciplinePrint Print, TClientDataSet& Protocol, const QComboBox& WeightM,
                       const QComboBox& WeightW);

  // ==== Relay race (relay_race_tab.cpp) ====
  void tbshRelayRaceShow();
  void tbshRRManShow();
  void tbshRRWomanShow();
  void tbshRRJerkShow();
  void tbshRRLongCycleShow();
  void tbshRRSnatchShow();
  void cbTeamChange();
  void btnShowRRCompetitorHBClick();
  void butCompetitorSelectClick();
  void dsRelayRaceResultChange(TField& Sender);
  void btnRRCalculateClick();
  void btnNewRelayRaceClick();
  int RelayCurrentSex() const;
  int RelayCurrentDiscipline() const;
  void FilterRelayRace(int Sex, int Discipline);
  QString WeightCategoryOf(TField& WeightField, double Weight);

  // ==== Team protocol (team_protocol_tab.cpp) ====
  void btnCreateTeamProtocolClick();
  void btnCalculatePositionClick();
  void grTeamProtocolKeyPress(TDataGrid& Sender, QChar& Key);
  // Position: the clicked column's position in the grid.
  void grTeamProtocolTitleClick(TDataGrid& Sender, int Position);
  void dsTeamProtocolBeforeInsert(TClientDataSet& DataSet);
  void TeamPointGetText(TField& Sender, QString& Text, bool DisplayText);
  // Kind 1: a text field (Team as wide as the register's, the others room
  // for any cell or shared place); any other kind an integer field.
  TField& AddTeamProtocolField(TClientDataSet& Table, int Kind, const QString& Name, const QString& Label);
  void AddTeamProtocolClassFields(TClientDataSet& Table, TField& WeightField, const QString& NamePrefix,
                                  const QString& LabelPrefix);
  void FillTeamColumns(TField& TeamField, TField& WeightField, TField& ProtocolTeamField, TField& PointField,
                       const QString& Sex, const QString& Prefix);
  void LimitTeamCells(int N);
  void AddRelayPoints();
  void CheckTeamExpression(const QString& Text, TIntSortList& List);
  int SumTeamExpression(const QString& Text);

  // ---- State ----
  quint8 Language() const { return FLanguage; }
  const QString& DataFolder() const { return FDataFolder; }
  // The eleven persisted grids in the order of Grids.ini (the three stream
  // frames' grids share the section grStream).
  QList<TDataGrid*> PersistedGrids() const;

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Component creation by tab (design_*.cpp).
  void DesignMenu();
  void DesignProtocolTab();
  void DesignRegisterTab();
  void DesignWeighingTab();
  void DesignStreamsTab();
  void DesignCompetitionTab();
  void DesignRelayRaceTab();
  void DesignTeamProtocolTab();
  // Binding of table and field events, tab shows, buttons (main_window.cpp).
  void BindTableEvents();
  void BindControls();
  // A page's show runs Handler, the way a tab sheet's OnShow does: when the
  // page becomes visible, by a page change or by its parents being shown.
  void OnShowPage(QWidget* Page, void (TfrmMain::*Handler)());
  void OnClick(QToolButton* Button, void (TfrmMain::*Handler)());
  // The captions, labels and hints of the text table, and the field labels.
  void ApplyComponentTexts();
  // The tables closed one by one at destruction, each write-back guarded.
  void CloseTables() noexcept;

  quint8 FLanguage = 0;
  QString FDataFolder;
  std::unique_ptr<TIniFile> FSettings;
  std::unique_ptr<TIniFile> FGridsIni;
  QHash<QObject*, void (TfrmMain::*)()> FShowHandlers;
  // Per protocol table: the length of its change log at its baseline.
  QHash<const TClientDataSet*, qsizetype> FSavedProtocols;
};
