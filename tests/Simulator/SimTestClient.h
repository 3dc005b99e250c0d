#pragma once

// A raw SOCK_SEQPACKET client playing the host, written from the wire format alone so that it
// checks the simulator rather than repeating it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace simtest {

using Bytes = std::vector<std::uint8_t>;

// FF AA 00 00 "1.0\0" cmd len(BE) payload FF <end2>
Bytes Frame(std::uint8_t cmd, const Bytes& payload, std::uint8_t end2 = 0x55);
// Bit by bit, not by table, so it is an independent check of the loader's CRC.
std::uint16_t CrcArc(const Bytes& data);
// A block payload: data then its CRC high byte, low byte.
Bytes Block(const Bytes& data, bool corrupt = false);
Bytes Text(const std::string& text);

class RawClient {
public:
    explicit RawClient(const std::string& socketPath, int outputReportLength = 64);
    ~RawClient();
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool Connected() const { return fd_ >= 0; }
    // Cuts data into output reports of 61 bytes with the more-follows byte, as the host does.
    bool Write(const Bytes& data);
    bool SendFrame(std::uint8_t cmd, const Bytes& payload) { return Write(Frame(cmd, payload)); }
    bool SendReport(const Bytes& report);
    // One whole input report, or nothing within timeoutMs.
    std::optional<Bytes> ReadReport(int timeoutMs);
    // Data bytes (by each report's count byte) until n arrived or a report wait times out.
    Bytes ReadData(std::size_t n, int timeoutMs = 2000);
    // True when the peer closed the connection within timeoutMs.
    bool WaitClosed(int timeoutMs);

private:
    int fd_ = -1;
    int outputReportLength_;
};

// A fresh folder under /tmp, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

bool FileExists(const std::string& path);
std::string ReadFile(const std::string& path);
// Polls until FileExists(path) == present or timeoutMs passes.
bool WaitFile(const std::string& path, bool present, int timeoutMs);

} // namespace simtest
