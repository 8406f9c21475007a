// The registration tab: the register's edit form, its grid and the
// competitor handbook.
#include <QGridLayout>
#include <QSplitter>

#include "app/design.h"
#include "app/main_window.h"
#include "platform/widgets/data_check_box.h"
#include "platform/widgets/data_edit.h"
#include "platform/widgets/data_lookup_combo_box.h"

using namespace design;

namespace {

TDataEdit* Edit(QWidget* parent, const char* name, TClientDataSet& table, const char* field) {
  auto* edit = Named(new TDataEdit(parent), name);
  edit->SetDataSet(&table);
  edit->SetDataField(QString::fromLatin1(field));
  return edit;
}

TDataCheckBox* Check(QWidget* parent, const char* name, TClientDataSet& table, const char* field) {
  auto* box = Named(new TDataCheckBox(parent), name);
  box->SetDataSet(&table);
  box->SetDataField(QString::fromLatin1(field));
  return box;
}

TDataLookupComboBox* Lookup(QWidget* parent, const char* name, TClientDataSet& table, const char* keyField,
                            TClientDataSet& list) {
  auto* combo = Named(new TDataLookupComboBox(parent), name);
  combo->SetDataSet(&table);
  combo->SetDataField(QString::fromLatin1(keyField));
  combo->SetListSource(&list);
  combo->SetKeyField(QStringLiteral("ID"));
  combo->SetListField(QStringLiteral("Name"));
  return combo;
}

}  // namespace

void TfrmMain::DesignRegisterTab() {
  tbshCredentialsCommittee = Page(pcMain, "tbshCredentialsCommittee");
  QWidget* tab = tbshCredentialsCommittee;
  QVBoxLayout* layout = VBox(tab);

  // ---- Top: the form, the best results, the handbook ----
  auto* top = new QHBoxLayout;
  top->setSpacing(12);
  layout->addLayout(top, 0);

  auto* formColumn = new QVBoxLayout;
  dbnvgrCompetitor = Navigator(tab, "dbnvgrCompetitor", dsCompetitor, kEditButtons);
  btnSaveCompetitor = ToolButton(tab, "btnSaveCompetitor", *ImageList, iiSave);
  btnLoadCompetitor = ToolButton(tab, "btnLoadCompetitor", *ImageList, iiOpen);
  QHBoxLayout* strip = Strip(formColumn);
  strip->addWidget(dbnvgrCompetitor);
  strip->addWidget(btnSaveCompetitor);
  strip->addWidget(btnLoadCompetitor);
  strip->addStretch(1);

  auto* form = new QGridLayout;
  form->setHorizontalSpacing(6);
  form->setVerticalSpacing(4);
  lbName = Label(tab, "lbName");
  edName = Edit(tab, "edName", dsCompetitor, "Name");
  lbPassport = Label(tab, "lbPassport");
  edPassport = Edit(tab, "edPassport", dsCompetitor, "Passport");
  lbBirthday = Label(tab, "lbBirthday");
  edBirthday = Edit(tab, "edBirthday", dsCompetitor, "Birthday");
  lbRank = Label(tab, "lbRank");
  edRank = Lookup(tab, "edRank", dsCompetitor, "RankRef", dsRank);
  lbTeam = Label(tab, "lbTeam");
  edTeam = Edit(tab, "edTeam", dsCompetitor, "Team");
  edAtTheTeam = Check(tab, "edAtTheTeam", dsCompetitor, "AtTheTeam");
  lbTrainer = Label(tab, "lbTrainer");
  edTrainer = Edit(tab, "edTrainer", dsCompetitor, "Trainer");
  lbWeight = Label(tab, "lbWeight");
  edWeight = Edit(tab, "edWeight", dsCompetitor, "Weight");
  lbSex = Label(tab, "lbSex");
  edSex = Lookup(tab, "edSex", dsCompetitor, "SexRef", dsSex);
  for (auto [label, buddy] : {std::pair<QLabel*, QWidget*>{lbName, edName},
                              {lbPassport, edPassport},
                              {lbBirthday, edBirthday},
                              {lbRank, edRank},
                              {lbTeam, edTeam},
                              {lbTrainer, edTrainer},
                              {lbWeight, edWeight},
                              {lbSex, edSex}}) {
    label->setBuddy(buddy);
  }
  edBirthday->setMaximumWidth(110);
  edWeight->setMaximumWidth(110);
  form->addWidget(lbName, 0, 0);
  form->addWidget(edName, 0, 1, 1, 3);
  form->addWidget(lbPassport, 1, 0);
  form->addWidget(edPassport, 1, 1, 1, 3);
  form->addWidget(lbBirthday, 2, 0);
  form->addWidget(edBirthday, 2, 1);
  form->addWidget(lbRank, 2, 2, Qt::AlignRight);
  form->addWidget(edRank, 2, 3);
  form->addWidget(lbTeam, 3, 0);
  form->addWidget(edTeam, 3, 1, 1, 2);
  form->addWidget(edAtTheTeam, 3, 3);
  form->addWidget(lbTrainer, 4, 0);
  form->addWidget(edTrainer, 4, 1, 1, 3);
  form->addWidget(lbWeight, 5, 0);
  form->addWidget(edWeight, 5, 1);
  form->addWidget(lbSex, 5, 2, Qt::AlignRight);
  form->addWidget(edSex, 5, 3);
  form->setColumnStretch(1, 1);
  form->setColumnStretch(3, 1);
  formColumn->addLayout(form);
  formColumn->addStretch(1);
  top->addLayout(formColumn, 3);

  // The best results: the jerk has no protocol of its own, the three
  // disciplines carry the box that enters the competitor for them.
  auto* results = new QGridLayout;
  results->setHorizontalSpacing(8);
  results->setVerticalSpacing(4);
  lbDiscip = Label(tab, "lbDiscip");
  lbBestResult = Label(tab, "lbBestResult");
  lbBestResJerk = Label(tab, "lbBestResJerk");
  lbInvolved = Label(tab, "lbInvolved");
  edBestResJerk = Edit(tab, "edBestResJerk", dsCompetitor, "BestResJerk");
  edBestResSnatch = Edit(tab, "edBestResSnatch", dsCompetitor, "BestResSnatch");
  edSnatch = Check(tab, "edSnatch", dsCompetitor, "Snatch");
  edBestResBiathlon = Edit(tab, "edBestResBiathlon", dsCompetitor, "BestResBiathlon");
  edBiathlon = Check(tab, "edBiathlon", dsCompetitor, "Biathlon");
  edBestResLongCycle = Edit(tab, "edBestResLongCycle", dsCompetitor, "BestResLongCycle");
  edLongCycle = Check(tab, "edLongCycle", dsCompetitor, "LongCycle");
  QFont bold = lbDiscip->font();
  bold.setBold(true);
  lbDiscip->setFont(bold);
  lbBestResult->setFont(bold);
  lbBestResJerk->setBuddy(edBestResJerk);
  for (TDataEdit* edit : {edBestResJerk, edBestResSnatch, edBestResBiathlon, edBestResLongCycle}) {
    edit->setMaximumWidth(90);
  }
  results->addWidget(lbDiscip, 0, 0);
  results->addWidget(lbBestResult, 0, 1);
  results->addWidget(lbBestResJerk, 1, 0);
  results->addWidget(edBestResJerk, 1, 1);
  results->addWidget(lbInvolved, 2, 0);
  results->addWidget(edSnatch, 3, 0);
  results->addWidget(edBestResSnatch, 3, 1);
  results->addWidget(edBiathlon, 4, 0);
  results->addWidget(edBestResBiathlon, 4, 1);
  results->addWidget(edLongCycle, 5, 0);
  results->addWidget(edBestResLongCycle, 5, 1);
  results->setRowStretch(6, 1);
  auto* resultsColumn = new QVBoxLayout;
  resultsColumn->addSpacing(36);
  resultsColumn->addLayout(results);
  top->addLayout(resultsColumn, 0);

  auto* handbook = new QVBoxLayout;
  lbHandbook = Label(tab, "lbHandbook");
  butHBSelect = ToolButton(tab, "butHBSelect", *ImageList, iiSelect);
  QHBoxLayout* handbookStrip = Strip(handbook);
  handbookStrip->addWidget(butHBSelect);
  handbookStrip->addWidget(lbHandbook);
  handbookStrip->addStretch(1);
  grCompetitorHB =
      Grid(tab, "grCompetitorHB", dsCompetitorHB,
           {Column("Name", 150), Column("Birthday"), Column("Passport", 150), Column("Rank", 150),
            Column("Team", 150), Column("Trainer", 150), Column("Weight"), Column("Sex", 150)});
  grCompetitorHB->SetReadOnly(true);
  grCompetitorHB->SetRowSelect(true);
  grCompetitorHB->setMinimumHeight(150);
  handbook->addWidget(grCompetitorHB, 1);
  top->addLayout(handbook, 3);

  // ---- Bottom: the register ----
  lbParticipants = Label(tab, "lbParticipants");
  lbParticipants->setFont(bold);
  dbnvgrComp2 = Navigator(tab, "dbnvgrComp2", dsCompetitor, kEditButtons);
  QHBoxLayout* registerStrip = Strip(layout);
  registerStrip->addWidget(lbParticipants);
  registerStrip->addSpacing(12);
  registerStrip->addWidget(dbnvgrComp2);
  registerStrip->addStretch(1);
  grCompetitor = Grid(tab, "grCompetitor", dsCompetitor,
                      {Column("Name", 200), Column("Sex", 34), Column("Birthday", 89), Column("Rank", 34),
                       Column("Weight", 42), Column("Team", 99), Column("Passport", 200),
                       Column("Trainer", 150), Column("BestResSnatch", 44), Column("BestResLongCycle", 46),
                       Column("BestResBiathlon", 42), Column("BestResJerk", 42)});
  grCompetitor->SetNavigator(dbnvgrComp2);
  layout->addWidget(grCompetitor, 1);

  // The form's own order, the best results and their boxes included.
  QWidget* order[] = {edName,          edPassport, edBirthday,        edRank,     edTeam,
                      edAtTheTeam,     edTrainer,  edWeight,          edSex,      edBestResJerk,
                      edBestResSnatch, edSnatch,   edBestResBiathlon, edBiathlon, edBestResLongCycle,
                      edLongCycle};
  for (size_t i = 1; i < std::size(order); ++i) {
    QWidget::setTabOrder(order[i - 1], order[i]);
  }
}
