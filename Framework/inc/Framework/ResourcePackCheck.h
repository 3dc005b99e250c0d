#pragma once

#include <cstddef>
#include <cstdint>

namespace fw {

// The largest language pack we take; ours are about 1 MiB.
constexpr std::size_t kMaxResourcePackBytes = 16 * 1024 * 1024;

// Whether data is a binary Qt resource file whose every part lies within it: the header, each
// node of the tree (reached from the root, children always after their parent, so no loop),
// each name and each data block with its size, and the size a compressed block claims. Qt
// trusts these offsets when it maps a pack, so a damaged one must be stopped here.
bool IsSoundResourcePack(const std::uint8_t* data, std::size_t size);

} // namespace fw
