#include "Framework/Net/TcpListener.h"
#include "Framework/Net/IpAddress.h"

#include "DispatchUntil.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A plain blocking client socket on the loopback, closed with the test.
class Client {
public:
    explicit Client(quint16 port) : fd_(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
    }
    ~Client() { Close(); }
    bool Connected() const { return connected_; }
    void Send(const QByteArray& bytes) {
        ASSERT_EQ(::send(fd_, bytes.constData(), static_cast<size_t>(bytes.size()), MSG_NOSIGNAL),
                  bytes.size());
    }
    // Everything that is there now, without waiting.
    QByteArray Drain() {
        QByteArray all;
        char chunk[65536];
        for (;;) {
            const ssize_t n = ::recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
            if (n <= 0)
                return all;
            all.append(chunk, n);
        }
    }
    // Closes with a reset rather than an orderly end.
    void Reset() {
        const linger hard{1, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        Close();
    }
    void Close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
    bool connected_ = false;
};

// A listener on a free loopback port and the streams it accepted.
class TcpListenerTest : public ::testing::Test {
protected:
    void SetUp() override {
        QString error;
        ASSERT_TRUE(listener.Listen(QStringLiteral("127.0.0.1"), 0, &error)) << error.toStdString();
        listener.SetOnNewConnection([this] {
            while (auto stream = listener.NextPendingConnection())
                accepted.push_back(std::move(stream));
        });
    }

    fw::TcpStream& Accept(Client& client) {
        EXPECT_TRUE(client.Connected());
        const std::size_t before = accepted.size();
        EXPECT_TRUE(DispatchUntil([&] { return accepted.size() > before; }));
        return *accepted.back();
    }

    fw::TcpListener listener;
    std::vector<std::unique_ptr<fw::TcpStream>> accepted;
};

TEST(IpAddressTest, OnlyNumericAddressesAreTaken) {
    for (const char* good : {"127.0.0.1", "0.0.0.0", "127.1", "0x7f.0.0.1", " 10.1.2.3 ", "::1",
                             "::", "fe80::1", "fe80::1%lo", "fe80::1%1"})
        EXPECT_TRUE(fw::IpAddress::IsValid(QString::fromLatin1(good))) << good;
    for (const char* bad : {"", "localhost", "1.2.3.256", "1.2.3.4 x", "::1::2", "[::1]", "a.b.c.d",
                            "fe80::1%no-such-interface", "fe80::1%"})
        EXPECT_FALSE(fw::IpAddress::IsValid(QString::fromLatin1(bad))) << bad;
}

TEST_F(TcpListenerTest, APortInUseOrANameIsRefusedWithTheReason) {
    ASSERT_NE(listener.Port(), 0);
    fw::TcpListener second;
    QString error;
    EXPECT_FALSE(second.Listen(QStringLiteral("127.0.0.1"), listener.Port(), &error));
    EXPECT_TRUE(error.contains(QString::number(listener.Port()))) << error.toStdString();
    EXPECT_FALSE(second.IsListening());
    EXPECT_FALSE(second.Listen(QStringLiteral("localhost"), 0, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("localhost"))) << error.toStdString();
    // Closed, the port is free again for a new listener.
    const quint16 port = listener.Port();
    listener.Close();
    EXPECT_TRUE(second.Listen(QStringLiteral("127.0.0.1"), port, &error)) << error.toStdString();
}

TEST_F(TcpListenerTest, BytesGoBothWaysAndThePeersEndReadsAsMinusOne) {
    Client client(listener.Port());
    fw::TcpStream& stream = Accept(client);
    int wakeUps = 0;
    stream.SetCallbacks([&] { ++wakeUps; }, [] {});
    client.Send("hello");
    ASSERT_TRUE(DispatchUntil([&] { return wakeUps > 0; }));
    char buffer[16];
    ASSERT_EQ(stream.Read(buffer, sizeof buffer), 5);
    EXPECT_EQ(QByteArray(buffer, 5), "hello");
    EXPECT_EQ(stream.Read(buffer, sizeof buffer), 0); // nothing more now
    ASSERT_TRUE(stream.Write("world"));
    EXPECT_TRUE(DispatchUntil([&] { return client.Drain() == "world"; }));
    client.Close();
    ASSERT_TRUE(DispatchUntil([&] { return stream.Read(buffer, sizeof buffer) == -1; }));
}

// A client that reads nothing never blocks the writer: what the kernel does not take waits in
// the stream and goes out as the client reads.
TEST_F(TcpListenerTest, WritesToASlowReaderQueueAndDrainAsItReads) {
    Client client(listener.Port());
    fw::TcpStream& stream = Accept(client);
    stream.SetCallbacks([] {}, [] {});
    const QByteArray block(1 << 20, 'x');
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(stream.Write(block));
    EXPECT_GT(stream.BytesToWrite(), 0);
    qint64 received = 0;
    ASSERT_TRUE(DispatchUntil(
        [&] {
            received += client.Drain().size();
            return received == 8 * block.size();
        },
        20000));
    EXPECT_EQ(stream.BytesToWrite(), 0);
}

// A peer that resets the connection under queued bytes ends the stream through its closed
// callback; the process gets no SIGPIPE.
TEST_F(TcpListenerTest, AResetUnderQueuedBytesCallsClosed) {
    Client client(listener.Port());
    fw::TcpStream& stream = Accept(client);
    bool closed = false;
    stream.SetCallbacks([] {}, [&] { closed = true; });
    const QByteArray block(1 << 20, 'y');
    for (int i = 0; i < 8; ++i)
        ASSERT_TRUE(stream.Write(block));
    ASSERT_GT(stream.BytesToWrite(), 0);
    client.Reset();
    ASSERT_TRUE(DispatchUntil([&] { return closed; }));
    char buffer[4];
    EXPECT_EQ(stream.Read(buffer, sizeof buffer), -1);
    EXPECT_FALSE(stream.Write("z"));
}

// The callbacks may delete the stream they were called for.
TEST_F(TcpListenerTest, AStreamDeletedFromItsOwnCallbackIsSafe) {
    Client client(listener.Port());
    Accept(client);
    accepted.back()->SetCallbacks([this] { accepted.clear(); }, [] {});
    client.Send("bye");
    ASSERT_TRUE(DispatchUntil([&] { return accepted.empty(); }));
    // The notifiers go with the event loop, as deferred deletions.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
