#include "base/TextFileRead.h"

#include "base/Codepage.h"
#include "base/ScriptText.h"

#include <QFile>
#include <QStringDecoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

QString refused(const QString &fileName, const QString &why)
{
    return u"Файл \"%1\" не открыт: %2."_s.arg(fileName, why);
}

// Closes the descriptor on every way out.
struct Descriptor
{
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

namespace TextFileRead {

Text decode(const QByteArray &bytes, const QString &fileName)
{
    Text text;
    if (bytes.contains('\0')) {
        text.refusal = refused(fileName, u"это не текст (в нем есть нулевые байты)"_s);
        return text;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString all = utf8.decode(bytes);
    if (utf8.hasError()) {
        all = Cp1251::decode(bytes.constData(), bytes.size());
    } else {
        text.codepage = Codepage::Utf8;
    }
    text.lines = ScriptText::splitLines(all);
    for (qsizetype i = 0; i < text.lines.size(); ++i) {
        const QString &line = text.lines.at(i);
        for (const char32_t c : line.toUcs4()) {
            if (ScriptText::isBlankedControl(c)) {
                text.unreadableLines.append(int(i + 1));
                break;
            }
        }
    }
    return text;
}

Text read(const QString &path, qint64 maxBytes)
{
    Text text;
    const QByteArray name = QFile::encodeName(path);
    // Non-blocking, so that opening a fifo cannot wait for a writer; the
    // descriptor's own kind is then checked, never the name's.
    Descriptor file{::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    if (file.fd < 0) {
        text.refusal = refused(path, QString::fromLocal8Bit(std::strerror(errno)));
        return text;
    }
    struct stat info{};
    if (::fstat(file.fd, &info) != 0) {
        text.refusal = refused(path, QString::fromLocal8Bit(std::strerror(errno)));
        return text;
    }
    if (!S_ISREG(info.st_mode)) {
        text.refusal = refused(path, u"это не обычный файл"_s);
        return text;
    }
    const auto tooLarge = [&] {
        return refused(path, u"он больше %1 МиБ"_s.arg(maxBytes / (1024 * 1024)));
    };
    if (info.st_size > maxBytes) {
        text.refusal = tooLarge();
        return text;
    }
    QByteArray bytes;
    bytes.resize(qsizetype(info.st_size) + 1);
    qsizetype done = 0;
    for (;;) {
        if (done == bytes.size()) {
            // The file grew while it was read.
            if (done > maxBytes) {
                text.refusal = tooLarge();
                return text;
            }
            bytes.resize(qMin<qsizetype>(bytes.size() * 2 + 4096, maxBytes + 1));
        }
        const ssize_t n = ::read(file.fd, bytes.data() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            text.refusal = refused(path, QString::fromLocal8Bit(std::strerror(errno)));
            return text;
        }
        if (n == 0)
            break;
        done += n;
    }
    bytes.resize(done);
    return decode(bytes, path);
}

} // namespace TextFileRead
