#pragma once

#include <QByteArray>

#include <atomic>
#include <cstdint>
#include <list>
#include <mutex>
#include <thread>

// A man in the middle on loopback: accepts on 127.0.0.1 and relays each
// connection to a server's socket, counting the bytes that go to the server.
// From the stripFrom'th connection on (0: all, -1: none) it clears the TLS
// bit of the server's greeting, as a relay that wants the login in clear text
// would; from the second on it lets a first look at the server pass.
class TlsStripRelay
{
public:
    TlsStripRelay(QByteArray serverSocket, int stripFrom);
    ~TlsStripRelay();
    TlsStripRelay(const TlsStripRelay &) = delete;
    TlsStripRelay &operator=(const TlsStripRelay &) = delete;

    // Listens on a free port; false when it cannot.
    bool start();
    unsigned port() const { return m_port; }
    // Every byte that crossed from a client to the server so far.
    std::uint64_t bytesToServer() const { return m_toServer.load(); }
    // The bytes that went to the server on connections it stripped.
    std::uint64_t bytesAfterStripping() const { return m_afterStripping.load(); }
    // Connections that went as far as the greeting.
    int greetings() const { return m_greetings.load(); }

private:
    void acceptLoop();
    void relay(int client, bool strip);

    QByteArray m_serverSocket;
    int m_stripFrom;
    int m_accepted = 0;
    int m_listen = -1;
    int m_wake[2] = {-1, -1};
    unsigned m_port = 0;
    std::atomic<std::uint64_t> m_toServer{0};
    std::atomic<std::uint64_t> m_afterStripping{0};
    std::atomic<int> m_greetings{0};
    std::thread m_acceptor;
    std::mutex m_mutex;
    std::list<std::thread> m_relays;
};
