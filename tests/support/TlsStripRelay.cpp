#include "TlsStripRelay.h"

#include <cstring>

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr unsigned char tlsBitOfSecondByte = 0x08; // CLIENT_SSL (0x0800), high byte of the low word

// Clears the TLS offer in a whole greeting packet (header included).
void stripTls(QByteArray &packet)
{
    const qsizetype versionEnd = packet.indexOf('\0', 5);
    const qsizetype capabilities = versionEnd + 1 + 4 + 8 + 1;
    if (versionEnd > 0 && capabilities + 2 <= packet.size())
        packet[capabilities + 1] = char(uchar(packet[capabilities + 1]) & ~tlsBitOfSecondByte);
}

bool sendAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

} // namespace

TlsStripRelay::TlsStripRelay(QByteArray serverSocket, int stripFrom)
    : m_serverSocket(std::move(serverSocket)), m_stripFrom(stripFrom)
{
}

TlsStripRelay::~TlsStripRelay()
{
    if (m_wake[1] >= 0)
        (void)::write(m_wake[1], "x", 1);
    if (m_acceptor.joinable())
        m_acceptor.join();
    for (std::thread &each : m_relays)
        each.join();
    for (int fd : {m_listen, m_wake[0], m_wake[1]})
        if (fd >= 0)
            ::close(fd);
}

bool TlsStripRelay::start()
{
    if (::pipe(m_wake) != 0)
        return false;
    m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0
        || ::listen(m_listen, 8) != 0 || ::getsockname(m_listen, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return false;
    m_port = ntohs(address.sin_port);
    m_acceptor = std::thread([this] { acceptLoop(); });
    return true;
}

void TlsStripRelay::acceptLoop()
{
    for (;;) {
        pollfd entries[2] = {{m_listen, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(entries, 2, -1) < 0 || (entries[1].revents & POLLIN))
            return;
        const int client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        const bool strip = m_stripFrom >= 0 && m_accepted++ >= m_stripFrom;
        std::lock_guard lock(m_mutex);
        m_relays.emplace_back([this, client, strip] { relay(client, strip); });
    }
}

void TlsStripRelay::relay(int client, bool strip)
{
    const int server = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un where{};
    where.sun_family = AF_UNIX;
    std::memcpy(where.sun_path, m_serverSocket.constData(),
                std::min(size_t(m_serverSocket.size()), sizeof where.sun_path - 1));
    if (server < 0 || ::connect(server, reinterpret_cast<sockaddr *>(&where), sizeof where) != 0) {
        ::close(client);
        if (server >= 0)
            ::close(server);
        return;
    }
    // The greeting is held until it is whole, so that its bit can be cleared.
    QByteArray greeting;
    bool greeted = false;
    char buffer[16384];
    for (;;) {
        pollfd entries[3] = {{client, POLLIN, 0}, {server, POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        if (::poll(entries, 3, -1) < 0 || (entries[2].revents & POLLIN))
            break;
        if (entries[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
            if (n <= 0 || !sendAll(server, buffer, size_t(n)))
                break;
            m_toServer += std::uint64_t(n);
            if (strip)
                m_afterStripping += std::uint64_t(n);
        }
        if (entries[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            const ssize_t n = ::recv(server, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            if (greeted) {
                if (!sendAll(client, buffer, size_t(n)))
                    break;
                continue;
            }
            greeting.append(buffer, n);
            if (greeting.size() < 4)
                continue;
            const qsizetype whole = 4 + (uchar(greeting[0]) | (uchar(greeting[1]) << 8) | (uchar(greeting[2]) << 16));
            if (greeting.size() < whole)
                continue;
            greeted = true;
            ++m_greetings;
            QByteArray packet = greeting.left(whole);
            if (strip)
                stripTls(packet);
            packet += greeting.mid(whole);
            if (!sendAll(client, packet.constData(), size_t(packet.size())))
                break;
        }
    }
    ::close(client);
    ::close(server);
}
