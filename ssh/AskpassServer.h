#pragma once

#include <QByteArray>
#include <QLocalServer>
#include <QObject>
#include <QPointer>
#include <QString>

class QLocalSocket;

// The program's end of ssh's askpass helper: takes one question at a time on
// a socket in the tunnel's private folder and sends back the answer.
class AskpassServer : public QObject
{
    Q_OBJECT

public:
    explicit AskpassServer(QObject *parent = nullptr);
    ~AskpassServer() override;

    bool listen(const QString &path, QString *errorText);
    // Answers the question asked last; the text is wiped from our buffer.
    void answer(QByteArray text);
    // The helper exits without an answer: ssh takes that as "no".
    void refuse();
    void close();

Q_SIGNALS:
    // hint: ssh's SSH_ASKPASS_PROMPT ("confirm" or empty); prompt: ssh's words.
    void asked(const QString &prompt, const QString &hint);

private:
    void takeConnection();
    void readRequest();
    void reply(QByteArray &&bytes);

    QLocalServer m_server;
    QPointer<QLocalSocket> m_pending;
};
