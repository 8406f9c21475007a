#pragma once

#include <QImage>
#include <QRegion>
#include <QWidget>

class QLabel;
class QTimer;

// The splash window shown while the program starts: a borderless picture
// whose top-left pixel's colour marks the part cut out of the window. Its
// timer runs once; the program waits for that first tick before it builds
// the main window.
class TfrmHeadPiece : public QWidget {
  Q_OBJECT

 public:
  explicit TfrmHeadPiece(QWidget* parent = nullptr);

  QLabel* Image;
  QTimer* Timer;

  // The window shaped to its picture, on every activation.
  void FormActivate();
  // The timer's tick: switches the timer off.
  void TimerTimer();

 protected:
  bool event(QEvent* event) override;

 private:
  QImage FPicture;
};

// The picture's rectangle without every pixel of the top-left pixel's colour.
QRegion SplashShape(const QImage& picture);
