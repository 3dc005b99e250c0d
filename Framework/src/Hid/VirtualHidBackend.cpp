#include "Framework/Hid/VirtualHidBackend.h"

#include "FdHidConnection.h"
#include "Framework/Hid/HidPathName.h"
#include "Framework/PrivateFolder.h"
#include "TextFiles.h"
#include "VirtualHidWatcher.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace fw {

namespace {

constexpr const char* kSocketSuffix = ".sock";

bool SocketAddress(const std::string& file, sockaddr_un* address) {
    std::memset(address, 0, sizeof *address);
    address->sun_family = AF_UNIX;
    if (file.size() >= sizeof address->sun_path)
        return false;
    std::memcpy(address->sun_path, file.c_str(), file.size() + 1);
    return true;
}

// A connected SOCK_SEQPACKET socket, or -1 with errno set.
int Connect(const std::string& file, bool nonBlocking) {
    sockaddr_un address;
    if (!SocketAddress(file, &address)) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const int fd =
        socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0), 0);
    if (fd < 0)
        return -1;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

unsigned HexValue(const std::map<std::string, std::string>& values, const char* key) {
    auto it = values.find(key);
    return it == values.end()
               ? 0u
               : static_cast<unsigned>(std::strtoul(it->second.c_str(), nullptr, 16));
}

long DecimalValue(const std::map<std::string, std::string>& values, const char* key,
                  long fallback) {
    auto it = values.find(key);
    if (it == values.end() || it->second.empty())
        return fallback;
    return std::strtol(it->second.c_str(), nullptr, 10);
}

std::string Lower(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

VirtualHidBackend::VirtualHidBackend(std::string folder) : folder_(std::move(folder)) {}

std::string VirtualHidBackend::DefaultFolder() {
    if (const char* dir = std::getenv("GLIMRA_SIM_DIR"); dir && *dir)
        return dir;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && *runtime)
        return std::string(runtime) + "/glimra-sim";
    return "/tmp/glimra-sim-" + std::to_string(getuid());
}

std::optional<HidInterfaceInfo> VirtualHidBackend::Describe(const std::string& stem) const {
    const fs::path desc = fs::path(folder_) / (stem + ".desc");
    std::error_code ec;
    if (!fs::is_regular_file(desc, ec))
        return std::nullopt;
    const auto values = ReadKeyValues(desc);
    if (!values.count("vendor") || !values.count("product"))
        return std::nullopt;

    HidInterfaceInfo info;
    info.vendorId = static_cast<std::uint16_t>(HexValue(values, "vendor"));
    info.productId = static_cast<std::uint16_t>(HexValue(values, "product"));
    if (auto serial = values.find("serial"); serial != values.end())
        info.serial = WideFromUtf8(serial->second);
    info.interfaceNumber = static_cast<int>(DecimalValue(values, "interface", -1));
    if (info.interfaceNumber < 0)
        info.interfaceNumber = -1;
    info.inputReportLength =
        static_cast<std::uint16_t>(DecimalValue(values, "input_report_length", 0));
    info.outputReportLength =
        static_cast<std::uint16_t>(DecimalValue(values, "output_report_length", 0));
    info.node = (fs::path(folder_) / (stem + kSocketSuffix)).string();
    info.path =
        HidInterfacePath(info.vendorId, info.productId, info.interfaceNumber, "sim&" + Lower(stem));
    return info;
}

bool VirtualHidBackend::Listening(const std::string& stem) const {
    // Non-blocking: a full backlog (EAGAIN) still means somebody listens.
    const int fd = Connect((fs::path(folder_) / (stem + kSocketSuffix)).string(), true);
    if (fd >= 0) {
        close(fd);
        return true;
    }
    return errno == EAGAIN || errno == EINPROGRESS;
}

bool VirtualHidBackend::FolderUsable() const {
    // No folder: no simulator, nothing to say. One another user controls is never listed:
    // its controllers could be anyone's, and our frames would go to them.
    std::error_code ec;
    if (!fs::exists(folder_, ec))
        return false;
    return AcceptFolder(PrivateFolderProblem(QString::fromStdString(folder_)));
}

std::vector<HidInterfaceInfo> VirtualHidBackend::Enumerate() {
    if (!FolderUsable())
        return {};
    std::vector<std::string> stems;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder_, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 5 && name.ends_with(kSocketSuffix))
            stems.push_back(name.substr(0, name.size() - 5));
    }
    std::sort(stems.begin(), stems.end());

    std::vector<HidInterfaceInfo> found;
    for (const std::string& stem : stems) {
        auto info = Describe(stem);
        if (info && Listening(stem))
            found.push_back(std::move(*info));
    }
    return found;
}

std::unique_ptr<HidConnection> VirtualHidBackend::Open(const HidInterfaceInfo& info, HidShare share,
                                                       HidError* error) {
    if (!FolderUsable()) {
        *error = HidError::NotFound;
        return nullptr;
    }
    std::string lockFile = info.node;
    lockFile.replace(lockFile.size() - 5, 5, ".lock");
    // The lock first: a refused opener never shows up as a connection to the device.
    const int lockFd = open(lockFile.c_str(), O_RDONLY | O_CLOEXEC);
    if (lockFd < 0) {
        *error = OpenErrorFromErrno(errno);
        return nullptr;
    }
    if (const HidError locked = LockForShare(lockFd, share); locked != HidError::None) {
        close(lockFd);
        *error = locked;
        return nullptr;
    }
    const int fd = Connect(info.node, false);
    if (fd < 0) {
        *error = OpenErrorFromErrno(errno);
        close(lockFd);
        return nullptr;
    }
    *error = HidError::None;
    return std::make_unique<FdHidConnection>(fd, lockFd, FdHidConnection::Kind::Socket);
}

std::unique_ptr<HidWatcher> VirtualHidBackend::Watch(HidWatcher::Callback callback) {
    return VirtualHidWatcher::Start(*this, std::move(callback));
}

} // namespace fw
