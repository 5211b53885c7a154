// A TCP relay that stands for a remote link in the benchmarks: it accepts on
// 127.0.0.1 and relays each connection to a target (a TCP address or a Unix
// socket), sending each direction through a link of limited bandwidth and
// one-way delay, and counts the bytes that crossed.
//
//   qm_relay --target HOST:PORT|unix:PATH [--listen PORT] [--mbit 100] [--rtt-ms 20]
//
// Prints "listening 127.0.0.1:PORT" once ready, then for every connection
// that ends "connection N: X bytes to the target, Y bytes back"; SIGINT or
// SIGTERM ends every connection and the relay, after a line with the totals.

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct Options
{
    std::string target;
    int listenPort = 0;
    double mbit = 100;
    double rttMs = 20;
};

// Bytes queued in one direction before the reader waits: well above the
// link's bandwidth-delay product, so the limit is the link, not the queue.
constexpr size_t queueLimit = 4u << 20;
constexpr size_t readSize = 64u << 10;

// One direction of a connection: a reader that stamps each chunk with the time
// it leaves the far end of the link, and a writer that hands it on then.
class Direction
{
public:
    Direction(int from, int to, const Options &options)
        : m_from(from)
        , m_to(to)
        , m_bytesPerSecond(options.mbit * 1e6 / 8)
        , m_oneWay(std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(options.rttMs / 2)))
    {
    }

    void start()
    {
        m_reader = std::thread([this] { read(); });
        m_writer = std::thread([this] { write(); });
    }

    void join()
    {
        m_reader.join();
        m_writer.join();
    }

    uint64_t bytes() const { return m_bytes; }

private:
    struct Chunk
    {
        std::vector<char> bytes; // empty: the sender closed
        Clock::time_point due;
    };

    void push(Chunk chunk)
    {
        std::unique_lock lock(m_mutex);
        m_space.wait(lock, [this] { return m_queued < queueLimit || m_broken; });
        m_queued += chunk.bytes.size();
        m_chunks.push_back(std::move(chunk));
        m_ready.notify_one();
    }

    void read()
    {
        Clock::time_point linkFree = Clock::now();
        for (;;) {
            std::vector<char> buffer(readSize);
            const ssize_t n = ::read(m_from, buffer.data(), buffer.size());
            if (n <= 0 || m_broken) {
                push({{}, Clock::now()});
                return;
            }
            buffer.resize(size_t(n));
            // The link sends one chunk after another at its bandwidth.
            const auto sendTime = std::chrono::duration_cast<Clock::duration>(
                std::chrono::duration<double>(double(n) / m_bytesPerSecond));
            linkFree = std::max(linkFree, Clock::now()) + sendTime;
            push({std::move(buffer), linkFree + m_oneWay});
        }
    }

    void write()
    {
        for (;;) {
            Chunk chunk;
            {
                std::unique_lock lock(m_mutex);
                m_ready.wait(lock, [this] { return !m_chunks.empty(); });
                chunk = std::move(m_chunks.front());
                m_chunks.pop_front();
                m_queued -= chunk.bytes.size();
                m_space.notify_one();
            }
            std::this_thread::sleep_until(chunk.due);
            if (chunk.bytes.empty()) {
                ::shutdown(m_to, SHUT_WR);
                return;
            }
            size_t sent = 0;
            while (sent < chunk.bytes.size()) {
                const ssize_t n = ::send(m_to, chunk.bytes.data() + sent, chunk.bytes.size() - sent, MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                sent += size_t(n);
            }
            m_bytes += sent;
            if (sent < chunk.bytes.size()) {
                // The receiver is gone: stop reading from the sender too.
                {
                    std::lock_guard lock(m_mutex);
                    m_broken = true;
                }
                m_space.notify_one();
                ::shutdown(m_from, SHUT_RD);
            }
        }
    }

    int m_from, m_to;
    double m_bytesPerSecond;
    Clock::duration m_oneWay;
    std::mutex m_mutex;
    std::condition_variable m_ready, m_space;
    std::deque<Chunk> m_chunks;
    size_t m_queued = 0;
    bool m_broken = false;
    std::atomic<uint64_t> m_bytes{0};
    std::thread m_reader, m_writer;
};

class Connection
{
public:
    Connection(int number, int client, int server, const Options &options)
        : m_number(number)
        , m_client(client)
        , m_server(server)
        , m_up(client, server, options)
        , m_down(server, client, options)
    {
        m_up.start();
        m_down.start();
        m_watcher = std::thread([this] {
            m_up.join();
            m_down.join();
            m_done = true;
        });
    }

    ~Connection() { finish(); }

    // Waits until both directions have ended, then closes both sockets.
    void finish()
    {
        if (!m_watcher.joinable())
            return;
        m_watcher.join();
        ::close(m_client);
        ::close(m_server);
    }

    void stop()
    {
        ::shutdown(m_client, SHUT_RDWR);
        ::shutdown(m_server, SHUT_RDWR);
    }

    bool done() const { return m_done; }
    int number() const { return m_number; }
    uint64_t up() const { return m_up.bytes(); }
    uint64_t down() const { return m_down.bytes(); }

private:
    int m_number, m_client, m_server;
    Direction m_up, m_down;
    std::atomic<bool> m_done{false};
    std::thread m_watcher;
};

int connectTarget(const std::string &target)
{
    if (target.rfind("unix:", 0) == 0) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = target.substr(5);
        if (path.size() >= sizeof(address.sun_path))
            return -1;
        std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0)
            return fd;
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    const size_t colon = target.rfind(':');
    if (colon == std::string::npos)
        return -1;
    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    if (::getaddrinfo(target.substr(0, colon).c_str(), target.substr(colon + 1).c_str(), &hints, &found) != 0)
        return -1;
    int fd = -1;
    for (addrinfo *each = found; each && fd < 0; each = each->ai_next) {
        fd = ::socket(each->ai_family, each->ai_socktype | SOCK_CLOEXEC, each->ai_protocol);
        if (fd >= 0 && ::connect(fd, each->ai_addr, each->ai_addrlen) != 0) {
            ::close(fd);
            fd = -1;
        }
    }
    ::freeaddrinfo(found);
    return fd;
}

int listenLoopback(int port, int *chosen)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(uint16_t(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) != 0 || ::listen(fd, 16) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) != 0)
        return -1;
    *chosen = ntohs(address.sin_port);
    return fd;
}

bool parse(int argc, char **argv, Options &options)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string key = argv[i];
        const char *value = argv[i + 1];
        if (key == "--target")
            options.target = value;
        else if (key == "--listen")
            options.listenPort = std::atoi(value);
        else if (key == "--mbit")
            options.mbit = std::atof(value);
        else if (key == "--rtt-ms")
            options.rttMs = std::atof(value);
        else
            return false;
    }
    return argc % 2 == 1 && !options.target.empty() && options.mbit > 0 && options.rttMs >= 0 &&
           options.listenPort >= 0 && options.listenPort <= 65535;
}

void report(const Connection &connection)
{
    std::printf("connection %d: %llu bytes to the target, %llu bytes back\n", connection.number(),
                static_cast<unsigned long long>(connection.up()), static_cast<unsigned long long>(connection.down()));
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    Options options;
    if (!parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: qm_relay --target HOST:PORT|unix:PATH [--listen PORT] [--mbit 100] [--rtt-ms 20]\n");
        return 2;
    }
    // The signals are read from a descriptor; no thread is interrupted by them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    const int signals = ::signalfd(-1, &stopSignals, SFD_CLOEXEC);

    int port = 0;
    const int listener = listenLoopback(options.listenPort, &port);
    if (listener < 0 || signals < 0) {
        std::perror("qm_relay");
        return 1;
    }
    std::printf("listening 127.0.0.1:%d\n", port);
    std::fflush(stdout);

    std::list<std::unique_ptr<Connection>> connections;
    uint64_t totalUp = 0, totalDown = 0;
    int accepted = 0;
    // Reports and releases the connections that ended (all of them, after
    // ending them, when the relay stops); the release joins their threads.
    const auto retire = [&](bool all) {
        for (auto it = connections.begin(); it != connections.end();) {
            if (all)
                (*it)->stop();
            else if (!(*it)->done()) {
                ++it;
                continue;
            }
            const std::unique_ptr<Connection> ended = std::move(*it);
            it = connections.erase(it);
            ended->finish();
            report(*ended);
            totalUp += ended->up();
            totalDown += ended->down();
        }
    };
    for (;;) {
        pollfd watched[2] = {{listener, POLLIN, 0}, {signals, POLLIN, 0}};
        ::poll(watched, 2, 100);
        retire(false);
        if (watched[1].revents)
            break;
        if (!(watched[0].revents & POLLIN))
            continue;
        const int client = ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            continue;
        const int server = connectTarget(options.target);
        if (server < 0) {
            std::fprintf(stderr, "qm_relay: cannot reach %s\n", options.target.c_str());
            ::close(client);
            continue;
        }
        const int yes = 1;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof(yes));
        ::setsockopt(server, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof(yes));
        connections.push_back(std::make_unique<Connection>(++accepted, client, server, options));
    }
    retire(true);
    std::printf("total: %llu bytes to the target, %llu bytes back\n", static_cast<unsigned long long>(totalUp),
                static_cast<unsigned long long>(totalDown));
    ::close(listener);
    return 0;
}
