#include "Framework/Hid/HidAccess.h"

#include "Framework/Hid/HidrawBackend.h"
#include "Framework/Hid/VirtualHidBackend.h"

#include <cwctype>
#include <map>
#include <mutex>

namespace fw {

namespace {

struct OpenInterface {
    std::shared_ptr<HidConnection> connection;
    HidInterfaceInfo info;
};

struct Registry {
    std::mutex mutex;
    bool initialised = false;
    std::vector<std::shared_ptr<HidBackend>> backends;
    std::map<HidHandle, OpenInterface> open;
    HidHandle nextHandle = 0x100;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

thread_local HidError lastError = HidError::None;

HidError Remember(HidError error) {
    lastError = error;
    return error;
}

std::vector<std::shared_ptr<HidBackend>> DefaultBackends() {
    return {std::make_shared<HidrawBackend>(HidrawBackend::FromEnvironment()),
            std::make_shared<VirtualHidBackend>(VirtualHidBackend::DefaultFolder())};
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::towlower(a[i]) != std::towlower(b[i]))
            return false;
    }
    return true;
}

// The open interface behind a handle, kept alive for the caller while it does I/O.
bool Find(HidHandle handle, OpenInterface* found) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    auto it = registry.open.find(handle);
    if (it == registry.open.end())
        return false;
    *found = it->second;
    return true;
}

// The open interface's description, recording the call's result as the last error.
bool FindInfo(HidHandle handle, HidInterfaceInfo* info) {
    OpenInterface found;
    if (!Find(handle, &found)) {
        Remember(HidError::InvalidHandle);
        return false;
    }
    *info = found.info;
    Remember(HidError::None);
    return true;
}

} // namespace

std::vector<std::shared_ptr<HidBackend>> HidBackends() {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    if (!registry.initialised) {
        registry.backends = DefaultBackends();
        registry.initialised = true;
    }
    return registry.backends;
}

void HidSetBackends(std::vector<std::shared_ptr<HidBackend>> backends) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.backends = std::move(backends);
    registry.initialised = true;
}

void HidUseDefaultBackends() {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.backends = DefaultBackends();
    registry.initialised = true;
}

std::vector<HidInterfaceInfo> HidEnumerateInterfaces() {
    std::vector<HidInterfaceInfo> all;
    for (const auto& backend : HidBackends()) {
        for (HidInterfaceInfo& info : backend->Enumerate()) {
            info.backend = backend;
            all.push_back(std::move(info));
        }
    }
    return all;
}

namespace {

HidHandle OpenThrough(HidBackend& backend, const HidInterfaceInfo& info, HidShare share,
                      HidError* error) {
    HidError result = HidError::NotFound;
    std::unique_ptr<HidConnection> connection = backend.Open(info, share, &result);
    Remember(result);
    if (error)
        *error = result;
    if (!connection)
        return kInvalidHidHandle;
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    const HidHandle handle = registry.nextHandle;
    registry.nextHandle += 4;
    registry.open[handle] = {std::move(connection), info};
    return handle;
}

} // namespace

HidHandle HidOpenInterface(const std::wstring& path, HidShare share, HidError* error) {
    for (const auto& backend : HidBackends()) {
        for (const HidInterfaceInfo& info : backend->Enumerate()) {
            if (SamePath(info.path, path))
                return OpenThrough(*backend, info, share, error);
        }
    }
    Remember(HidError::NotFound);
    if (error)
        *error = HidError::NotFound;
    return kInvalidHidHandle;
}

HidHandle HidOpenInterface(const HidInterfaceInfo& info, HidShare share, HidError* error) {
    if (const std::shared_ptr<HidBackend> backend = info.backend.lock())
        return OpenThrough(*backend, info, share, error);
    return HidOpenInterface(info.path, share, error);
}

HidError HidCloseInterface(HidHandle handle) {
    std::shared_ptr<HidConnection> closing;
    {
        Registry& registry = TheRegistry();
        std::lock_guard lock(registry.mutex);
        auto it = registry.open.find(handle);
        if (it == registry.open.end())
            return Remember(HidError::InvalidHandle);
        closing = std::move(it->second.connection);
        registry.open.erase(it);
    }
    // Wake a read another thread may still be waiting in; the last holder closes the node.
    closing->Cancel();
    return Remember(HidError::None);
}

bool HidGetAttributes(HidHandle handle, std::uint16_t* vendorId, std::uint16_t* productId) {
    HidInterfaceInfo info;
    if (!FindInfo(handle, &info))
        return false;
    *vendorId = info.vendorId;
    *productId = info.productId;
    return true;
}

bool HidGetSerialNumber(HidHandle handle, std::wstring* serial) {
    HidInterfaceInfo info;
    if (!FindInfo(handle, &info))
        return false;
    *serial = info.serial;
    return true;
}

bool HidGetReportLengths(HidHandle handle, std::uint16_t* input, std::uint16_t* output) {
    HidInterfaceInfo info;
    if (!FindInfo(handle, &info))
        return false;
    *input = info.inputReportLength;
    *output = info.outputReportLength;
    return true;
}

HidError HidReadReport(HidHandle handle, void* buffer, std::size_t size, unsigned timeoutMs,
                       std::size_t* received) {
    *received = 0;
    OpenInterface found;
    if (!Find(handle, &found))
        return Remember(HidError::InvalidHandle);
    return Remember(found.connection->Read(buffer, size, timeoutMs, received));
}

HidError HidWriteReport(HidHandle handle, const void* report, std::size_t size,
                        unsigned timeoutMs) {
    OpenInterface found;
    if (!Find(handle, &found))
        return Remember(HidError::InvalidHandle);
    return Remember(found.connection->Write(report, size, timeoutMs));
}

void HidCancelIo(HidHandle handle) {
    OpenInterface found;
    if (Find(handle, &found))
        found.connection->Cancel();
}

HidError HidFlushInput(HidHandle handle) {
    OpenInterface found;
    if (!Find(handle, &found))
        return Remember(HidError::InvalidHandle);
    return Remember(found.connection->Flush());
}

HidError HidLastError() {
    return lastError;
}

} // namespace fw
