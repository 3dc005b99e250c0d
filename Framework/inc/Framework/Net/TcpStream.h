#pragma once

#include <QByteArray>

#include <functional>

class QSocketNotifier;

namespace fw {

// One accepted TCP connection, non-blocking, driven by the event loop of the thread that made
// it. Reads are the caller's, on its ready-read callback; writes are queued and handed to the
// kernel as it takes them. Nothing here blocks and nothing raises SIGPIPE.
class TcpStream {
public:
    explicit TcpStream(int fd); // takes the descriptor (non-blocking, close-on-exec)
    ~TcpStream();
    TcpStream(const TcpStream&) = delete;
    TcpStream& operator=(const TcpStream&) = delete;

    // readyRead: bytes (or the peer's end) can be read. closed: a queued write failed, the
    // connection is gone. Either may delete the stream.
    void SetCallbacks(std::function<void()> readyRead, std::function<void()> closed);

    // Up to max bytes: the count, 0 when nothing more is there now, -1 when the peer ended
    // the connection or it failed.
    qint64 Read(char* data, qint64 max);
    // Queues bytes and sends what the kernel takes now; false when the connection failed.
    bool Write(const QByteArray& bytes);
    // Bytes queued that the kernel has not taken yet.
    qint64 BytesToWrite() const { return pending_.size() - sent_; }
    // Closes at once, dropping what was not sent; no callback follows.
    void Abort();

private:
    bool SendPending();
    void OnWritable();

    int fd_;
    QSocketNotifier* readable_ = nullptr;
    QSocketNotifier* writable_ = nullptr;
    QByteArray pending_;
    qint64 sent_ = 0; // bytes of pending_ already sent
    std::function<void()> readyRead_;
    std::function<void()> closed_;
};

} // namespace fw
