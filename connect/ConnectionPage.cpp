#include "connect/ConnectionPage.h"

#include "base/Error.h"
#include "base/Guard.h"
#include "base/LogTexts.h"
#include "db/DbShell.h"
#include "connect/ConnectFlow.h"
#include "connect/ConnectRoute.h"
#include "connect/RememberPasswordBox.h"
#include "connect/SavedConnectionsBar.h"
#include "connect/TlsGroup.h"

#include <QAbstractButton>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

// A labelled box; the boxes below the host's reach as far as the port box.
QLineEdit *addRow(QGridLayout *grid, int row, const QString &caption, const QString &name, const QString &text,
                  int columns = 3)
{
    auto *label = new QLabel(caption);
    auto *edit = new QLineEdit(text);
    edit->setObjectName(name);
    label->setBuddy(edit);
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1, 1, columns);
    return edit;
}

} // namespace

ConnectionPage::ConnectionPage(DbShell &shell, QWidget *parent)
    : QWidget(parent)
    , m_shell(shell)
{
    auto *group = new QGroupBox(u"Соединение"_s);
    group->setObjectName(u"ConnectionGroup"_s);
    auto *grid = new QGridLayout(group);
    grid->setColumnStretch(1, 1);
    Edit1 = addRow(grid, 0, u"Хост"_s, u"Edit1"_s, u"localhost"_s, 1);
    Edit1->setToolTip(u"Имя или адрес сервера; можно с портом (db.example.org:3307, [::1]:3307) "
                      "или путь к сокету локального сервера (/run/mysqld/mysqld.sock)"_s);
    auto *portLabel = new QLabel(u"Порт"_s);
    m_port = new QLineEdit;
    m_port->setObjectName(u"portEdit"_s);
    m_port->setPlaceholderText(u"3306"_s);
    m_port->setMaxLength(5);
    m_port->setFixedWidth(m_port->fontMetrics().horizontalAdvance(u"655350"_s) + 12);
    portLabel->setBuddy(m_port);
    // Beside the SSH group's two port boxes, each says which port it is.
    m_port->setAccessibleName(u"Порт БД"_s);
    grid->addWidget(portLabel, 0, 2);
    grid->addWidget(m_port, 0, 3);
    Edit2 = addRow(grid, 1, u"Имя"_s, u"Edit2"_s, u"root"_s);
    Edit3 = addRow(grid, 2, u"Пароль"_s, u"Edit3"_s, u"kelp"_s);
    // Masked input.
    Edit3->setEchoMode(QLineEdit::Password);
    // Every character shows as "*", whatever the style would draw.
    Edit3->setStyleSheet(u"QLineEdit { lineedit-password-character: 42; }"_s);
    m_remember = new RememberPasswordBox;
    grid->addWidget(m_remember, 3, 1, 1, 3);
    Edit4 = addRow(grid, 4, u"БД"_s, u"Edit4"_s, u"vosteldb"_s);
    Button1 = new QPushButton(u"Соединится"_s);
    Button1->setObjectName(u"Button1"_s);
    grid->addWidget(Button1, 5, 0, 1, 4, Qt::AlignHCenter);

    m_tls = new TlsGroup;
    m_saved = new SavedConnectionsBar(m_store, [this] { return settingsOfBoxes(); });
    m_state = new QLabel;
    m_state->setObjectName(u"connectionState"_s);
    m_state->setWordWrap(true);
    m_state->setTextInteractionFlags(Qt::TextSelectableByMouse);
    showState({});

    auto *right = new QVBoxLayout;
    right->addWidget(m_tls);
    m_routeSlot = new QVBoxLayout;
    right->addLayout(m_routeSlot);
    right->addStretch(1);
    auto *columns = new QHBoxLayout;
    columns->addWidget(group, 1, Qt::AlignTop);
    columns->addLayout(right, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_saved);
    layout->addLayout(columns);
    layout->addWidget(m_state);
    layout->addStretch(1);

    connect(Button1, &QPushButton::clicked, this,
            [this] { runGuarded(m_shell.dialogParent(), [this] { Button1Click(); }); });
    connect(m_saved, &SavedConnectionsBar::picked, this, &ConnectionPage::showSettings);
    connect(m_remember, &RememberPasswordBox::unticked, this, &ConnectionPage::forgetPassword);

    // The first run shows the initial texts; every later one the last connection's settings.
    if (const std::optional<ConnectionSettings> last = m_store.last()) {
        showSettings(*last);
        m_saved->showName(m_store.lastName());
    }
    for (QLineEdit *edit : {Edit1, m_port, Edit2, Edit4})
        connect(edit, &QLineEdit::textChanged, m_remember, &RememberPasswordBox::connectionChanged);
}

void ConnectionPage::setRoute(ConnectRoute *route, QWidget *group)
{
    m_route = route;
    m_route->lost = [this](const QString &why) {
        showState(u"Соединение потеряно: "_s + why);
        Q_EMIT serverChanged({});
    };
    m_routeSlot->addWidget(group);
    // A connect that goes the route's way reads no address from the host and
    // port boxes: they are greyed while the route's group is ticked.
    if (auto *box = qobject_cast<QGroupBox *>(group); box && box->isCheckable()) {
        const auto showWay = [this](bool routed) {
            Edit1->setEnabled(!routed);
            m_port->setEnabled(!routed);
        };
        connect(box, &QGroupBox::toggled, this, showWay);
        showWay(box->isChecked());
    }
    if (const std::optional<ConnectionSettings> last = m_store.last())
        m_route->show(*last);
    // Watched only now: showing the last settings is no change of the
    // connection the password was recalled for.
    for (QLineEdit *edit : group->findChildren<QLineEdit *>())
        connect(edit, &QLineEdit::textChanged, m_remember, &RememberPasswordBox::connectionChanged);
    for (QAbstractButton *button : group->findChildren<QAbstractButton *>())
        connect(button, &QAbstractButton::toggled, m_remember, &RememberPasswordBox::connectionChanged);
    if (auto *box = qobject_cast<QGroupBox *>(group))
        connect(box, &QGroupBox::toggled, m_remember, &RememberPasswordBox::connectionChanged);
}

void ConnectionPage::forgetPassword()
{
    QString account;
    try {
        account = passwordAccountOf(settingsOfBoxes());
    } catch (const QmError &) {
        // Boxes that name no connection: only the recalled one is forgotten.
    }
    QStringList problems;
    for (const QString &forgotten : m_remember->forget(account))
        if (const QString problem = m_store.forgetPassword(forgotten); !problem.isEmpty() && !problems.contains(problem))
            problems.append(problem);
    if (!problems.isEmpty())
        showState(problems.join(u'\n'));
}

void ConnectionPage::showSettings(const ConnectionSettings &settings)
{
    Edit1->setText(settings.socket.isEmpty() ? settings.host : settings.socket);
    m_port->setText(settings.port != 0 ? QString::number(settings.port) : QString());
    Edit2->setText(settings.user);
    Edit4->setText(settings.database);
    m_tls->setOptions(settings.tls);
    m_remember->setChecked(settings.rememberPassword);
    if (m_route)
        m_route->show(settings);
    // A password comes only from the keyring.
    Edit3->clear();
    if (settings.rememberPassword)
        m_remember->recall(passwordAccountOf(settings), Edit3);
}

ConnectionSettings ConnectionPage::settingsBesideAddress() const
{
    ConnectionSettings settings;
    settings.user = Edit2->text();
    settings.database = Edit4->text();
    settings.tls = m_tls->options();
    settings.rememberPassword = m_remember->isChecked();
    if (m_route)
        m_route->take(settings);
    return settings;
}

ConnectionSettings ConnectionPage::settingsOfBoxes() const
{
    ConnectionSettings settings = settingsBesideAddress();
    const ServerAddressParse typed = readAddress(Edit1->text(), m_port->text(), settings);
    if (!typed.address && !(m_route && m_route->active()))
        throw QmError(typed.error);
    return settings;
}

void ConnectionPage::Button1Click()
{
    const ConnectResult result = connectAndSelect(
        m_shell, {Edit1->text(), m_port->text(), Edit3->text(), settingsBesideAddress()}, m_route);
    if (!result.connected) {
        showState({});
        Q_EMIT serverChanged({});
        return;
    }
    const QString server = result.settings.user + u'@' + result.server
        + (result.databaseOpened ? u" / "_s + result.settings.database : QString());
    // Remembered under its name only while it is the named one unchanged.
    const QString name = m_saved->currentName();
    const QString savedUnder = m_store.named(name) == result.settings ? name : QString();
    const QString problem = m_store.saveLast(result.settings, savedUnder);
    logSettingsProblem();
    m_remember->keep(passwordAccountOf(result.settings), Edit3->text());
    showState(u"Соединено: "_s + server + u"; канал: "_s + result.link
              + (problem.isEmpty() ? QString() : u"\n"_s + problem));
    Q_EMIT serverChanged(server);
}

void ConnectionPage::logSettingsProblem()
{
    if (const QString problem = m_store.newProblem(); !problem.isEmpty())
        m_shell.LogEvent(LogTexts::settingsKeptAside(m_shell.refreshTimeStr(), problem));
}

void ConnectionPage::showState(const QString &state)
{
    // What could not be read of the settings file stays in view until a connect.
    const QString problem = m_store.problem();
    m_state->setText(state.isEmpty() ? u"Нет соединения"_s + (problem.isEmpty() ? QString() : u"\n"_s + problem) : state);
}
