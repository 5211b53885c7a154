// Feeds arbitrary text through the readers of what ssh and the SSH server
// say: the askpass question (which of ssh's own questions it is, if any),
// the host key question and the error output. Checks what the keyring relies
// on: a question is taken for ssh's passphrase or password question only when
// it is that question word for word, one line.

#include "ssh/SshPromptWords.h"
#include "ssh/SshReport.h"
#include "ssh/SshTunnel.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool ok)
{
    if (!ok)
        std::abort();
}

const QString key = QStringLiteral("/home/op/.ssh/id_ed25519");

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = QString::fromUtf8(bytes);

    const SshOwnWords own{QStringLiteral("root"), QStringLiteral("db.example.org"), {}, {key}};
    const SshSecretQuestion question = readSecretPrompt(text, own);
    switch (question.kind) {
    case SshSecretQuestion::Kind::Passphrase:
        require(question.keyFile == key && text == QStringLiteral("Enter passphrase for key '") + key + QStringLiteral("': "));
        break;
    case SshSecretQuestion::Kind::Password:
        require(text == QStringLiteral("root@db.example.org's password: "));
        break;
    case SshSecretQuestion::Kind::Other:
        require(question.keyFile.isEmpty());
        break;
    }
    require(question.prompt == text);

    if (isHostKeyPrompt(text)) {
        const SshHostKeyQuestion hostKey = parseHostKeyPrompt(text);
        require(!hostKey.fingerprint.contains(u'.') && !hostKey.fingerprint.contains(u' '));
        require(!hostKey.host.contains(u'\''));
    }

    const QString words = sshWords(bytes);
    require(!words.contains(u'\n') && !words.contains(u'\r'));
    require(describeLostTunnel(QStringLiteral("root@h:22"), bytes).startsWith(QStringLiteral("SSH-туннель к root@h:22 закрыт")));
    // A changed host key names a known hosts file that the report reads with
    // ssh-keygen: not from here.
    if (!bytes.contains("Offending")) {
        SshTunnelSettings settings;
        settings.host = QStringLiteral("h");
        const SshTunnelFailure failure = describeSshFailure(settings, QStringLiteral("root@h:22"), bytes);
        require(!failure.message.isEmpty());
    }
    return 0;
}
