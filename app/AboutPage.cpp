#include "app/AboutPage.h"

#include "base/Error.h"
#include "base/Guard.h"
#include "base/PageStretch.h"
#include "base/TextFile.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QLabel>
#include <QUrl>

using namespace Qt::StringLiterals;

AboutPage::AboutPage(const QString &exitFolder, QWidget *parent)
    : QWidget(parent)
    , m_exitFolder(exitFolder)
{
    auto *panel = new QLabel(this);
    panel->setObjectName(u"AboutPanel"_s);
    panel->setGeometry(16, 16, 817, 430);
    // The text wraps into what the window gives it.
    (new PageStretch(this))->add(panel, {0, 1, 0, 1});
    panel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    panel->setWordWrap(true);
    panel->setTextFormat(Qt::RichText);
    // The folder's link is reached by mouse and by Tab, and opened by the page itself.
    panel->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    panel->setOpenExternalLinks(false);
    connect(panel, &QLabel::linkActivated, this, [this] { runGuarded(window(), [this] { openExitFolder(); }); });
    panel->setText(
        u"<h2>Quenmark %1</h2>"
        "<p>Builds traders for a game server whose world data lives in MySQL or MariaDB: a merchant NPC, "
        "the link between a merchant and a shop number, and the goods its shop sells.</p>"
        "<p>Connect on the page <b>Соединение</b>, load NPC templates or items, pick rows by double-click and "
        "press <b>Добавить</b> or <b>Создать</b>. Every statement is added to the script on the page "
        "<b>Правка</b>, where it can be edited and saved as a .sql file.</p>"
        "<p>The program only reads from the database; it never changes it. Run the script by other means.</p>"
        "<p>When the window closes, the activity log and the script are saved to the folders <i>logs</i> and "
        "<i>sql</i> in <a href=\"%2\">%3</a>, named with the date and time of closing. Files are written in the "
        "Windows-1251 code page.</p>"_s.arg(QCoreApplication::applicationVersion(),
                                          QUrl::fromLocalFile(exitFolder).toString(QUrl::FullyEncoded).toHtmlEscaped(),
                                          exitFolder.toHtmlEscaped()));
}

void AboutPage::openExitFolder()
{
    // The folder is made at the first close; opening it earlier should still work.
    if (const QString reason = TextFile::makeFolders(m_exitFolder); !reason.isEmpty())
        throw QmError(u"Cannot create folder \"%1\". %2"_s.arg(m_exitFolder, reason));
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(m_exitFolder)))
        throw QmError(u"No program to show the folder \"%1\" was found"_s.arg(m_exitFolder));
}
