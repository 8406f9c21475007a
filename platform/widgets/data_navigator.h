#pragma once

#include <QStringList>
#include <QWidget>
#include <array>
#include <initializer_list>

#include "platform/widgets/data_link.h"

class QToolButton;

// The navigator's buttons, in their order on the bar and in the hint list.
enum TNavigateBtn {
  nbFirst,
  nbPrior,
  nbNext,
  nbLast,
  nbInsert,
  nbDelete,
  nbEdit,
  nbPost,
  nbCancel,
  nbRefresh
};
constexpr int NavigateBtnCount = 10;

// A bar of record buttons over one table. The buttons follow the table's
// state: first and prior are off at the beginning, next and last at the end,
// post and cancel only while a row is edited or inserted, edit only in browse
// with rows, insert unless a row is being edited, delete with rows, and all
// of them on a closed table. Delete asks the shared record-delete prompt.
//
// Each button's objectName is the navigator's objectName + "_first",
// "_prior", ..., "_refresh" (the names of ButtonName).
class TDataNavigator : public QWidget {
  Q_OBJECT

 public:
  explicit TDataNavigator(QWidget* parent = nullptr);
  ~TDataNavigator() override;

  void SetDataSet(TClientDataSet* dataSet);
  TClientDataSet* DataSet() const { return FLink.DataSet(); }

  void SetVisibleButtons(std::initializer_list<TNavigateBtn> buttons);
  bool ButtonVisible(TNavigateBtn button) const { return FVisible[button]; }
  QToolButton* Button(TNavigateBtn button) const { return FButtons[button]; }
  // "first", "prior", ..., "refresh".
  static QString ButtonName(TNavigateBtn button);

  // Ten texts in button order; a shorter list leaves the rest at their
  // defaults. The list always reads back with ten texts.
  void SetHints(const QStringList& hints);
  QStringList Hints() const { return FHints; }
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool showHint);

  // Off: Delete deletes without the prompt.
  bool ConfirmDelete() const { return FConfirmDelete; }
  void SetConfirmDelete(bool confirm) { FConfirmDelete = confirm; }

  // What a click on the button does, guarded like a click.
  void BtnClick(TNavigateBtn button);

 private:
  void UpdateButtons();
  void UpdateTips();
  void NameButtons();

  TDataLink FLink;
  std::array<QToolButton*, NavigateBtnCount> FButtons{};
  std::array<bool, NavigateBtnCount> FVisible{};
  QStringList FHints;
  bool FShowHint = false;
  bool FConfirmDelete = true;
};
