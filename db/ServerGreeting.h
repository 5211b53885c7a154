#pragma once

#include <QByteArray>
#include <QString>

// The first packet a server sends, as far as a connect must know it before
// it sends anything: whether the server offers TLS, or why it cannot be used.
struct ServerGreeting
{
    bool offersTls = false;
    // The server's refusal (an error packet) or why the bytes are no greeting;
    // empty for a greeting that reads.
    QString problem;
};

// Reads a greeting's payload (the packet without its 4-byte header): protocol
// version, version text, thread id, the scramble's first part, a filler and
// the capability flags, whose TLS bit says whether TLS is offered.
ServerGreeting readServerGreeting(const QByteArray &payload);
