#include "db/ServerGreeting.h"

#include "base/Codepage.h"

using namespace Qt::StringLiterals;

namespace {

constexpr unsigned capSsl = 0x800;
constexpr uchar errorPacket = 0xFF;
// Thread id (4), the scramble's first part (8) and a filler (1) follow the version text.
constexpr qsizetype afterVersion = 4 + 8 + 1;
// An error packet: 0xFF, the error number (2), then the text, with "#" and
// the SQL state (5) first in the newer protocol.
constexpr qsizetype errorTextStart = 3;

} // namespace

ServerGreeting readServerGreeting(const QByteArray &payload)
{
    if (payload.isEmpty())
        return {false, u"Сервер прислал пустое приветствие"_s};
    if (uchar(payload.at(0)) == errorPacket) {
        QByteArray text = payload.mid(errorTextStart);
        if (text.startsWith('#'))
            text = text.mid(6);
        return {false, u"Сервер отказал в соединении: "_s + Cp1251::decode(text.constData(), text.size())};
    }
    const qsizetype versionEnd = payload.indexOf('\0', 1);
    const qsizetype capabilities = versionEnd + 1 + afterVersion;
    if (versionEnd < 0 || capabilities + 2 > payload.size())
        return {false, u"Приветствие сервера неполно: его возможности не прочесть"_s};
    const unsigned low = uchar(payload.at(capabilities)) | (unsigned(uchar(payload.at(capabilities + 1))) << 8);
    return {(low & capSsl) != 0, {}};
}
