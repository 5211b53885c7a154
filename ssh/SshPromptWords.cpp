#include "ssh/SshPromptWords.h"

#include "ssh/SshTunnel.h"

using namespace Qt::StringLiterals;

namespace {

// ssh cuts what it puts into a prompt with printf precisions, in bytes.
QString cut(const QString &text, qsizetype bytes)
{
    QByteArray local = text.toLocal8Bit();
    if (local.size() <= bytes)
        return text;
    local.truncate(bytes);
    return QString::fromLocal8Bit(local);
}

} // namespace

SshSecretQuestion readSecretPrompt(const QString &prompt, const SshOwnWords &own)
{
    SshSecretQuestion question;
    question.prompt = prompt;
    // "Enter passphrase for key '%.100s': " (sshconnect2.c); a name cut to
    // 100 bytes names no key for sure, so the operator is asked then.
    for (const QString &key : own.keyFiles) {
        if (!key.isEmpty() && cut(key, 100) == key && prompt == u"Enter passphrase for key '"_s + key + u"': "_s) {
            question.kind = SshSecretQuestion::Kind::Passphrase;
            question.keyFile = key;
            return question;
        }
    }
    // "%.30s@%.128s's password: " of the password login, with the host key
    // alias in place of the host when the config sets one.
    const QString host = own.hostKeyAlias.isEmpty() ? own.hostName : own.hostKeyAlias;
    if (!own.user.isEmpty() && !host.isEmpty() && prompt == cut(own.user, 30) + u'@' + cut(host, 128) + u"'s password: "_s)
        question.kind = SshSecretQuestion::Kind::Password;
    return question;
}
