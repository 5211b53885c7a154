#include "app/EditorPage.h"

#include "app/ScriptOpen.h"

#include "base/Error.h"
#include "base/Guard.h"
#include "base/LogTexts.h"
#include "db/DbShell.h"
#include "base/TextFile.h"
#include "base/FormControls.h"
#include "check/EditorCheck.h"
#include "check/ScriptCheck.h"
#include "db/WorkRunner.h"
#include "editor/SqlEditor.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

EditorPage::EditorPage(DbShell &shell, QWidget *parent)
    : QWidget(parent)
    , m_shell(shell)
{
    m_editor = new SqlEditor(this);
    m_editor->setObjectName(u"SynMemo1"_s);
    m_editor->setGeometry(8, 8, 825, 417);
    m_button8 = addButton(this, u"Button8"_s, u"Сохранить"_s, QRect(8, 432, 75, 25));
    connect(m_button8, &QPushButton::clicked, this, [this] { runGuarded(window(), [this] { Button8Click(); }); });
    m_button8->setToolTip(u"Ctrl+S"_s);
    m_button10 = addButton(this, u"Button10"_s, u"Открыть"_s, QRect(91, 432, 75, 25));
    m_button10->setToolTip(u"Ctrl+O"_s);
    connect(m_button10, &QPushButton::clicked, this, [this] { runGuarded(window(), [this] { Button10Click(); }); });
    m_open = std::make_unique<ScriptOpen>(m_shell, *m_editor, *this);
    m_button9 = addButton(this, u"Button9"_s, u"Проверить"_s, QRect(174, 432, 75, 25));
    connect(m_button9, &QPushButton::clicked, this, [this] { runGuarded(window(), [this] { Button9Click(); }); });

}

EditorPage::~EditorPage() = default;

void EditorPage::Button10Click()
{
    // A save offers the name of the script opened.
    if (const QString opened = m_open->run(m_lastChosen); !opened.isEmpty())
        m_lastChosen = opened;
}

bool EditorPage::confirmReplace(const QString &path)
{
    QMessageBox box(QMessageBox::Warning, u"Quenmark"_s,
                    u"The file \"%1\" already exists. Replace it?"_s.arg(path), QMessageBox::Yes | QMessageBox::No,
                    window());
    box.setObjectName(u"ReplaceBox"_s);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

QFileDialog *EditorPage::saveDialog()
{
    // Made on first use: a file dialog is costly to build and most runs never save by hand.
    if (!m_saveDialog) {
        m_saveDialog = new QFileDialog(this);
        m_saveDialog->setObjectName(u"SaveDialog1"_s);
        m_saveDialog->setAcceptMode(QFileDialog::AcceptSave);
        m_saveDialog->setFileMode(QFileDialog::AnyFile);
        m_saveDialog->setNameFilter(u"sql files (*.sql)"_s);
        // The system's default folder for a person's files, until a name has been chosen.
        const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
        m_saveDialog->setDirectory(QFileInfo(documents).isDir() ? documents : QDir::homePath());
        // Replacing is confirmed by the page itself, for the name as it will be written.
        m_saveDialog->setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::DontConfirmOverwrite);
    }
    return m_saveDialog;
}

void EditorPage::Button9Click()
{
    const QString timeStr = m_shell.refreshTimeStr();
    m_editor->clearLineMarks();
    // The check runs like a load, on a thread of its own, on the lines as they
    // are now; only the marks are made here.
    const QStringList lines = m_editor->lines();
    DbConnection &connection = m_shell.connection();
    ScriptCheckResult result;
    try {
        runWithProgress(window(), connection, [&](WorkControl &) { result = checkScript(lines, connection); },
                        {u"Проверка скрипта"_s, [](int) { return u"Скрипт проверяется на сервере…"_s; }});
    } catch (const QmRunEnding &) {
        throw;
    } catch (const QmCancelled &) {
        m_shell.LogEvent(LogTexts::checkCancelled(timeStr));
        throw;
    } catch (const QmError &error) {
        m_shell.LogEvent(LogTexts::checkFailed(timeStr, error.text()));
        throw;
    }
    const CheckCounts counts = showCheckMarks(*m_editor, result);
    m_shell.LogEvent(LogTexts::scriptChecked(timeStr, counts.errors, counts.warnings, counts.notChecked));
}

void EditorPage::Button8Click()
{
    const QString timeStr = m_shell.refreshTimeStr();
    // The dialog offers the name chosen last, also after a cancel.
    QFileDialog *dialog = saveDialog();
    if (!m_lastChosen.isEmpty())
        dialog->selectFile(m_lastChosen);
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty()) {
        // Before any name was chosen the dialog has nothing to keep: the next
        // one starts empty, in the default folder, whatever was typed here.
        if (m_lastChosen.isEmpty()) {
            m_saveDialog->deleteLater();
            m_saveDialog = nullptr;
        }
        return;
    }
    const QString chosen = dialog->selectedFiles().constFirst();
    m_lastChosen = chosen;

    const QString path = chosen.endsWith(u".sql"_s, Qt::CaseInsensitive) ? chosen : chosen + u".sql"_s;
    if (QFileInfo::exists(path) && !confirmReplace(path))
        return;

    const TextFile::Encoded encoded = TextFile::encodeLines(m_editor->lines(), TextFile::FinalBreak::None);
    const QString reason = TextFile::writeReplacing(path, encoded.bytes);
    if (!reason.isEmpty())
        throw QmError(u"Cannot create file \"%1\". %2"_s.arg(path, reason));
    m_shell.LogEvent(LogTexts::fileSaved(timeStr, chosen));

    if (!encoded.lossyLines.isEmpty()) {
        QMessageBox box(QMessageBox::Warning, u"Quenmark"_s,
                        u"Characters that the Windows-1251 code page cannot hold were written as \"?\" in line(s) %1 of \"%2\"."_s
                            .arg(TextFile::lineList(encoded.lossyLines), path),
                        QMessageBox::Ok, window());
        box.setObjectName(u"LossyBox"_s);
        box.exec();
    }
}
