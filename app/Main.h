#pragma once

#include "db/DbShell.h"

#include <QString>
#include <QWidget>

#include <memory>

class AboutPage;
class BuylistPage;
class ConnectionPage;
class DbConnection;
class EditorPage;
class NpcPage;
class QTabWidget;
class ShopPage;
class SqlEditor;
class SshConnectRoute;
class ScriptEntries;
class ScriptPanes;
class SshRoute;
class TextPane;

// The one window. It owns every page and the process-wide state, runs the
// start-up and shutdown sequences and wires the panes; the pages do the rest.
class TForm1 : public QWidget, public DbShell
{
    Q_OBJECT

public:
    // exitRoot: the folder that holds `logs` and `sql`; when empty, the executable's
    // folder or, for an installed program, the user's data folder.
    explicit TForm1(const QString &exitRoot = QString(), QWidget *parent = nullptr);
    ~TForm1() override;

    void FormCreate();
    // Runs the shutdown sequence once; later calls do nothing. interactive: the
    // operator can still be told about files that could not be written. The
    // exit files are written first, then the work running on the connection is
    // stopped and the connection closed, then its SSH tunnel; should a thread
    // not stop, the tunnel is closed and the process ends at once with exitStatus.
    void FormClose(bool interactive = true, int exitStatus = 0);
    // The session manager saves the session: the exit files are written as they
    // stand and the run goes on (a later close writes them again under new names).
    void FormSessionSave();

    // DbShell
    void LogEvent(const QString &line) override;
    const QString &refreshTimeStr() override;
    const QString &TimeStr() const override { return m_timeStr; }
    void AppendScriptBlock(const QString &comment, const QString &statement) override;
    QStringList scriptLines() const override;
    ScriptEntries &scriptEntries() override { return *m_scriptEntries; }
    DbConnection &connection() override;
    int &ShopRowIndex() override { return m_shopRowIndex; }
    QWidget *dialogParent() override { return this; }

    const QString &OpenedAt() const { return m_openedAt; }
    const QString &exitRoot() const { return m_exitRoot; }
    TextPane *Memo1() const { return m_memo1; }
    TextPane *Memo2() const { return m_memo2; }
    SqlEditor *SynMemo1() const;
    // The SSH tunnel a connect may go through; it lives as long as the connection.
    SshRoute &sshRoute();

Q_SIGNALS:
    // The shutdown wrote the exit files; whole: both were written somewhere.
    void exitFilesWritten(bool whole);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void buildPages();
    void Memo2Change();
    // Whether both files were written somewhere.
    bool saveExitFiles(const QString &stamp, bool interactive);

    QString m_exitRoot;
    // The tunnel outlives the connection that may go through it.
    std::unique_ptr<SshRoute> m_sshRoute;
    std::unique_ptr<SshConnectRoute> m_sshConnectRoute;
    std::unique_ptr<DbConnection> m_connection;
    std::unique_ptr<ScriptEntries> m_scriptEntries;
    QString m_timeStr;
    QString m_openedAt;
    int m_shopRowIndex = -1;
    bool m_closed = false;

    QTabWidget *m_pageControl1 = nullptr;
    QTabWidget *m_pageControl2 = nullptr;
    ConnectionPage *m_connectionPage = nullptr;
    NpcPage *m_npcPage = nullptr;
    ShopPage *m_shopPage = nullptr;
    BuylistPage *m_buylistPage = nullptr;
    EditorPage *m_editorPage = nullptr;
    AboutPage *m_aboutPage = nullptr;
    TextPane *m_memo1 = nullptr;
    TextPane *m_memo2 = nullptr;
    ScriptPanes *m_scriptPanes = nullptr;
};
