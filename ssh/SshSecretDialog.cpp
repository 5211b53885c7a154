#include "ssh/SshSecretDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QString titleOf(const SshSecretQuestion &question)
{
    switch (question.kind) {
    case SshSecretQuestion::Kind::Passphrase:
        return u"Фраза-пароль ключа SSH"_s;
    case SshSecretQuestion::Kind::Password:
        return u"Пароль SSH"_s;
    case SshSecretQuestion::Kind::Other:
        break;
    }
    return u"Вопрос SSH"_s;
}

QString questionText(const SshSecretQuestion &question)
{
    switch (question.kind) {
    case SshSecretQuestion::Kind::Passphrase:
        if (!question.keyFile.isEmpty())
            return u"Ключ %1 защищён фразой-паролем. Введите её:"_s.arg(question.keyFile);
        break;
    case SshSecretQuestion::Kind::Password: {
        // ssh asks "user@host's password:"
        const QString who = QRegularExpression(uR"(^(\S+@\S+)'s password)"_s).match(question.prompt).captured(1);
        if (!who.isEmpty())
            return u"Пароль %1 на SSH-сервере:"_s.arg(who);
        break;
    }
    case SshSecretQuestion::Kind::Other:
        break;
    }
    return question.prompt.trimmed();
}

} // namespace

SshSecretDialog::SshSecretDialog(QWidget *parent, const SshSecretQuestion &question, const QString &note,
                                 const Keyring &keyring)
    : QDialog(parent)
{
    setObjectName(u"SshSecretDialog"_s);
    setWindowTitle(titleOf(question));
    auto *layout = new QVBoxLayout(this);
    if (!note.isEmpty()) {
        auto *noteLabel = new QLabel(note);
        noteLabel->setObjectName(u"secretNote"_s);
        noteLabel->setWordWrap(true);
        layout->addWidget(noteLabel);
    }
    auto *text = new QLabel(questionText(question));
    text->setObjectName(u"secretQuestion"_s);
    text->setWordWrap(true);
    text->setMinimumWidth(360);
    layout->addWidget(text);
    m_secret = new QLineEdit;
    m_secret->setObjectName(u"sshSecretEdit"_s);
    m_secret->setEchoMode(QLineEdit::Password);
    text->setBuddy(m_secret);
    layout->addWidget(m_secret);

    m_remember = new QCheckBox(u"Запомнить в хранилище паролей"_s);
    m_remember->setObjectName(u"sshRememberBox"_s);
    m_rememberOffered = keyring.offered && keyring.problem.isEmpty();
    m_remember->setVisible(keyring.offered);
    m_remember->setEnabled(keyring.problem.isEmpty());
    m_remember->setChecked(keyring.remember && keyring.problem.isEmpty());
    layout->addWidget(m_remember);
    if (keyring.offered && !keyring.problem.isEmpty()) {
        auto *problem = new QLabel(keyring.problem);
        problem->setObjectName(u"keyringProblem"_s);
        problem->setWordWrap(true);
        layout->addWidget(problem);
    }

    auto *buttons = new QDialogButtonBox;
    QPushButton *ok = buttons->addButton(u"ОК"_s, QDialogButtonBox::AcceptRole);
    ok->setObjectName(u"okButton"_s);
    ok->setDefault(true);
    buttons->addButton(u"Отмена"_s, QDialogButtonBox::RejectRole)->setObjectName(u"cancelButton"_s);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    m_secret->setFocus();
}

QString SshSecretDialog::secret() const
{
    return m_secret->text();
}

bool SshSecretDialog::remember() const
{
    return m_rememberOffered && m_remember->isChecked();
}
