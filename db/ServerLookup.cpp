#include "db/ServerLookup.h"

#include "base/Error.h"
#include "db/Connection.h"
#include "db/WorkRunner.h"

#include <QLineEdit>

using namespace Qt::StringLiterals;

ServerLookup::ServerLookup(QLineEdit *box, DbConnection &connection, std::function<void()> lookUp, QObject *parent)
    : QObject(parent)
    , m_connection(connection)
    , m_lookUp(std::move(lookUp))
{
    m_rest.setSingleShot(true);
    m_rest.setInterval(restMs);
    connect(box, &QLineEdit::textChanged, &m_rest, qOverload<>(&QTimer::start));
    connect(&m_rest, &QTimer::timeout, this, [this] {
        if (m_connection.busy()) {
            m_rest.start();
            return;
        }
        m_lookUp();
    });
}

QString ServerLookup::run(QWidget *window, DbConnection &connection, const std::function<void(DbConnection &)> &job)
{
    if (!connection.handle())
        return u"нет соединения"_s;
    try {
        runWithProgress(window, connection, [&](WorkControl &) { job(connection); },
                        {u"Поиск на сервере"_s, [](int) { return u"Ожидание ответа сервера"_s; }});
    } catch (const QmRunEnding &) {
        return u"не проверено"_s;
    } catch (const QmCancelled &) {
        return u"поиск отменён"_s;
    } catch (const QmError &error) {
        return u"не проверено: "_s + error.text();
    } catch (const std::exception &error) {
        return u"не проверено: "_s + QString::fromUtf8(error.what());
    }
    return QString();
}
