#pragma once

#include "PrivateConfig.h"

#include "base/ScriptEntries.h"
#include "db/Connection.h"
#include "db/DbShell.h"
#include "ssh/SshRoute.h"

#include <QStringList>

// A main window stand-in for page tests: the log is a list of lines, and
// every refresh of TimeStr gives a new, recognisable time text. The pages it
// serves keep their settings in a config folder of its own.
class TestShell : public DbShell
{
public:
    void LogEvent(const QString &line) override { log.append(line); }
    const QString &refreshTimeStr() override
    {
        ++refreshes;
        m_time = QStringLiteral("10:00:%1").arg(refreshes, 2, 10, QLatin1Char('0'));
        return m_time;
    }
    const QString &TimeStr() const override { return m_time; }
    void AppendScriptBlock(const QString &comment, const QString &statement) override
    {
        script.append(comment);
        script.append(statement);
        script.append(QString());
    }
    ScriptEntries &scriptEntries() override { return entries; }
    DbConnection &connection() override { return db; }
    int &ShopRowIndex() override { return m_shopRowIndex; }
    QWidget *dialogParent() override { return nullptr; }

    PrivateConfig config;
    QStringList log;
    QStringList script;
    ScriptEntries entries;
    int refreshes = 0;
    DbConnection db;
    // The tunnel for page tests that connect through one.
    SshRoute route{*this};

private:
    QString m_time;
    int m_shopRowIndex = -1;
};
