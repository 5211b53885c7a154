#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <QtGlobal>

// A config folder of its own for what a test makes (the connection page
// reads and writes its settings there): no settings come from the user or
// from an earlier test, and none are left behind. XDG_CONFIG_HOME points into
// it while it lives and is put back afterwards.
class PrivateConfig
{
public:
    PrivateConfig()
        : m_hadPrevious(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
        , m_previous(qgetenv("XDG_CONFIG_HOME"))
    {
        if (!m_dir.isValid())
            qFatal("no temporary folder for the config");
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
    }
    ~PrivateConfig()
    {
        if (m_hadPrevious)
            qputenv("XDG_CONFIG_HOME", m_previous);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }
    PrivateConfig(const PrivateConfig &) = delete;
    PrivateConfig &operator=(const PrivateConfig &) = delete;

    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    bool m_hadPrevious;
    QByteArray m_previous;
};
