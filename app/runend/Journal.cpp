#include "app/runend/Journal.h"

#include "base/ScriptText.h"

#include <QtEndian>

#include <array>

namespace {

constexpr char kHeader = 'H';
constexpr char kLog = 'L';
constexpr char kScript = 'S';
constexpr qsizetype kFrame = 1 + 4 + 4; // kind, length, checksum
constexpr int kVersion = 1;

void putU32(QByteArray &out, quint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void putU64(QByteArray &out, quint64 value)
{
    char bytes[8];
    qToLittleEndian(value, bytes);
    out.append(bytes, 8);
}

void putField(QByteArray &out, QByteArrayView field)
{
    putU32(out, quint32(field.size()));
    out.append(field);
}

QByteArray record(char kind, const QByteArray &payload)
{
    QByteArray out;
    out.reserve(kFrame + payload.size());
    out.append(kind);
    putU32(out, quint32(payload.size()));
    out.append(payload);
    putU32(out, Journal::crc32(out));
    return out;
}

// Reads a payload front to back; any read past its end fails the whole payload.
class PayloadReader
{
public:
    explicit PayloadReader(QByteArrayView bytes) : m_bytes(bytes) {}

    bool u32(quint32 &value)
    {
        if (!take(4))
            return false;
        value = qFromLittleEndian<quint32>(m_bytes.data() + m_at - 4);
        return true;
    }
    bool u64(quint64 &value)
    {
        if (!take(8))
            return false;
        value = qFromLittleEndian<quint64>(m_bytes.data() + m_at - 8);
        return true;
    }
    bool field(QByteArrayView &value)
    {
        quint32 size = 0;
        if (!u32(size) || !take(size))
            return false;
        value = m_bytes.sliced(m_at - qsizetype(size), qsizetype(size));
        return true;
    }
    QByteArrayView rest()
    {
        const QByteArrayView all = m_bytes.sliced(m_at);
        m_at = m_bytes.size();
        return all;
    }
    bool atEnd() const { return m_at == m_bytes.size(); }

private:
    bool take(quint64 count)
    {
        if (count > quint64(m_bytes.size() - m_at))
            return false;
        m_at += qsizetype(count);
        return true;
    }

    QByteArrayView m_bytes;
    qsizetype m_at = 0;
};

bool readHeader(QByteArrayView payload, Journal::Header &header)
{
    PayloadReader in(payload);
    quint32 version = 0;
    quint64 pid = 0;
    QByteArrayView stamp, root;
    if (!in.u32(version) || version != kVersion || !in.u64(pid) || !in.field(stamp) || !in.field(root) || !in.atEnd())
        return false;
    header.pid = qint64(pid);
    header.stamp = QString::fromUtf8(stamp);
    header.exitRoot = QString::fromUtf8(root);
    return true;
}

bool applyLog(QByteArrayView payload, QStringList &lines)
{
    PayloadReader in(payload);
    quint32 from = 0, count = 0;
    if (!in.u32(from) || !in.u32(count) || from > quint32(lines.size()))
        return false;
    QStringList added;
    for (quint32 i = 0; i < count; ++i) {
        QByteArrayView line;
        if (!in.field(line))
            return false;
        added.append(QString::fromUtf8(line));
    }
    if (!in.atEnd())
        return false;
    lines.resize(qsizetype(from));
    lines.append(added);
    return true;
}

bool applyScript(QByteArrayView payload, QByteArray &script)
{
    PayloadReader in(payload);
    quint64 from = 0;
    if (!in.u64(from) || from > quint64(script.size()))
        return false;
    script.truncate(qsizetype(from));
    script.append(in.rest());
    return true;
}

} // namespace

namespace Journal {

quint32 crc32(QByteArrayView bytes)
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes)
        crc = table[(crc ^ quint8(byte)) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

QByteArray signature()
{
    return QByteArrayLiteral("QMJOURN\n");
}

QByteArray headerRecord(const Header &header)
{
    QByteArray payload;
    putU32(payload, kVersion);
    putU64(payload, quint64(header.pid));
    putField(payload, header.stamp.toUtf8());
    putField(payload, header.exitRoot.toUtf8());
    return record(kHeader, payload);
}

QByteArray logRecord(qsizetype from, const QStringList &lines)
{
    QByteArray payload;
    putU32(payload, quint32(from));
    putU32(payload, quint32(lines.size()));
    for (const QString &line : lines)
        putField(payload, line.toUtf8());
    return record(kLog, payload);
}

QByteArray scriptRecord(qsizetype from, QByteArrayView bytes)
{
    QByteArray payload;
    payload.reserve(8 + bytes.size());
    putU64(payload, quint64(from));
    payload.append(bytes);
    return record(kScript, payload);
}

Contents read(QByteArrayView bytes)
{
    Contents contents;
    const QByteArray sign = signature();
    if (!bytes.startsWith(sign)) {
        contents.cut = !bytes.isEmpty();
        return contents;
    }
    qsizetype at = sign.size();
    while (at < bytes.size()) {
        const qsizetype left = bytes.size() - at;
        if (left < kFrame)
            break;
        const char kind = bytes.at(at);
        const quint32 length = qFromLittleEndian<quint32>(bytes.data() + at + 1);
        if (quint64(length) > quint64(left - kFrame))
            break;
        const QByteArrayView framed = bytes.sliced(at, 5 + qsizetype(length));
        if (crc32(framed) != qFromLittleEndian<quint32>(bytes.data() + at + 5 + length))
            break;
        const QByteArrayView payload = framed.sliced(5);
        bool applied = false;
        if (contents.wholeRecords == 0)
            applied = kind == kHeader && readHeader(payload, contents.header);
        else if (kind == kLog)
            applied = applyLog(payload, contents.logLines);
        else if (kind == kScript)
            applied = applyScript(payload, contents.script);
        if (!applied)
            break;
        ++contents.wholeRecords;
        at += kFrame + qsizetype(length);
    }
    contents.readable = contents.wholeRecords > 0;
    contents.cut = at < bytes.size();
    return contents;
}

QStringList Contents::scriptLines() const
{
    return ScriptText::splitLines(QString::fromUtf8(script));
}

} // namespace Journal
