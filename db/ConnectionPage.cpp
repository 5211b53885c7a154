#include "db/ConnectionPage.h"

#include "base/Guard.h"
#include "base/LogTexts.h"
#include "base/Shell.h"
#include "db/Connection.h"
#include "db/WaitCursor.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype errorTextLimit = 200;

QLineEdit *addRow(QGridLayout *grid, int row, const QString &caption, const QString &name,
                  const QString &text)
{
    auto *label = new QLabel(caption);
    auto *edit = new QLineEdit(text);
    edit->setObjectName(name);
    label->setBuddy(edit);
    grid->addWidget(label, row, 0);
    grid->addWidget(edit, row, 1);
    return edit;
}

} // namespace

QString connectErrorLogText(const QString &errorText)
{
    const QString cut = errorText.left(errorTextLimit);
    qsizetype begin = 0;
    qsizetype end = cut.size();
    while (begin < end && cut.at(begin).unicode() <= u' ')
        ++begin;
    while (end > begin && cut.at(end - 1).unicode() <= u' ')
        --end;
    return cut.mid(begin, end - begin);
}

ConnectionPage::ConnectionPage(Shell &shell, QWidget *parent)
    : QWidget(parent)
    , m_shell(shell)
{
    auto *group = new QGroupBox(u"Соединение"_s);
    group->setObjectName(u"ConnectionGroup"_s);
    auto *grid = new QGridLayout(group);
    Edit1 = addRow(grid, 0, u"Хост"_s, u"Edit1"_s, u"localhost"_s);
    Edit2 = addRow(grid, 1, u"Имя"_s, u"Edit2"_s, u"root"_s);
    Edit3 = addRow(grid, 2, u"Пароль"_s, u"Edit3"_s, u"kelp"_s);
    Edit4 = addRow(grid, 3, u"БД"_s, u"Edit4"_s, u"vosteldb"_s);
    // Masked input.
    Edit3->setEchoMode(QLineEdit::Password);
    // Every character shows as "*", whatever the style would draw.
    Edit3->setStyleSheet(u"QLineEdit { lineedit-password-character: 42; }"_s);

    Button1 = new QPushButton(u"Соединится"_s);
    Button1->setObjectName(u"Button1"_s);
    grid->addWidget(Button1, 4, 0, 1, 2, Qt::AlignHCenter);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addStretch(1);

    QObject::connect(Button1, &QPushButton::clicked, this,
                     [this] { runGuarded(m_shell.dialogParent(), [this] { Button1Click(); }); });
}

void ConnectionPage::Button1Click()
{
    const QString timeStr = m_shell.refreshTimeStr();
    DbConnection &connection = m_shell.connection();

    ConnectOutcome outcome;
    {
        const WaitCursor wait;
        outcome = connection.connect(Edit1->text(), Edit2->text(), Edit3->text());
    }
    if (outcome.errorNumber != 0)
        m_shell.LogEvent(LogTexts::connectFailed(timeStr, connectErrorLogText(outcome.errorText)));
    else
        m_shell.LogEvent(LogTexts::connected(timeStr));

    // The database is selected whatever the connect came to.
    const QString database = Edit4->text();
    QString refusal;
    int failed = 0;
    {
        const WaitCursor wait;
        failed = connection.selectDatabase(database, &refusal);
    }
    if (failed != 0)
        m_shell.LogEvent(LogTexts::databaseFailed(timeStr, database, refusal));
    else
        m_shell.LogEvent(LogTexts::databaseOpened(timeStr, database));
}
