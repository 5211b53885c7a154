#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>

struct DbLogin;

// What a look at the server's TLS came to, before any login is sent.
struct TlsProbe
{
    // Why the login must not be sent (the server offers no TLS, its
    // certificate fails the check), in the operator's words; empty when the
    // connect may go on.
    QString problem;
    // The SHA-1 fingerprint of the certificate the server showed
    // ("AB:CD:…"), which the connect then insists on.
    QByteArray fingerprint;
    bool cancelled = false;
};

// A connection of its own to the login's address that reads the server's
// greeting, asks for TLS and shakes hands, then closes: it sends no account
// and no password. Under Verified the certificate is checked against the CA
// file (the system's CAs when none is given) and the name the login expects.
// The connect that follows pins the fingerprint, so the library refuses,
// before it sends the login, a link that is not TLS with this very
// certificate: a relay that strips the server's TLS offer gets nothing.
// Waits at most timeoutSeconds, in short slices that see *cancel.
TlsProbe probeServerTls(const DbLogin &login, unsigned timeoutSeconds, const std::atomic<bool> *cancel);

// The library's words for a refused TLS link, in the operator's words where
// they are its own (a link without TLS, a certificate other than the one
// checked, a login method that would give the password away); otherwise
// the library's text unchanged.
QString explainTlsRefusal(const QString &libraryText);

// The name the certificate must carry: the login's own when the operator or
// the way to the server gave one, else the host connected to ("localhost"
// for a socket, as the library names it).
QString expectedCertificateName(const DbLogin &login);
