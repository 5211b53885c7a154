#include "ssh/AskpassClient.h"

#include <arpa/inet.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

// Plain POSIX on purpose: the helper starts for every question and must not
// need the toolkit or a display.
namespace {

bool writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= size_t(written);
    }
    return true;
}

std::string readToEnd(int fd)
{
    // Room for the whole answer at once: no copy of it is left behind unwiped.
    std::string text;
    text.reserve(kAskpassRequestLimit + 4096);
    char buffer[4096];
    while (text.size() < kAskpassRequestLimit) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        text.append(buffer, size_t(got));
    }
    explicit_bzero(buffer, sizeof buffer);
    return text;
}

int connectTo(const char *path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (std::strlen(path) >= sizeof address.sun_path)
        return -1;
    std::strcpy(address.sun_path, path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

std::optional<int> answerSshAskpass(int argc, char *argv[])
{
    const char *socketPath = std::getenv(kAskpassSocketVariable);
    if (!socketPath || !*socketPath)
        return std::nullopt;
    // A notice (a security key waiting for a touch) wants no answer; ssh
    // ends the helper itself when it is done.
    const char *hint = std::getenv("SSH_ASKPASS_PROMPT");
    if (hint && std::strcmp(hint, "none") == 0)
        return 0;

    std::string request = hint ? hint : "";
    request += '\n';
    if (argc > 1)
        request += argv[1];
    if (request.size() > kAskpassRequestLimit)
        request.resize(kAskpassRequestLimit);
    const int fd = connectTo(socketPath);
    if (fd < 0)
        return 1;
    const uint32_t length = htonl(uint32_t(request.size()));
    std::string reply;
    if (writeAll(fd, reinterpret_cast<const char *>(&length), sizeof length)
        && writeAll(fd, request.data(), request.size()))
        reply = readToEnd(fd);
    ::close(fd);

    int code = 1;
    if (!reply.empty() && reply.front() == 'Y')
        code = writeAll(STDOUT_FILENO, reply.data() + 1, reply.size() - 1) && writeAll(STDOUT_FILENO, "\n", 1) ? 0 : 1;
    explicit_bzero(reply.data(), reply.size());
    return code;
}
