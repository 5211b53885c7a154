#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class ServerLookup;
class DbShell;

// Whether the number typed in a box is taken on the server or in this run's
// script, said in a note beside the box once the box rests; with a button,
// the box takes the first free number from the typed one on (after the
// highest taken when the box is empty).
class KeyOnServer : public QObject
{
    Q_OBJECT

public:
    // In a text, %1 stands for the typed key and %2 for the free one.
    struct Texts
    {
        QString taken;
        QString takenInScript;
        QString free;
    };
    using ScriptKeysOf = std::function<QList<qint64>(const QStringList &scriptLines)>;

    KeyOnServer(DbShell &shell, QLineEdit *box, const QByteArray &table, const QByteArray &column,
                ScriptKeysOf scriptKeys, const Texts &texts, QLabel *note, QPushButton *freeButton, QObject *parent);

    void lookUp();
    // The button's action.
    void fillFree();

private:
    DbShell &m_shell;
    QLineEdit *m_box;
    QByteArray m_table;
    QByteArray m_column;
    ScriptKeysOf m_scriptKeys;
    Texts m_texts;
    QLabel *m_note;
    ServerLookup *m_lookup;
};
