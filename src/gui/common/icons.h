#pragma once

#include <QIcon>
#include <QStyle>

class QWidget;

// The program's own small pictures, drawn at run time so that they look the same on every
// desktop, with or without an icon theme; the program's icon is its shipped SVG drawing.
namespace Icons {

QIcon application();
QIcon projectList(); // the tree's root
QIcon project();
QIcon function();
QIcon newProject();
QIcon editProject();
QIcon newFunction();
QIcon editFunction();

// One of the style's standard pictures (arrows and the like). The style reads them from its
// image files at every request, which every editor with row lists would pay again; they are
// read once per style.
QIcon styleIcon(const QWidget* widget, QStyle::StandardPixmap which);

} // namespace Icons
