#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>

// Every message box of the program goes through here. Tests script the answers of the next
// boxes and read back every box that was shown, so no test ever blocks on a modal box.
class Messages {
public:
    enum Icon { NoIcon, Information, Exclamation, Critical, Question };
    using Button = QMessageBox::StandardButton;
    using Buttons = QMessageBox::StandardButtons;

    struct Shown {
        QString title;
        QString text;
        Icon icon = NoIcon;
        Buttons buttons;
        Button defaultButton = QMessageBox::NoButton;
        Button answer = QMessageBox::NoButton;
    };

    // Shows a modal box and returns the button chosen. With a scripted answer pending, or in
    // auto-answer mode, the box is recorded and answered without being shown.
    static Button show(QWidget* parent, Icon icon, const QString& title, const QString& text,
                       Buttons buttons = QMessageBox::Ok, Button defaultButton = QMessageBox::NoButton);

    static void information(QWidget* parent, const QString& title, const QString& text);
    static void exclamation(QWidget* parent, const QString& title, const QString& text);
    static void critical(QWidget* parent, const QString& title, const QString& text);
    static Button question(QWidget* parent, const QString& title, const QString& text, Buttons buttons,
                           Button defaultButton = QMessageBox::NoButton, Icon icon = Question);

    // The caption + "は必須入力です。" refusal with title "入力確認".
    static void required(QWidget* parent, const QString& caption);
    // A write to the settings store that did not happen, naming the file.
    static void settingsNotSaved(QWidget* parent);
    // A command on the selected project while none is selected.
    static void noProjectSelected(QWidget* parent);

    // Test hooks.
    static void setNextAnswer(Button answer);
    static void setAutoAnswer(bool on); // unscripted boxes take their default button (or Ok)
    static const QList<Shown>& shown();
    static void clearShown();
    static Shown last();

private:
    static QList<Shown>& record();
    static QList<Button>& pending();
    static bool& autoAnswer();
};
