#include "watch/qt/graph_picture.h"

#include <QApplication>
#include <QDateTime>
#include <QFontMetricsF>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <algorithm>

#include "app/program_face.h"

namespace {
constexpr int kMargin = 3;  // pixels above and below the text, and at its left
// A longer line is cut short rather than made unreadable.
constexpr double kSmallestPoint = 6.0;
constexpr int kSmallestPixels = 8;
const QColor kText(0x20, 0x20, 0x20);
}  // namespace

QString ExportContextLine() {
  SensorIdentity sensor;
  GetSensorIdentity(&sensor);
  // The firmware text is empty until the sensor has answered the firmware query.
  const QString firmware = QString::fromLatin1(sensor.firmware).simplified();
  return QString("%1 · firmware %2 · %3")
      .arg(QDateTime::currentDateTime().toString("yyyy-MM-dd HH:mm:ss"),
           firmware.isEmpty() ? QString("not read") : firmware,
           QString::fromLatin1(sensor.ccdDescription).simplified());
}

int ContextLineHeight() {
  return QFontMetrics(QApplication::font()).height() + 2 * kMargin;
}

QImage GraphPicture(QWidget* graph, const QString& context) {
  const QPixmap shot = graph->grab();
  const qreal ratio = shot.devicePixelRatio();
  const QSize size(graph->width(), graph->height() + ContextLineHeight());
  QImage image((QSizeF(size) * ratio).toSize(), QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  image.fill(Qt::white);

  QPainter p(&image);
  p.drawPixmap(0, 0, shot);
  QFont font = QApplication::font();
  const double room = size.width() - 2 * kMargin;
  const double wide = QFontMetricsF(font).horizontalAdvance(context);
  if (wide > room) {
    // Text does not scale quite linearly with its size: a little to spare.
    const double scale = 0.97 * room / wide;
    if (font.pointSizeF() > 0)
      font.setPointSizeF(std::max(kSmallestPoint, font.pointSizeF() * scale));
    else  // a font set in pixels (as on some platforms)
      font.setPixelSize(std::max(kSmallestPixels, static_cast<int>(font.pixelSize() * scale)));
  }
  p.setFont(font);
  p.setPen(kText);
  const QRect line(kMargin, graph->height(), static_cast<int>(room), ContextLineHeight());
  p.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
             QFontMetrics(font).elidedText(context, Qt::ElideRight, line.width()));
  return image;
}
