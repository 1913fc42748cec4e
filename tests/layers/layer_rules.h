#pragma once

#include <QString>
#include <QStringList>

// The rules of the source tree's layers, read from the files as they are:
// - a file under src/core includes no header of Qt Gui or Qt Widgets and no header of the
//   windows or the printing (its quoted includes all name files of src/core, none through "..");
// - a file under src/print includes no header of Qt Widgets or Qt's printing support and no
//   header of the windows (its quoted includes name files of src/print and src/core);
// - no two folders include each other, directly or round a circle (core/<topic>, gui/<group>
//   print/<group> and app are the folders; a window folder's include is looked up in src/gui,
//   then src/print, then src/core, a printing folder's in src/print, then src/core, a core
//   folder's in src/core only);
// - no header is found in two of src/core, src/print and src/gui under one name;
// - no source file is longer than the line limit, but for the files allowed by name.
struct LayerReport {
    QStringList forbiddenIncludes; // "core/db/x.cpp: <QWidget>"
    QStringList ambiguousHeaders;  // "project/x.h"
    QStringList cycles;            // "core/a -> core/b -> core/a"
    QStringList longFiles;         // "gui/x/y.cpp: 700 lines"
    QStringList staleAllowances;   // allowed long files that are no longer long (or gone)

    bool clean() const
    {
        return forbiddenIncludes.isEmpty() && ambiguousHeaders.isEmpty() && cycles.isEmpty() &&
               longFiles.isEmpty() && staleAllowances.isEmpty();
    }
};

// srcRoot: the src folder. guiHeaderFolders: folders of Qt's Gui, Widgets and PrintSupport
// headers (those named QtGui, QtWidgets or QtPrintSupport count). allowedLongFiles: paths relative to srcRoot.
LayerReport CheckLayers(const QString& srcRoot, const QStringList& guiHeaderFolders,
                        const QStringList& allowedLongFiles, int lineLimit);
