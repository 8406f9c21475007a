#include "app/image_list.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>

namespace {

// Drawn here rather than taken from the desktop's theme, so that the tool bars
// look the same wherever the program runs.
const QColor kInk(45, 55, 72);
const QColor kPaper(250, 250, 246);
const QColor kBlue(40, 100, 180);
const QColor kGreen(30, 135, 60);
const QColor kRed(190, 40, 40);
const QColor kGold(214, 160, 20);

void Page(QPainter& p, const QRectF& r) {
  QPainterPath path;
  path.moveTo(r.left(), r.top());
  path.lineTo(r.right() - 6, r.top());
  path.lineTo(r.right(), r.top() + 6);
  path.lineTo(r.right(), r.bottom());
  path.lineTo(r.left(), r.bottom());
  path.closeSubpath();
  p.setPen(QPen(kInk, 1.5));
  p.setBrush(kPaper);
  p.drawPath(path);
}

void Lines(QPainter& p, qreal left, qreal right, qreal top, int count, qreal step) {
  p.setPen(QPen(kInk.lighter(160), 1.5));
  for (int i = 0; i < count; ++i) {
    p.drawLine(QPointF(left, top + i * step), QPointF(right, top + i * step));
  }
}

void Badge(QPainter& p, const QPointF& centre, const QColor& colour, bool plus, bool minus) {
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawEllipse(centre, 7.5, 7.5);
  p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
  if (plus || minus) {
    p.drawLine(centre + QPointF(-4, 0), centre + QPointF(4, 0));
  }
  if (plus) {
    p.drawLine(centre + QPointF(0, -4), centre + QPointF(0, 4));
  }
}

void Cross(QPainter& p, const QPointF& centre, const QColor& colour) {
  p.setPen(Qt::NoPen);
  p.setBrush(colour);
  p.drawEllipse(centre, 7.5, 7.5);
  p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(centre + QPointF(-3.5, -3.5), centre + QPointF(3.5, 3.5));
  p.drawLine(centre + QPointF(3.5, -3.5), centre + QPointF(-3.5, 3.5));
}

// The stream list: a column of athletes.
void StreamList(QPainter& p) {
  Page(p, QRectF(3, 3, 19, 25));
  Lines(p, 7, 18, 10, 4, 4.5);
}

void Draw(QPainter& p, int index) {
  switch (index) {
    case iiSave: {
      p.setPen(QPen(kInk, 1.5));
      p.setBrush(kBlue);
      p.drawRoundedRect(QRectF(4, 4, 24, 24), 2, 2);
      p.setBrush(kPaper);
      p.drawRect(QRectF(9, 4, 14, 9));
      p.setBrush(kInk);
      p.drawRect(QRectF(18, 6, 3, 5));
      p.setBrush(kPaper);
      p.drawRect(QRectF(8, 17, 16, 11));
      break;
    }
    case iiOpen: {
      p.setPen(QPen(kInk, 1.5));
      p.setBrush(kGold.lighter(130));
      QPainterPath back;
      back.moveTo(3, 8);
      back.lineTo(11, 8);
      back.lineTo(13, 11);
      back.lineTo(26, 11);
      back.lineTo(26, 26);
      back.lineTo(3, 26);
      back.closeSubpath();
      p.drawPath(back);
      p.setBrush(kGold);
      QPainterPath front;
      front.moveTo(3, 26);
      front.lineTo(8, 15);
      front.lineTo(30, 15);
      front.lineTo(26, 26);
      front.closeSubpath();
      p.drawPath(front);
      break;
    }
    case iiPrint: {
      p.setPen(QPen(kInk, 1.5));
      p.setBrush(kPaper);
      p.drawRect(QRectF(9, 3, 14, 9));
      p.setBrush(QColor(150, 160, 175));
      p.drawRoundedRect(QRectF(3, 11, 26, 12), 2, 2);
      p.setBrush(kPaper);
      p.drawRect(QRectF(9, 19, 14, 10));
      Lines(p, 11, 21, 23, 2, 3);
      p.setPen(Qt::NoPen);
      p.setBrush(kGreen);
      p.drawEllipse(QPointF(25, 15), 1.5, 1.5);
      break;
    }
    case iiNewProtocol: {
      Page(p, QRectF(5, 3, 20, 26));
      Lines(p, 9, 20, 10, 4, 4.5);
      p.setPen(Qt::NoPen);
      p.setBrush(kGold);
      QPainterPath star;
      const QPointF c(23, 23);
      for (int i = 0; i < 10; ++i) {
        const qreal r = (i % 2 == 0) ? 7.5 : 3.2;
        const qreal a = (i * 36 - 90) * 3.14159265 / 180.0;
        const QPointF pt = c + QPointF(r * std::cos(a), r * std::sin(a));
        if (i == 0) {
          star.moveTo(pt);
        } else {
          star.lineTo(pt);
        }
      }
      star.closeSubpath();
      p.drawPath(star);
      break;
    }
    case iiSetPoint: {
      // A podium with a plus: team points.
      p.setPen(QPen(kInk, 1.5));
      p.setBrush(kBlue.lighter(140));
      p.drawRect(QRectF(3, 17, 8, 11));
      p.setBrush(kBlue);
      p.drawRect(QRectF(11, 11, 8, 17));
      p.setBrush(kBlue.lighter(120));
      p.drawRect(QRectF(19, 20, 8, 8));
      Badge(p, QPointF(23.5, 8.5), kGreen, true, false);
      break;
    }
    case iiSetMadeRank: {
      // A medal on its ribbon.
      p.setPen(Qt::NoPen);
      p.setBrush(kRed);
      QPainterPath ribbon;
      ribbon.moveTo(9, 2);
      ribbon.lineTo(14, 2);
      ribbon.lineTo(18, 14);
      ribbon.lineTo(13, 14);
      ribbon.closeSubpath();
      ribbon.moveTo(23, 2);
      ribbon.lineTo(18, 2);
      ribbon.lineTo(14, 14);
      ribbon.lineTo(19, 14);
      ribbon.closeSubpath();
      p.drawPath(ribbon);
      p.setPen(QPen(kInk, 1.5));
      p.setBrush(kGold);
      p.drawEllipse(QPointF(16, 21), 8, 8);
      p.setBrush(kGold.lighter(130));
      p.drawEllipse(QPointF(16, 21), 4, 4);
      break;
    }
    case iiRefresh: {
      p.setPen(QPen(kGreen, 3, Qt::SolidLine, Qt::RoundCap));
      p.setBrush(Qt::NoBrush);
      p.drawArc(QRectF(6, 6, 20, 20), 60 * 16, 280 * 16);
      p.setPen(Qt::NoPen);
      p.setBrush(kGreen);
      QPainterPath head;
      head.moveTo(20, 2);
      head.lineTo(27, 8);
      head.lineTo(18, 11);
      head.closeSubpath();
      p.drawPath(head);
      break;
    }
    case iiSelect: {
      // An arrow into a list: take the chosen row over.
      StreamList(p);
      p.setPen(QPen(kBlue, 3, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(14, 18), QPointF(26, 18));
      p.setPen(Qt::NoPen);
      p.setBrush(kBlue);
      QPainterPath head;
      head.moveTo(31, 18);
      head.lineTo(24, 12);
      head.lineTo(24, 24);
      head.closeSubpath();
      p.drawPath(head);
      break;
    }
    case iiAddStream:
      StreamList(p);
      Badge(p, QPointF(23, 23), kGreen, true, false);
      break;
    case iiDelStream:
      StreamList(p);
      Badge(p, QPointF(23, 23), kRed, false, true);
      break;
    case iiDelAllStream:
      Page(p, QRectF(8, 2, 17, 21));
      StreamList(p);
      Cross(p, QPointF(23, 23), kRed);
      break;
    case iiCalculate: {
      p.setPen(QPen(kInk, 1.5));
      p.setBrush(QColor(225, 228, 235));
      p.drawRoundedRect(QRectF(5, 2, 22, 28), 3, 3);
      p.setBrush(QColor(190, 220, 190));
      p.drawRect(QRectF(8, 5, 16, 6));
      p.setBrush(kInk.lighter(150));
      for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
          p.drawRect(QRectF(8 + col * 6, 14 + row * 5, 4, 3));
        }
      }
      break;
    }
    case iiCreateProtocol: {
      // A table with a header row.
      p.setPen(QPen(kInk, 1.5));
      p.setBrush(kPaper);
      p.drawRect(QRectF(3, 5, 26, 22));
      p.setBrush(kBlue.lighter(150));
      p.drawRect(QRectF(3, 5, 26, 6));
      p.drawLine(QPointF(12, 5), QPointF(12, 27));
      p.drawLine(QPointF(3, 16.5), QPointF(29, 16.5));
      p.drawLine(QPointF(3, 22), QPointF(29, 22));
      break;
    }
    case iiShowList: {
      // Two panes, one of them lit: which list the side panel shows.
      p.setPen(QPen(kInk, 1.5));
      p.setBrush(kPaper);
      p.drawRect(QRectF(3, 5, 12, 22));
      p.setBrush(kBlue.lighter(150));
      p.drawRect(QRectF(17, 5, 12, 22));
      Lines(p, 6, 12, 10, 4, 4.5);
      break;
    }
    default:
      break;
  }
}

}  // namespace

TImageList::TImageList(QObject* parent) : QObject(parent) {
  setObjectName(QStringLiteral("ImageList"));
  for (int index = 0; index < iiImageCount; ++index) {
    QPixmap pixmap(Width(), Height());
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    Draw(painter, index);
    painter.end();
    FIcons.append(QIcon(pixmap));
  }
}

QIcon TImageList::Icon(int index) const {
  return index >= 0 && index < FIcons.size() ? FIcons[index] : QIcon();
}
