#pragma once

#include "common/list_helpers.h"
#include "common/messages.h"
#include "test_support.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringList>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <functional>
#include <memory>

// Driving real windows in tests: controls are found by their documented names and clicked the
// way a user clicks them, so a disabled button stays unclicked.

// The world of a window test: that of every test, and message boxes recorded and answered
// without showing, pages for the browser caught instead of opened.
class GuiTestEnvironment : public TestEnvironment {
public:
    GuiTestEnvironment();
    ~GuiTestEnvironment() override;
};

template <typename T> T* control(const QWidget* window, const QString& name)
{
    T* found = window->findChild<T*>(name);
    if (!found) {
        qFatal("no control %s in %s", qPrintable(name), qPrintable(window->objectName()));
    }
    return found;
}

// A window the test does not show is clicked through the button itself, which a disabled button
// ignores as well.
inline void clickButton(const QWidget* window, const QString& name)
{
    auto* button = control<QAbstractButton>(window, name);
    if (button->isVisible()) {
        QTest::mouseClick(button, Qt::LeftButton);
    } else {
        button->click();
    }
}

inline void clickRow(QTreeWidget* list, int row)
{
    QTreeWidgetItem* item = list->topLevelItem(row);
    if (!item) {
        qFatal("no row %d in %s", row, qPrintable(list->objectName()));
    }
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(item).center());
}

inline int rowOfText(const QTreeWidget* list, const QString& text, int column = 0)
{
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        if (list->topLevelItem(i)->text(column) == text) {
            return i;
        }
    }
    return -1;
}

inline int rowOfKey(const QTreeWidget* list, const QString& key)
{
    QTreeWidgetItem* item = FindItemByKey(list, key);
    return item ? list->indexOfTopLevelItem(item) : -1;
}

// The texts of one row, from a column on.
inline QStringList rowTexts(const QTreeWidget* list, int row, int firstColumn = 0)
{
    QStringList texts;
    const QTreeWidgetItem* item = list->topLevelItem(row);
    for (int c = firstColumn; c < list->columnCount(); ++c) {
        texts << item->text(c);
    }
    return texts;
}

// The texts of one column, top to bottom.
inline QStringList columnTexts(const QTreeWidget* list, int column = 0)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        texts << list->topLevelItem(i)->text(column);
    }
    return texts;
}

// The keys of the rows, top to bottom.
inline QStringList rowKeys(const QTreeWidget* list)
{
    QStringList keys;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        keys << ItemKey(list->topLevelItem(i));
    }
    return keys;
}

inline void typeInto(const QWidget* window, const QString& name, const QString& text)
{
    QLineEdit* box = control<QLineEdit>(window, name);
    box->setFocus();
    box->selectAll();
    bool ascii = true;
    for (const QChar c : text) {
        ascii = ascii && c.unicode() < 0x80;
    }
    // Key clicks go through the box's filters; other scripts arrive as an input method commits.
    if (text.isEmpty()) {
        box->clear();
    } else if (ascii) {
        QTest::keyClicks(box, text);
    } else {
        box->setText(text);
    }
}

// Puts a text into a box at once, as a paste does.
inline void setText(const QWidget* window, const QString& name, const QString& text)
{
    if (auto* memo = window->findChild<QPlainTextEdit*>(name)) {
        memo->setPlainText(text);
    } else {
        control<QLineEdit>(window, name)->setText(text);
    }
}

// What a label, box or button shows.
inline QString controlText(const QWidget* window, const QString& name)
{
    QWidget* widget = control<QWidget>(window, name);
    if (auto* label = qobject_cast<QLabel*>(widget)) {
        return label->text();
    }
    if (auto* box = qobject_cast<QLineEdit*>(widget)) {
        return box->text();
    }
    if (auto* memo = qobject_cast<QPlainTextEdit*>(widget)) {
        return memo->toPlainText();
    }
    if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        return combo->currentText();
    }
    return control<QAbstractButton>(window, name)->text();
}

// What several controls show, in the order named.
inline QStringList texts(const QWidget* window, const QStringList& names)
{
    QStringList shown;
    for (const QString& name : names) {
        shown << controlText(window, name);
    }
    return shown;
}

// The code (Qt::UserRole data) of a combo's current entry.
inline int comboCode(const QWidget* window, const QString& name)
{
    return control<QComboBox>(window, name)->currentData().toInt();
}

// Picks a combo entry as the user does: by its text, or by its code (Qt::UserRole data).
inline void pick(QComboBox* combo, const QString& text)
{
    const int index = combo->findText(text);
    if (index < 0) {
        qFatal("no entry %s in %s", qPrintable(text), qPrintable(combo->objectName()));
    }
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

inline void pickCode(QComboBox* combo, int code)
{
    const int index = combo->findData(code);
    if (index < 0) {
        qFatal("no code %d in %s", code, qPrintable(combo->objectName()));
    }
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// Types a name into an editable combo without picking an entry.
inline void typeName(QComboBox* combo, const QString& text)
{
    combo->setCurrentIndex(-1);
    combo->setEditText(text);
}

// Brings a page of the window's tab strip (tbsOptions) to the front, as a click on its tab does.
inline void showTab(const QWidget* window, int index)
{
    control<QTabWidget>(window, QStringLiteral("tbsOptions"))->setCurrentIndex(index);
}

// Clicks the link to href in a text browser where the page shows it.
inline void clickLink(QTextBrowser* browser, const QString& href)
{
    for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.charFormat().anchorHref() != href) {
                continue;
            }
            QTextCursor cursor(browser->document());
            cursor.setPosition(fragment.position() + fragment.length() / 2);
            browser->setTextCursor(cursor);
            browser->ensureCursorVisible();
            const QPoint at = browser->cursorRect(cursor).center();
            QTest::mouseClick(browser->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            return;
        }
    }
    qFatal("no link to %s in %s", qPrintable(href), qPrintable(browser->source().toString()));
}

// Works the modal window the next step opens: once it shows, the steps run on it, and it is
// closed afterwards if they left it open, so that a failing step cannot leave the test waiting.
//     const ModalSteps modal([&](QWidget* dialog) { ... });
//     action->trigger();
//     QVERIFY(modal.ran());
class ModalSteps {
public:
    explicit ModalSteps(std::function<void(QWidget*)> steps, int attempts = 100)
        : m_state(std::make_shared<State>())
    {
        m_state->steps = std::move(steps);
        QTimer::singleShot(0, [state = m_state, attempts] { look(state, attempts); });
    }
    ~ModalSteps() { m_state->over = true; }
    ModalSteps(const ModalSteps&) = delete;
    ModalSteps& operator=(const ModalSteps&) = delete;

    // Whether the steps ran; from now on no later window is taken for this one.
    bool ran() const
    {
        m_state->over = true;
        return m_state->ran;
    }

private:
    struct State {
        std::function<void(QWidget*)> steps;
        bool ran = false;
        bool over = false;
    };

    static void look(const std::shared_ptr<State>& state, int left)
    {
        if (state->over) {
            return;
        }
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) {
            if (left > 0) {
                QTimer::singleShot(10, [state, left] { look(state, left - 1); });
            }
            return;
        }
        state->over = true;
        state->ran = true;
        state->steps(dialog);
        if (dialog->isVisible()) {
            dialog->close();
        }
    }

    std::shared_ptr<State> m_state;
};

// Triggers a command of the window (its QAction) and works the modal window it opens.
inline void triggerWithModal(const QWidget* window, const QString& action,
                             std::function<void(QWidget*)> steps)
{
    const ModalSteps modal(std::move(steps));
    control<QAction>(window, action)->trigger();
    QVERIFY2(modal.ran(), qPrintable(action));
}

// The last message box shown: title, text and icon.
#define COMPARE_LAST_MESSAGE(expectedTitle, expectedText, expectedIcon)                                      \
    do {                                                                                                     \
        QVERIFY(!Messages::shown().isEmpty());                                                               \
        QCOMPARE(Messages::last().title, QString(expectedTitle));                                            \
        QCOMPARE(Messages::last().text, QString(expectedText));                                              \
        QCOMPARE(int(Messages::last().icon), int(expectedIcon));                                             \
    } while (false)
