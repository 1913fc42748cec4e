#include "tool_password.h"

#include "db/connection_string.h"
#include "db/db_error.h"

#include <cerrno>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

const QString kPasswordPlaceholder = QStringLiteral("$PASSWD$");

bool writeAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += n;
    }
    return true;
}

// A password that was not given: "$PASSWD$", or a user without a password. The embedded
// database has none.
bool wantsPassword(const ConnectionParams& params)
{
    if (params.value(QStringLiteral("Provider")).compare(QLatin1String("SQLite"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    if (params.has(QStringLiteral("Password"))) {
        return params.value(QStringLiteral("Password")).contains(kPasswordPlaceholder);
    }
    return params.has(QStringLiteral("User ID"));
}

} // namespace

void SupplyPassword(ConnectionParams& params, const PasswordPrompt& askPassword)
{
    if (!wantsPassword(params)) {
        return;
    }
    std::optional<QString> password;
    if (qEnvironmentVariableIsSet("VORNA_DB_PASSWORD")) {
        password = qEnvironmentVariable("VORNA_DB_PASSWORD");
    } else {
        password = askPassword(QStringLiteral("Password for %1: ").arg(params.value(QStringLiteral("User ID"))));
    }
    if (!password) {
        throw DbError(DbError::ConnectionFailed,
                      QStringLiteral("no password: set VORNA_DB_PASSWORD or run on a terminal"));
    }
    QString value = params.value(QStringLiteral("Password"));
    params.keys.insert(QStringLiteral("password"),
                       value.isEmpty() ? *password : value.replace(kPasswordPlaceholder, *password));
}

std::optional<QString> ReadHiddenLine(int in, int promptOut, const QString& prompt)
{
    writeAll(promptOut, prompt.toLocal8Bit());
    termios saved{};
    const bool terminal = ::isatty(in) && ::tcgetattr(in, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        ::tcsetattr(in, TCSAFLUSH, &quiet);
    }
    QByteArray line;
    bool ended = false;
    for (;;) {
        char c = 0;
        const ssize_t n = ::read(in, &c, 1);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        if (c == '\n') {
            ended = true;
            break;
        }
        line += c;
    }
    if (terminal) {
        ::tcsetattr(in, TCSAFLUSH, &saved);
        writeAll(promptOut, "\n");
    }
    if (!ended && line.isEmpty()) {
        return std::nullopt;
    }
    if (line.endsWith('\r')) {
        line.chop(1);
    }
    return QString::fromLocal8Bit(line);
}

std::optional<QString> AskPasswordOnTerminal(const QString& prompt)
{
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) {
        return ReadHiddenLine(STDIN_FILENO, STDERR_FILENO, prompt);
    }
    const std::optional<QString> password = ReadHiddenLine(tty, tty, prompt);
    ::close(tty);
    return password;
}

