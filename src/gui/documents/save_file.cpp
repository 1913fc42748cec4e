#include "documents/save_file.h"

#include "common/messages.h"
#include "common/wait_cursor.h"
#include "documents/csv_writer.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>

QString ChooseSaveFile(QWidget* parent, const QString& caption, const QString& proposedName, const QString& filter)
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        folder = QDir::homePath();
    }
    // Not the desktop's own dialog: it would ask about replacing a file in words of its own.
    QFileDialog dialog(parent, caption, QDir(folder).filePath(proposedName), filter);
    dialog.setObjectName(QStringLiteral("dlgSaveFile"));
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.selectFile(QDir(folder).filePath(proposedName));
    dialog.setDefaultSuffix(QFileInfo(proposedName).suffix());
    for (;;) {
        const WaitCursor::Pause pointer;
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
            return QString();
        }
        const QString path = dialog.selectedFiles().constFirst();
        if (!QFileInfo::exists(path) ||
            Messages::question(parent, QStringLiteral("確認"),
                               QStringLiteral("%1 は既にあります。\n置き換えますか？").arg(QFileInfo(path).fileName()),
                               QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes) {
            return path;
        }
    }
}

void SaveCsv(QWidget* parent, const QString& proposedName, const QList<QStringList>& rows)
{
    const QString path =
        ChooseSaveFile(parent, QStringLiteral("CSVに書き出し"), proposedName, QStringLiteral("CSV (*.csv)"));
    if (path.isEmpty()) {
        return;
    }
    QString error;
    if (!WriteCsvFile(path, rows, &error)) {
        Messages::critical(parent, QStringLiteral("書き出しエラー"),
                           QStringLiteral("ファイルに書き出せませんでした。\n%1\n%2").arg(path, error));
    }
}
