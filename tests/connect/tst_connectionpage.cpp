// The page "Соединение" in the real window, driven with real events: a TLS
// server on a port of its own, settings that come back at the next start,
// named connections, and a connect to a server that never answers, cancelled.

#include "DbTestSupport.h"
#include "TestWindow.h"
#include "WindowDriver.h"

#include "app/TextPane.h"
#include "db/Connection.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace WindowDriver;

namespace {

QLineEdit *box(TForm1 &form, const QString &name)
{
    return find<QLineEdit>(&form, name);
}

QStringList lastLines(TForm1 &form, int count)
{
    return form.Memo1()->lines().mid(form.Memo1()->lines().size() - count);
}

} // namespace

class tst_ConnectionPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void settingsComeBackAtTheNextStart();
    void namedConnections();
    void cancelledConnectLeavesNothing();

private:
    QTemporaryDir m_certs;
    std::unique_ptr<ThrowawayServer> m_tls;
    QString m_port;
};

void tst_ConnectionPage::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    m_tls = std::make_unique<ThrowawayServer>(QStringList{u"QM_DB_PORT=free"_s, u"QM_DB_TLS_DIR="_s + m_certs.path()});
    QString output;
    QVERIFY2(m_tls->start(&output), qPrintable(output));
    m_port = QString::number(m_tls->port());
}

void tst_ConnectionPage::settingsComeBackAtTheNextStart()
{
    TestWindow w;
    TForm1 &form = *w.form;
    // A first run shows the initial texts.
    QCOMPARE(box(form, u"Edit1"_s)->text(), u"localhost"_s);
    QCOMPARE(box(form, u"portEdit"_s)->text(), QString());
    QCOMPARE(box(form, u"Edit2"_s)->text(), u"root"_s);
    QCOMPARE(box(form, u"Edit3"_s)->text(), u"kelp"_s);
    QCOMPARE(box(form, u"Edit4"_s)->text(), u"vosteldb"_s);
    auto *mode = find<QComboBox>(&form, u"tlsMode"_s);
    QCOMPARE(mode->currentText(), u"если сервер предлагает"_s);
    QVERIFY(!find<QLineEdit>(&form, u"caFile"_s)->isEnabled());

    // A verified certificate, a port in its box, compression.
    typeInto(box(form, u"portEdit"_s), m_port);
    mode->setFocus();
    QTest::keyClick(mode, Qt::Key_Down);
    QTest::keyClick(mode, Qt::Key_Down);
    QCOMPARE(mode->currentText(), u"обязательно, с проверкой сертификата"_s);
    typeInto(box(form, u"caFile"_s), m_certs.filePath(u"ca.pem"_s));
    click(find(&form, u"compressed"_s));
    click(find(&form, u"Button1"_s));

    QCOMPARE(lastLines(form, 2).join(u'|').count(u"  Соединение установлено|"_s), 1);
    QVERIFY(lastLines(form, 1).first().endsWith(u"  База vosteldb открыта"_s));
    const QString server = u"root@localhost:"_s + m_port + u" / vosteldb"_s;
    QCOMPARE(form.windowTitle(), server + u" — Quenmark"_s);
    QCOMPARE(find<QLabel>(&form, u"connectionState"_s)->text(),
             u"Соединено: "_s + server + u"; канал: TLSv1.3, TLS_AES_256_GCM_SHA384, сжатие"_s);
    form.close();

    // The password is in no plain file: not the settings, not the exit files.
    QVERIFY(!anyFileHolds(w.config.path(), "kelp"));
    QVERIFY(!anyFileHolds(w.root.path(), "kelp"));
    QCOMPARE(w.exitFiles(u"logs"_s).size(), 1);

    // The next start, with the same settings folder.
    w.start();
    TForm1 &next = *w.form;
    QCOMPARE(box(next, u"Edit1"_s)->text(), u"localhost"_s);
    QCOMPARE(box(next, u"portEdit"_s)->text(), m_port);
    QCOMPARE(box(next, u"Edit3"_s)->text(), QString());
    QCOMPARE(find<QComboBox>(&next, u"tlsMode"_s)->currentText(), u"обязательно, с проверкой сертификата"_s);
    QCOMPARE(box(next, u"caFile"_s)->text(), m_certs.filePath(u"ca.pem"_s));
    QVERIFY(find<QCheckBox>(&next, u"compressed"_s)->isChecked());
    QCOMPARE(next.windowTitle(), u"Quenmark"_s);
}

void tst_ConnectionPage::namedConnections()
{
    TestWindow w;
    TForm1 &form = *w.form;
    auto *names = find<QComboBox>(&form, u"savedConnections"_s);
    const QString socket = QString::fromLocal8Bit(m_tls->socket());

    // Boxes that cannot be read are not saved: the reason is shown.
    typeInto(box(form, u"portEdit"_s), u"99999"_s);
    typeInto(names->lineEdit(), u"тест"_s);
    QString message;
    onNextModal([&](QWidget *modal) { message = readAndCloseMessageBox(modal); });
    click(find(&form, u"saveConnection"_s));
    QVERIFY2(message.contains(u"от 1 до 65535, а не «99999»"_s), qPrintable(message));
    QCOMPARE(names->count(), 0);

    // A test server by its socket, the live one by host and port and another account.
    typeInto(box(form, u"portEdit"_s), QString());
    typeInto(box(form, u"Edit1"_s), socket);
    click(find(&form, u"saveConnection"_s));
    typeInto(box(form, u"Edit1"_s), u"localhost"_s);
    typeInto(box(form, u"portEdit"_s), m_port);
    typeInto(box(form, u"Edit2"_s), u"reader"_s);
    typeInto(names->lineEdit(), u"живой"_s);
    click(find(&form, u"saveConnection"_s));
    QCOMPARE(names->count(), 2);

    // Picking one fills the boxes; its password comes only from the keyring.
    names->setFocus();
    QTest::keyClick(names, Qt::Key_Up);
    QCOMPARE(box(form, u"Edit1"_s)->text(), socket);
    QCOMPARE(box(form, u"portEdit"_s)->text(), QString());
    QCOMPARE(box(form, u"Edit2"_s)->text(), u"root"_s);
    QTest::keyClick(names, Qt::Key_Down);
    QCOMPARE(names->currentText(), u"живой"_s);
    QCOMPARE(box(form, u"Edit1"_s)->text(), u"localhost"_s);
    QCOMPARE(box(form, u"portEdit"_s)->text(), m_port);
    QCOMPARE(box(form, u"Edit2"_s)->text(), u"reader"_s);
    QCOMPARE(box(form, u"Edit3"_s)->text(), QString());
    typeInto(box(form, u"Edit3"_s), u"reader"_s);
    click(find(&form, u"Button1"_s));
    QVERIFY(lastLines(form, 1).first().endsWith(u"  База vosteldb открыта"_s));

    // The last used comes back at the next start.
    w.start();
    TForm1 &next = *w.form;
    names = find<QComboBox>(&next, u"savedConnections"_s);
    QCOMPARE(names->currentText(), u"живой"_s);
    QCOMPARE(box(next, u"Edit2"_s)->text(), u"reader"_s);

    click(find(&next, u"removeConnection"_s));
    QCOMPARE(names->count(), 1);
    QCOMPARE(names->itemText(0), u"тест"_s);
    typeInto(names->lineEdit(), u"нет такого"_s);
    onNextModal([&](QWidget *modal) { message = readAndCloseMessageBox(modal); });
    click(find(&next, u"removeConnection"_s));
    QCOMPARE(message, u"Нет сохранённого соединения «нет такого»."_s);
    QCOMPARE(names->count(), 1);
}

void tst_ConnectionPage::cancelledConnectLeavesNothing()
{
    // A server that takes the connection and never says a word.
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const auto closeListener = qScopeGuard([listener] { ::close(listener); });
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    QVERIFY(::bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 && ::listen(listener, 4) == 0
            && ::getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) == 0);

    TestWindow w;
    TForm1 &form = *w.form;
    click(find(&form, u"Button1"_s));
    QVERIFY(form.connection().handle());
    const QStringList before = form.Memo1()->lines();

    typeInto(box(form, u"Edit1"_s), u"127.0.0.1:"_s + QString::number(ntohs(address.sin_port)));
    // While the progress window is up the window still paints; then Отмена.
    int paints = 0;
    QElapsedTimer sinceClick, sinceCancel;
    qint64 shownAfter = -1;
    auto *counter = new QObject(&form);
    struct PaintCounter : QObject
    {
        int &count;
        explicit PaintCounter(int &c) : count(c) {}
        bool eventFilter(QObject *, QEvent *event) override
        {
            count += event->type() == QEvent::Paint;
            return false;
        }
    } paintCounter(paints);
    QWidget *memo = form.Memo1();
    memo->installEventFilter(&paintCounter);
    QTimer watch;
    watch.setInterval(20);
    connect(&watch, &QTimer::timeout, counter, [&] {
        QWidget *progress = nullptr;
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top->objectName() == u"WorkProgressDialog"_s && top->isVisible())
                progress = top;
        if (!progress || sinceCancel.isValid())
            return;
        if (shownAfter < 0) {
            shownAfter = sinceClick.elapsed();
            paints = 0;
            memo->update();
            return;
        }
        if (paints == 0)
            return;
        sinceCancel.start();
        click(find(progress, u"cancelButton"_s));
    });
    watch.start();
    sinceClick.start();
    click(find(&form, u"Button1"_s));
    watch.stop();
    memo->removeEventFilter(&paintCounter);

    QVERIFY2(shownAfter >= 450, qPrintable(QString::number(shownAfter)));
    QVERIFY(sinceCancel.isValid());
    QVERIFY2(sinceCancel.elapsed() < 1000, qPrintable(QString::number(sinceCancel.elapsed())));
    // Nothing logged, no connection, and the title says so.
    QCOMPARE(form.Memo1()->lines(), before);
    QVERIFY(!form.connection().handle());
    QCOMPARE(form.windowTitle(), u"Quenmark"_s);
    QCOMPARE(find<QLabel>(&form, u"connectionState"_s)->text(), u"Нет соединения"_s);
    QVERIFY(find(&form, u"Button1"_s)->isEnabled());
}

QTEST_MAIN(tst_ConnectionPage)
#include "tst_connectionpage.moc"
