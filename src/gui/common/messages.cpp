#include "common/messages.h"

#include "common/wait_cursor.h"
#include "settings/settings.h"

#include <QDir>
#include <QPushButton>

namespace {

QMessageBox::Icon toQtIcon(Messages::Icon icon)
{
    switch (icon) {
    case Messages::Information:
        return QMessageBox::Information;
    case Messages::Exclamation:
        return QMessageBox::Warning;
    case Messages::Critical:
        return QMessageBox::Critical;
    case Messages::Question:
        return QMessageBox::Question;
    case Messages::NoIcon:
        break;
    }
    return QMessageBox::NoIcon;
}

Messages::Button firstButton(Messages::Buttons buttons)
{
    for (unsigned int bit = QMessageBox::FirstButton; bit <= QMessageBox::LastButton; bit <<= 1) {
        if (buttons.testFlag(static_cast<Messages::Button>(bit))) {
            return static_cast<Messages::Button>(bit);
        }
    }
    return QMessageBox::Ok;
}

} // namespace

QList<Messages::Shown>& Messages::record()
{
    static QList<Shown> shownBoxes;
    return shownBoxes;
}

QList<Messages::Button>& Messages::pending()
{
    static QList<Button> answers;
    return answers;
}

bool& Messages::autoAnswer()
{
    static bool on = false;
    return on;
}

Messages::Button Messages::show(QWidget* parent, Icon icon, const QString& title, const QString& text,
                                Buttons buttons, Button defaultButton)
{
    Shown entry{title, text, icon, buttons, defaultButton, QMessageBox::NoButton};

    if (!pending().isEmpty()) {
        entry.answer = pending().takeFirst();
    } else if (autoAnswer()) {
        entry.answer = defaultButton != QMessageBox::NoButton ? defaultButton : firstButton(buttons);
    } else {
        // A message must not leave the hourglass on screen while it waits for the user.
        const WaitCursor::Pause pointer;
        QMessageBox box(toQtIcon(icon), title, text, buttons, parent);
        if (defaultButton != QMessageBox::NoButton) {
            box.setDefaultButton(defaultButton);
        }
        entry.answer = static_cast<Button>(box.exec());
    }
    record().append(entry);
    return entry.answer;
}

void Messages::information(QWidget* parent, const QString& title, const QString& text)
{
    show(parent, Information, title, text);
}

void Messages::exclamation(QWidget* parent, const QString& title, const QString& text)
{
    show(parent, Exclamation, title, text);
}

void Messages::critical(QWidget* parent, const QString& title, const QString& text)
{
    show(parent, Critical, title, text);
}

Messages::Button Messages::question(QWidget* parent, const QString& title, const QString& text,
                                    Buttons buttons, Button defaultButton, Icon icon)
{
    return show(parent, icon, title, text, buttons, defaultButton);
}

void Messages::required(QWidget* parent, const QString& caption)
{
    information(parent, QStringLiteral("入力確認"), caption + QStringLiteral("は必須入力です。"));
}

void Messages::noProjectSelected(QWidget* parent)
{
    information(parent, QStringLiteral("未選択"), QStringLiteral("プロジェクトが選択されていません。"));
}

void Messages::settingsNotSaved(QWidget* parent)
{
    critical(parent, QStringLiteral("設定エラー"),
             QStringLiteral("設定を保存できませんでした。\n") +
                 QDir::toNativeSeparators(Settings::filePath()) +
                 QStringLiteral("\nディスクの空きとファイルの書き込み権限を確認してください。"));
}

void Messages::setNextAnswer(Button answer)
{
    pending().append(answer);
}

void Messages::setAutoAnswer(bool on)
{
    autoAnswer() = on;
}

const QList<Messages::Shown>& Messages::shown()
{
    return record();
}

void Messages::clearShown()
{
    record().clear();
    pending().clear();
}

Messages::Shown Messages::last()
{
    return record().isEmpty() ? Shown{} : record().constLast();
}
