#include "app/AboutPage.h"

#include <QCoreApplication>
#include <QLabel>

using namespace Qt::StringLiterals;

AboutPage::AboutPage(QWidget *parent)
    : QWidget(parent)
{
    auto *panel = new QLabel(this);
    panel->setObjectName(u"AboutPanel"_s);
    panel->setGeometry(16, 16, 817, 430);
    panel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    panel->setWordWrap(true);
    panel->setTextFormat(Qt::RichText);
    panel->setText(
        u"<h2>Quenmark %1</h2>"
        "<p>Builds traders for a game server whose world data lives in MySQL or MariaDB: a merchant NPC, "
        "the link between a merchant and a shop number, and the goods its shop sells.</p>"
        "<p>Connect on the page <b>Соединение</b>, load NPC templates or items, pick rows by double-click and "
        "press <b>Добавить</b> or <b>Создать</b>. Every statement is added to the script on the page "
        "<b>Правка</b>, where it can be edited and saved as a .sql file.</p>"
        "<p>The program only reads from the database; it never changes it. Run the script by other means.</p>"
        "<p>When the window closes, the activity log and the script are saved to the folders <i>logs</i> and "
        "<i>sql</i> beside the program, named with the date and time of closing. Files are written in the "
        "Windows-1251 code page.</p>"_s.arg(QCoreApplication::applicationVersion()));
}
