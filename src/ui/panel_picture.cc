#include "ui/panel_picture.h"

#include <QPainter>
#include <QPolygonF>

namespace tce::ui {

QImage PanelPicture(int size) {
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter painter(&image);
  painter.setRenderHint(QPainter::Antialiasing);
  const double unit = size / 10.0;
  painter.setPen(QPen(QColor(40, 70, 120), unit * 0.15));
  for (int i = 0; i < 3; ++i) {
    painter.setBrush(QColor(200 - i * 30, 215 - i * 25, 240));
    painter.drawRect(QRectF(unit * (0.8 + i * 0.6), unit * (0.6 + i * 0.6),
                            unit * 4.2, unit * 5.0));
  }
  painter.setBrush(QColor(90, 170, 90));
  painter.drawRect(QRectF(unit * 6.2, unit * 6.6, unit * 3.0, unit * 2.6));
  QPolygonF arrow;
  arrow << QPointF(unit * 6.0, unit * 3.4) << QPointF(unit * 8.6, unit * 3.4)
        << QPointF(unit * 8.6, unit * 4.6) << QPointF(unit * 9.4, unit * 4.6)
        << QPointF(unit * 7.3, unit * 6.2) << QPointF(unit * 5.2, unit * 4.6)
        << QPointF(unit * 6.0, unit * 4.6);
  painter.setBrush(QColor(230, 140, 40));
  painter.drawPolygon(arrow);
  return image;
}

}  // namespace tce::ui
