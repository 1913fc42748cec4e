#include "foundation/input_filters.h"

#include "foundation/conversions.h"
#include "foundation/messages.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
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
    NumericFilter(QLineEdit* box, bool allowSignAndComma, bool formatOnFocusOut)
        : QObject(box), m_box(box), m_allow(allowSignAndComma), m_format(formatOnFocusOut)
    {
        box->setAttribute(Qt::WA_InputMethodEnabled, false);
        box->installEventFilter(this);
        QObject::connect(box, &QLineEdit::textChanged, this, [this](const QString& text) { clean(text); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
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

void AttachNumericFilter(QLineEdit* box, bool allowSignAndComma, bool formatOnFocusOut)
{
    new NumericFilter(box, allowSignAndComma, formatOnFocusOut);
}

void AttachDateFilter(QLineEdit* box)
{
    new DateFilter(box);
}

namespace {

bool refuseBox(QWidget* parent, const QString& caption, QLineEdit* box)
{
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
