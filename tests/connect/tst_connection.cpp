#include "TestShell.h"
#include "DbTestSupport.h"

#include "base/Error.h"
#include "db/Connection.h"
#include "connect/ConnectFlow.h"
#include "connect/ConnectRoute.h"
#include "connect/ConnectionPage.h"
#include "db/TableLoader.h"
#include "grid/RowStore.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QElapsedTimer>
#include <QTest>

#include <memory>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

class tst_Connection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void connectLogLines_data();
    void connectLogLines();
    void clickWithInitialTexts();
    void longRefusalIsLoggedWhole();
    void errorLogText_data();
    void errorLogText();
    void secondConnectClosesTheFirst();
    void failedReconnectKeepsConnected();
    void closeAtExitOnlyWhenConnected();
    void loadWithoutConnection_data();
    void loadWithoutConnection();
    void silentServerTimesOut();
    void wayToTheServerChecksTheDatabaseHostsName_data();
    void wayToTheServerChecksTheDatabaseHostsName();

private:
    // A server of its own on a TCP port, for the ways a port is typed.
    ThrowawayServer m_tcp{{u"QM_DB_PORT=free"_s}};
    QTemporaryDir m_certs;
    std::unique_ptr<ThrowawayServer> m_otherHost;
};

namespace {

// A way that ends at a local socket, as the tunnel's does: here the socket
// of a server whose certificate is issued to another host's name.
class SocketWay : public ConnectRoute
{
public:
    explicit SocketWay(QString socket) : m_socket(std::move(socket)) {}
    bool active() const override { return true; }
    ServerAddress open(const ConnectionSettings &) override { return {u"localhost"_s, 0, m_socket}; }
    void close() override {}
    QString serverText() const override { return m_socket; }
    QString linkText(const QString &databaseTls) const override { return databaseTls; }
    void show(const ConnectionSettings &) override {}
    void take(ConnectionSettings &) const override {}

private:
    QString m_socket;
};

} // namespace

void tst_Connection::initTestCase()
{
    // The shared server must be there: a database test never skips.
    QVERIFY2(!sharedSocket().isEmpty(), "MYSQL_UNIX_PORT is not set; start the server with scripts/db");
    QVERIFY2(openSessions("nobody") == 0, "the shared test server does not answer");
    // TCP to 127.0.0.1 without a port goes to a port nothing listens on.
    qputenv("MYSQL_TCP_PORT", "1");
    QString output;
    QVERIFY2(m_tcp.start(&output), qPrintable(output));
}

void tst_Connection::connectLogLines_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("port"); // the port box
    QTest::addColumn<QString>("user");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("connectLine");
    QTest::addColumn<QString>("databaseLine");
    QTest::addColumn<int>("connected");

    QTest::newRow("initial texts") << u"localhost"_s << QString() << u"root"_s << u"kelp"_s << u"vosteldb"_s
                                   << u"  Соединение установлено"_s << u"  База vosteldb открыта"_s << 1;
    QTest::newRow("wrong password")
        << u"localhost"_s << QString() << u"root"_s << u"wrong"_s << u"vosteldb"_s
        << u"  Ошыбка : Access denied for user 'root'@'localhost' (using password: YES)"_s
        << u"  Ошыбка открытия vosteldb"_s << 0;
    QTest::newRow("empty password")
        << u"localhost"_s << QString() << u"root"_s << QString() << u"vosteldb"_s
        << u"  Ошыбка : Access denied for user 'root'@'localhost' (using password: NO)"_s
        << u"  Ошыбка открытия vosteldb"_s << 0;
    QTest::newRow("unknown database") << u"localhost"_s << QString() << u"root"_s << u"kelp"_s << u"nosuchdb"_s
                                      << u"  Соединение установлено"_s
                                      << u"  Ошыбка открытия nosuchdb : Unknown database 'nosuchdb'"_s << 1;
    QTest::newRow("cyrillic database name") << u"localhost"_s << QString() << u"root"_s << u"kelp"_s << u"склад"_s
                                            << u"  Соединение установлено"_s
                                            << u"  Ошыбка открытия склад : Unknown database 'склад'"_s << 1;
    QTest::newRow("refused port")
        << u"127.0.0.1"_s << QString() << u"root"_s << u"kelp"_s << u"vosteldb"_s
        << u"  Ошыбка : Can't connect to server on '127.0.0.1' (111)"_s << u"  Ошыбка открытия vosteldb"_s << 0;
    QTest::newRow("select-only account")
        << u"localhost"_s << QString() << u"reader"_s << u"reader"_s << u"vosteldb"_s
        << u"  Соединение установлено"_s << u"  База vosteldb открыта"_s << 1;
    QTest::newRow("select-only account, database it may not read")
        << u"localhost"_s << QString() << u"reader"_s << u"reader"_s << u"mysql"_s
        << u"  Соединение установлено"_s
        << u"  Ошыбка открытия mysql : Access denied for user 'reader'@'localhost' to database 'mysql'"_s << 1;
    // Text the code page cannot hold is never sent altered; the step fails
    // with its reason, and the password itself shows nowhere.
    QTest::newRow("host outside the code page")
        << u"☃.example"_s << QString() << u"root"_s << u"kelp"_s << u"vosteldb"_s
        << u"  Ошыбка : В поле «Хост» есть знаки вне Windows-1251: текст не отправлен"_s << u"  Ошыбка открытия vosteldb"_s << 0;
    QTest::newRow("user outside the code page")
        << u"localhost"_s << QString() << u"用户"_s << u"kelp"_s << u"vosteldb"_s
        << u"  Ошыбка : В поле «Имя» есть знаки вне Windows-1251: текст не отправлен"_s << u"  Ошыбка открытия vosteldb"_s << 0;
    QTest::newRow("password outside the code page")
        << u"localhost"_s << QString() << u"root"_s << u"секрет☃"_s << u"vosteldb"_s
        << u"  Ошыбка : В поле «Пароль» есть знаки вне Windows-1251: текст не отправлен"_s << u"  Ошыбка открытия vosteldb"_s << 0;
    QTest::newRow("database outside the code page")
        << u"localhost"_s << QString() << u"root"_s << u"kelp"_s << u"数据"_s << u"  Соединение установлено"_s
        << u"  Ошыбка открытия 数据 : В поле «БД» есть знаки вне Windows-1251: текст не отправлен"_s << 1;
    // Where the server is: a port in either box, or a socket; a place that
    // cannot be reached is said so in the failed connect's line. A line
    // ending in "…" is compared up to there (the resolver's own words follow).
    const QString port = QString::number(m_tcp.port());
    const QString socket = QString::fromLocal8Bit(sharedSocket());
    QTest::newRow("host:port") << u"localhost:"_s + port << QString() << u"root"_s << u"kelp"_s << u"vosteldb"_s
                               << u"  Соединение установлено"_s << u"  База vosteldb открыта"_s << 1;
    QTest::newRow("port box") << u"127.0.0.1"_s << port << u"root"_s << u"kelp"_s << u"vosteldb"_s
                              << u"  Соединение установлено"_s << u"  База vosteldb открыта"_s << 1;
    QTest::newRow("socket in the host box") << socket << QString() << u"root"_s << u"kelp"_s << u"vosteldb"_s
                                            << u"  Соединение установлено"_s << u"  База vosteldb открыта"_s << 1;
    QTest::newRow("port out of range")
        << u"localhost"_s << u"65536"_s << u"root"_s << u"kelp"_s << u"vosteldb"_s
        << u"  Ошыбка : Порт должен быть числом от 1 до 65535, а не «65536»"_s << u"  Ошыбка открытия vosteldb"_s << 0;
    QTest::newRow("socket that does not exist")
        << u"/nonexistent/mysqld.sock"_s << QString() << u"root"_s << u"kelp"_s << u"vosteldb"_s
        << u"  Ошыбка : Сокет /nonexistent/mysqld.sock не найден: сервер не запущен или путь неверен"_s
        << u"  Ошыбка открытия vosteldb"_s << 0;
    QTest::newRow("host that does not resolve")
        << u"nosuch.invalid"_s << u"3306"_s << u"root"_s << u"kelp"_s << u"vosteldb"_s
        << u"  Ошыбка : Сервер «nosuch.invalid» не найден: имя не разрешается в адрес (Unknown server host…"_s
        << u"  Ошыбка открытия vosteldb"_s << 0;
}

void tst_Connection::connectLogLines()
{
    QFETCH(QString, host);
    QFETCH(QString, port);
    QFETCH(QString, user);
    QFETCH(QString, password);
    QFETCH(QString, database);
    QFETCH(QString, connectLine);
    QFETCH(QString, databaseLine);
    QFETCH(int, connected);

    TestShell shell;
    ConnectionPage page(shell);
    page.Edit1->setText(host);
    page.findChild<QLineEdit *>(u"portEdit"_s)->setText(port);
    page.Edit2->setText(user);
    page.Edit3->setText(password);
    page.Edit4->setText(database);
    page.Button1Click();

    // Both lines carry the one TimeStr of this press.
    QCOMPARE(shell.refreshes, 1);
    QCOMPARE(shell.log.size(), 2);
    if (connectLine.endsWith(u'…'))
        QVERIFY2(shell.log[0].startsWith(u"10:00:01"_s + connectLine.chopped(1)), qPrintable(shell.log[0]));
    else
        QCOMPARE(shell.log[0], u"10:00:01"_s + connectLine);
    QCOMPARE(shell.log[1], u"10:00:01"_s + databaseLine);
    QCOMPARE(shell.db.Connected(), connected);
    QVERIFY(!QApplication::overrideCursor());
    for (const QString &line : shell.log)
        QVERIFY2(password.isEmpty() || password == user || !line.contains(password), qPrintable(line));
}

void tst_Connection::clickWithInitialTexts()
{
    TestShell shell;
    ConnectionPage page(shell);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));

    const auto labelFor = [&page](QLineEdit *edit) {
        for (QLabel *label : page.findChildren<QLabel *>())
            if (label->buddy() == edit)
                return label->text();
        return QString();
    };
    QCOMPARE(labelFor(page.findChild<QLineEdit *>(u"Edit1"_s)), u"Хост"_s);
    QCOMPARE(labelFor(page.findChild<QLineEdit *>(u"Edit2"_s)), u"Имя"_s);
    QCOMPARE(labelFor(page.findChild<QLineEdit *>(u"Edit3"_s)), u"Пароль"_s);
    QCOMPARE(labelFor(page.findChild<QLineEdit *>(u"Edit4"_s)), u"БД"_s);
    QCOMPARE(labelFor(page.findChild<QLineEdit *>(u"portEdit"_s)), u"Порт"_s);
    QCOMPARE(page.findChild<QLineEdit *>(u"portEdit"_s)->text(), QString());
    QCOMPARE(page.Edit3->echoMode(), QLineEdit::Password);
    QCOMPARE(page.Edit3->displayText(), u"****"_s);
    auto *state = page.findChild<QLabel *>(u"connectionState"_s);
    QCOMPARE(state->text(), u"Нет соединения"_s);

    auto *button = page.findChild<QPushButton *>(u"Button1"_s);
    QVERIFY(button);
    QCOMPARE(button->text(), u"Соединится"_s);
    QTest::mouseClick(button, Qt::LeftButton);

    QCOMPARE(shell.log, QStringList({u"10:00:01  Соединение установлено"_s, u"10:00:01  База vosteldb открыта"_s}));
    QCOMPARE(shell.db.Connected(), 1);
    // TLS when the server offers it: this one does not.
    QCOMPARE(state->text(), u"Соединено: root@localhost / vosteldb; канал: без шифрования"_s);
}

void tst_Connection::longRefusalIsLoggedWhole()
{
    // The longest refusal the server gives names a long account (it cuts the
    // name at 128 characters): under the 200-character limit, so the log
    // keeps it whole. Longer texts are cut, see errorLogText.
    const QString user = QString(150, u'ж');
    TestShell shell;
    ConnectionPage page(shell);
    page.Edit2->setText(user);
    page.Button1Click();

    DbConnection direct;
    const QString full = direct.connect(u"localhost"_s, user, u"kelp"_s).errorText;
    QVERIFY2(full.startsWith(u"Access denied for user '"_s + QString(128, u'ж') + u"'@"_s), qPrintable(full));
    QCOMPARE(shell.log.size(), 2);
    QCOMPARE(shell.log[0], u"10:00:01  Ошыбка : "_s + full);
}

void tst_Connection::errorLogText_data()
{
    QTest::addColumn<QString>("errorText");
    QTest::addColumn<QString>("logged");

    QTest::newRow("plain") << u"Access denied"_s << u"Access denied"_s;
    QTest::newRow("blanks and control characters around")
        << u" \t\r\nUnknown host\x01\n "_s << u"Unknown host"_s;
    QTest::newRow("inner blanks kept") << u"a  \tb"_s << u"a  \tb"_s;
    QTest::newRow("cut at 200, then trimmed")
        << QString(195, u'e') + u"     tail"_s << QString(195, u'e');
    QTest::newRow("exactly 200") << QString(200, u'я') << QString(200, u'я');
    QTest::newRow("empty") << QString() << QString();
}

void tst_Connection::errorLogText()
{
    QFETCH(QString, errorText);
    QFETCH(QString, logged);
    QCOMPARE(connectErrorLogText(errorText), logged);
}

void tst_Connection::secondConnectClosesTheFirst()
{
    QCOMPARE(openSessions("reader"), 0);
    {
        TestShell shell;
        ConnectionPage page(shell);
        page.Edit2->setText(u"reader"_s);
        page.Edit3->setText(u"reader"_s);
        page.Button1Click();
        page.Button1Click();
        page.Button1Click();
        QCOMPARE(shell.log.size(), 6);
        QCOMPARE(shell.log[4], u"10:00:03  Соединение установлено"_s);
        QTRY_COMPARE(openSessions("reader"), 1);
    }
    // The record goes with its owner.
    QTRY_COMPARE(openSessions("reader"), 0);
}

void tst_Connection::failedReconnectKeepsConnected()
{
    TestShell shell;
    ConnectionPage page(shell);
    page.Edit2->setText(u"reader"_s);
    page.Edit3->setText(u"reader"_s);
    page.Button1Click();
    page.Edit3->setText(u"wrong"_s);
    page.Button1Click();

    QCOMPARE(shell.log.mid(2), QStringList({
        u"10:00:02  Ошыбка : Access denied for user 'reader'@'localhost' (using password: YES)"_s,
        u"10:00:02  Ошыбка открытия vosteldb"_s}));
    QCOMPARE(shell.db.Connected(), 1);
    // The failed attempt replaced the good connection rather than leaking it.
    QTRY_COMPARE(openSessions("reader"), 0);
    shell.db.closeAtExit();
    QVERIFY(!shell.db.handle());
}

void tst_Connection::closeAtExitOnlyWhenConnected()
{
    // No record is kept that never connected, so none is closed at exit.
    DbConnection never;
    QVERIFY(!never.handle());
    never.connect(u"localhost"_s, u"root"_s, u"wrong"_s);
    QVERIFY(never.errorNumber() != 0);
    QVERIFY(!never.handle());
    never.closeAtExit();
    QVERIFY(never.selectDatabase(u"vosteldb"_s) != 0);

    DbConnection good;
    good.connect(u"localhost"_s, u"reader"_s, u"reader"_s);
    QCOMPARE(good.errorNumber(), 0u);
    QTRY_COMPARE(openSessions("reader"), 1);
    good.closeAtExit();
    QVERIFY(!good.handle());
    QTRY_COMPARE(openSessions("reader"), 0);
    // Calls after the close report an error instead of touching freed memory.
    QVERIFY(good.selectDatabase(u"vosteldb"_s) != 0);
    QVERIFY(good.errorNumber() != 0);
}

void tst_Connection::loadWithoutConnection_data()
{
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("said");
    QTest::newRow("before any connect")
        << QString() << u"Соединения с сервером ещё нет: соединитесь на странице \"Соединение\""_s;
    QTest::newRow("after a failed connect")
        << u"wrong"_s
        << u"Нет соединения с сервером: последняя попытка не удалась (Access denied for user 'root'@'localhost' "
           "(using password: YES)). Соединитесь заново на странице \"Соединение\""_s;
}

void tst_Connection::loadWithoutConnection()
{
    QFETCH(QString, password);
    QFETCH(QString, said);
    DbConnection db;
    if (!password.isEmpty())
        db.connect(u"localhost"_s, u"root"_s, password);
    RowStore store;
    store.setColumnKinds({CellKind::Text});
    const LoadOutcome outcome = LoadTable(store, db, "SELECT name FROM weapon");
    QVERIFY(!outcome.loaded);
    QCOMPARE(outcome.errorText, said);
}

void tst_Connection::wayToTheServerChecksTheDatabaseHostsName_data()
{
    QTest::addColumn<QString>("databaseHost"); // as the SSH server reaches it
    QTest::addColumn<QString>("connectLine");
    QTest::newRow("certificate for the database host") << u"otherhost.invalid"_s << u"  Соединение установлено"_s;
    QTest::newRow("certificate for another host")
        << u"db.example.org"_s << u"  Ошыбка : Сертификат сервера выдан не на имя «db.example.org»"_s;
}

// Behind a way that ends at a local socket the library would check the name
// "localhost"; the connect checks the database host the way was made for.
void tst_Connection::wayToTheServerChecksTheDatabaseHostsName()
{
    QFETCH(QString, databaseHost);
    QFETCH(QString, connectLine);
    if (!m_otherHost) {
        m_otherHost = std::make_unique<ThrowawayServer>(
            QStringList{u"QM_DB_TLS_DIR="_s + m_certs.path(), u"QM_DB_TLS_CERT=otherhost"_s});
        QString output;
        QVERIFY2(m_otherHost->start(&output), qPrintable(output));
    }

    TestShell shell;
    SocketWay way(QString::fromLocal8Bit(m_otherHost->socket()));
    ConnectForm form{{}, {}, u"kelp"_s, {}};
    form.settings.user = u"root"_s;
    form.settings.database = u"vosteldb"_s;
    form.settings.tls = {TlsMode::Verified, m_certs.filePath(u"ca.pem"_s), false, {}};
    form.settings.ssh = true;
    form.settings.sshTunnel.databaseHost = databaseHost;
    connectAndSelect(shell, form, &way);
    QVERIFY2(shell.log.value(0).startsWith(u"10:00:01"_s + connectLine), qPrintable(shell.log.value(0)));
}

void tst_Connection::silentServerTimesOut()
{
    // A port that takes the TCP connection but never greets: the connect
    // must give up after its 10 seconds instead of hanging the window.
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    QVERIFY(listener >= 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    QCOMPARE(bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    QCOMPARE(listen(listener, 4), 0);
    socklen_t length = sizeof address;
    QCOMPARE(getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length), 0);

    DbConnection db;
    QElapsedTimer timer;
    timer.start();
    db.connect(u"127.0.0.1"_s, u"root"_s, u"kelp"_s, DbEndpoint{ntohs(address.sin_port), {}});
    const qint64 elapsed = timer.elapsed();
    close(listener);

    QVERIFY(db.errorNumber() != 0);
    QCOMPARE(db.Connected(), 0);
    QVERIFY2(elapsed >= 9000 && elapsed < 15000, qPrintable(QString::number(elapsed)));
}

QTEST_MAIN(tst_Connection)
#include "tst_connection.moc"
