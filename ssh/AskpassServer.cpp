#include "ssh/AskpassServer.h"

#include "ssh/AskpassClient.h"

#include <QLocalSocket>
#include <QtEndian>

AskpassServer::AskpassServer(QObject *parent) : QObject(parent)
{
    connect(&m_server, &QLocalServer::newConnection, this, &AskpassServer::takeConnection);
}

AskpassServer::~AskpassServer()
{
    close();
}

bool AskpassServer::listen(const QString &path, QString *errorText)
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server.listen(path))
        return true;
    *errorText = m_server.errorString();
    return false;
}

void AskpassServer::takeConnection()
{
    while (QLocalSocket *socket = m_server.nextPendingConnection()) {
        // ssh asks one thing at a time; a helper still waiting is stale.
        refuse();
        m_pending = socket;
        connect(socket, &QLocalSocket::readyRead, this, &AskpassServer::readRequest);
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        readRequest();
    }
}

void AskpassServer::readRequest()
{
    QLocalSocket *socket = m_pending;
    if (!socket || socket->bytesAvailable() < 4)
        return;
    quint32 length = 0;
    socket->peek(reinterpret_cast<char *>(&length), sizeof length);
    length = qFromBigEndian(length);
    if (length > kAskpassRequestLimit) {
        refuse();
        return;
    }
    if (socket->bytesAvailable() < qint64(sizeof length + length))
        return;
    socket->skip(sizeof length);
    const QByteArray request = socket->read(length);
    const qsizetype lineEnd = request.indexOf('\n');
    Q_EMIT asked(QString::fromLocal8Bit(request.mid(lineEnd + 1)), QString::fromLocal8Bit(request.left(lineEnd)));
}

void AskpassServer::reply(QByteArray &&bytes)
{
    if (QLocalSocket *socket = m_pending) {
        m_pending = nullptr;
        socket->write(bytes);
        socket->disconnectFromServer();
    }
    bytes.fill('\0');
}

void AskpassServer::answer(QByteArray text)
{
    QByteArray bytes;
    bytes.reserve(text.size() + 1);
    bytes.append('Y').append(text);
    text.fill('\0');
    reply(std::move(bytes));
}

void AskpassServer::refuse()
{
    reply(QByteArrayLiteral("N"));
}

void AskpassServer::close()
{
    refuse();
    m_server.close();
}
