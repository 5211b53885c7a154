#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

// The journal of a run: what its exit files would hold, kept on disk while the
// run goes, so that a run ended by anything at all (a kill, a crash, a power
// loss) still gets them at the next start. A file is a signature followed by
// records appended one after another: a kind byte, the payload's length (4
// bytes, little-endian), the payload, then a CRC-32 of those three. A record
// cut short or damaged ends the reading: what came before it stands.
namespace Journal {

// The first record: whose journal it is and where its exit files go.
struct Header
{
    qint64 pid = 0;
    QString stamp;    // of the exit files' names
    QString exitRoot; // the folder that holds `logs` and `sql`
};

QByteArray signature();
QByteArray headerRecord(const Header &header);
// The log's lines from line `from` on become `lines`; the ones before stay.
QByteArray logRecord(qsizetype from, const QStringList &lines);
// The script (the editor's text, UTF-8) from byte `from` on becomes `bytes`.
QByteArray scriptRecord(qsizetype from, QByteArrayView bytes);

struct Contents
{
    bool readable = false; // the signature and the header are whole
    Header header;
    QStringList logLines;
    QByteArray script;     // UTF-8
    qsizetype wholeRecords = 0;
    bool cut = false;      // bytes follow the last whole record

    // The script's lines as the editor gives them (split at CR LF, CR or LF).
    QStringList scriptLines() const;
};

Contents read(QByteArrayView bytes);

quint32 crc32(QByteArrayView bytes);

} // namespace Journal
