// Weighing, weight classes and class filters: the class selectors of the
// weighing and competition tabs, the filter texts, the weight-class tables'
// field rules and referee pick lists, the ranks-requirements pages.
#include <QCheckBox>
#include <QComboBox>
#include <QTabWidget>

#include "app/controls_disabled.h"
#include "app/held_pages.h"
#include "app/main_window.h"
#include "platform/widgets/data_grid.h"

namespace {

const QString kWeight = QStringLiteral("Weight");
constexpr int kOpenClass = 1000;
constexpr int kHighestLimit = 999;

}  // namespace

QString TfrmMain::OpenClassCaption() const {
  return Translate(QStringLiteral("свыше"), QStringLiteral("above"));
}

void TfrmMain::FillWeightClassItems(TField& WeightField, QComboBox& Items, bool AddAll) {
  if (AddAll) {
    Items.addItem(Translate(QStringLiteral("все"), QStringLiteral("all")));
  }
  TClientDataSet& classes = WeightField.DataSet();
  if (!classes.Active()) {
    return;
  }
  classes.UpdateRecord();
  WithControlsDisabled({&classes}, [&] {
    classes.First();
    while (!classes.Eof()) {
      // Older builds let a class be saved without its limit; such a row
      // bounds no body weight, so it is no class to choose.
      if (!WeightField.IsNull()) {
        Items.addItem(WeightField.AsInteger() == kOpenClass ? OpenClassCaption() : WeightField.AsString());
      }
      classes.Next();
    }
  });
}

QString TfrmMain::BuildWeightFilter(int Index, const QComboBox& Items, bool HasAll) const {
  if (HasAll && Index == 0) {
    return QString();
  }
  QString limit = Items.itemText(Index);
  if (limit == OpenClassCaption()) {
    limit = QString::number(kOpenClass);
  }
  if (Index == (HasAll ? 1 : 0)) {
    return QStringLiteral(" and Weight <= ") + limit;
  }
  return QStringLiteral(" and Weight > ") + Items.itemText(Index - 1) + QStringLiteral(" and Weight <= ") +
         limit;
}

void TfrmMain::FilterWeightClass(TClientDataSet& DataSet, int Sex, int Index, const QComboBox& Items,
                                 bool HasAll) {
  // A selector whose class table was empty when it was filled has no class
  // to filter by; the table keeps the view it has.
  if (Index < 0 || Index >= Items.count()) {
    return;
  }
  const QString filter =
      QStringLiteral("SexRef=") + QString::number(Sex) + BuildWeightFilter(Index, Items, HasAll);
  // The grids see the class chosen, not the whole table on the way to it.
  DataSet.UpdateRecord();
  WithControlsDisabled({&DataSet}, [&] {
    DataSet.SetFiltered(false);
    DataSet.SetFilter(filter);
    DataSet.SetFiltered(true);
  });
}

void TfrmMain::FilterWomanWeightClass(TClientDataSet& DataSet, int Index, const QComboBox& Items,
                                      bool HasAll) {
  FilterWeightClass(DataSet, 0, Index, Items, HasAll);
}

void TfrmMain::FilterManWeightClass(TClientDataSet& DataSet, int Index, const QComboBox& Items, bool HasAll) {
  FilterWeightClass(DataSet, 1, Index, Items, HasAll);
}

void TfrmMain::RelabelWeightClassItems() {
  const QString all = Translate(QStringLiteral("все"), QStringLiteral("all"));
  const QString open = OpenClassCaption();
  for (QComboBox* selector :
       {cbWomanWeightClass, cbManWeightClass, cbCompWomanWeightClass, cbCompManWeightClass}) {
    for (int i = 0; i < selector->count(); ++i) {
      const QString text = selector->itemText(i);
      // The limits are digits; only the two words change with the language.
      if (text == QStringLiteral("свыше") || text == QStringLiteral("above")) {
        selector->setItemText(i, open);
      } else if (text == QStringLiteral("все") || text == QStringLiteral("all")) {
        selector->setItemText(i, all);
      }
    }
  }
  // The class grids show the open class in the new language at once.
  for (TClientDataSet* classes : {&dsManWeight, &dsWomanWeight}) {
    classes->DisableControls();
    classes->EnableControls();
  }
}

// ---- Weighing tab ----

void TfrmMain::tbshWeightShow() {
  cbManWeightClass->clear();
  FillWeightClassItems(dsManWeight.FieldByName(kWeight), *cbManWeightClass, true);
  cbManWeightClass->setCurrentIndex(0);
  cbWomanWeightClass->clear();
  FillWeightClassItems(dsWomanWeight.FieldByName(kWeight), *cbWomanWeightClass, true);
  cbWomanWeightClass->setCurrentIndex(0);
  pcWeight->setCurrentWidget(tbshWoman);
  cbWomanWeightClassChange();
  dsCompetitor.SetIndexName(QStringLiteral("dsCompetitorIndexWeight"));
}

void TfrmMain::tbshWomanShow() {
  if (cbWomanWeightClass->count() > 0) {
    cbWomanWeightClassChange();
  }
}

void TfrmMain::tbshManShow() {
  if (cbManWeightClass->count() > 0) {
    cbManWeightClassChange();
  }
}

void TfrmMain::cbWomanWeightClassChange() {
  FilterWomanWeightClass(dsCompetitor, cbWomanWeightClass->currentIndex(), *cbWomanWeightClass, true);
}

void TfrmMain::cbManWeightClassChange() {
  FilterManWeightClass(dsCompetitor, cbManWeightClass->currentIndex(), *cbManWeightClass, true);
}

// ---- Competition tab ----

void TfrmMain::tbshCompetitionShow() {
  ShowHeldPages(*pcCompetition, {{tbshSnatch, cbSnatch->isChecked()},
                                 {tbshLongCycle, cbLongCycle->isChecked()},
                                 {tbshBiathlon, cbBiathlon->isChecked()}});
}

void TfrmMain::tbshCompWomanShow() {
  if (cbCompWomanWeightClass->count() > 0) {
    cbCompWomanWeightClassChange();
  }
}

void TfrmMain::tbshCompManShow() {
  if (cbCompManWeightClass->count() > 0) {
    cbCompManWeightClassChange();
  }
}

void TfrmMain::cbCompWomanWeightClassChange() {
  for (TClientDataSet* protocol : {&dsBiathlon, &dsLongCycle, &dsSnatch}) {
    FilterWomanWeightClass(*protocol, cbCompWomanWeightClass->currentIndex(), *cbCompWomanWeightClass, false);
  }
}

void TfrmMain::cbCompManWeightClassChange() {
  for (TClientDataSet* protocol : {&dsBiathlon, &dsLongCycle, &dsSnatch}) {
    FilterManWeightClass(*protocol, cbCompManWeightClass->currentIndex(), *cbCompManWeightClass, false);
  }
}

void TfrmMain::FilterShownWeightClass(TClientDataSet& DataSet) {
  if (pcCompetitionWeight->currentWidget() == tbshCompMan) {
    FilterManWeightClass(DataSet, cbCompManWeightClass->currentIndex(), *cbCompManWeightClass, false);
  } else {
    FilterWomanWeightClass(DataSet, cbCompWomanWeightClass->currentIndex(), *cbCompWomanWeightClass, false);
  }
}

// ---- Weight-class tables ----

void TfrmMain::dsWeightWeightGetText(TField& Sender, QString& Text, bool DisplayText) {
  if (DisplayText) {
    Text = !Sender.IsNull() && Sender.AsInteger() == kOpenClass ? OpenClassCaption() : Sender.AsString();
  }
}

// The open class keeps its limit: typing over it changes nothing.
void TfrmMain::dsWeightWeightSetText(TField& Sender, const QString& Text) {
  if (Sender.AsInteger() <= kHighestLimit) {
    Sender.SetAsString(Text);
  }
}

void TfrmMain::dsWeightWeightValidate(TField& Sender) {
  if (Sender.AsInteger() > kHighestLimit) {
    throw Exception(QStringLiteral("Значение не может быть больше, чем %1").arg(kHighestLimit));
  }
}

void TfrmMain::dsWeightBeforeDelete(TClientDataSet& DataSet) {
  if (DataSet.FieldByName(kWeight).AsInteger() == kOpenClass) {
    Abort();
  }
}

void TfrmMain::btnRefreshWeightHBClick() {
  // By field name: a column dragged elsewhere keeps its referees.
  const auto fill = [this](TClientDataSet& referees, const QString& column) {
    QStringList names;
    if (referees.Active()) {
      TField& name = referees.FieldByName(QStringLiteral("Name"));
      referees.First();
      while (!referees.Eof()) {
        names << name.AsString();
        referees.Next();
      }
    }
    for (TDataGrid* grid : {grWomanWeight, grManWeight}) {
      if (const int position = grid->ColumnPosition(column); position >= 0) {
        grid->SetColumnPickList(position, names);
      }
    }
  };
  fill(dsRefereePlatform, QStringLiteral("RefereePlatform"));
  fill(dsRefereePlatformMain, QStringLiteral("RefereePlatformMain"));
}

void TfrmMain::tbshProtocol_WeightShow() {
  btnRefreshWeightHBClick();
}

// ---- Ranks requirements ----

void TfrmMain::tbshNormManShow() {
  dsNormative.SetFilter(QStringLiteral("sexref = 1"));
  dsNormative.SetFiltered(true);
}

void TfrmMain::tbshNormWomanShow() {
  dsNormative.SetFilter(QStringLiteral("sexref = 0"));
  dsNormative.SetFiltered(true);
}

void TfrmMain::dsNormativeAfterInsert(TClientDataSet& DataSet) {
  DataSet.FieldByName(QStringLiteral("SexRef"))
      .SetAsInteger(pcNormativeSex->currentWidget() == tbshNormMan ? 1 : 0);
}
