#pragma once
// An HTTP server on a free loopback port, serving on a thread of its own until destroyed: the
// receiver or site a test talks to. Routes are added to `server` before start().

#include <httplib.h>

#include <QString>
#include <atomic>
#include <chrono>
#include <thread>

namespace zorvik::testing {

class LoopbackServer {
public:
    ~LoopbackServer() { stop(); }

    void start()
    {
        port_ = server.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server.listen_after_bind(); });
        while (!server.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    // Handlers that wait watch `stopping` so that a stop never waits for them long.
    void stop()
    {
        stopping = true;
        if (thread_.joinable()) {
            server.stop();
            thread_.join();
        }
    }
    QString url(const char* path) const
    {
        return QStringLiteral("http://127.0.0.1:") + QString::number(port_) + QString::fromUtf8(path);
    }

    httplib::Server server;
    std::atomic<bool> stopping{false};

private:
    std::thread thread_;
    int port_ = 0;
};

} // namespace zorvik::testing
