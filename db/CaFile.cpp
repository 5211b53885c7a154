#include "db/CaFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

QString caFileProblem(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat info {};
    // stat follows a link to what it names, which is what would be read.
    if (::stat(name.constData(), &info) != 0)
        return u"Файл сертификата ЦС «%1» не найден (%2)"_s.arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    if (!S_ISREG(info.st_mode))
        return u"Файл сертификата ЦС «%1» не обычный файл (канал, устройство или папка): он не читается"_s.arg(path);
    if (info.st_size > caFileSizeLimit)
        return u"Файл сертификата ЦС «%1» слишком велик (%2 байт): это не файл сертификатов"_s.arg(path).arg(
            qint64(info.st_size));
    if (::access(name.constData(), R_OK) != 0)
        return u"Файл сертификата ЦС «%1» не читается (%2)"_s.arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    return {};
}
