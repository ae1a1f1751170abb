#include "platform/desktop/TrayLooks.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>

namespace fm::desktop {

namespace {

constexpr int kFallbackSide = 54;  // the program icon's size

// The largest image the icon has, to paint on.
QImage canvasOf(const QIcon& normal) {
    QSize size(kFallbackSide, kFallbackSide);
    for (const QSize& available : normal.availableSizes())
        if (available.width() > size.width()) size = available;
    QImage canvas = normal.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull()) {
        canvas = QImage(size, QImage::Format_ARGB32_Premultiplied);
        canvas.fill(Qt::transparent);
    }
    return canvas;
}

void paintClock(QPainter& painter, const QRectF& mark) {
    const qreal line = mark.width() / 9;
    painter.setPen(QPen(Qt::white, line));
    painter.setBrush(QColor(30, 100, 220));
    painter.drawEllipse(mark.adjusted(line / 2, line / 2, -line / 2, -line / 2));
    painter.setPen(QPen(Qt::white, line, Qt::SolidLine, Qt::RoundCap));
    const QPointF centre = mark.center();
    painter.drawLine(centre, centre - QPointF(0, mark.height() * 0.3));
    painter.drawLine(centre, centre + QPointF(mark.width() * 0.22, 0));
}

void paintWarning(QPainter& painter, const QRectF& mark) {
    const qreal line = mark.width() / 10;
    const QRectF inner = mark.adjusted(line / 2, line / 2, -line / 2, -line / 2);
    painter.setPen(QPen(QColor(210, 30, 30), line, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(QColor(255, 210, 0));
    painter.drawPolygon(
        QPolygonF{{inner.center().x(), inner.top()}, inner.bottomRight(), inner.bottomLeft()});
    painter.setPen(QPen(Qt::black, line * 1.2, Qt::SolidLine, Qt::RoundCap));
    const qreal x = inner.center().x();
    painter.drawLine(QPointF(x, inner.top() + inner.height() * 0.38),
                     QPointF(x, inner.top() + inner.height() * 0.66));
    painter.drawPoint(QPointF(x, inner.top() + inner.height() * 0.84));
}

}  // namespace

QIcon paintedLook(const QIcon& normal, IconLook look) {
    if (look == IconLook::Normal) return normal;
    QImage canvas = canvasOf(normal);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing);
        const qreal side = canvas.width() * 0.62;
        const QRectF mark(canvas.width() - side, canvas.height() - side, side, side);
        if (look == IconLook::Busy)
            paintClock(painter, mark);
        else
            paintWarning(painter, mark);
    }
    return QIcon(QPixmap::fromImage(canvas));
}

const QIcon& TrayLooks::icon(IconLook look) {
    if (look == IconLook::Normal) return normal_;
    QIcon& painted = look == IconLook::Busy ? busy_ : warning_;
    if (painted.isNull()) painted = paintedLook(normal_, look);
    return painted;
}

}  // namespace fm::desktop
