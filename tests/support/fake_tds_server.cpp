#include "fake_tds_server.h"

#include <QtEndian>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

enum PacketType : char {
    SqlBatch = 0x01,
    Rpc = 0x03,
    TabularResult = 0x04,
    Login7 = 0x10,
    TransactionManager = 0x0E,
    PreLogin = 0x12,
};

void putU16(QByteArray& out, quint16 v)
{
    out.append(char(v & 0xFF)).append(char(v >> 8));
}

void putU32(QByteArray& out, quint32 v)
{
    putU16(out, quint16(v & 0xFFFF));
    putU16(out, quint16(v >> 16));
}

QByteArray utf16(const QString& text)
{
    return QByteArray(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
}

QByteArray bVarChar(const QString& text)
{
    return char(text.size()) + utf16(text);
}

QByteArray token(char type, const QByteArray& body)
{
    QByteArray out(1, type);
    putU16(out, quint16(body.size()));
    return out + body;
}

QByteArray done(quint16 status, quint64 rows = 0, char type = char(0xFD))
{
    QByteArray out(1, type);
    putU16(out, status);
    putU16(out, 0);
    putU32(out, quint32(rows));
    putU32(out, 0);
    return out;
}

QByteArray envChange(char type, const QByteArray& newValue, const QByteArray& oldValue)
{
    return token(char(0xE3), char(type) + newValue + oldValue);
}

QByteArray message(const FakeTdsServer::Message& m)
{
    QByteArray body;
    putU32(body, quint32(m.number));
    body.append(char(1)).append(char(m.severity));
    putU16(body, quint16(m.text.size()));
    body += utf16(m.text) + bVarChar(QStringLiteral("FAKE")) + bVarChar(QString());
    putU32(body, 1);
    return token(m.severity > 10 ? char(0xAA) : char(0xAB), body);
}

// Columns of nvarchar(4000), rows of their texts.
QByteArray resultSet(const QStringList& columns, const QList<QStringList>& rows)
{
    QByteArray out(1, char(0x81));
    putU16(out, quint16(columns.size()));
    for (const QString& column : columns) {
        putU32(out, 0);      // user type
        putU16(out, 0x0001); // nullable
        out.append(char(0xE7));
        putU16(out, 8000);
        out.append(QByteArray::fromHex("0904d00034")); // collation
        out += bVarChar(column);
    }
    for (const QStringList& row : rows) {
        out.append(char(0xD1));
        for (const QString& value : row) {
            putU16(out, quint16(value.size() * 2));
            out += utf16(value);
        }
    }
    return out + done(0x0010, quint64(rows.size()));
}

bool readFully(int socket, char* data, int size, const std::atomic<bool>& stop)
{
    int got = 0;
    while (got < size) {
        pollfd p{socket, POLLIN, 0};
        if (stop) {
            return false;
        }
        if (poll(&p, 1, 100) <= 0) {
            continue;
        }
        const ssize_t n = recv(socket, data + got, size_t(size - got), 0);
        if (n <= 0) {
            return false;
        }
        got += int(n);
    }
    return true;
}

// One client message, however many packets it took.
bool readMessage(int socket, char* type, QByteArray* payload, const std::atomic<bool>& stop)
{
    payload->clear();
    for (;;) {
        char header[8];
        if (!readFully(socket, header, 8, stop)) {
            return false;
        }
        const int length = qFromBigEndian<quint16>(header + 2);
        QByteArray part(length - 8, Qt::Uninitialized);
        if (!readFully(socket, part.data(), part.size(), stop)) {
            return false;
        }
        *type = header[0];
        payload->append(part);
        if (header[1] & 0x01) {
            return true;
        }
    }
}

void sendMessage(int socket, const QByteArray& payload)
{
    const int chunk = 4096 - 8;
    for (int at = 0; at == 0 || at < payload.size(); at += chunk) {
        const QByteArray part = payload.mid(at, chunk);
        const bool last = at + chunk >= payload.size();
        QByteArray packet(1, TabularResult);
        packet.append(char(last ? 0x01 : 0x00));
        packet.append(char((part.size() + 8) >> 8)).append(char((part.size() + 8) & 0xFF));
        packet.append(QByteArray(2, 0)).append(char(1)).append(char(0));
        packet += part;
        ::send(socket, packet.constData(), size_t(packet.size()), MSG_NOSIGNAL);
    }
}

QString loginText(const QByteArray& login, int field, bool password = false)
{
    const int offset = qFromLittleEndian<quint16>(login.constData() + 36 + 4 * field);
    const int length = qFromLittleEndian<quint16>(login.constData() + 38 + 4 * field);
    QByteArray raw = login.mid(offset, length * 2);
    if (password) {
        for (char& c : raw) {
            const auto b = quint8(quint8(c) ^ 0xA5);
            c = char(quint8(b << 4) | quint8(b >> 4));
        }
    }
    return QString::fromUtf16(reinterpret_cast<const char16_t*>(raw.constData()), raw.size() / 2);
}

int openSocket(int type, int port)
{
    const int s = socket(AF_INET, type, 0);
    const int yes = 1;
    setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(quint16(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(s);
        return -1;
    }
    return s;
}

} // namespace

FakeTdsServer::FakeTdsServer()
{
    m_listener = openSocket(SOCK_STREAM, 0);
    if (m_listener < 0 || listen(m_listener, 8) != 0) {
        return;
    }
    sockaddr_in address{};
    socklen_t size = sizeof address;
    getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &size);
    m_port = ntohs(address.sin_port);
    m_threads.emplace_back([this] { acceptLoop(); });
}

FakeTdsServer::~FakeTdsServer()
{
    m_stop = true;
    for (std::thread& t : m_threads) {
        t.join();
    }
    for (int s : m_sockets) {
        close(s);
    }
    if (m_listener >= 0) {
        close(m_listener);
    }
}

void FakeTdsServer::answer(const QString& contains, const Reply& reply)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_scripts.prepend({contains, reply});
}

bool FakeTdsServer::serveInstance(const QString& instance)
{
    const int s = openSocket(SOCK_DGRAM, 1434);
    if (s < 0) {
        return false;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sockets.push_back(s);
    m_threads.emplace_back([this, s, instance] { browserLoop(s, instance); });
    return true;
}

QList<FakeTdsServer::Login> FakeTdsServer::logins() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_logins;
}

QStringList FakeTdsServer::batches() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_batches;
}

int FakeTdsServer::procedureCalls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_procedureCalls;
}

void FakeTdsServer::acceptLoop()
{
    std::vector<std::thread> clients;
    while (!m_stop) {
        pollfd p{m_listener, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) {
            continue;
        }
        const int client = accept(m_listener, nullptr, nullptr);
        if (client >= 0) {
            clients.emplace_back([this, client] {
                serve(client);
                close(client);
            });
        }
    }
    for (std::thread& t : clients) {
        t.join();
    }
}

void FakeTdsServer::browserLoop(int socket, QString instance)
{
    while (!m_stop) {
        pollfd p{socket, POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) {
            continue;
        }
        char request[256];
        sockaddr_in from{};
        socklen_t size = sizeof from;
        const ssize_t n =
            recvfrom(socket, request, sizeof request, 0, reinterpret_cast<sockaddr*>(&from), &size);
        const QString asked = QString::fromLatin1(request + 1, int(n) - 1).remove(QChar(0));
        if (n < 2 || asked.compare(instance, Qt::CaseInsensitive) != 0) {
            continue;
        }
        const QByteArray text =
            QStringLiteral("ServerName;FAKE;InstanceName;%1;IsClustered;No;Version;15.0.2000.5;"
                           "tcp;%2;;")
                .arg(instance)
                .arg(m_port)
                .toLatin1();
        QByteArray answer(1, char(0x05));
        putU16(answer, quint16(text.size()));
        answer += text;
        sendto(socket, answer.constData(), size_t(answer.size()), 0, reinterpret_cast<sockaddr*>(&from),
               size);
    }
}

QByteArray FakeTdsServer::reply(const QString& batch)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_batches << batch;
    for (const auto& [contains, script] : std::as_const(m_scripts)) {
        if (!batch.contains(contains)) {
            continue;
        }
        QByteArray out;
        bool failed = false;
        for (const Message& m : script.messages) {
            out += message(m);
            failed = failed || m.severity > 10;
        }
        if (!script.columns.isEmpty()) {
            return out + resultSet(script.columns, script.rows);
        }
        return out + done(failed ? 0x0002 : 0x0010);
    }
    return done(0x0010);
}

void FakeTdsServer::serve(int socket)
{
    const QByteArray transaction = QByteArray::fromHex("0801020304050607");
    char type = 0;
    QByteArray payload;
    while (readMessage(socket, &type, &payload, m_stop)) {
        switch (type) {
        case PreLogin:
            // Version, then encryption: not supported, so the login comes in plain text.
            sendMessage(socket, QByteArray::fromHex("00000b000601001100"
                                                    "01ff"
                                                    "0f0007d00000"
                                                    "02"));
            break;
        case Login7: {
            Login login{loginText(payload, 1), loginText(payload, 2, true), loginText(payload, 8),
                        loginText(payload, 7)};
            QByteArray ack(1, char(1));
            ack += QByteArray::fromHex("74000004") + bVarChar(QStringLiteral("Microsoft SQL Server")) +
                   QByteArray::fromHex("0f000000");
            sendMessage(socket, envChange(1, bVarChar(login.database), bVarChar(QStringLiteral("master"))) +
                                    token(char(0xAD), ack) + done(0));
            std::lock_guard<std::mutex> lock(m_mutex);
            m_logins << login;
            break;
        }
        case SqlBatch: {
            const int headers = int(qFromLittleEndian<quint32>(payload.constData()));
            const QByteArray text = payload.mid(headers);
            sendMessage(socket, reply(QString::fromUtf16(reinterpret_cast<const char16_t*>(text.constData()),
                                                         text.size() / 2)));
            break;
        }
        case TransactionManager: {
            const int headers = int(qFromLittleEndian<quint32>(payload.constData()));
            const int request = qFromLittleEndian<quint16>(payload.constData() + headers);
            const QByteArray descriptor = char(8) + transaction;
            // 5 begin, 7 commit, 8 rollback.
            QByteArray out = request == 5 ? envChange(8, descriptor, QByteArray(1, 0))
                                          : envChange(request == 7 ? 9 : 10, QByteArray(1, 0), descriptor);
            sendMessage(socket, out + done(0));
            break;
        }
        case Rpc: {
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                ++m_procedureCalls;
            }
            sendMessage(socket, message({16999, 16, QStringLiteral("Server cursors are not scripted.")}) +
                                    done(0x0002, 0, char(0xFE)));
            break;
        }
        default:
            sendMessage(socket, done(0));
            break;
        }
    }
}
