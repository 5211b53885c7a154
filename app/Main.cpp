#include "app/Main.h"

#include "app/AboutPage.h"
#include "app/EditorPage.h"
#include "app/KeyboardRoad.h"
#include "app/runend/ConnectionAtExit.h"
#include "app/runend/ExitFileRescue.h"
#include "app/runend/ExitFiles.h"
#include "app/MainWindowAccessible.h"
#include "app/ScriptPanes.h"
#include "app/runend/ExitFolder.h"
#include "base/EntryLogTexts.h"
#include "base/Guard.h"
#include "base/LogTexts.h"
#include "base/ScriptEntries.h"
#include "app/TextPane.h"
#include "app/WindowGrowth.h"
#include "base/TimeTexts.h"
#include "buylist/BuylistPage.h"
#include "db/Connection.h"
#include "connect/ConnectionPage.h"
#include "connect/SshConnectRoute.h"
#include "connect/SshGroup.h"
#include "ssh/SshRoute.h"
#include "npc/NpcPage.h"
#include "shop/ShopPage.h"
#include "editor/SqlEditor.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QGuiApplication>
#include <QScreen>
#include <QShortcut>
#include <QTabWidget>

#include <cstdio>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr int kClientWidth = 857;
constexpr int kClientHeight = 625;

QWidget *addPage(QTabWidget *pages, QWidget *content, const QString &name, const QString &caption)
{
    content->setObjectName(name);
    pages->addTab(content, caption);
    return content;
}

} // namespace

TForm1::TForm1(const QString &exitRoot, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_exitRoot(exitRoot.isEmpty() ? ExitFolder::forThisProgram() : exitRoot)
    , m_sshRoute(std::make_unique<SshRoute>(*this))
    , m_connection(std::make_unique<DbConnection>())
    , m_scriptEntries(std::make_unique<ScriptEntries>())
{
    installMainWindowAccessible();
    setObjectName(u"Form1"_s);
    setWindowTitle(u"Quenmark"_s);
    resize(kClientWidth, kClientHeight);
    setMinimumSize(WindowGrowth::smallest);
    buildPages();

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        move(area.center() - QPoint(kClientWidth / 2, kClientHeight / 2));
    }
    FormCreate();
}

TForm1::~TForm1()
{
    // The pages point at the routes and the connection: they go before them.
    delete m_pageControl1;
    m_pageControl1 = nullptr;
}

void TForm1::buildPages()
{
    m_pageControl1 = new QTabWidget(this);
    m_pageControl1->setObjectName(u"PageControl1"_s);
    m_pageControl1->setGeometry(0, 0, 857, 497);
    m_connectionPage = new ConnectionPage(*this);
    auto *sshGroup = new SshGroup;
    m_sshConnectRoute = std::make_unique<SshConnectRoute>(*m_sshRoute, *sshGroup, *m_connection);
    m_connectionPage->setRoute(m_sshConnectRoute.get(), sshGroup);
    addPage(m_pageControl1, m_connectionPage, u"TabSheet1"_s, u"Соединение"_s);
    startKeyboardRoad(*m_connectionPage);
    m_npcPage = new NpcPage(*this);
    addPage(m_pageControl1, m_npcPage, u"TabSheet2"_s, u"Создание NPC"_s);
    m_shopPage = new ShopPage(*this);
    addPage(m_pageControl1, m_shopPage, u"TabSheet3"_s, u"Shop ID"_s);
    m_buylistPage = new BuylistPage(*this);
    addPage(m_pageControl1, m_buylistPage, u"TabSheet4"_s, u"BuyList"_s);
    m_editorPage = new EditorPage(*this);
    addPage(m_pageControl1, m_editorPage, u"TabSheet5"_s, u"Правка"_s);
    m_aboutPage = new AboutPage(m_exitRoot);
    addPage(m_pageControl1, m_aboutPage, u"TabSheet6"_s, u"About"_s);
    m_pageControl1->setCurrentIndex(0);

    m_pageControl2 = new QTabWidget(this);
    m_pageControl2->setObjectName(u"PageControl2"_s);
    m_pageControl2->setTabPosition(QTabWidget::South);
    m_pageControl2->setGeometry(0, 496, 857, 129);
    m_memo1 = new TextPane;
    m_memo1->setObjectName(u"Memo1"_s);
    addPage(m_pageControl2, m_memo1, u"TabSheet7"_s, u"Лог"_s);
    m_memo2 = new TextPane;
    m_memo2->setObjectName(u"Memo2"_s);
    addPage(m_pageControl2, m_memo2, u"TabSheet8"_s, u"SQL Запрос"_s);
    m_pageControl2->setCurrentIndex(0);
    // Page objects and panes share names with their tabs' contents; the pane keeps its own name.
    m_memo1->setObjectName(u"Memo1"_s);
    m_memo2->setObjectName(u"Memo2"_s);

    connect(m_memo2, &TextPane::linesChanged, this, &TForm1::Memo2Change);
    m_scriptPanes = new ScriptPanes(*m_scriptEntries, *m_memo2, *SynMemo1(), [this](const QString &comment) {
        LogEvent(EntryLogTexts::blockKeptInEditor(refreshTimeStr(), comment));
    }, this);
    // Open and save from any page: the editor's page comes to the front.
    const auto editorAction = [this](const QKeySequence &keys, const std::function<void()> &action) {
        auto *shortcut = new QShortcut(keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, action] {
            m_pageControl1->setCurrentWidget(m_editorPage);
            runGuarded(this, action);
        });
    };
    editorAction(QKeySequence::Open, [this] { m_editorPage->Button10Click(); });
    editorAction(QKeySequence::Save, [this] { m_editorPage->Button8Click(); });
    // The title names the server connected to, so that nothing is checked against the wrong one by mistake.
    connect(m_connectionPage, &ConnectionPage::serverChanged, this, [this](const QString &server) {
        setWindowTitle(server.isEmpty() ? u"Quenmark"_s : server + u" — Quenmark"_s);
    });
}

SqlEditor *TForm1::SynMemo1() const
{
    return m_editorPage->SynMemo1();
}

void TForm1::FormCreate()
{
    m_shopRowIndex = -1;
    const QDateTime now = QDateTime::currentDateTime();
    m_openedAt = TimeTexts::dateTimeText(now, QLocale());
    m_timeStr = TimeTexts::timeText(now.time(), QLocale());
    m_memo1->clearLines();
    m_memo2->clearLines();
    LogEvent(LogTexts::logOpened(m_openedAt));
    LogEvent(LogTexts::appStarted(m_timeStr));
    m_connectionPage->logSettingsProblem();
    m_buylistPage->resetOrder();
}

void TForm1::FormClose(bool interactive, int exitStatus)
{
    if (m_closed)
        return;
    m_closed = true;
    // The exit files first: they hold nothing of the connection, and nothing
    // that goes wrong with a load or a check under way can lose them.
    try {
        const QString stamp = TimeTexts::exitStamp(QDateTime::currentDateTime());
        LogEvent(LogTexts::appClosed(refreshTimeStr()));
        LogEvent(LogTexts::logClosed(TimeTexts::dateTimeText(QDateTime::currentDateTime(), QLocale())));
        const bool whole = saveExitFiles(stamp, interactive);
        Q_EMIT exitFilesWritten(whole);
    } catch (const std::exception &error) {
        // Nothing may keep the window from closing.
        std::fprintf(stderr, "Quenmark: %s\n", error.what());
    }
    closeConnectionAtExit(*m_connection, exitStatus, [this] { m_sshRoute->close(); });
}

void TForm1::FormSessionSave()
{
    if (m_closed)
        return;
    try {
        saveExitFiles(TimeTexts::exitStamp(QDateTime::currentDateTime()), false);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "Quenmark: %s\n", error.what());
    }
}

bool TForm1::saveExitFiles(const QString &stamp, bool interactive)
{
    // A file that cannot be written beside the others goes to the user's data
    // folder or the temporary folder at once, so that no later failure (a lost
    // display) can lose it; one that no folder takes goes to standard error.
    const QStringList logLines = m_memo1->lines();
    const QStringList scriptLines = SynMemo1()->lines();
    const ExitFilesOutcome outcome = writeExitFiles(m_exitRoot, stamp, logLines, scriptLines, ExitFolder::fallbackFolders());
    const QString problems = outcome.problems();
    if (problems.isEmpty())
        return true;
    std::fprintf(stderr, "%s\n", problems.toLocal8Bit().constData());
    const QByteArray unwritten = unwrittenExitFiles(outcome, logLines, scriptLines);
    std::fwrite(unwritten.constData(), 1, std::size_t(unwritten.size()), stderr);
    std::fflush(stderr);
    if (interactive)
        ExitFileRescue::tellAndOffer(this, outcome, logLines, scriptLines);
    return outcome.log.writtenSomewhere() && outcome.script.writtenSomewhere();
}

void TForm1::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    WindowGrowth::layOut(m_pageControl1, m_pageControl2, size());
}

void TForm1::closeEvent(QCloseEvent *event)
{
    FormClose(true);
    event->accept();
}

void TForm1::LogEvent(const QString &line)
{
    m_memo1->appendLine(line);
}

const QString &TForm1::refreshTimeStr()
{
    m_timeStr = TimeTexts::timeText(QTime::currentTime(), QLocale());
    return m_timeStr;
}

void TForm1::AppendScriptBlock(const QString &comment, const QString &statement)
{
    m_scriptEntries->append({ScriptEntry{EntryKind::Other, {comment, statement}, {}}});
}

QStringList TForm1::scriptLines() const
{
    return m_memo2->lines();
}

DbConnection &TForm1::connection()
{
    return *m_connection;
}

SshRoute &TForm1::sshRoute()
{
    return *m_sshRoute;
}

void TForm1::Memo2Change()
{
    SynMemo1()->mirrorPane(m_memo2->lines());
}
