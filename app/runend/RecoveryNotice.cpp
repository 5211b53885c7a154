#include "app/runend/RecoveryNotice.h"

#include "app/runend/JournalRecovery.h"

#include <QMessageBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

QString writtenPath(const ExitFileOutcome &file)
{
    return file.error.isEmpty() ? file.path : file.fallbackPath;
}

QString runText(const RecoveredRun &run)
{
    if (run.unreadable) {
        if (run.keptAsidePath.isEmpty())
            return u"Журнал \"%1\" не читается и не может быть отложен (%2); он оставлен как есть."_s.arg(
                run.journalPath, run.keepAsideError);
        return u"Журнал \"%1\" не читается; он отложен как \"%2\"."_s.arg(run.journalPath, run.keptAsidePath);
    }
    if (!run.filesWritten())
        return u"Запуск %1 завершился, не закрыв лог, но его файлы не записаны; журнал \"%2\" оставлен до следующего запуска.\n%3"_s
            .arg(run.stamp, run.journalPath, run.files.problems());
    QString text = u"Запуск %1 завершился, не закрыв лог. Его лог и скрипт восстановлены из журнала:\n%2\n%3"_s.arg(
        run.stamp, writtenPath(run.files.log), writtenPath(run.files.script));
    if (const QString problems = run.files.problems(); !problems.isEmpty())
        text += u'\n' + problems;
    return text;
}

} // namespace

void showRecoveryNotice(QWidget *parent, const QList<RecoveredRun> &runs,
                        const std::function<void(const QStringList &)> &takeBack)
{
    QStringList texts;
    const RecoveredRun *withScript = nullptr;
    for (const RecoveredRun &run : runs) {
        texts.append(runText(run));
        if (!run.unreadable && run.scriptLines != QStringList{QString()})
            withScript = &run;
    }
    auto *box = new QMessageBox(QMessageBox::Information, u"Quenmark"_s, texts.join(u"\n\n"_s), QMessageBox::NoButton, parent);
    box->setObjectName(u"RecoveryNotice"_s);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    QPushButton *close = box->addButton(u"Закрыть"_s, QMessageBox::RejectRole);
    box->setDefaultButton(close);
    box->setEscapeButton(close);
    if (withScript) {
        QPushButton *back = box->addButton(u"Вернуть скрипт в редактор"_s, QMessageBox::AcceptRole);
        back->setObjectName(u"TakeScriptBack"_s);
        const QStringList lines = withScript->scriptLines;
        QObject::connect(back, &QPushButton::clicked, box, [takeBack, lines] { takeBack(lines); });
    }
    box->show();
}
