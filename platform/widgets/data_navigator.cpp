#include "platform/widgets/data_navigator.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QToolButton>

#include "platform/widgets/shared_dialogs.h"

namespace {

const char* const ButtonNames[NavigateBtnCount] = {"first",  "prior", "next", "last",   "insert",
                                                   "delete", "edit",  "post", "cancel", "refresh"};

QStringList DefaultHints() {
  return {QStringLiteral("First record"), QStringLiteral("Prior record"),  QStringLiteral("Next record"),
          QStringLiteral("Last record"),  QStringLiteral("Insert record"), QStringLiteral("Delete record"),
          QStringLiteral("Edit record"),  QStringLiteral("Post edit"),     QStringLiteral("Cancel edit"),
          QStringLiteral("Refresh data")};
}

// The glyphs are drawn rather than taken from the style or a font, so that
// the bar looks the same on every desktop.
QIcon ButtonIcon(TNavigateBtn button) {
  constexpr int size = 16;
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const QColor dark(40, 40, 40);
  auto triangle = [&](qreal tipX, qreal baseX) {
    QPainterPath path;
    path.moveTo(tipX, 8);
    path.lineTo(baseX, 3);
    path.lineTo(baseX, 13);
    path.closeSubpath();
    painter.fillPath(path, dark);
  };
  switch (button) {
    case nbFirst:
      painter.fillRect(QRectF(3, 3, 2, 10), dark);
      triangle(5.5, 12);
      break;
    case nbPrior:
      triangle(4, 11);
      break;
    case nbNext:
      triangle(12, 5);
      break;
    case nbLast:
      triangle(10.5, 4);
      painter.fillRect(QRectF(11, 3, 2, 10), dark);
      break;
    case nbInsert:
      painter.fillRect(QRectF(3, 7, 10, 2), dark);
      painter.fillRect(QRectF(7, 3, 2, 10), dark);
      break;
    case nbDelete:
      painter.fillRect(QRectF(3, 7, 10, 2), dark);
      break;
    case nbEdit: {
      QPainterPath path;
      path.moveTo(8, 4);
      path.lineTo(13, 12);
      path.lineTo(3, 12);
      path.closeSubpath();
      painter.fillPath(path, dark);
      break;
    }
    case nbPost: {
      QPen pen(QColor(0, 128, 0), 2.2);
      painter.setPen(pen);
      painter.drawPolyline(QPolygonF({QPointF(3, 8.5), QPointF(6.5, 12), QPointF(13, 4)}));
      break;
    }
    case nbCancel: {
      QPen pen(QColor(176, 0, 0), 2.2);
      painter.setPen(pen);
      painter.drawLine(QPointF(4, 4), QPointF(12, 12));
      painter.drawLine(QPointF(12, 4), QPointF(4, 12));
      break;
    }
    case nbRefresh: {
      QPen pen(dark, 1.8);
      painter.setPen(pen);
      painter.drawArc(QRectF(3.5, 3.5, 9, 9), 90 * 16, 270 * 16);
      QPainterPath head;
      head.moveTo(8, 1.5);
      head.lineTo(11.5, 4);
      head.lineTo(8, 6.5);
      head.closeSubpath();
      painter.fillPath(head, dark);
      break;
    }
  }
  painter.end();
  return QIcon(pixmap);
}

}  // namespace

TDataNavigator::TDataNavigator(QWidget* parent)
    : QWidget(parent), FLink([this](TDataChange, int) { UpdateButtons(); }), FHints(DefaultHints()) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  for (int i = 0; i < NavigateBtnCount; ++i) {
    const auto button = TNavigateBtn(i);
    auto* tool = new QToolButton(this);
    tool->setIcon(ButtonIcon(button));
    tool->setIconSize(QSize(16, 16));
    tool->setMinimumSize(QSize(25, 25));
    // Like the rest of the bar's kind: a click must not take the focus from
    // the grid or edit whose typing it is about to post.
    tool->setFocusPolicy(Qt::NoFocus);
    connect(tool, &QToolButton::clicked, this, [this, button] { BtnClick(button); });
    layout->addWidget(tool);
    FButtons[i] = tool;
    FVisible[i] = true;
  }
  connect(this, &QObject::objectNameChanged, this, &TDataNavigator::NameButtons);
  UpdateTips();
  UpdateButtons();
}

TDataNavigator::~TDataNavigator() = default;

QString TDataNavigator::ButtonName(TNavigateBtn button) {
  return QString::fromLatin1(ButtonNames[button]);
}

void TDataNavigator::NameButtons() {
  for (int i = 0; i < NavigateBtnCount; ++i) {
    FButtons[i]->setObjectName(objectName() + u'_' + ButtonName(TNavigateBtn(i)));
  }
}

void TDataNavigator::SetDataSet(TClientDataSet* dataSet) {
  FLink.SetDataSet(dataSet);
  UpdateButtons();
}

void TDataNavigator::SetVisibleButtons(std::initializer_list<TNavigateBtn> buttons) {
  FVisible.fill(false);
  for (TNavigateBtn button : buttons) {
    FVisible[button] = true;
  }
  for (int i = 0; i < NavigateBtnCount; ++i) {
    FButtons[i]->setVisible(FVisible[i]);
  }
}

void TDataNavigator::SetHints(const QStringList& hints) {
  FHints = DefaultHints();
  for (int i = 0; i < NavigateBtnCount && i < hints.size(); ++i) {
    FHints[i] = hints[i];
  }
  UpdateTips();
}

void TDataNavigator::SetShowHint(bool showHint) {
  FShowHint = showHint;
  UpdateTips();
}

void TDataNavigator::UpdateTips() {
  for (int i = 0; i < NavigateBtnCount; ++i) {
    FButtons[i]->setToolTip(FShowHint ? FHints[i] : QString());
  }
}

void TDataNavigator::UpdateButtons() {
  std::array<bool, NavigateBtnCount> enabled{};
  // Rows are not read while the table walks with its controls detached; the
  // reset at its end brings the buttons up to date.
  if (FLink.CanRead()) {
    TClientDataSet& dataSet = *FLink.DataSet();
    const bool editing = FLink.Editing();
    const bool hasRows = dataSet.ViewRowCount() > 0;
    enabled[nbFirst] = enabled[nbPrior] = !dataSet.Bof();
    enabled[nbNext] = enabled[nbLast] = !dataSet.Eof();
    enabled[nbInsert] = !editing;
    enabled[nbDelete] = hasRows;
    enabled[nbEdit] = !editing && dataSet.RecordCount() > 0;
    enabled[nbPost] = enabled[nbCancel] = editing;
    enabled[nbRefresh] = true;
  } else if (FLink.Active()) {
    return;
  }
  for (int i = 0; i < NavigateBtnCount; ++i) {
    FButtons[i]->setEnabled(enabled[i]);
  }
}

void TDataNavigator::BtnClick(TNavigateBtn button) {
  TClientDataSet* dataSet = FLink.DataSet();
  if (dataSet == nullptr) {
    return;
  }
  RunGuarded([&] {
    switch (button) {
      case nbFirst:
      case nbPrior:
      case nbNext:
      case nbLast:
        DropUntouchedInsert(*dataSet);
        if (button == nbFirst) {
          dataSet->First();
        } else if (button == nbPrior) {
          dataSet->Prior();
        } else if (button == nbNext) {
          dataSet->Next();
        } else {
          dataSet->Last();
        }
        break;
      case nbInsert:
        dataSet->Insert();
        NoteControlInsert(*dataSet);
        break;
      case nbDelete:
        DeleteRecordWithPrompt(*dataSet, FConfirmDelete);
        break;
      case nbEdit:
        dataSet->Edit();
        break;
      case nbPost:
        dataSet->Post();
        break;
      case nbCancel:
        dataSet->Cancel();
        break;
      case nbRefresh:
        // A reload would drop what is still typed.
        UpdateRecord(*dataSet);
        RefreshControls(*dataSet);
        break;
    }
  });
  UpdateButtons();
}
