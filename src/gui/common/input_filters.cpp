#include "common/input_filters.h"

#include "common/messages.h"
#include "common/tab_pages.h"
#include "convert/conversions.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <cmath>

namespace {

constexpr int kBackspace = 8;

// A printable character typed into the box; keys without one (arrows, Delete, Home, End,
// Tab, Enter, Esc) and shortcuts with Ctrl or Alt are left alone.
bool typedCharacter(const QKeyEvent* event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        return false;
    }
    const QString text = event->text();
    return !text.isEmpty() && text.at(0).unicode() >= 0x20 && text.at(0).unicode() != 0x7F;
}

// Keeps the caret where the user was typing when a clean-up shortens the text in front of it.
void replaceText(QLineEdit* box, const QString& text, int caret)
{
    box->setText(text);
    box->setCursorPosition(qBound(0, caret, static_cast<int>(text.size())));
}

class NumericFilter : public QObject {
public:
    NumericFilter(QLineEdit* box, bool allowSignAndComma, bool formatOnFocusOut, bool allowDecimalPaste)
        : QObject(box), m_box(box), m_allow(allowSignAndComma), m_format(formatOnFocusOut),
          m_decimal(allowDecimalPaste)
    {
        box->setAttribute(Qt::WA_InputMethodEnabled, false);
        box->installEventFilter(this);
        QObject::connect(box, &QLineEdit::textChanged, this, [this](const QString& text) { clean(text); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_box && pasteEvent(event)) {
            return true;
        }
        if (watched == m_box && event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (typedCharacter(key)) {
                QString kept;
                for (const QChar c : ToHalfWidth(key->text())) {
                    if (KeyDigitsOnly(c.unicode(), m_allow) != 0) {
                        kept += c;
                    }
                }
                if (kept != key->text()) {
                    if (!kept.isEmpty()) {
                        m_box->insert(kept);
                    }
                    return true;
                }
            }
        } else if (watched == m_box && event->type() == QEvent::FocusOut && m_format) {
            const QString text = m_box->text();
            if (!text.isEmpty() && ParseNumber(text)) {
                const QString formatted = FormatAmount(text);
                if (formatted != text) {
                    m_box->setText(formatted);
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    // Every way text is pasted into the box (the paste keys, the context menu, the middle button,
    // a drop) comes through paste(); true when the event was one of them.
    bool pasteEvent(QEvent* event)
    {
        switch (event->type()) {
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(event)->matches(QKeySequence::Paste)) {
                paste(QGuiApplication::clipboard()->text());
                return true;
            }
            return false;
        case QEvent::ContextMenu: {
            QMenu* menu = m_box->createStandardContextMenu();
            menu->setAttribute(Qt::WA_DeleteOnClose);
            const QString pasteKeys =
                QLatin1Char('\t') + QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
            for (QAction* action : menu->actions()) {
                if (action->text().endsWith(pasteKeys)) {
                    QObject::disconnect(action, &QAction::triggered, nullptr, nullptr);
                    QObject::connect(action, &QAction::triggered, this,
                                     [this] { paste(QGuiApplication::clipboard()->text()); });
                }
            }
            menu->popup(static_cast<QContextMenuEvent*>(event)->globalPos());
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton &&
                QGuiApplication::clipboard()->supportsSelection()) {
                paste(QGuiApplication::clipboard()->text(QClipboard::Selection));
                return true;
            }
            return false;
        case QEvent::Drop: {
            // Copied, never moved: a refused number must not leave the box it was dragged from.
            auto* drop = static_cast<QDropEvent*>(event);
            if (drop->mimeData()->hasText() && !m_box->isReadOnly()) {
                drop->setDropAction(Qt::CopyAction);
                drop->accept();
                paste(drop->mimeData()->text());
            }
            return true;
        }
        default:
            return false;
        }
    }

    // Pasted text goes in only as one plain number; anything else is refused and the box keeps
    // what it had.
    void paste(const QString& pasted)
    {
        if (m_box->isReadOnly()) {
            return;
        }
        const QString number = PastedNumber(pasted, m_allow, m_decimal);
        QString whole = m_box->text();
        if (m_box->hasSelectedText()) {
            whole.replace(m_box->selectionStart(), m_box->selectionLength(), number);
        } else {
            whole.insert(m_box->cursorPosition(), number);
        }
        if (number.isEmpty() || !ParseNumber(whole) || whole.size() > m_box->maxLength() ||
            (!m_allow && whole.contains(QLatin1Char('-'))) ||
            (!m_decimal && whole.contains(QLatin1Char('.')))) {
            Messages::information(m_box->window(), QStringLiteral("入力確認"),
                                  QStringLiteral("数値として貼り付けられません。"));
            return;
        }
        m_box->insert(number);
    }

    void clean(const QString& text)
    {
        if (m_cleaning) {
            return;
        }
        const QString cleaned = StripNonNumeric(ToHalfWidth(text));
        if (cleaned != text) {
            m_cleaning = true;
            const int lost = static_cast<int>(text.size() - cleaned.size());
            replaceText(m_box, cleaned, m_box->cursorPosition() - lost);
            m_cleaning = false;
        }
    }

    QLineEdit* m_box;
    bool m_allow;
    bool m_format;
    bool m_decimal;
    bool m_cleaning = false;
};

class DateFilter : public QObject {
public:
    explicit DateFilter(QLineEdit* box) : QObject(box), m_box(box)
    {
        box->setAttribute(Qt::WA_InputMethodEnabled, false);
        box->installEventFilter(this);
        QObject::connect(box, &QLineEdit::textChanged, this, [this](const QString& text) { reformat(text); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_box && event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Backspace) {
                m_lastKey = kBackspace;
            } else if (typedCharacter(key)) {
                QString kept;
                for (const QChar c : ToHalfWidth(key->text())) {
                    if (KeyDateChars(c.unicode(), m_lastKey) != 0) {
                        kept += c;
                    }
                }
                if (kept != key->text()) {
                    if (!kept.isEmpty()) {
                        m_box->insert(kept);
                    }
                    return true;
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void reformat(const QString& text)
    {
        if (m_reformatting) {
            return;
        }
        int caret = -1;
        const QString rebuilt = AutoSlashDate(ToHalfWidth(text), m_lastKey, &caret);
        if (rebuilt != text) {
            m_reformatting = true;
            m_box->setText(rebuilt);
            if (caret >= 0) {
                m_box->setCursorPosition(caret);
            }
            m_reformatting = false;
        }
        // A paste or a programmatic change is not a typed key.
        m_lastKey = 0;
    }

    QLineEdit* m_box;
    int m_lastKey = 0;
    bool m_reformatting = false;
};

} // namespace

void AttachNumericFilter(QLineEdit* box, bool allowSignAndComma, bool formatOnFocusOut,
                         bool allowDecimalPaste)
{
    new NumericFilter(box, allowSignAndComma, formatOnFocusOut, allowDecimalPaste);
}

void AttachDateFilter(QLineEdit* box)
{
    new DateFilter(box);
}

namespace {

bool refuseBox(QWidget* parent, const QString& caption, QLineEdit* box)
{
    ShowTabPage(box);
    Messages::information(parent, QStringLiteral("入力確認"),
                          caption + QStringLiteral("の値が正しくありません。"));
    box->setFocus();
    return false;
}

} // namespace

bool CheckNumberBox(QWidget* parent, const QString& caption, QLineEdit* box)
{
    const QString text = box->text();
    return text.isEmpty() || ParseNumber(text) || refuseBox(parent, caption, box);
}

bool CheckWholeNumberBox(QWidget* parent, const QString& caption, QLineEdit* box)
{
    const QString text = box->text();
    double value = 0;
    return text.isEmpty() || (ParseNumber(text, &value) && value == std::floor(value)) ||
           refuseBox(parent, caption, box);
}
