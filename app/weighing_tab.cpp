// Weighing, weight classes and class filters: the class selectors of the
// weighing and competition tabs, the filter texts, the weight-class tables'
// field rules and referee pick lists, the ranks-requirements pages.
#include <QCheckBox>
#include <QComboBox>
#include <QTabWidget>
#include <algorithm>
#include <iterator>
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

// The open class's caption in either language: a selector filled before a
// language switch may still hold the other one.
bool IsOpenClassCaption(const QString& text) {
  return text == QStringLiteral("свыше") || text == QStringLiteral("above");
}

// The limits of a class table's rows but the view row Skip (-1: none), read
// without moving the table; a row without a limit is no class.
std::vector<int> ClassLimits(const TClientDataSet& Classes, int Skip = -1) {
  const TField& weight = Classes.FieldByName(kWeight);
  std::vector<int> limits;
  for (int row = 0; row < Classes.ViewRowCount(); ++row) {
    if (const TValue limit = Classes.ValueAt(row, weight); row != Skip && limit.isValid()) {
      limits.push_back(limit.toInt());
    }
  }
  std::sort(limits.begin(), limits.end());
  return limits;
}

}  // namespace

QString TfrmMain::OpenClassCaption() const {
  return Translate(QStringLiteral("свыше"), QStringLiteral("above"));
}

QString TfrmMain::ClassItemText(int Limit) const {
  return Limit == kOpenClass ? OpenClassCaption() : QString::number(Limit);
}

std::vector<int> TfrmMain::SelectorClassLimits(const QComboBox& Items) const {
  std::vector<int> limits;
  for (int i = 0; i < Items.count(); ++i) {
    const QString text = Items.itemText(i);
    bool isNumber = false;
    const int limit = text.toInt(&isNumber);
    if (isNumber) {
      limits.push_back(limit);
    } else if (IsOpenClassCaption(text)) {
      limits.push_back(kOpenClass);
    }
  }
  return limits;
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
        Items.addItem(ClassItemText(WeightField.AsInteger()));
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
      if (IsOpenClassCaption(text)) {
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
  // places were numbered without them. The classes left are read without
  // moving the table: the row current now is the one the delete takes.
  const int deleted = weight.AsInteger();
  const std::vector<int> after = ClassLimits(DataSet, DataSet.CurrentViewRow());
  FollowWeightClassChange(DataSet, after, [&](const std::vector<int>& renumbered) {
    const QString limit = QString::number(deleted);
    const auto taker = std::upper_bound(after.begin(), after.end(), deleted);
    const QString above = ClassItemText(taker != after.end() ? *taker : renumbered.front());
    return Translate(QStringLiteral("В протоколах есть спортсмены весовой категории %1. После удаления "
                                    "категории они перейдут в категорию %2, и места в ней будут "
                                    "пересчитаны; командные очки и выполненные разряды этой категории "
                                    "нужно будет проставить заново. Удалить категорию?")
                         .arg(limit, above),
                     QStringLiteral("The protocols hold athletes of weight class %1. Once the class is "
                                    "deleted they move to class %2, whose places will be numbered again; "
                                    "its team points and achieved ranks will need setting again. Delete "
                                    "the class?")
                         .arg(limit, above));
  });
}

// A limit typed over or a class added splits or merges the classes about it
// after the fact: there is no asking before a post, so the user is told.
void TfrmMain::dsWeightAfterPost(TClientDataSet& DataSet) {
  FollowWeightClassChange(DataSet, ClassLimits(DataSet), {});
}

void TfrmMain::FollowWeightClassChange(
    TClientDataSet& Classes, const std::vector<int>& After,
    const std::function<QString(const std::vector<int>& Renumbered)>& Question) {
  TClientDataSet* protocols[] = {&dsSnatch, &dsLongCycle, &dsBiathlon};
  if (std::none_of(std::begin(protocols), std::end(protocols),
                   [](const TClientDataSet* protocol) { return protocol->Active(); })) {
    return;  // nothing built: the build fills the competition selectors itself
  }
  // The competition selector lists the classes the protocols were last
  // viewed and numbered in.
  const int sex = &Classes == &dsManWeight ? 1 : 0;
  const std::vector<int> before =
      SelectorClassLimits(sex == 1 ? *cbCompManWeightClass : *cbCompWomanWeightClass);
  if (before == After) {
    return;  // a referee changed, or the open class's limit typed over
  }
  const std::vector<TClassMove> moves = ClassMoves(before, After);
  std::vector<std::pair<TClientDataSet*, std::vector<int>>> renumbering;
  std::vector<int> renumbered;
  for (TClientDataSet* protocol : protocols) {
    if (protocol->Active()) {
      protocol->UpdateRecord();
    }
  }
  WithControlsDisabled({&dsSnatch, &dsLongCycle, &dsBiathlon}, [&] {
    for (TClientDataSet* protocol : protocols) {
      if (!protocol->Active()) {
        continue;
      }
      std::vector<int> classes = ClassesToRenumber(*protocol, sex, moves, After);
      if (!classes.empty()) {
        renumbered.insert(renumbered.end(), classes.begin(), classes.end());
        renumbering.emplace_back(protocol, std::move(classes));
      }
    }
  });
  std::sort(renumbered.begin(), renumbered.end());
  renumbered.erase(std::unique(renumbered.begin(), renumbered.end()), renumbered.end());
  if (Question && !renumbered.empty() && !Confirm(Question(renumbered))) {
    Abort();
  }
  WithControlsDisabled({&dsSnatch, &dsLongCycle, &dsBiathlon}, [&] {
    for (const auto& [protocol, classes] : renumbering) {
      for (const int limit : classes) {
        NumberPlacesIn(*protocol, ClassFilter(sex, After, limit));
      }
    }
    RefillCompetitionClasses(sex, before, After);
  });
  if (!Question && !renumbered.empty()) {
    QStringList names;
    for (const int limit : renumbered) {
      names << ClassItemText(limit);
    }
    ShowInformation(
        Translate(QStringLiteral("Спортсмены перешли в другие весовые категории. Места пересчитаны в "
                                 "категориях: %1; командные очки и выполненные разряды этих категорий нужно "
                                 "проставить заново."),
                  QStringLiteral("Athletes have moved to other weight classes. The places have been numbered "
                                 "again in the classes: %1; the team points and achieved ranks of these "
                                 "classes need setting again."))
            .arg(names.join(QStringLiteral(", "))));
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
