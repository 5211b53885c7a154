#include "ssh/SshHostKeyDialogs.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

SshUnknownHostKeyDialog::SshUnknownHostKeyDialog(QWidget *parent, const SshHostKeyQuestion &question)
    : QDialog(parent)
{
    setObjectName(u"SshUnknownHostKeyDialog"_s);
    setWindowTitle(u"Неизвестный ключ SSH-сервера"_s);
    auto *text = new QLabel(
        u"SSH-сервер %1 предъявил ключ, которого нет среди известных хостов.\n\n"
        "Ключ %2: %3\n\n"
        "Сверьте отпечаток с тем, что сообщил администратор сервера. «Доверять и запомнить» запишет ключ "
        "в ваш файл известных хостов, и при следующих соединениях вопроса не будет; «Соединиться один раз» "
        "не запишет ничего."_s.arg(question.host, question.keyType, question.fingerprint));
    text->setObjectName(u"hostKeyText"_s);
    text->setWordWrap(true);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text->setMinimumWidth(420);

    auto *buttons = new QDialogButtonBox;
    const auto add = [&](const QString &caption, const QString &name, SshHostKeyChoice choice) {
        QPushButton *button = buttons->addButton(caption, QDialogButtonBox::ActionRole);
        button->setObjectName(name);
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, choice] {
            m_choice = choice;
            choice == SshHostKeyChoice::Cancel ? reject() : accept();
        });
        return button;
    };
    add(u"Соединиться один раз"_s, u"connectOnceButton"_s, SshHostKeyChoice::ConnectOnce);
    add(u"Доверять и запомнить"_s, u"trustButton"_s, SshHostKeyChoice::TrustAndRemember);
    // Enter must not trust a key by accident: the default is to cancel.
    add(u"Отмена"_s, u"cancelButton"_s, SshHostKeyChoice::Cancel)->setDefault(true);
    connect(this, &QDialog::rejected, this, [this] { m_choice = SshHostKeyChoice::Cancel; });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addWidget(buttons);
}

void showChangedHostKeyWarning(QWidget *parent, const SshTunnelFailure &failure)
{
    const QString unknown = u"не прочитан"_s;
    QMessageBox box(QMessageBox::Critical, u"Ключ SSH-сервера изменился"_s,
                    u"ВНИМАНИЕ: ключ SSH-сервера %1 изменился!\n\n"
                    "Записанный ключ: %2\n(записан в %3)\n"
                    "Ключ, предъявленный сейчас: %4\n\n"
                    "Возможно, соединение перехватывают, поэтому оно не установлено. Если ключ сервера сменили "
                    "намеренно, удалите старую запись и соединитесь снова."_s.arg(
                        failure.host, failure.knownFingerprint.isEmpty() ? unknown : failure.knownFingerprint,
                        failure.knownEntry.isEmpty() ? unknown : failure.knownEntry,
                        failure.offeredFingerprint.isEmpty() ? unknown : failure.offeredFingerprint),
                    QMessageBox::NoButton, parent);
    box.setObjectName(u"SshChangedHostKeyWarning"_s);
    box.setDefaultButton(box.addButton(u"Закрыть"_s, QMessageBox::RejectRole));
    box.setTextInteractionFlags(Qt::TextSelectableByMouse);
    box.exec();
}
