#include "app/frames/stream_frame.h"

#include <QComboBox>
#include <QHeaderView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/data/tables.h"
#include "app/image_list.h"
#include "platform/widgets/data_grid.h"
#include "platform/widgets/data_navigator.h"
#include "platform/widgets/shared_dialogs.h"

namespace {

QToolButton* NewToolButton(QToolBar* bar, const char* name, int imageIndex) {
  auto* button = new QToolButton(bar);
  button->setObjectName(QString::fromLatin1(name));
  button->setProperty("imageIndex", imageIndex);
  button->setAutoRaise(true);
  button->setIconSize(QSize(32, 32));
  button->setFocusPolicy(Qt::NoFocus);
  bar->addWidget(button);
  return button;
}

}  // namespace

TfrmStream::TfrmStream(QWidget* parent) : QWidget(parent) {
  DefineStreamTable(dsStream);
  dsStream.BeforeDelete = [this](TClientDataSet& dataSet) { dsStreamBeforeDelete(dataSet); };

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);

  tlbarStream = new QToolBar(this);
  tlbarStream->setObjectName(QStringLiteral("tlbarStream"));
  tlbarStream->setIconSize(QSize(32, 32));
  tlbarStream->setMovable(false);
  btnPrintStream = NewToolButton(tlbarStream, "btnPrintStream", iiPrint);
  btnAddStream = NewToolButton(tlbarStream, "btnAddStream", iiAddStream);
  btnDelStream = NewToolButton(tlbarStream, "btnDelStream", iiDelStream);
  dbnvgrStream = new TDataNavigator(tlbarStream);
  dbnvgrStream->setObjectName(QStringLiteral("dbnvgrStream"));
  dbnvgrStream->SetVisibleButtons({nbFirst, nbPrior, nbNext, nbLast, nbDelete});
  dbnvgrStream->SetDataSet(&dsStream);
  tlbarStream->addWidget(dbnvgrStream);
  cbStream = new QComboBox(tlbarStream);
  cbStream->setObjectName(QStringLiteral("cbStream"));
  cbStream->setEditable(false);
  cbStream->setMinimumWidth(60);
  cbStream->addItem(QStringLiteral("1"));
  cbStream->setCurrentIndex(0);
  tlbarStream->addWidget(cbStream);
  btnDelAllStream = NewToolButton(tlbarStream, "btnDelAllStream", iiDelAllStream);
  layout->addWidget(tlbarStream);

  grStream = new TDataGrid(this);
  grStream->setObjectName(QStringLiteral("grStream"));
  grStream->horizontalHeader()->setMinimumSectionSize(0);
  grStream->SetDataSet(&dsStream);
  grStream->SetColumns(
      {{QStringLiteral("Name"), {}, 233, false, {}}, {QStringLiteral("Weight"), {}, 46, false, {}}});
  grStream->SetReadOnly(true);
  layout->addWidget(grStream, 1);

  connect(btnPrintStream, &QToolButton::clicked, this,
          [this] { RunGuarded([this] { btnPrintStreamClick(); }); });
  connect(btnAddStream, &QToolButton::clicked, this, [this] { RunGuarded([this] { btnAddStreamClick(); }); });
  connect(btnDelStream, &QToolButton::clicked, this, [this] { RunGuarded([this] { btnDelStreamClick(); }); });
  connect(btnDelAllStream, &QToolButton::clicked, this,
          [this] { RunGuarded([this] { btnDelAllStreamClick(); }); });
  connect(cbStream, &QComboBox::activated, this, [this] { RunGuarded([this] { cbStreamChange(); }); });

  // The design-time texts.
  SetLanguage();
}

TfrmStream::~TfrmStream() {
  // The controls go first: they must not outlive the table they show.
  delete grStream;
  delete tlbarStream;
  RunGuarded([this] { dsStream.Close(); });
}

QString TfrmStream::Translate(const QString& russian, const QString& english) const {
  return FTranslate ? FTranslate(russian, english) : russian;
}

void TfrmStream::SetToolbarImages(const TImageList& Images) {
  for (QToolButton* button : {btnPrintStream, btnAddStream, btnDelStream, btnDelAllStream}) {
    button->setIcon(Images.Icon(button->property("imageIndex").toInt()));
  }
}

void TfrmStream::SetLanguage() {
  dsStream.FieldByName(QStringLiteral("Name"))
      .SetDisplayLabel(Translate(QStringLiteral("ФИО"), QStringLiteral("Name")));
  dsStream.FieldByName(QStringLiteral("Weight"))
      .SetDisplayLabel(Translate(QStringLiteral("Вес"), QStringLiteral("Body weight")));
  btnAddStream->setToolTip(Translate(QStringLiteral("Добавить поток"), QStringLiteral("Add stream")));
  btnDelStream->setToolTip(Translate(QStringLiteral("Удалить поток"), QStringLiteral("Delete stream")));
  btnDelAllStream->setToolTip(
      Translate(QStringLiteral("Удалить все потоки"), QStringLiteral("Delete all stream")));
  if (FSetNavigatorHints) {
    FSetNavigatorHints(*dbnvgrStream, nullptr);
  }
  btnPrintStream->setToolTip(Translate(QStringLiteral("Печать"), QStringLiteral("Print")));
}
