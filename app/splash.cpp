#include "app/splash.h"

#include <QBitmap>
#include <QEvent>
#include <QLabel>
#include <QTimer>

#include "platform/widgets/shared_dialogs.h"

// The splash bitmap is compiled into this library; a static library's resource
// object is linked only when something asks for it.
static void InitSplashResource() {
  Q_INIT_RESOURCE(app);
}

QRegion SplashShape(const QImage& picture) {
  if (picture.isNull()) {
    return QRegion();
  }
  const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
  const QRgb transparent = rgb.pixel(0, 0);
  // One mask pass gives the same region as taking the pixels away one by one.
  const QImage mask = rgb.createMaskFromColor(transparent, Qt::MaskInColor);
  return QRegion(QBitmap::fromImage(mask));
}

TfrmHeadPiece::TfrmHeadPiece(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  InitSplashResource();
  setObjectName(QStringLiteral("frmHeadPiece"));
  FPicture.load(QStringLiteral(":/splash/splash.bmp"));
  setFixedSize(354, 170);

  Image = new QLabel(this);
  Image->setObjectName(QStringLiteral("Image"));
  Image->setGeometry(rect());
  Image->setPixmap(QPixmap::fromImage(FPicture));

  Timer = new QTimer(this);
  Timer->setObjectName(QStringLiteral("Timer"));
  Timer->setInterval(1000);
  connect(Timer, &QTimer::timeout, this, [this] { RunGuarded([this] { TimerTimer(); }); });
  Timer->start();
}

bool TfrmHeadPiece::event(QEvent* event) {
  // A window manager may never activate a borderless window; it is shaped
  // when it is shown as well.
  if (event->type() == QEvent::WindowActivate || event->type() == QEvent::Show) {
    RunGuarded([this] { FormActivate(); });
  }
  return QWidget::event(event);
}

void TfrmHeadPiece::FormActivate() {
  setMask(SplashShape(FPicture));
}

void TfrmHeadPiece::TimerTimer() {
  Timer->stop();
}
