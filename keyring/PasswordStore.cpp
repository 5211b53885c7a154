#include "keyring/PasswordStore.h"

#include <qt6keychain/keychain.h>

#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString service = u"Quenmark"_s;

QString problemText(const QKeychain::Job &job)
{
    switch (job.error()) {
    case QKeychain::NoBackendAvailable:
        return u"Хранилище паролей недоступно (%1): пароль не сохранён"_s.arg(job.errorString());
    case QKeychain::AccessDenied:
    case QKeychain::AccessDeniedByUser:
        return u"Хранилище паролей закрыто или отказало в доступе (%1)"_s.arg(job.errorString());
    default:
        return u"Хранилище паролей недоступно: %1"_s.arg(job.errorString());
    }
}

// Starts the job and calls done once: when the job finishes, or when it has
// not finished in time. The job is never deleted early (the keyring's reply
// refers to it); it deletes itself when it finishes.
void run(QKeychain::Job *job, QObject *context, int timeoutMs, PasswordStore::Done done)
{
    auto pending = std::make_shared<PasswordStore::Done>(std::move(done));
    const auto answer = [pending](const KeyringOutcome &outcome) {
        if (!*pending)
            return;
        const PasswordStore::Done callback = std::move(*pending);
        *pending = nullptr;
        callback(outcome);
    };
    job->setAutoDelete(true);
    // Never the plain-text file QtKeychain can fall back to.
    job->setInsecureFallback(false);
    QObject::connect(job, &QKeychain::Job::finished, context, [answer](QKeychain::Job *finished) {
        KeyringOutcome outcome;
        if (finished->error() == QKeychain::NoError) {
            outcome.ok = true;
            if (auto *read = qobject_cast<QKeychain::ReadPasswordJob *>(finished)) {
                outcome.found = true;
                outcome.secret = read->textData();
            }
        } else if (finished->error() == QKeychain::EntryNotFound) {
            outcome.ok = true;
        } else {
            outcome.problem = problemText(*finished);
        }
        answer(outcome);
    });
    QTimer::singleShot(timeoutMs, context, [answer] {
        answer({false, false, {}, u"Хранилище паролей не отвечает"_s});
    });
    job->start();
}

} // namespace

PasswordStore::PasswordStore(int timeoutMs, QObject *parent)
    : QObject(parent)
    , m_timeoutMs(timeoutMs)
{
}

void PasswordStore::read(const QString &account, Done done)
{
    auto *job = new QKeychain::ReadPasswordJob(service);
    job->setKey(account);
    run(job, this, m_timeoutMs, std::move(done));
}

void PasswordStore::write(const QString &account, const QString &secret, Done done)
{
    auto *job = new QKeychain::WritePasswordJob(service);
    job->setKey(account);
    job->setTextData(secret);
    run(job, this, m_timeoutMs, std::move(done));
}

void PasswordStore::remove(const QString &account, Done done)
{
    auto *job = new QKeychain::DeletePasswordJob(service);
    job->setKey(account);
    run(job, this, m_timeoutMs, std::move(done));
}
