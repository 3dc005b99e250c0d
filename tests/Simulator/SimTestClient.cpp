#include "SimTestClient.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace simtest {

Bytes Frame(std::uint8_t cmd, const Bytes& payload, std::uint8_t end2) {
    Bytes out = {0xFF,
                 0xAA,
                 0x00,
                 0x00,
                 0x31,
                 0x2E,
                 0x30,
                 0x00,
                 cmd,
                 static_cast<std::uint8_t>(payload.size() >> 8),
                 static_cast<std::uint8_t>(payload.size())};
    out.insert(out.end(), payload.begin(), payload.end());
    out.push_back(0xFF);
    out.push_back(end2);
    return out;
}

std::uint16_t CrcArc(const Bytes& data) {
    std::uint16_t crc = 0;
    for (std::uint8_t b : data) {
        for (int bit = 0; bit < 8; ++bit) {
            bool mix = ((crc ^ (b >> bit)) & 1) != 0;
            crc >>= 1;
            if (mix)
                crc ^= 0xA001;
        }
    }
    return crc;
}

Bytes Block(const Bytes& data, bool corrupt) {
    std::uint16_t crc = CrcArc(data);
    if (corrupt)
        crc ^= 0x0100;
    Bytes out = data;
    out.push_back(static_cast<std::uint8_t>(crc >> 8));
    out.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    return out;
}

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

RawClient::RawClient(const std::string& socketPath, int outputReportLength)
    : outputReportLength_(outputReportLength) {
    int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socketPath.c_str(), sizeof addr.sun_path - 1);
    if (fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        fd_ = fd;
    } else if (fd >= 0) {
        ::close(fd);
    }
}

RawClient::~RawClient() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool RawClient::SendReport(const Bytes& report) {
    return fd_ >= 0 && ::send(fd_, report.data(), report.size(), MSG_NOSIGNAL) ==
                           static_cast<ssize_t>(report.size());
}

bool RawClient::Write(const Bytes& data) {
    for (std::size_t at = 0; at < data.size(); at += 61) {
        std::size_t n = std::min<std::size_t>(61, data.size() - at);
        Bytes report(static_cast<std::size_t>(outputReportLength_), 0);
        report[0] = 0x3F;
        report[1] = static_cast<std::uint8_t>(n);
        report[2] = at + n < data.size() ? 1 : 0;
        std::copy_n(data.begin() + static_cast<long>(at), n, report.begin() + 3);
        if (!SendReport(report))
            return false;
    }
    return true;
}

std::optional<Bytes> RawClient::ReadReport(int timeoutMs) {
    if (fd_ < 0)
        return std::nullopt;
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, timeoutMs) <= 0)
        return std::nullopt;
    Bytes buf(4096);
    ssize_t n = ::recv(fd_, buf.data(), buf.size(), MSG_DONTWAIT);
    if (n <= 0)
        return std::nullopt;
    buf.resize(static_cast<std::size_t>(n));
    return buf;
}

Bytes RawClient::ReadData(std::size_t n, int timeoutMs) {
    Bytes out;
    while (out.size() < n) {
        std::optional<Bytes> r = ReadReport(timeoutMs);
        if (!r)
            break;
        if (r->size() < 2 || (*r)[0] != 0x3F)
            continue;
        std::size_t count = std::min<std::size_t>((*r)[1], r->size() - 2);
        out.insert(out.end(), r->begin() + 2, r->begin() + 2 + static_cast<long>(count));
    }
    return out;
}

bool RawClient::WaitClosed(int timeoutMs) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < until) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, 20) > 0) {
            std::uint8_t b[4096];
            ssize_t n = ::recv(fd_, b, sizeof b, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN))
                return true;
        }
    }
    return false;
}

TempDir::TempDir() {
    char pattern[] = "/tmp/glimra-simtest-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    path_ = made ? made : "";
}

TempDir::~TempDir() {
    std::error_code ec;
    if (!path_.empty())
        std::filesystem::remove_all(path_, ec);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

bool WaitFile(const std::string& path, bool present, int timeoutMs) {
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (FileExists(path) == present)
            return true;
        if (std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

} // namespace simtest
