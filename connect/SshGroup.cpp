#include "connect/SshGroup.h"

#include "db/ServerAddress.h"

#include <QButtonGroup>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>

#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

QLineEdit *makeEdit(const QString &name, const QString &placeholder)
{
    auto *edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setPlaceholderText(placeholder);
    return edit;
}

QLabel *makeLabel(const QString &caption, QWidget *buddy)
{
    auto *label = new QLabel(caption);
    label->setBuddy(buddy);
    return label;
}

// A port box's number: 0 when it is empty (the default), -1 when its text is
// no port at all.
int portOf(const QLineEdit *box)
{
    const QString text = box->text().trimmed();
    if (text.isEmpty())
        return 0;
    QString error;
    const std::optional<unsigned> port = readPort(text, &error);
    return port ? int(*port) : -1;
}

QString portProblem(const QString &what, const QString &text)
{
    QString error;
    return !text.trimmed().isEmpty() && !readPort(text.trimmed(), &error)
        ? u"%1 «%2» — не число от 1 до 65535"_s.arg(what, text)
        : QString();
}

// A database host typed with its port ("127.0.0.1:3399", "[::1]:3399"): the
// host and the port apart; nothing for a host alone, a socket path or a bare
// IPv6 address.
std::optional<std::pair<QString, QString>> hostWithPort(const QString &typed)
{
    const QString text = typed.trimmed();
    if (text.startsWith(u'/'))
        return std::nullopt;
    if (text.startsWith(u'[')) {
        const qsizetype close = text.indexOf(u"]:"_s);
        if (close < 0)
            return std::nullopt;
        return std::pair{text.mid(1, close - 1), text.mid(close + 2)};
    }
    if (text.count(u':') != 1)
        return std::nullopt;
    return std::pair{text.section(u':', 0, 0), text.section(u':', 1)};
}

} // namespace

SshGroup::SshGroup(QWidget *parent)
    : QGroupBox(u"Через SSH-туннель"_s, parent)
{
    setObjectName(u"SshGroup"_s);
    setCheckable(true);
    setChecked(false);

    m_host = makeEdit(u"sshHostEdit"_s, u"имя, адрес или Host из ~/.ssh/config"_s);
    m_port = makeEdit(u"sshPortEdit"_s, u"22"_s);
    m_port->setMaximumWidth(60);
    // Three port boxes on one page: each says which port it is.
    m_port->setAccessibleName(u"Порт SSH"_s);
    m_account = makeEdit(u"sshAccountEdit"_s, u"из ~/.ssh/config или ваше"_s);

    m_agent = new QRadioButton(u"агент SSH"_s);
    m_agent->setObjectName(u"sshAgentButton"_s);
    m_keyFileLogin = new QRadioButton(u"файл ключа"_s);
    m_keyFileLogin->setObjectName(u"sshKeyButton"_s);
    m_password = new QRadioButton(u"пароль"_s);
    m_password->setObjectName(u"sshPasswordButton"_s);
    auto *logins = new QButtonGroup(this);
    for (QRadioButton *button : {m_agent, m_keyFileLogin, m_password})
        logins->addButton(button);
    m_agent->setChecked(true);
    connect(logins, &QButtonGroup::buttonToggled, this, &SshGroup::showLogin);

    m_keyFile = makeEdit(u"sshKeyFileEdit"_s, u"из ~/.ssh/config"_s);
    m_pickKeyFile = new QToolButton;
    m_pickKeyFile->setObjectName(u"sshKeyFilePick"_s);
    m_pickKeyFile->setText(u"…"_s);
    m_pickKeyFile->setToolTip(u"Выбрать файл ключа"_s);
    connect(m_pickKeyFile, &QToolButton::clicked, this, &SshGroup::pickKeyFile);

    m_databaseHost = makeEdit(u"sshDatabaseHostEdit"_s, u"127.0.0.1"_s);
    m_databaseHost->setToolTip(u"Хост базы данных, как его видит SSH-сервер, или путь к сокету на нём"_s);
    m_databasePort = makeEdit(u"sshDatabasePortEdit"_s, u"3306"_s);
    m_databasePort->setMaximumWidth(60);
    m_databasePort->setAccessibleName(u"Порт БД на SSH-сервере"_s);
    connect(m_databaseHost, &QLineEdit::textChanged, this,
            [this](const QString &host) { m_databasePort->setEnabled(!host.startsWith(u'/')); });
    // A port typed into the host box goes where the port is read.
    connect(m_databaseHost, &QLineEdit::editingFinished, this, [this] {
        if (const auto typed = hostWithPort(m_databaseHost->text())) {
            m_databaseHost->setText(typed->first);
            m_databasePort->setText(typed->second);
        }
    });

    auto *grid = new QGridLayout(this);
    grid->addWidget(makeLabel(u"Хост SSH"_s, m_host), 0, 0);
    grid->addWidget(m_host, 0, 1);
    grid->addWidget(makeLabel(u"Порт"_s, m_port), 0, 2);
    grid->addWidget(m_port, 0, 3);
    grid->addWidget(makeLabel(u"Имя SSH"_s, m_account), 1, 0);
    grid->addWidget(m_account, 1, 1);
    auto *loginRow = new QHBoxLayout;
    for (QRadioButton *button : {m_agent, m_keyFileLogin, m_password})
        loginRow->addWidget(button);
    loginRow->addStretch(1);
    grid->addWidget(new QLabel(u"Вход"_s), 2, 0);
    grid->addLayout(loginRow, 2, 1, 1, 3);
    grid->addWidget(makeLabel(u"Ключ"_s, m_keyFile), 3, 0);
    grid->addWidget(m_keyFile, 3, 1);
    grid->addWidget(m_pickKeyFile, 3, 2);
    grid->addWidget(makeLabel(u"БД на SSH-сервере"_s, m_databaseHost), 4, 0);
    grid->addWidget(m_databaseHost, 4, 1);
    grid->addWidget(makeLabel(u"Порт"_s, m_databasePort), 4, 2);
    grid->addWidget(m_databasePort, 4, 3);

    setSettings({});
}

SshGroup::~SshGroup()
{
    // A box that loses the focus while the group goes must not reach the group's half-destroyed self.
    m_databaseHost->disconnect(this);
}

bool SshGroup::isOn() const
{
    return isChecked();
}

void SshGroup::setOn(bool on)
{
    setChecked(on);
}

SshTunnelSettings SshGroup::settings() const
{
    SshTunnelSettings settings = m_kept;
    settings.host = m_host->text().trimmed();
    settings.port = portOf(m_port);
    settings.account = m_account->text().trimmed();
    settings.login = m_keyFileLogin->isChecked() ? SshLogin::KeyFile
                     : m_password->isChecked()   ? SshLogin::Password
                                                 : SshLogin::Agent;
    settings.keyFile = m_keyFile->text().trimmed();
    QString databaseHost = m_databaseHost->text().trimmed();
    int databasePort = portOf(m_databasePort);
    // The port in the host box wins, as it would once the box is left.
    if (const auto typed = hostWithPort(databaseHost)) {
        databaseHost = typed->first;
        QString error;
        const std::optional<unsigned> port = readPort(typed->second.trimmed(), &error);
        databasePort = port ? int(*port) : -1;
    }
    settings.databaseHost = databaseHost.isEmpty() ? m_databaseHost->placeholderText() : databaseHost;
    settings.databasePort = databasePort == 0 ? m_databasePort->placeholderText().toInt() : databasePort;
    return settings;
}

void SshGroup::setSettings(const SshTunnelSettings &settings)
{
    m_kept = settings;
    m_host->setText(settings.host);
    m_port->setText(settings.port == 0 ? QString() : QString::number(settings.port));
    m_account->setText(settings.account);
    m_agent->setChecked(settings.login == SshLogin::Agent);
    m_keyFileLogin->setChecked(settings.login == SshLogin::KeyFile);
    m_password->setChecked(settings.login == SshLogin::Password);
    m_keyFile->setText(settings.keyFile);
    m_databaseHost->setText(settings.databaseHost);
    m_databasePort->setText(QString::number(settings.databasePort));
    showLogin();
}

QString SshGroup::problem() const
{
    if (QString port = portProblem(u"Порт SSH"_s, m_port->text()); !port.isEmpty())
        return port;
    const auto typed = hostWithPort(m_databaseHost->text());
    if (!m_databaseHost->text().trimmed().startsWith(u'/'))
        if (QString port = portProblem(u"Порт БД на SSH-сервере"_s, typed ? typed->second : m_databasePort->text());
            !port.isEmpty())
            return port;
    return sshSettingsProblem(settings());
}

void SshGroup::showLogin()
{
    const bool keyFile = m_keyFileLogin->isChecked();
    m_keyFile->setEnabled(keyFile);
    m_pickKeyFile->setEnabled(keyFile);
}

void SshGroup::pickKeyFile()
{
    const QString current = m_keyFile->text().trimmed();
    const QString folder = current.isEmpty() ? QDir::homePath() + u"/.ssh"_s : QFileInfo(current).absolutePath();
    const QString picked = QFileDialog::getOpenFileName(this, u"Файл ключа SSH"_s, folder);
    if (!picked.isEmpty())
        m_keyFile->setText(picked);
}
