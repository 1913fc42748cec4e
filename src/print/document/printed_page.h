#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QRectF>
#include <QString>

// A page as the layout leaves it: what goes where, in the device's pixels, drawn as it is.
struct PrintedItem {
    enum Kind { Text, Line, Box };
    Kind kind = Text;
    QRectF rect; // Text: the line's box; Line: from topLeft to bottomRight; Box: the box
    QString text;
    QFont font;
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    qreal penWidth = 0; // Line and Box; 0 draws no frame
    QColor fill;        // Box; invalid: none
};

using PrintedPage = QList<PrintedItem>;
