#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

// Asks where to save a file (a Qt file dialog, objectName "dlgSaveFile"), proposing the name
// in the user's documents folder; asks before an existing file is replaced. "" when the user
// cancels.
QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& proposedName,
                       const QString& filter);

// Writes the rows as a CSV file where the user chooses; tells the user when it cannot be
// written.
void SaveCsv(QWidget* parent, const QString& proposedName, const QList<QStringList>& rows);
