#include "db/dialect.h"

#include "db/db_error.h"

#include <QDate>
#include <QRegularExpression>
#include <QVector>

QString EngineName(Engine engine)
{
    switch (engine) {
    case Engine::SQLite:
        return QStringLiteral("SQLite");
    case Engine::PostgreSQL:
        return QStringLiteral("PostgreSQL");
    case Engine::SQLServer:
        return QStringLiteral("SQL Server");
    }
    return QString();
}

namespace {

struct Token {
    enum Kind { Word, Literal, Number, Space, Symbol } kind;
    QString text;

    bool is(const char* word) const
    {
        return kind == Word && text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }
    bool sym(char c) const { return kind == Symbol && text == QLatin1Char(c); }
};

using Tokens = QVector<Token>;

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('@') || c == QLatin1Char('#') ||
           c == QLatin1Char('$');
}

// Splits a statement into words, quoted literals, numbers, blanks and symbols. A literal is
// kept whole, doubled quotes included, so that no rewrite can reach inside it.
Tokens tokenize(const QString& sql)
{
    Tokens tokens;
    const int n = sql.size();
    int i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        int j = i + 1;
        Token::Kind kind = Token::Symbol;
        if (c == QLatin1Char('\'')) {
            kind = Token::Literal;
            while (j < n) {
                if (sql.at(j) == QLatin1Char('\'')) {
                    if (j + 1 < n && sql.at(j + 1) == QLatin1Char('\'')) {
                        j += 2;
                        continue;
                    }
                    ++j;
                    break;
                }
                ++j;
            }
        } else if (c.isSpace()) {
            kind = Token::Space;
            while (j < n && sql.at(j).isSpace()) {
                ++j;
            }
        } else if (c.isDigit()) {
            kind = Token::Number;
            while (j < n && (sql.at(j).isDigit() || sql.at(j) == QLatin1Char('.'))) {
                ++j;
            }
        } else if (isWordChar(c)) {
            kind = Token::Word;
            while (j < n && isWordChar(sql.at(j))) {
                ++j;
            }
        }
        tokens.append(Token{kind, sql.mid(i, j - i)});
        i = j;
    }
    return tokens;
}

QString join(const Tokens& tokens)
{
    QString out;
    for (const Token& t : tokens) {
        out += t.text;
    }
    return out;
}

// Index of the next token that is not a blank, or -1.
int nextSolid(const Tokens& tokens, int from)
{
    for (int i = from; i < tokens.size(); ++i) {
        if (tokens.at(i).kind != Token::Space) {
            return i;
        }
    }
    return -1;
}

QString unquote(const QString& literal)
{
    QString inner = literal.mid(1, literal.size() - 2);
    inner.replace(QStringLiteral("''"), QStringLiteral("'"));
    return inner;
}

// "DELETE <table> WHERE …" becomes "DELETE FROM <table> WHERE …".
void addDeleteFrom(Tokens& tokens)
{
    const int del = nextSolid(tokens, 0);
    if (del < 0 || !tokens.at(del).is("DELETE")) {
        return;
    }
    const int target = nextSolid(tokens, del + 1);
    if (target < 0 || tokens.at(target).kind != Token::Word || tokens.at(target).is("FROM")) {
        return;
    }
    tokens.insert(target, Token{Token::Space, QStringLiteral(" ")});
    tokens.insert(target, Token{Token::Word, QStringLiteral("FROM")});
}

// Convert(DateTime,'yyyy/mm/dd',111): style 111 reads the text as year/month/day.
void replaceDateConverts(Tokens& tokens, Engine engine)
{
    for (int i = 0; i < tokens.size(); ++i) {
        if (!tokens.at(i).is("Convert")) {
            continue;
        }
        QVector<int> at;
        int k = i;
        bool shape = true;
        const auto expect = [&](auto predicate) {
            k = nextSolid(tokens, k + 1);
            if (k < 0 || !predicate(tokens.at(k))) {
                shape = false;
                return;
            }
            at.append(k);
        };
        expect([](const Token& t) { return t.sym('('); });
        if (shape)
            expect([](const Token& t) { return t.is("DateTime"); });
        if (shape)
            expect([](const Token& t) { return t.sym(','); });
        if (shape)
            expect([](const Token& t) { return t.kind == Token::Literal; });
        if (shape)
            expect([](const Token& t) { return t.sym(','); });
        if (shape)
            expect([](const Token& t) { return t.kind == Token::Number && t.text == QLatin1String("111"); });
        if (shape)
            expect([](const Token& t) { return t.sym(')'); });
        if (!shape) {
            continue;
        }
        const QString text = unquote(tokens.at(at.at(3)).text);
        static const QRegularExpression ymd(QStringLiteral("^\\s*(\\d{4})/(\\d{1,2})/(\\d{1,2})\\s*$"));
        const QRegularExpressionMatch m = ymd.match(text);
        const QDate date = m.hasMatch()
                               ? QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt())
                               : QDate();
        if (!date.isValid()) {
            throw DbError(DbError::Other,
                          QStringLiteral("文字列から日付への変換に失敗しました: %1").arg(text));
        }
        const QString iso = QLatin1Char('\'') + date.toString(Qt::ISODate) + QLatin1Char('\'');
        const QString replacement =
            engine == Engine::PostgreSQL ? QStringLiteral("CAST(%1 AS timestamp)").arg(iso) : iso;
        const int last = at.constLast();
        tokens.remove(i, last - i + 1);
        tokens.insert(i, Token{Token::Word, replacement});
    }
}

// "SELECT @@IDENTITY AS ID FROM <table>": the key the last INSERT on this connection made.
bool replaceIdentity(Tokens& tokens, Engine engine)
{
    QVector<int> solid;
    for (int i = 0; i < tokens.size(); ++i) {
        if (tokens.at(i).kind != Token::Space) {
            solid.append(i);
        }
    }
    if (solid.size() != 6 || !tokens.at(solid[0]).is("SELECT") || !tokens.at(solid[1]).is("@@IDENTITY") ||
        !tokens.at(solid[2]).is("AS") || !tokens.at(solid[4]).is("FROM")) {
        return false;
    }
    const QString function =
        engine == Engine::PostgreSQL ? QStringLiteral("lastval()") : QStringLiteral("last_insert_rowid()");
    tokens = tokenize(QStringLiteral("SELECT %1 AS %2").arg(function, tokens.at(solid[3]).text));
    return true;
}

// A query over a common table expression that refers to itself: SQL Server and SQLite see
// that from the query; PostgreSQL must be told.
void markRecursive(Tokens& tokens)
{
    const int with = nextSolid(tokens, 0);
    if (with < 0 || !tokens.at(with).is("WITH")) {
        return;
    }
    const int next = nextSolid(tokens, with + 1);
    if (next < 0 || tokens.at(next).is("RECURSIVE")) {
        return;
    }
    tokens.insert(with + 1, Token{Token::Word, QStringLiteral(" RECURSIVE")});
}

// SQL Server sorts NULL lowest; PostgreSQL is told to do the same.
void orderNullsLowest(Tokens& tokens)
{
    for (int i = 0; i < tokens.size(); ++i) {
        if (!tokens.at(i).is("ORDER")) {
            continue;
        }
        const int by = nextSolid(tokens, i + 1);
        if (by < 0 || !tokens.at(by).is("BY")) {
            continue;
        }
        int depth = 0;
        int lastSolid = -1;
        bool hasNulls = false;
        bool descending = false;
        const auto finishItem = [&](int insertAt) {
            if (lastSolid < 0 || hasNulls) {
                return 0;
            }
            const QString nulls = descending ? QStringLiteral(" NULLS LAST") : QStringLiteral(" NULLS FIRST");
            tokens.insert(insertAt, Token{Token::Word, nulls});
            return 1;
        };
        int k = by + 1;
        for (; k < tokens.size(); ++k) {
            const Token& t = tokens.at(k);
            if (t.sym('(')) {
                ++depth;
            } else if (t.sym(')')) {
                if (depth == 0) {
                    break;
                }
                --depth;
            } else if (depth == 0 &&
                       (t.sym(',') || t.sym(';') || t.is("LIMIT") || t.is("OFFSET") || t.is("FOR"))) {
                const bool comma = t.sym(',');
                k += finishItem(lastSolid + 1); // may move the tokens: t is not used after this
                lastSolid = -1;
                hasNulls = false;
                descending = false;
                if (!comma) {
                    break;
                }
                continue;
            }
            if (t.kind != Token::Space) {
                if (depth == 0 && t.is("NULLS")) {
                    hasNulls = true;
                }
                if (depth == 0 && t.kind == Token::Word) {
                    descending = t.is("DESC") ? true : (t.is("ASC") ? false : descending);
                }
                lastSolid = k;
            }
        }
        k += finishItem(lastSolid + 1);
        i = k;
    }
}

// Rewrites every quoted literal that carries no prefix of its own (N'…', E'…'); a literal
// glued to another word gets a blank in front, so that the word stays what it was.
template <typename Rewrite> void rewriteLiterals(Tokens& tokens, Rewrite rewrite)
{
    for (int i = 0; i < tokens.size(); ++i) {
        if (tokens.at(i).kind != Token::Literal) {
            continue;
        }
        const bool glued = i > 0 && tokens.at(i - 1).kind == Token::Word;
        if (glued && (tokens.at(i - 1).is("N") || tokens.at(i - 1).is("E"))) {
            continue;
        }
        const QString replacement = rewrite(tokens.at(i).text);
        if (replacement != tokens.at(i).text) {
            tokens[i].text = glued ? QLatin1Char(' ') + replacement : replacement;
        }
    }
}

// A plain '…' literal is varchar in the database's code page, which loses every character
// outside it; N'…' is Unicode. A backslash right before a line break continues the literal on
// the next line and both vanish, so such a literal is written as parts joined after the
// backslash.
QString unicodeLiteral(const QString& literal)
{
    QStringList parts;
    int from = 1;
    for (int i = 1; i + 2 < literal.size(); ++i) {
        const QChar next = literal.at(i + 1);
        if (literal.at(i) == QLatin1Char('\\') && (next == QLatin1Char('\r') || next == QLatin1Char('\n'))) {
            parts << QStringLiteral("N'") + literal.mid(from, i + 1 - from) + QLatin1Char('\'');
            from = i + 1;
        }
    }
    if (parts.isEmpty()) {
        return QLatin1Char('N') + literal;
    }
    parts << QStringLiteral("N'") + literal.mid(from);
    return QLatin1Char('(') + parts.join(QStringLiteral(" + ")) + QLatin1Char(')');
}

// Whether the text holds one of the words (without regard to case) or characters.
bool holdsAny(const QString& sql, std::initializer_list<QLatin1String> words)
{
    for (const QLatin1String& word : words) {
        if (sql.contains(word, Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

class SqlServerDialect : public Dialect {
public:
    Engine engine() const override { return Engine::SQLServer; }

protected:
    bool mayRewrite(const QString& sql) const override { return sql.contains(QLatin1Char('\'')); }
    QString rewrite(const QString& sql) const override
    {
        Tokens tokens = tokenize(sql);
        rewriteLiterals(tokens, unicodeLiteral);
        return join(tokens);
    }
};

// With standard_conforming_strings off a backslash escapes the next character, so a quote
// after one would end the literal early. An E'…' literal reads backslashes as escapes on every
// setting; doubled, each stands for itself.
QString escapedLiteral(const QString& literal)
{
    if (!literal.contains(QLatin1Char('\\'))) {
        return literal;
    }
    QString text = literal;
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    return QLatin1Char('E') + text;
}

// "FROM <table> WITH (UPDLOCK)" and the like: SQL Server's row locks of a read inside a
// transaction. The embedded engine needs none (a transaction holds the database's write lock);
// PostgreSQL locks the rows read with the clause of the same strength at the end: XLOCK for a
// row about to be deleted, UPDLOCK for one about to be updated, REPEATABLEREAD for a row that no
// one may change meanwhile, HOLDLOCK for a row that must stay while rows are written under it.
void replaceLockHints(Tokens& tokens, Engine engine)
{
    QString clause;
    for (int i = 0; i < tokens.size(); ++i) {
        if (!tokens.at(i).is("WITH")) {
            continue;
        }
        const int open = nextSolid(tokens, i + 1);
        if (open < 0 || !tokens.at(open).sym('(')) {
            continue;
        }
        bool hints = true;
        bool xlock = false;
        bool updlock = false;
        bool repeatable = false;
        bool holdlock = false;
        int close = open + 1;
        for (; close < tokens.size() && !tokens.at(close).sym(')'); ++close) {
            const Token& t = tokens.at(close);
            if (t.kind == Token::Space || t.sym(',')) {
                continue;
            }
            xlock = xlock || t.is("XLOCK");
            updlock = updlock || t.is("UPDLOCK");
            repeatable = repeatable || t.is("REPEATABLEREAD");
            holdlock = holdlock || t.is("HOLDLOCK");
            hints = hints && (t.is("XLOCK") || t.is("UPDLOCK") || t.is("REPEATABLEREAD") ||
                              t.is("HOLDLOCK") || t.is("ROWLOCK"));
        }
        if (!hints || close >= tokens.size()) {
            continue;
        }
        if (xlock) {
            clause = QStringLiteral(" FOR UPDATE");
        } else if (updlock) {
            clause = QStringLiteral(" FOR NO KEY UPDATE");
        } else if (repeatable) {
            clause = QStringLiteral(" FOR SHARE");
        } else if (holdlock) {
            clause = QStringLiteral(" FOR KEY SHARE");
        }
        int from = i;
        if (from > 0 && tokens.at(from - 1).kind == Token::Space) {
            --from;
        }
        tokens.remove(from, close - from + 1);
        i = from - 1;
    }
    if (engine == Engine::PostgreSQL && !clause.isEmpty()) {
        while (!tokens.isEmpty() && tokens.constLast().kind == Token::Space) {
            tokens.removeLast();
        }
        tokens.append(Token{Token::Word, clause});
    }
}

class PortableDialect : public Dialect {
public:
    explicit PortableDialect(Engine engine) : m_engine(engine) {}
    Engine engine() const override { return m_engine; }

protected:
    bool mayRewrite(const QString& sql) const override
    {
        // WITH: the lock hints of a read, which every engine but SQL Server rewrites.
        if (holdsAny(sql, {QLatin1String("@@IDENTITY"), QLatin1String("DELETE"), QLatin1String("Convert"),
                           QLatin1String("WITH")})) {
            return true;
        }
        return m_engine == Engine::PostgreSQL &&
               (holdsAny(sql, {QLatin1String("ORDER")}) || sql.contains(QLatin1Char('\\')));
    }

    QString rewrite(const QString& sql) const override
    {
        Tokens tokens = tokenize(sql);
        if (replaceIdentity(tokens, m_engine)) {
            return join(tokens);
        }
        addDeleteFrom(tokens);
        replaceLockHints(tokens, m_engine);
        replaceDateConverts(tokens, m_engine);
        if (m_engine == Engine::PostgreSQL) {
            markRecursive(tokens);
            orderNullsLowest(tokens);
            rewriteLiterals(tokens, escapedLiteral);
        }
        return join(tokens);
    }

private:
    Engine m_engine;
};

} // namespace

QString Dialect::translate(const QString& sql) const
{
    if (!mayRewrite(sql)) {
        return sql;
    }
    const auto known = m_rewritten.constFind(sql);
    if (known != m_rewritten.constEnd()) {
        return known.value();
    }
    // Texts that carry their values (every save) would fill the memory for nothing: the
    // remembered texts are forgotten now and then.
    constexpr int kRemembered = 2000;
    if (m_rewritten.size() >= kRemembered) {
        m_rewritten.clear();
    }
    const QString text = rewrite(sql);
    m_rewritten.insert(sql, text);
    return text;
}

std::unique_ptr<Dialect> Dialect::forEngine(Engine engine)
{
    if (engine == Engine::SQLServer) {
        return std::make_unique<SqlServerDialect>();
    }
    return std::make_unique<PortableDialect>(engine);
}
