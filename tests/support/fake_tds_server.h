#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

// A scripted SQL Server for the real client stack (Qt's ODBC driver, unixODBC, FreeTDS): it
// speaks just enough TDS 7.4 on 127.0.0.1 to take logins and answer SQL batches, and records
// what arrived. A batch is answered by the first script whose text it contains, otherwise with
// an empty success; a remote procedure call (how FreeTDS runs a statement through a server
// cursor) is refused.
class FakeTdsServer {
public:
    struct Message {
        int number;
        int severity; // 10 and below: information
        QString text;
    };
    struct Reply {
        QList<Message> messages;
        QStringList columns; // a result set of text columns
        QList<QStringList> rows;
    };
    struct Login {
        QString user;
        QString password;
        QString database;
        QString language;
    };

    FakeTdsServer();
    ~FakeTdsServer();
    FakeTdsServer(const FakeTdsServer&) = delete;
    FakeTdsServer& operator=(const FakeTdsServer&) = delete;

    bool listening() const { return m_listener >= 0; }
    int port() const { return m_port; }
    void answer(const QString& contains, const Reply& reply);
    // Answers the SQL Browser's question for the instance (UDP 127.0.0.1:1434) with this
    // server's port; false when that port cannot be had.
    bool serveInstance(const QString& instance);

    QList<Login> logins() const;
    QStringList batches() const;
    int procedureCalls() const;

private:
    void acceptLoop();
    void browserLoop(int socket, QString instance);
    void serve(int socket);
    QByteArray reply(const QString& batch);

    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    QList<std::pair<QString, Reply>> m_scripts;
    QList<Login> m_logins;
    QStringList m_batches;
    int m_procedureCalls = 0;
    std::vector<std::thread> m_threads;
    std::vector<int> m_sockets;
};
