#include "common/text_limits.h"

#include "common/messages.h"
#include "common/tab_pages.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <functional>

namespace {

const char* const kLimitProperty = "vornaTextLimit";

// The length in UTF-16 units of the first `characters` characters of text.
int unitsOf(const QString& text, int characters)
{
    int i = 0;
    for (int n = 0; n < characters && i < text.size(); ++n) {
        const bool pair =
            text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        i += pair ? 2 : 1;
    }
    return i;
}

// What a change put in: the part of `after` between what it shares with `before` at the start
// and at the end, never starting or ending inside a surrogate pair.
struct Inserted {
    int start = 0;
    int length = 0;
};

Inserted insertedPart(const QString& before, const QString& after)
{
    const int shorter = static_cast<int>(qMin(before.size(), after.size()));
    int prefix = 0;
    while (prefix < shorter && before.at(prefix) == after.at(prefix)) {
        ++prefix;
    }
    if (prefix > 0 && after.at(prefix - 1).isHighSurrogate()) {
        --prefix;
    }
    int suffix = 0;
    while (suffix < shorter - prefix &&
           before.at(before.size() - 1 - suffix) == after.at(after.size() - 1 - suffix)) {
        ++suffix;
    }
    if (suffix > 0 && after.at(after.size() - suffix).isLowSurrogate()) {
        --suffix;
    }
    return {prefix, static_cast<int>(after.size()) - prefix - suffix};
}

// How many UTF-16 units at the end of the inserted part have to go for the text to fit; the
// whole text is cut from the start when even the rest is too long.
struct Cut {
    int from = 0;
    int length = 0;
};

Cut overflowOf(const QString& before, const QString& after, int limit)
{
    const Inserted in = insertedPart(before, after);
    const QString kept = after.left(in.start) + after.mid(in.start + in.length);
    const int room = limit - CharacterCount(kept);
    if (room < 0) {
        const int from = unitsOf(after, limit);
        return {from, static_cast<int>(after.size()) - from};
    }
    const int keep = unitsOf(after.mid(in.start, in.length), room);
    return {in.start + keep, in.length - keep};
}

// Cuts what a change brought beyond the limit: read gives the box's text, remove takes a part
// of it out (and leaves the caret there).
class Limiter : public QObject {
public:
    Limiter(QWidget* box, int limit, std::function<QString()> read, std::function<void(const Cut&)> remove)
        : QObject(box), m_limit(limit), m_read(std::move(read)), m_remove(std::move(remove)),
          m_before(m_read())
    {
        changed();
    }

    void changed()
    {
        if (m_cutting) {
            return;
        }
        const QString text = m_read();
        if (CharacterCount(text) > m_limit) {
            m_cutting = true;
            m_remove(overflowOf(m_before, text, m_limit));
            m_cutting = false;
        }
        m_before = m_read();
    }

private:
    int m_limit;
    std::function<QString()> m_read;
    std::function<void(const Cut&)> m_remove;
    QString m_before;
    bool m_cutting = false;
};

QString boxText(const QWidget* box)
{
    if (const auto* line = qobject_cast<const QLineEdit*>(box)) {
        return line->text();
    }
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(box)) {
        return memo->toPlainText();
    }
    if (const auto* combo = qobject_cast<const QComboBox*>(box)) {
        return combo->currentText();
    }
    return QString();
}

} // namespace

void LimitText(QLineEdit* box, int characters)
{
    box->setProperty(kLimitProperty, characters);
    auto* limiter = new Limiter(
        box, characters, [box] { return box->text(); },
        [box](const Cut& cut) {
            box->setText(box->text().remove(cut.from, cut.length));
            box->setCursorPosition(cut.from);
        });
    QObject::connect(box, &QLineEdit::textChanged, limiter, &Limiter::changed);
}

void LimitText(QPlainTextEdit* box, int characters)
{
    box->setProperty(kLimitProperty, characters);
    auto* limiter = new Limiter(
        box, characters, [box] { return box->toPlainText(); },
        [box](const Cut& cut) {
            // Plain text keeps one document position per character, so the positions match.
            QTextCursor cursor(box->document());
            cursor.setPosition(cut.from);
            cursor.setPosition(cut.from + cut.length, QTextCursor::KeepAnchor);
            cursor.removeSelectedText();
            box->setTextCursor(cursor);
        });
    QObject::connect(box, &QPlainTextEdit::textChanged, limiter, &Limiter::changed);
}

void LimitText(QComboBox* box, int characters)
{
    box->setProperty(kLimitProperty, characters);
    if (QLineEdit* line = box->lineEdit()) {
        LimitText(line, characters);
    }
}

int TextLimit(const QWidget* box)
{
    return box ? box->property(kLimitProperty).toInt() : 0;
}

int CharacterCount(const QString& text)
{
    int count = 0;
    for (int i = 0; i < text.size(); ++i, ++count) {
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
        }
    }
    return count;
}

int ColumnLength(Engine engine, const QString& text)
{
    return engine == Engine::SQLServer ? static_cast<int>(text.size()) : CharacterCount(text);
}

bool HasLoneSurrogate(const QString& text)
{
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i;
        } else if (c.isSurrogate()) {
            return true;
        }
    }
    return false;
}

bool CheckTextBox(QWidget* parent, Engine engine, const QString& caption, QWidget* box)
{
    const QString text = boxText(box);
    const int limit = TextLimit(box);
    const bool malformed = HasLoneSurrogate(text);
    const bool tooLong = !malformed && limit > 0 && ColumnLength(engine, text) > limit;
    if (!malformed && !tooLong) {
        return true;
    }
    // The refused box's page comes to the front first, where the box is on a tab of its window.
    ShowTabPage(box);
    if (malformed) {
        Messages::information(parent, QStringLiteral("入力確認"),
                              caption + QStringLiteral("の値が正しくありません。"));
    } else {
        Messages::exclamation(parent, QStringLiteral("サイズオーバ"),
                              caption + QStringLiteral("の文字列が長すぎます。"));
    }
    box->setFocus();
    return false;
}
