#include "app/ScriptOpen.h"

#include "base/EntryLogTexts.h"
#include "base/Error.h"
#include "base/ScriptEntries.h"
#include "base/Shell.h"
#include "base/TextFile.h"
#include "base/TextFileRead.h"
#include "buylist/ScriptReading.h"
#include "editor/SqlEditor.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

ScriptOpen::ScriptOpen(Shell &shell, SqlEditor &editor, QWidget &page)
    : m_shell(shell)
    , m_editor(editor)
    , m_page(page)
{
}

QFileDialog *ScriptOpen::dialog(const QString &lastChosen)
{
    if (!m_dialog) {
        m_dialog = new QFileDialog(&m_page);
        m_dialog->setObjectName(u"OpenDialog1"_s);
        m_dialog->setAcceptMode(QFileDialog::AcceptOpen);
        m_dialog->setFileMode(QFileDialog::ExistingFile);
        m_dialog->setNameFilter(u"sql files (*.sql)"_s);
        m_dialog->setOptions(QFileDialog::DontUseNativeDialog);
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        m_dialog->setDirectory(QFileInfo(documents).isDir() ? documents : QDir::homePath());
    }
    // The folder of the script saved or opened last.
    if (!lastChosen.isEmpty() && QFileInfo(lastChosen).absoluteDir().exists())
        m_dialog->setDirectory(QFileInfo(lastChosen).absolutePath());
    return m_dialog;
}

bool ScriptOpen::confirmReplace(const QString &path)
{
    QMessageBox box(QMessageBox::Warning, u"Quenmark"_s,
                    u"Текст в редакторе будет заменен скриптом из файла \"%1\". Продолжить?"_s.arg(path),
                    QMessageBox::Yes | QMessageBox::No, m_page.window());
    box.setObjectName(u"OpenReplaceBox"_s);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QString ScriptOpen::run(const QString &lastChosen)
{
    const QString timeStr = m_shell.refreshTimeStr();
    QFileDialog *chooser = dialog(lastChosen);
    if (chooser->exec() != QDialog::Accepted || chooser->selectedFiles().isEmpty())
        return QString();
    const QString path = chooser->selectedFiles().constFirst();
    const TextFileRead::Text text = TextFileRead::read(path);
    if (!text.refusal.isEmpty())
        throw QmError(text.refusal);

    ScriptEntries &entries = m_shell.scriptEntries();
    const QStringList current = m_editor.lines();
    const bool holdsWork = entries.count() > 0 || current.size() > 1 || !current.constFirst().isEmpty();
    if (holdsWork && !confirmReplace(path))
        return QString();

    const ReadScript script = readScript(text.lines);
    entries.reset(script.entries, script.editorLines);
    m_shell.LogEvent(EntryLogTexts::fileOpened(timeStr, path));

    if (!text.unreadableLines.isEmpty()) {
        // The editor shows a control character as a blank, and a save would write the blank.
        QMessageBox box(QMessageBox::Warning, u"Quenmark"_s,
                        u"Строки %1 файла \"%2\" содержат управляющие знаки, которые редактор показывает пробелами; "
                        u"сохраненный скрипт будет содержать пробелы на их месте."_s
                            .arg(TextFile::lineList(text.unreadableLines), path),
                        QMessageBox::Ok, m_page.window());
        box.setObjectName(u"UnreadableLinesBox"_s);
        box.exec();
    }
    return path;
}
