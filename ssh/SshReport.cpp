#include "ssh/SshReport.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

QString firstMatch(const QString &text, const QString &pattern, int group = 1)
{
    const QRegularExpression expression(pattern, QRegularExpression::MultilineOption);
    return expression.match(text).captured(group);
}

// ssh ends its lines with CR LF.
QString lineText(const QByteArray &errors)
{
    return QString::fromLocal8Bit(errors).remove(u'\r');
}

QString withWords(const QString &cause, const QString &words)
{
    return words.isEmpty() ? cause : cause + u" (ssh: "_s + words + u')';
}

// The fingerprint of one line of a known hosts file, as ssh-keygen gives it.
QString entryFingerprint(const QString &file, int lineNumber)
{
    QFile known(file);
    if (!known.open(QIODevice::ReadOnly))
        return {};
    const QList<QByteArray> lines = known.readAll().split('\n');
    if (lineNumber < 1 || lineNumber > lines.size())
        return {};
    QProcess keygen;
    keygen.start(u"ssh-keygen"_s, {u"-l"_s, u"-f"_s, u"-"_s});
    keygen.write(lines.at(lineNumber - 1) + '\n');
    keygen.closeWriteChannel();
    if (!keygen.waitForFinished(5000) || keygen.exitCode() != 0)
        return {};
    // "256 SHA256:... host (ED25519)"
    return QString::fromLocal8Bit(keygen.readAllStandardOutput()).section(u' ', 1, 1);
}

SshTunnelFailure changedHostKey(const QString &host, const QString &text, const QString &words)
{
    SshTunnelFailure failure{SshTunnelFailure::Kind::HostKeyChanged, {}, words};
    failure.host = firstMatch(text, uR"(^Host key for (.+) has changed)"_s);
    if (failure.host.isEmpty())
        failure.host = host;
    failure.offeredFingerprint = firstMatch(text, uR"(sent by the remote host is\s*\n(\S+?)\.?$)"_s);
    const QRegularExpressionMatch offending
        = QRegularExpression(uR"(^Offending (?:\S+ )?key(?: for IP)? in (.+):(\d+)$)"_s, QRegularExpression::MultilineOption)
              .match(text);
    if (offending.hasMatch()) {
        failure.knownEntry = offending.captured(1) + u':' + offending.captured(2);
        failure.knownFingerprint = entryFingerprint(offending.captured(1), offending.captured(2).toInt());
    }
    failure.message = withWords(
        u"ВНИМАНИЕ: ключ SSH-сервера %1 изменился. Известный ключ: %2 (%3); сервер предъявил: %4. Соединение "
        "запрещено: возможно, его перехватывают. Если ключ сервера сменили намеренно, удалите старую запись "
        "(ssh-keygen -R) и соединитесь снова"_s.arg(failure.host, failure.knownFingerprint, failure.knownEntry,
                                                    failure.offeredFingerprint),
        words);
    return failure;
}

QString loginCause(const SshTunnelSettings &settings, const QString &host)
{
    switch (settings.login) {
    case SshLogin::Agent:
        return u"SSH-сервер %1 не принял ни один ключ агента SSH"_s.arg(host);
    case SshLogin::KeyFile:
        return settings.keyFile.isEmpty() ? u"SSH-сервер %1 не принял ключ"_s.arg(host)
                                          : u"SSH-сервер %1 не принял ключ %2"_s.arg(host, settings.keyFile);
    case SshLogin::Password:
        return u"SSH-сервер %1 не принял пароль"_s.arg(host);
    }
    return {};
}

} // namespace

bool isHostKeyPrompt(const QString &prompt)
{
    return prompt.contains(u"continue connecting"_s);
}

SshHostKeyQuestion parseHostKeyPrompt(const QString &prompt)
{
    SshHostKeyQuestion question;
    // "The authenticity of host 'name (address)' can't be established."
    question.host = firstMatch(prompt, uR"(authenticity of host '([^' ]+))"_s);
    // "ED25519 key fingerprint is SHA256:....": the fingerprint has no dot.
    const QRegularExpressionMatch key
        = QRegularExpression(uR"((\S+) key fingerprint is ([^\s.]+))"_s).match(prompt);
    question.keyType = key.captured(1);
    question.fingerprint = key.captured(2);
    return question;
}

SshSecretQuestion parseSecretPrompt(const QString &prompt)
{
    SshSecretQuestion question;
    question.prompt = prompt.trimmed();
    question.keyFile = firstMatch(prompt, uR"(^Enter passphrase for (?:key )?'?(.+?)'?:\s*$)"_s);
    if (!question.keyFile.isEmpty())
        question.kind = SshSecretQuestion::Kind::Passphrase;
    else if (prompt.contains(u"password"_s, Qt::CaseInsensitive))
        question.kind = SshSecretQuestion::Kind::Password;
    return question;
}

QString sshWords(const QByteArray &errors)
{
    QStringList words;
    for (const QString &raw : lineText(errors).split(u'\n')) {
        // The message adds "ssh: " itself.
        const QString line = raw.trimmed().remove(QRegularExpression(u"^ssh: "_s));
        if (line.isEmpty() || line.startsWith(u'@') || line.startsWith(u"Warning: Permanently added"_s)
            || line.startsWith(u"Pseudo-terminal"_s) || words.contains(line))
            continue;
        words.append(line);
    }
    return words.mid(qMax(0, words.size() - 2)).join(u' ');
}

SshTunnelFailure describeSshFailure(const SshTunnelSettings &settings, const QString &host, const QByteArray &errors)
{
    using Kind = SshTunnelFailure::Kind;
    const QString text = lineText(errors);
    const QString words = sshWords(errors);
    const auto has = [&text](QStringView what) { return text.contains(what); };
    if (has(u"REMOTE HOST IDENTIFICATION HAS CHANGED") || has(u"has changed and you have requested strict checking"))
        return changedHostKey(host, text, words);

    SshTunnelFailure failure{Kind::Other, {}, words};
    QString cause;
    if (has(u"Host key verification failed")) {
        failure.kind = Kind::HostKeyRefused;
        cause = u"Ключ SSH-сервера %1 не принят"_s.arg(host);
    } else if (has(u"Could not resolve hostname")) {
        failure.kind = Kind::Unreachable;
        cause = u"Имя SSH-хоста %1 не найдено"_s.arg(settings.host);
    } else if (has(u"Connection refused") && has(u"connect to host")) {
        failure.kind = Kind::Unreachable;
        cause = u"SSH-сервер %1 не принимает соединения: он остановлен или слушает другой порт"_s.arg(host);
    } else if (has(u"timed out") || has(u"No route to host") || has(u"Network is unreachable")) {
        failure.kind = Kind::Unreachable;
        cause = u"SSH-сервер %1 не отвечает"_s.arg(host);
    } else if (has(u"Permission denied") || has(u"Too many authentication failures")) {
        failure.kind = Kind::Login;
        cause = loginCause(settings, host);
    } else if (has(u"open failed") || has(u"administratively prohibited")) {
        failure.kind = Kind::Forwarding;
        cause = u"SSH-сервер %1 не открыл соединение с базой данных %2"_s.arg(host, sshForwardTarget(settings));
    } else if (has(u"Connection closed") || has(u"Connection reset") || has(u"kex_exchange_identification")) {
        failure.kind = Kind::Unreachable;
        cause = u"SSH-сервер %1 закрыл соединение"_s.arg(host);
    } else {
        cause = u"SSH-соединение с %1 не установлено"_s.arg(host);
    }
    failure.message = withWords(cause, words);
    return failure;
}

QString describeLostTunnel(const QString &host, const QByteArray &errors)
{
    return withWords(u"SSH-туннель к %1 закрыт"_s.arg(host), sshWords(errors));
}
