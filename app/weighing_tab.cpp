// Weighing, weight classes and class filters: the class selectors of the
// weighing and competition tabs, the filter texts, the weight-class tables'
// field rules and referee pick lists, the ranks-requirements pages.
#include <QCheckBox>
#include <QComboBox>
#include <QTabWidget>
#include <optional>
#include <vector>

#include "app/controls_disabled.h"
#include "app/held_pages.h"
#include "app/main_window.h"
#include "app/protocol_rules.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/shared_dialogs.h"

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
  TField& weight = DataSet.FieldByName(kWeight);
  if (weight.AsInteger() == kOpenClass) {
    Abort();
  }
  if (weight.IsNull()) {
    return;  // a row without a limit is no class: nobody is in it
  }
  // The athletes of a deleted class fall into the class above it, whose
  // places were numbered without them: two winners on its sheet. Where a
  // protocol has any, the user is told and, on OK, the merged class is
  // numbered afresh. The neighbours are read without moving the table: the
  // row current now is the one the delete takes.
  const int row = DataSet.RecNo() - 1;
  std::optional<int> lower;
  for (int r = row - 1; r >= 0 && !lower; --r) {
    if (const TValue limit = DataSet.ValueAt(r, weight); limit.isValid()) {
      lower = limit.toInt();
    }
  }
  std::optional<int> upper;
  for (int r = row + 1; r < DataSet.ViewRowCount() && !upper; ++r) {
    if (const TValue limit = DataSet.ValueAt(r, weight); limit.isValid()) {
      upper = limit.toInt();
    }
  }
  if (!upper) {
    return;  // no class takes them in
  }
  const int sex = &DataSet == &dsManWeight ? 1 : 0;
  const QString doomed = WeightRangeFilter(sex, lower, weight.AsInteger());
  std::vector<TClientDataSet*> concerned;
  for (TClientDataSet* protocol : {&dsSnatch, &dsLongCycle, &dsBiathlon}) {
    if (protocol->Active() && HasRowsIn(*protocol, doomed)) {
      concerned.push_back(protocol);
    }
  }
  if (concerned.empty()) {
    return;
  }
  const QString deleted = weight.AsString();
  const QString above = *upper == kOpenClass ? OpenClassCaption() : QString::number(*upper);
  if (!Confirm(Translate(QStringLiteral("В протоколах есть спортсмены весовой категории %1. После удаления "
                                        "категории они перейдут в категорию %2, и места в ней будут "
                                        "пересчитаны; командные очки и выполненные разряды этой категории "
                                        "нужно будет проставить заново. Удалить категорию?")
                             .arg(deleted, above),
                         QStringLiteral("The protocols hold athletes of weight class %1. Once the class is "
                                        "deleted they move to class %2, whose places will be numbered again; "
                                        "its team points and achieved ranks will need setting again. Delete "
                                        "the class?")
                             .arg(deleted, above)))) {
    Abort();
  }
  const QString merged = WeightRangeFilter(sex, lower, *upper);
  for (TClientDataSet* protocol : concerned) {
    NumberPlacesIn(*protocol, merged);
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
