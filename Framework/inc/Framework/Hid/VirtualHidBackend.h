#pragma once

#include "Framework/Hid/HidBackend.h"

#include <optional>
#include <string>

namespace fw {

// The simulator's interfaces: <stem>.desc, <stem>.lock and a SOCK_SEQPACKET <stem>.sock in
// one runtime folder, one packet per report (docs/virtual-hid.md).
class VirtualHidBackend : public HidBackend {
public:
    explicit VirtualHidBackend(std::string folder);
    // GLIMRA_SIM_DIR, else $XDG_RUNTIME_DIR/glimra-sim, else /tmp/glimra-sim-<uid>.
    static std::string DefaultFolder();

    std::vector<HidInterfaceInfo> Enumerate() override;
    std::unique_ptr<HidConnection> Open(const HidInterfaceInfo& info, HidShare share,
                                        HidError* error) override;
    // inotify on the folder (created, mode 0700, when missing): a socket appearing is an
    // arrival, once it takes connections; a socket unlinked is a removal.
    std::unique_ptr<HidWatcher> Watch(HidWatcher::Callback callback) override;

    // The interface of one stem from its descriptor, whether or not its socket listens.
    std::optional<HidInterfaceInfo> Describe(const std::string& stem) const;
    // Whether <stem>.sock takes connections now.
    bool Listening(const std::string& stem) const;

    const std::string& Folder() const { return folder_; }
    // Whether the folder exists and is this user's alone (else nothing in it is listed or
    // opened, and the reason goes to stderr once).
    bool FolderUsable() const;

private:
    std::string folder_;
};

} // namespace fw
