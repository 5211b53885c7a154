#include "ssh/SshRoute.h"

#include "base/Error.h"
#include "base/LogTexts.h"
#include "base/Shell.h"
#include "base/ContentsDisabled.h"
#include "keyring/PasswordStore.h"
#include "ssh/SshHostKeyDialogs.h"
#include "ssh/SshSecretAccount.h"
#include "ssh/SshSecretDialog.h"
#include "ssh/SshTunnel.h"
#include "base/WaitCursor.h"
#include "base/WorkProgressDialog.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QHash>
#include <QPointer>
#include <QScopeGuard>
#include <QTimer>

#include <memory>
#include <optional>

using namespace Qt::StringLiterals;

namespace {

// What the keyring said at the first ask for an account.
struct Stored
{
    bool ok = false;
    bool found = false;
    QString problem;
};

// An answer the operator gave, to be kept (or forgotten) once the tunnel is up.
struct Answer
{
    QString secret;
    bool remember = false;
};

} // namespace

// One open of the tunnel, from the start of ssh to ready, failed or cancelled.
class SshRoute::Wait : public QObject
{
public:
    enum class End { None, Ready, Failed, Cancelled, Closed };

    Wait(SshTunnel &tunnel, PasswordStore &keyring, QWidget *window, const SshTunnelSettings &settings)
        : m_tunnel(tunnel), m_keyring(keyring), m_window(window), m_settings(settings)
    {
    }
    ~Wait() override { endQuestion(); }

    End run();
    // The end of the run closed the tunnel.
    void closedFromOutside() { finish(End::Closed); }
    const SshTunnelFailure &failure() const { return m_failure; }

private:
    void finish(End end);
    void cancel();
    void askHostKey(const SshHostKeyQuestion &question);
    void askSecret(const SshSecretQuestion &question);
    void askOperator(const SshSecretQuestion &question, const QString &account, const QString &note);
    void openQuestion(QDialog *dialog);
    void questionAnswered();
    void endQuestion();
    void showProgressWhenDue();
    void keepAnswers();

    SshTunnel &m_tunnel;
    PasswordStore &m_keyring;
    QWidget *m_window;
    const SshTunnelSettings m_settings;
    QEventLoop m_loop;
    End m_end = End::None;
    SshTunnelFailure m_failure;
    // The first half second: the window's input waits in the queue.
    bool m_blocking = false;
    bool m_progressDue = false;
    QElapsedTimer m_since;
    std::optional<WaitCursor> m_cursor;
    std::unique_ptr<WorkProgressDialog> m_progress;
    QPointer<QDialog> m_question;
    QHash<QString, Stored> m_stored;
    QHash<QString, bool> m_lastFromKeyring;
    QHash<QString, Answer> m_answers;
};

SshRoute::Wait::End SshRoute::Wait::run()
{
    connect(&m_tunnel, &SshTunnel::ready, this, [this] { finish(End::Ready); });
    connect(&m_tunnel, &SshTunnel::failed, this, [this](const SshTunnelFailure &failure) {
        m_failure = failure;
        finish(End::Failed);
    });
    connect(&m_tunnel, &SshTunnel::hostKeyQuestion, this, &Wait::askHostKey);
    connect(&m_tunnel, &SshTunnel::secretQuestion, this, &Wait::askSecret);

    m_cursor.emplace();
    m_since.start();
    QTimer due;
    due.setSingleShot(true);
    connect(&due, &QTimer::timeout, this, [this] {
        m_progressDue = true;
        if (m_blocking)
            m_loop.quit();
        else
            showProgressWhenDue();
    });
    due.start(WorkProgressDialog::showAfter);
    m_tunnel.open(m_settings);

    if (m_end == End::None && !m_question) {
        m_blocking = true;
        m_loop.exec(QEventLoop::ExcludeUserInputEvents);
        m_blocking = false;
    }
    if (m_end == End::None) {
        const ContentsDisabled disabled(m_window);
        showProgressWhenDue();
        m_loop.exec();
        m_progress.reset();
    }
    // Nothing of ours ended the wait: the application is quitting.
    if (m_end == End::None) {
        m_tunnel.close();
        m_end = End::Closed;
    }
    endQuestion();
    m_progress.reset();
    m_cursor.reset();
    if (m_end == End::Ready)
        keepAnswers();
    return m_end;
}

void SshRoute::Wait::finish(End end)
{
    if (m_end != End::None)
        return;
    m_end = end;
    endQuestion();
    m_loop.quit();
}

void SshRoute::Wait::cancel()
{
    m_tunnel.close();
    finish(End::Cancelled);
}

void SshRoute::Wait::showProgressWhenDue()
{
    if (!m_progressDue || m_blocking || m_question || m_progress || m_end != End::None)
        return;
    m_progress = std::make_unique<WorkProgressDialog>(
        m_window, u"SSH-туннель"_s,
        [this] {
            return u"Соединение с SSH-сервером %1… %2 с"_s.arg(m_settings.host).arg(m_since.elapsed() / 1000);
        },
        [this] { cancel(); });
    m_progress->show();
}

void SshRoute::Wait::openQuestion(QDialog *dialog)
{
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::ApplicationModal);
    m_question = dialog;
    // The operator is asked: no wait cursor over the question.
    m_cursor.reset();
    dialog->show();
    // The question takes input, so the window's queue must move.
    if (m_blocking)
        m_loop.quit();
}

void SshRoute::Wait::questionAnswered()
{
    m_question = nullptr;
    m_cursor.emplace();
    showProgressWhenDue();
}

void SshRoute::Wait::endQuestion()
{
    if (!m_question)
        return;
    QDialog *dialog = m_question;
    m_question = nullptr;
    disconnect(dialog, nullptr, this, nullptr);
    dialog->close();
    m_cursor.emplace();
}

void SshRoute::Wait::askHostKey(const SshHostKeyQuestion &question)
{
    auto *dialog = new SshUnknownHostKeyDialog(m_window, question);
    connect(dialog, &QDialog::finished, this, [this, dialog] {
        const SshHostKeyChoice choice = dialog->choice();
        questionAnswered();
        if (choice == SshHostKeyChoice::Cancel)
            cancel();
        else
            m_tunnel.answerHostKey(choice);
    });
    openQuestion(dialog);
}

void SshRoute::Wait::askSecret(const SshSecretQuestion &question)
{
    const QString account = sshSecretAccount(m_settings, question);
    if (account.isEmpty()) {
        askOperator(question, account, QString());
        return;
    }
    if (question.attempt == 1 && !m_stored.contains(account)) {
        // The keyring first; it answers later, on this thread, or says why not.
        const QPointer<Wait> self(this);
        m_keyring.read(account, [self, question, account](const KeyringOutcome &outcome) {
            if (!self || self->m_end != End::None)
                return;
            self->m_stored.insert(account, {outcome.ok, outcome.found, outcome.problem});
            self->m_lastFromKeyring.insert(account, outcome.ok && outcome.found);
            if (outcome.ok && outcome.found)
                self->m_tunnel.answerSecret(outcome.secret);
            else
                self->askOperator(question, account, QString());
        });
        return;
    }
    askOperator(question, account,
                m_lastFromKeyring.value(account) ? u"Ответ из хранилища паролей не подошёл."_s
                                                 : u"Ответ не подошёл, попробуйте ещё раз."_s);
}

void SshRoute::Wait::askOperator(const SshSecretQuestion &question, const QString &account, const QString &note)
{
    SshSecretDialog::Keyring keyring;
    if (!account.isEmpty()) {
        const Stored stored = m_stored.value(account);
        keyring = {true, stored.ok ? QString() : stored.problem, stored.found};
    }
    auto *dialog = new SshSecretDialog(m_window, question, note, keyring);
    connect(dialog, &QDialog::finished, this, [this, dialog, account](int result) {
        questionAnswered();
        if (result != QDialog::Accepted) {
            cancel();
            return;
        }
        const QString secret = dialog->secret();
        if (!account.isEmpty()) {
            m_answers.insert(account, {secret, dialog->remember()});
            m_lastFromKeyring.insert(account, false);
        }
        m_tunnel.answerSecret(secret);
    });
    openQuestion(dialog);
}

void SshRoute::Wait::keepAnswers()
{
    // ssh logged in: the last answer for each account was the right one.
    // The keyring's outcome is not awaited: nothing else depends on it.
    for (auto answer = m_answers.cbegin(); answer != m_answers.cend(); ++answer) {
        if (answer->remember)
            m_keyring.write(answer.key(), answer->secret, [](const KeyringOutcome &) {});
        else if (m_stored.value(answer.key()).found)
            m_keyring.remove(answer.key(), [](const KeyringOutcome &) {});
    }
}

SshRoute::SshRoute(Shell &shell, QObject *parent)
    : QObject(parent), m_shell(shell), m_tunnel(new SshTunnel(this)), m_keyring(new PasswordStore(10000, this))
{
    connect(m_tunnel, &SshTunnel::ended, this, &SshRoute::tunnelEnded);
}

SshRoute::~SshRoute()
{
    close();
}

QString SshRoute::open(const SshTunnelSettings &settings)
{
    if (m_opening)
        throw QmError(u"SSH-туннель уже открывается"_s);
    close();
    m_opening = true;
    m_closedWhileOpening = false;
    const auto opened = qScopeGuard([this] {
        m_wait = nullptr;
        m_opening = false;
    });
    Wait wait(*m_tunnel, *m_keyring, m_shell.dialogParent(), settings);
    m_wait = &wait;
    const Wait::End end = wait.run();
    m_wait = nullptr;
    switch (end) {
    case Wait::End::Ready:
        m_socketPath = m_tunnel->socketPath();
        return m_socketPath;
    case Wait::End::Cancelled:
        throw QmCancelled();
    case Wait::End::Failed:
        if (wait.failure().kind == SshTunnelFailure::Kind::HostKeyChanged)
            showChangedHostKeyWarning(m_shell.dialogParent(), wait.failure());
        if (m_closedWhileOpening)
            throw QmRunEnding();
        throw QmError(wait.failure().message);
    case Wait::End::None:
    case Wait::End::Closed:
        break;
    }
    throw QmRunEnding();
}

void SshRoute::close()
{
    if (m_opening)
        m_closedWhileOpening = true;
    if (m_wait)
        m_wait->closedFromOutside();
    m_tunnel->close();
    m_socketPath.clear();
}

bool SshRoute::isOpen() const
{
    return m_tunnel->isReady();
}

void SshRoute::tunnelEnded(const QString &message)
{
    const QString socket = m_socketPath;
    m_socketPath.clear();
    m_shell.LogEvent(LogTexts::tunnelEnded(m_shell.refreshTimeStr(), message));
    if (!socket.isEmpty())
        Q_EMIT ended(socket);
}
