#include "common/icons.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPointer>
#include <QWidget>
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

QPainterPath outline(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

void folder(QPainter& p, const QColor& body)
{
    p.setPen(QPen(body.darker(160), 1.2));
    p.setBrush(body.darker(115));
    p.drawPath(outline({{3, 8}, {12, 8}, {15, 11}, {29, 11}, {29, 27}, {3, 27}}));
    p.setBrush(body);
    p.drawPath(outline({{3, 14}, {29, 14}, {29, 27}, {3, 27}}));
}

void document(QPainter& p)
{
    p.setPen(QPen(QColor(0x55, 0x66, 0x77), 1.2));
    p.setBrush(Qt::white);
    p.drawPath(outline({{7, 3}, {20, 3}, {26, 9}, {26, 29}, {7, 29}}));
    p.setBrush(QColor(0xdd, 0xe4, 0xec));
    p.drawPath(outline({{20, 3}, {20, 9}, {26, 9}}));
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
    p.drawPath(outline({{-3, 4}, {3, 4}, {0, 10}}));
    p.setBrush(QColor(0xd0, 0x50, 0x50));
    p.drawRect(QRectF(-3, -13, 6, 3));
    p.restore();
}

const QColor kFolder(0xf2, 0xc2, 0x4f);

} // namespace

namespace Icons {

QIcon application()
{
    // The drawing the desktop shows for the launcher (data/icons), so both look alike.
    static const QIcon icon(QStringLiteral(":/icons/org.vorna.vorna.svg"));
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

QIcon styleIcon(const QWidget* widget, QStyle::StandardPixmap which)
{
    struct Cached {
        QPointer<QStyle> style;
        QHash<int, QIcon> icons;
    };
    static Cached cached;
    QStyle* style = widget->style();
    if (cached.style != style) {
        cached.style = style;
        cached.icons.clear();
    }
    auto it = cached.icons.find(int(which));
    if (it == cached.icons.end()) {
        it = cached.icons.insert(int(which), style->standardIcon(which, nullptr, widget));
    }
    return it.value();
}

} // namespace Icons
