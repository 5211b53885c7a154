#include "db/KeyOnServer.h"

#include "base/Guard.h"
#include "base/ScriptKeys.h"
#include "db/DbShell.h"
#include "db/Connection.h"
#include "db/ServerHolds.h"
#include "db/ServerLookup.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

// %1: the typed key, %2: the free one.
QString filled(QString text, qint64 key, qint64 free)
{
    return text.replace(u"%1"_s, QString::number(key)).replace(u"%2"_s, QString::number(free));
}

} // namespace

KeyOnServer::KeyOnServer(DbShell &shell, QLineEdit *box, const QByteArray &table, const QByteArray &column,
                         ScriptKeysOf scriptKeys, const Texts &texts, QLabel *note, QPushButton *freeButton,
                         QObject *parent)
    : QObject(parent)
    , m_shell(shell)
    , m_box(box)
    , m_table(table)
    , m_column(column)
    , m_scriptKeys(std::move(scriptKeys))
    , m_texts(texts)
    , m_note(note)
    , m_lookup(new ServerLookup(box, shell.connection(), [this] { lookUp(); }, this))
{
    if (freeButton)
        connect(freeButton, &QPushButton::clicked, this, [this] { runGuarded(m_box->window(), [this] { fillFree(); }); });
}

void KeyOnServer::lookUp()
{
    m_lookup->stop();
    const std::optional<qint64> key = ScriptKeys::wholeKey(m_box->text());
    if (!key || !m_shell.connection().handle()) {
        m_note->setText(key || m_box->text().isEmpty() ? QString() : u"не число"_s);
        return;
    }
    const QList<qint64> inScript = m_scriptKeys(m_shell.scriptLines());
    const QSet<qint64> alsoTaken(inScript.begin(), inScript.end());
    ServerHolds::KeyState state;
    const QString failure = ServerLookup::run(m_box->window(), m_shell.connection(), [&](DbConnection &connection) {
        state = ServerHolds::keyState(connection, m_table, m_column, key, alsoTaken);
    });
    if (!failure.isEmpty())
        m_note->setText(failure);
    else if (state.onServer)
        m_note->setText(filled(m_texts.taken, *key, state.firstFree));
    else if (alsoTaken.contains(*key))
        m_note->setText(filled(m_texts.takenInScript, *key, state.firstFree));
    else
        m_note->setText(m_texts.free);
}

void KeyOnServer::fillFree()
{
    m_lookup->stop();
    if (!m_shell.connection().handle()) {
        m_note->setText(u"нет соединения"_s);
        return;
    }
    const std::optional<qint64> key = ScriptKeys::wholeKey(m_box->text());
    const QList<qint64> inScript = m_scriptKeys(m_shell.scriptLines());
    const QSet<qint64> alsoTaken(inScript.begin(), inScript.end());
    ServerHolds::KeyState state;
    const QString failure = ServerLookup::run(m_box->window(), m_shell.connection(), [&](DbConnection &connection) {
        state = ServerHolds::keyState(connection, m_table, m_column, key, alsoTaken);
    });
    if (!failure.isEmpty()) {
        m_note->setText(failure);
        return;
    }
    m_box->setText(QString::number(state.firstFree));
    m_lookup->stop();
    m_note->setText(m_texts.free);
}
