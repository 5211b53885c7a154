#pragma once

#include <QString>

#include <optional>

struct st_mysql;

// How the link to the server is protected.
//   Off:       clear text, even when the server offers TLS.
//   Preferred: TLS when the server offers it, clear text otherwise.
//   Required:  TLS or no connection; the certificate is not checked.
//   Verified:  TLS with the server's certificate checked against the CA file
//              (the system's CAs when none is given) and its host name.
enum class TlsMode { Off, Preferred, Required, Verified };

struct TlsOptions
{
    TlsMode mode = TlsMode::Preferred;
    QString caFile;
    // The compressed protocol, for slow links.
    bool compressed = false;

    bool operator==(const TlsOptions &) const = default;
};

// The mode's name in settings files ("off", "preferred", "required",
// "verified") and back; nullopt for a name that is none of these.
QString tlsModeName(TlsMode mode);
std::optional<TlsMode> tlsModeFromName(const QString &name);

// Sets the record's TLS and compression options before mysql_real_connect,
// on the thread that will connect.
void applyTlsOptions(st_mysql *mysql, const TlsOptions &options);

// After a successful connect: why the link must not be used under the mode
// (Required or Verified, and the link is not encrypted), or an empty text.
// The caller closes the record when there is a reason. The library refuses
// an unencrypted link by itself only in Verified mode; in Required mode it
// completes the login in clear text, so this check is what stops the queries.
QString tlsShortfall(st_mysql *mysql, const TlsOptions &options);

// The protection of a connected link: "TLSv1.3, TLS_AES_256_GCM_SHA384", or
// "без шифрования".
QString linkDescription(st_mysql *mysql);

// Whether the connected link uses the compressed protocol.
bool linkCompressed(st_mysql *mysql);
