#include "app/runend/ExitFileRescue.h"

#include "app/runend/ExitFiles.h"
#include "base/TextFile.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace {

QString chooseFile(QWidget *parent, const ExitFileOutcome &file)
{
    const bool log = file.kind == ExitFile::Log;
    QFileDialog dialog(parent, log ? u"Сохранить лог"_s : u"Сохранить скрипт"_s);
    dialog.setObjectName(u"ExitFileSaveDialog"_s);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(log ? u"log files (*.log)"_s : u"sql files (*.sql)"_s);
    dialog.setDefaultSuffix(log ? u"log"_s : u"sql"_s);
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    dialog.setDirectory(QFileInfo(documents).isDir() ? documents : QDir::homePath());
    dialog.selectFile(QFileInfo(file.path).fileName());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

void offer(QWidget *parent, const ExitFileOutcome &file, const QStringList &lines)
{
    const QByteArray bytes = exitFileBytes(file.kind, lines);
    QString lastFailure;
    for (;;) {
        QMessageBox box(QMessageBox::Warning, u"Quenmark"_s,
                        file.problem() + lastFailure + u"\n\nСохранить его в другом месте, пока окно не закрылось?"_s,
                        QMessageBox::NoButton, parent);
        box.setObjectName(u"ExitFileRescueBox"_s);
        QPushButton *save = box.addButton(u"Сохранить в другом месте…"_s, QMessageBox::AcceptRole);
        QPushButton *skip = box.addButton(file.writtenSomewhere() ? u"Закрыть"_s : u"Не сохранять"_s, QMessageBox::RejectRole);
        box.setDefaultButton(save);
        box.setEscapeButton(skip);
        box.exec();
        if (box.clickedButton() != save)
            return;
        const QString chosen = chooseFile(parent, file);
        if (chosen.isEmpty())
            continue;
        const QString reason = TextFile::writeReplacing(chosen, bytes);
        if (reason.isEmpty())
            return;
        lastFailure = u"\nCannot create file \"%1\". %2."_s.arg(chosen, reason);
    }
}

} // namespace

namespace ExitFileRescue {

void tellAndOffer(QWidget *parent, const ExitFilesOutcome &outcome, const QStringList &logLines,
                  const QStringList &scriptLines)
{
    QString lossyOnly;
    for (const auto &[file, lines] : {std::pair{&outcome.log, &logLines}, std::pair{&outcome.script, &scriptLines}}) {
        if (!file->error.isEmpty())
            offer(parent, *file, *lines);
        else if (const QString problem = file->problem(); !problem.isEmpty())
            lossyOnly += problem + u'\n';
    }
    if (lossyOnly.isEmpty())
        return;
    QMessageBox box(QMessageBox::Warning, u"Quenmark"_s, lossyOnly.trimmed(), QMessageBox::Ok, parent);
    box.setObjectName(u"ExitFilesBox"_s);
    box.exec();
}

} // namespace ExitFileRescue
