// Feeds arbitrary bytes as a server's first packet to the greeting reader
// and checks what the connect relies on: it never reads past the bytes, and
// a greeting it cannot read is refused with a reason, never taken as one
// that offers TLS.

#include "db/ServerGreeting.h"

#include <QByteArray>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // A copy of exactly the bytes, so that the sanitizer sees any read past them.
    const QByteArray payload(reinterpret_cast<const char *>(data), qsizetype(size));
    const ServerGreeting greeting = readServerGreeting(payload);
    if (!greeting.problem.isEmpty() && greeting.offersTls)
        std::abort();
    if (size == 0 && greeting.problem.isEmpty())
        std::abort();
    return 0;
}
