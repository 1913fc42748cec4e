#pragma once

#include <QIcon>

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

} // namespace Icons
