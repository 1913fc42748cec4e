#include "workspace/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace {

using Draw = std::function<void(QPainter&)>;

// Everything is drawn on a 32 x 32 grid at the sizes the toolkit asks for, once per run.
QIcon render(const Draw& draw)
{
    QIcon icon;
    for (const int size : {16, 20, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 32.0, size / 32.0);
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

void folder(QPainter& p, const QColor& body)
{
    p.setPen(QPen(body.darker(160), 1.2));
    p.setBrush(body.darker(115));
    QPainterPath back;
    back.moveTo(3, 8);
    back.lineTo(12, 8);
    back.lineTo(15, 11);
    back.lineTo(29, 11);
    back.lineTo(29, 27);
    back.lineTo(3, 27);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(body);
    QPainterPath front;
    front.moveTo(3, 14);
    front.lineTo(29, 14);
    front.lineTo(29, 27);
    front.lineTo(3, 27);
    front.closeSubpath();
    p.drawPath(front);
}

void document(QPainter& p)
{
    p.setPen(QPen(QColor(0x55, 0x66, 0x77), 1.2));
    p.setBrush(Qt::white);
    QPainterPath page;
    page.moveTo(7, 3);
    page.lineTo(20, 3);
    page.lineTo(26, 9);
    page.lineTo(26, 29);
    page.lineTo(7, 29);
    page.closeSubpath();
    p.drawPath(page);
    p.setBrush(QColor(0xdd, 0xe4, 0xec));
    QPainterPath fold;
    fold.moveTo(20, 3);
    fold.lineTo(20, 9);
    fold.lineTo(26, 9);
    fold.closeSubpath();
    p.drawPath(fold);
    p.setPen(QPen(QColor(0x3a, 0x6e, 0xa5), 1.6));
    for (const int y : {13, 17, 21, 25}) {
        p.drawLine(QPointF(10, y), QPointF(y == 25 ? 18 : 23, y));
    }
}

void plusBadge(QPainter& p)
{
    p.setPen(QPen(QColor(0x1e, 0x6b, 0x2a), 1));
    p.setBrush(QColor(0x2e, 0x9d, 0x3e));
    p.drawEllipse(QPointF(23.5, 23.5), 7.5, 7.5);
    p.setPen(QPen(Qt::white, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(23.5, 19.5), QPointF(23.5, 27.5));
    p.drawLine(QPointF(19.5, 23.5), QPointF(27.5, 23.5));
}

void pencilBadge(QPainter& p)
{
    p.save();
    p.translate(22, 22);
    p.rotate(45);
    p.setPen(QPen(QColor(0x7a, 0x4a, 0x10), 1));
    p.setBrush(QColor(0xf0, 0xa8, 0x30));
    p.drawRect(QRectF(-3, -11, 6, 15));
    p.setBrush(QColor(0xf3, 0xd9, 0xb0));
    QPainterPath tip;
    tip.moveTo(-3, 4);
    tip.lineTo(3, 4);
    tip.lineTo(0, 10);
    tip.closeSubpath();
    p.drawPath(tip);
    p.setBrush(QColor(0xd0, 0x50, 0x50));
    p.drawRect(QRectF(-3, -13, 6, 3));
    p.restore();
}

const QColor kFolder(0xf2, 0xc2, 0x4f);

} // namespace

namespace Icons {

QIcon application()
{
    static const QIcon icon = render([](QPainter& p) {
        p.setPen(Qt::NoPen);
        QLinearGradient g(0, 0, 0, 32);
        g.setColorAt(0, QColor(0x4a, 0x86, 0xc8));
        g.setColorAt(1, QColor(0x23, 0x55, 0x8e));
        p.setBrush(g);
        p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
        p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({QPointF(8, 8), QPointF(16, 24), QPointF(24, 8)}));
    });
    return icon;
}

QIcon projectList()
{
    static const QIcon icon = render([](QPainter& p) {
        p.setPen(QPen(QColor(0x23, 0x55, 0x8e), 1.2));
        p.setBrush(QColor(0x4a, 0x86, 0xc8));
        p.drawRoundedRect(QRectF(3, 9, 26, 19), 3, 3);
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(QRectF(11, 4, 10, 6), 2, 2);
        p.setPen(QPen(Qt::white, 1.6));
        p.drawLine(QPointF(3, 17), QPointF(29, 17));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(14, 15, 4, 4));
    });
    return icon;
}

QIcon project()
{
    static const QIcon icon = render([](QPainter& p) { folder(p, kFolder); });
    return icon;
}

QIcon function()
{
    static const QIcon icon = render([](QPainter& p) { document(p); });
    return icon;
}

QIcon newProject()
{
    static const QIcon icon = render([](QPainter& p) {
        folder(p, kFolder);
        plusBadge(p);
    });
    return icon;
}

QIcon editProject()
{
    static const QIcon icon = render([](QPainter& p) {
        folder(p, kFolder);
        pencilBadge(p);
    });
    return icon;
}

QIcon newFunction()
{
    static const QIcon icon = render([](QPainter& p) {
        document(p);
        plusBadge(p);
    });
    return icon;
}

QIcon editFunction()
{
    static const QIcon icon = render([](QPainter& p) {
        document(p);
        pencilBadge(p);
    });
    return icon;
}

} // namespace Icons
