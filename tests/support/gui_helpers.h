#pragma once

#include "foundation/messages.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QStringList>
#include <QTreeWidget>
#include <QtTest>

// Driving real windows in tests: controls are found by their documented names and clicked the
// way a user clicks them, so a disabled button stays unclicked.

template <typename T> T* control(const QWidget* window, const QString& name)
{
    T* found = window->findChild<T*>(name);
    if (!found) {
        qFatal("no control %s in %s", qPrintable(name), qPrintable(window->objectName()));
    }
    return found;
}

inline void clickButton(const QWidget* window, const QString& name)
{
    QTest::mouseClick(control<QAbstractButton>(window, name), Qt::LeftButton);
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

// The texts of one column, top to bottom.
inline QStringList columnTexts(const QTreeWidget* list, int column = 0)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        texts << list->topLevelItem(i)->text(column);
    }
    return texts;
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

// The last message box shown: title, text and icon.
#define COMPARE_LAST_MESSAGE(expectedTitle, expectedText, expectedIcon)                                      \
    do {                                                                                                     \
        QVERIFY(!Messages::shown().isEmpty());                                                               \
        QCOMPARE(Messages::last().title, QString(expectedTitle));                                            \
        QCOMPARE(Messages::last().text, QString(expectedText));                                              \
        QCOMPARE(int(Messages::last().icon), int(expectedIcon));                                             \
    } while (false)
