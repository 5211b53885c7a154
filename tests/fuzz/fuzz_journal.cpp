// Feeds arbitrary bytes to the journal reader and checks what the start-up
// relies on: no crash or endless read, a readable journal has its header, and
// what was read, written again as one journal, reads back the same.

#include "app/runend/Journal.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

void require(bool ok)
{
    if (!ok)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const Journal::Contents contents = Journal::read(bytes);
    require(contents.readable == (contents.wholeRecords > 0));
    if (!contents.readable)
        return 0;
    require(!contents.scriptLines().isEmpty());
    const QByteArray again = Journal::signature() + Journal::headerRecord(contents.header)
        + Journal::logRecord(0, contents.logLines) + Journal::scriptRecord(0, contents.script);
    const Journal::Contents reread = Journal::read(again);
    require(reread.readable && !reread.cut && reread.wholeRecords == 3);
    require(reread.header.pid == contents.header.pid && reread.header.stamp == contents.header.stamp
            && reread.header.exitRoot == contents.header.exitRoot);
    require(reread.logLines == contents.logLines && reread.script == contents.script);
    return 0;
}
