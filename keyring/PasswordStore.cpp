#include "keyring/PasswordStore.h"

#include <qt6keychain/keychain.h>

#include <QTimer>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString service = u"Quenmark"_s;

// What the job was to do, for the problem text.
enum class Task { Read, Write, Remove };

QString taskFailed(Task task)
{
    switch (task) {
    case Task::Read:
        return u"пароль не прочитан"_s;
    case Task::Write:
        return u"пароль не сохранён"_s;
    case Task::Remove:
        break;
    }
    return u"пароль не удалён"_s;
}

// A Russian sentence first; the keyring's own words (English D-Bus text) only
// after it, as the detail.
QString problemText(const QKeychain::Job &job, Task task)
{
    QString what;
    switch (job.error()) {
    case QKeychain::NoBackendAvailable:
        what = u"Хранилище паролей недоступно"_s;
        break;
    case QKeychain::AccessDenied:
    case QKeychain::AccessDeniedByUser:
        what = u"Хранилище паролей закрыто или отказало в доступе"_s;
        break;
    default:
        what = u"Хранилище паролей не выполнило запрос"_s;
        break;
    }
    const QString detail = job.errorString().trimmed();
    return what + u": "_s + taskFailed(task) + (detail.isEmpty() ? QString() : u". Подробности: "_s + detail);
}

// Starts the job and calls done once: when the job finishes, or when it has
// not finished in time. The job is never deleted early (the keyring's reply
// refers to it); it deletes itself when it finishes.
void run(QKeychain::Job *job, Task task, QObject *context, int timeoutMs, PasswordStore::Done done)
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
    QObject::connect(job, &QKeychain::Job::finished, context, [answer, task](QKeychain::Job *finished) {
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
            outcome.problem = problemText(*finished, task);
        }
        answer(outcome);
    });
    QTimer::singleShot(timeoutMs, context, [answer, task] {
        answer({false, false, {}, u"Хранилище паролей не отвечает: "_s + taskFailed(task)});
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
    run(job, Task::Read, this, m_timeoutMs, std::move(done));
}

void PasswordStore::write(const QString &account, const QString &secret, Done done)
{
    auto *job = new QKeychain::WritePasswordJob(service);
    job->setKey(account);
    job->setTextData(secret);
    run(job, Task::Write, this, m_timeoutMs, std::move(done));
}

void PasswordStore::remove(const QString &account, Done done)
{
    auto *job = new QKeychain::DeletePasswordJob(service);
    job->setKey(account);
    run(job, Task::Remove, this, m_timeoutMs, std::move(done));
}
