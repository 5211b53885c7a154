#include "connect/RememberPasswordBox.h"

#include "keyring/PasswordStore.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// What is read to learn whether the keyring answers at all.
const QString probeAccount = u"mysql:probe"_s;

} // namespace

RememberPasswordBox::RememberPasswordBox(QWidget *parent)
    : QWidget(parent)
    , m_store(new PasswordStore(10000, this))
{
    m_box = new QCheckBox(u"Запомнить пароль"_s);
    m_box->setObjectName(u"rememberPassword"_s);
    m_box->setToolTip(u"Пароль хранится только в хранилище паролей рабочего стола"_s);
    m_note = new QLabel;
    m_note->setObjectName(u"passwordStoreNote"_s);
    m_note->setWordWrap(true);
    m_note->hide();
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(m_box, 0, Qt::AlignLeft);
    layout->addWidget(m_note);
    connect(m_box, &QCheckBox::toggled, this, &RememberPasswordBox::ticked);
}

bool RememberPasswordBox::isChecked() const
{
    return m_box->isChecked();
}

void RememberPasswordBox::setChecked(bool checked)
{
    const QSignalBlocker quiet(m_box);
    m_box->setChecked(checked);
}

QString RememberPasswordBox::note() const
{
    return m_note->text();
}

void RememberPasswordBox::ticked(bool checked)
{
    if (!checked)
        return;
    // Ticking asks the keyring at once, so that the box says before the
    // connect when nothing can be kept.
    m_store->read(probeAccount, [this](const KeyringOutcome &outcome) {
        if (!outcome.ok)
            showProblem(outcome.problem);
        else
            showProblem({});
    });
}

void RememberPasswordBox::recall(const QString &account, QLineEdit *passwordBox)
{
    const int generation = ++m_generation;
    m_recalledAccount = account;
    const QString before = passwordBox->text();
    QPointer<QLineEdit> box = passwordBox;
    m_store->read(account, [this, generation, before, box](const KeyringOutcome &outcome) {
        if (generation != m_generation)
            return;
        if (!outcome.ok) {
            showProblem(outcome.problem);
            return;
        }
        if (outcome.found && box && box->text() == before)
            box->setText(outcome.secret);
    });
}

void RememberPasswordBox::keep(const QString &account, const QString &password)
{
    const int generation = ++m_generation;
    const auto answered = [this, generation](const KeyringOutcome &outcome) {
        if (generation == m_generation && !outcome.ok)
            showProblem(outcome.problem);
    };
    if (m_box->isChecked())
        m_store->write(account, password, answered);
    else if (account == m_recalledAccount)
        m_store->remove(account, [](const KeyringOutcome &) {});
    m_recalledAccount = m_box->isChecked() ? account : QString();
}

void RememberPasswordBox::showProblem(const QString &problem)
{
    m_note->setText(problem);
    m_note->setVisible(!problem.isEmpty());
    if (!problem.isEmpty())
        setChecked(false);
}
