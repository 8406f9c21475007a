#include "app/about_box.h"

#include <QEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/widgets/shared_dialogs.h"

namespace {

QFont PixelFont(const QStringList& families, int weight) {
  QFont font;
  font.setFamilies(families);
  font.setPixelSize(13);
  font.setWeight(QFont::Weight(weight));
  return font;
}

}  // namespace

TfrmAbout::TfrmAbout(QWidget* owner) : QDialog(owner) {
  setObjectName(QStringLiteral("frmAbout"));
  setModal(true);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(5, 5, 5, 5);
  layout->setSpacing(5);
  // Sized to the contents and not resizable by the user.
  layout->setSizeConstraint(QLayout::SetFixedSize);

  lbProgramName = new QLabel(this);
  lbProgramName->setObjectName(QStringLiteral("lbProgramName"));
  // Where Arial Black is missing the heaviest sans at hand stands in for it.
  lbProgramName->setFont(
      PixelFont({QStringLiteral("Arial Black"), QStringLiteral("DejaVu Sans")}, QFont::Black));
  lbProgramAbout = new QLabel(this);
  lbProgramAbout->setObjectName(QStringLiteral("lbProgramAbout"));
  lbCopyright = new QLabel(this);
  lbCopyright->setObjectName(QStringLiteral("lbCopyright"));
  for (QLabel* label : {lbProgramAbout, lbCopyright}) {
    label->setFont(
        PixelFont({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono")}, QFont::Normal));
  }
  btnOk = new QPushButton(QStringLiteral("Ok"), this);
  btnOk->setObjectName(QStringLiteral("btnOk"));
  btnOk->setDefault(true);
  connect(btnOk, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnOkClick(); }); });

  layout->addWidget(lbProgramName);
  layout->addWidget(lbProgramAbout);
  layout->addWidget(lbCopyright);
  layout->addWidget(btnOk, 0, Qt::AlignHCenter);
}

bool TfrmAbout::event(QEvent* event) {
  if (event->type() == QEvent::WindowActivate) {
    RunGuarded([this] { FormActivate(); });
  }
  return QDialog::event(event);
}

QString TfrmAbout::ChooseText(const QString& Russian, const QString& English) const {
  return FLanguage != 0 ? English : Russian;
}

void TfrmAbout::FormActivate() {
  setWindowTitle(ChooseText(QStringLiteral("О программе"), QStringLiteral("About...")));
  lbProgramName->setText(
      ChooseText(QStringLiteral("Тяжарнет.ПРОТОКОЛ"), QStringLiteral("Tyazharnet.PROTOCOL")));
  lbProgramAbout->setText(
      ChooseText(QStringLiteral("Программа для формирования протоколов соревнований по гиревому спорту"),
                 QStringLiteral("Software for creating protocols of kettlebell competitions")));
  lbCopyright->setText(ChooseText(QStringLiteral("Сайт разработчика: http://" TYAZHAR_WEB_ADDRESS),
                                  QStringLiteral("Developer's site: http://" TYAZHAR_WEB_ADDRESS)));
}

void TfrmAbout::btnOkClick() {
  accept();
}
