// Draws the splash bitmap of the competition program (354 x 170, 24 bits):
//   draw_splash <output.bmp>
// The corner colour, magenta, is what the splash window cuts away, so the
// outline is drawn without smoothing: a blended edge pixel would stay on
// screen as a pink fringe.
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: draw_splash <output.bmp>\n");
    return 2;
  }
  QGuiApplication application(argc, argv);
  const QColor cutOut(255, 0, 255);
  QImage image(354, 170, QImage::Format_RGB888);
  image.fill(cutOut);

  QPainter painter(&image);
  // The outline: a plate with rounded corners and a kettlebell standing out
  // of its left edge.
  QPainterPath plate;
  plate.addRoundedRect(QRectF(92, 28, 256, 118), 20, 20);
  QPainterPath bell;
  bell.addEllipse(QRectF(6, 56, 108, 108));
  QPainterPath handle;
  handle.addRoundedRect(QRectF(22, 4, 76, 70), 34, 34);
  QPainterPath hole;
  hole.addRoundedRect(QRectF(38, 18, 44, 40), 20, 20);
  const QPainterPath outline = plate.united(bell).united(handle.subtracted(hole));

  QLinearGradient steel(0, 0, 0, 170);
  steel.setColorAt(0.0, QColor(58, 82, 118));
  steel.setColorAt(1.0, QColor(20, 32, 52));
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.fillPath(outline, steel);

  // Inside the outline smoothing is safe.
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setRenderHint(QPainter::TextAntialiasing, true);
  QPainterPath shine;
  shine.addEllipse(QRectF(24, 76, 40, 26));
  painter.fillPath(shine.intersected(bell), QColor(255, 255, 255, 40));
  painter.setPen(QPen(QColor(214, 160, 20), 3));
  painter.drawLine(QPointF(128, 116), QPointF(332, 116));

  QFont title(QStringLiteral("DejaVu Sans"));
  title.setPixelSize(26);
  title.setBold(true);
  painter.setFont(title);
  painter.setPen(Qt::white);
  painter.drawText(QRectF(128, 40, 216, 34), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Тяжарнет."));
  painter.setPen(QColor(214, 160, 20));
  painter.drawText(QRectF(128, 72, 216, 34), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("ПРОТОКОЛ"));

  QFont note(QStringLiteral("DejaVu Sans"));
  note.setPixelSize(12);
  painter.setFont(note);
  painter.setPen(QColor(200, 210, 225));
  painter.drawText(QRectF(128, 120, 210, 20), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Tyazharnet.PROTOCOL"));
  painter.end();

  // The format follows the file name: .bmp for the program, .png to look at.
  return image.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
