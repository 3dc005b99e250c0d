#include "Framework/ResourcePackCheck.h"

#include <cstring>
#include <vector>

namespace fw {

namespace {

// Node flags of the resource tree.
constexpr std::uint16_t kCompressed = 0x01;
constexpr std::uint16_t kDirectory = 0x02;
constexpr std::uint16_t kCompressedZstd = 0x04;
// What the compressed blocks of one pack may claim to grow to, all together: Qt allocates what
// a block claims before it expands it, so a small file must not ask for gigabytes.
constexpr std::uint64_t kMaxExpandedBytes = 16 * 1024 * 1024;

class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    // Whether [offset, offset + length) lies in the file.
    bool Holds(std::uint64_t offset, std::uint64_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }
    std::uint32_t U32(std::uint64_t at) const {
        const std::uint8_t* p = data_ + at;
        return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) |
               (std::uint32_t{p[2]} << 8) | p[3];
    }
    std::uint8_t U8(std::uint64_t at) const { return data_[at]; }
    std::uint16_t U16(std::uint64_t at) const {
        return static_cast<std::uint16_t>((data_[at] << 8) | data_[at + 1]);
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

bool SoundName(const Reader& file, std::uint64_t names, std::uint32_t offset) {
    const std::uint64_t at = names + offset;
    // Length in UTF-16 units, hash, then the characters (big-endian).
    if (!file.Holds(at, 6))
        return false;
    const std::uint64_t length = file.U16(at);
    if (length == 0 || !file.Holds(at + 6, length * 2))
        return false;
    // One path component: an empty name, ".", ".." or a "/" would make a path name the
    // folder itself or another one, and a walk over the pack would never end.
    bool dotsOnly = length <= 2;
    for (std::uint64_t i = 0; i < length; ++i) {
        const std::uint16_t c = file.U16(at + 6 + 2 * i);
        if (c == '/' || c == 0)
            return false;
        dotsOnly = dotsOnly && c == '.';
    }
    return !dotsOnly;
}

// The expanded size a Zstandard frame declares in its header, or nothing when it declares none
// (Qt then can't size its buffer) or the header does not fit in length bytes.
bool ZstdContentSize(const Reader& file, std::uint64_t at, std::uint32_t length,
                     std::uint64_t* expanded) {
    if (length < 6 || file.U32(at) != 0x28B52FFD) // the magic, read big-endian
        return false;
    const std::uint8_t descriptor = file.U8(at + 4);
    const unsigned sizeFlag = descriptor >> 6;
    const bool singleSegment = (descriptor & 0x20) != 0;
    static constexpr unsigned kDictionaryBytes[4] = {0, 1, 2, 4};
    static constexpr unsigned kSizeBytes[4] = {0, 2, 4, 8};
    const unsigned sizeBytes = sizeFlag == 0 ? (singleSegment ? 1 : 0) : kSizeBytes[sizeFlag];
    if (sizeBytes == 0)
        return false;
    const std::uint64_t field = at + 5 + (singleSegment ? 0 : 1) + kDictionaryBytes[descriptor & 3];
    if (field + sizeBytes > at + length)
        return false;
    std::uint64_t value = 0;
    for (unsigned i = 0; i < sizeBytes; ++i) // little-endian
        value |= std::uint64_t{file.U8(field + i)} << (8 * i);
    *expanded = sizeBytes == 2 ? value + 256 : value;
    return true;
}

bool SoundData(const Reader& file, std::uint64_t data, std::uint32_t offset, std::uint16_t flags,
               std::uint64_t* expandedTotal) {
    const std::uint64_t at = data + offset;
    if (!file.Holds(at, 4))
        return false;
    const std::uint32_t length = file.U32(at);
    if (!file.Holds(at + 4, length))
        return false;
    std::uint64_t expanded = 0;
    if (flags & kCompressed) {
        // zlib with the expanded size in front, as Qt's own compression writes it.
        if (length < 4)
            return false;
        expanded = file.U32(at + 4);
    } else if ((flags & kCompressedZstd) && !ZstdContentSize(file, at + 4, length, &expanded)) {
        return false;
    }
    if (expanded > kMaxExpandedBytes - *expandedTotal)
        return false;
    *expandedTotal += expanded;
    return true;
}

} // namespace

bool IsSoundResourcePack(const std::uint8_t* data, std::size_t size) {
    if (!data || size > kMaxResourcePackBytes)
        return false;
    const Reader file(data, size);
    if (!file.Holds(0, 20) || std::memcmp(data, "qres", 4) != 0)
        return false;
    const std::uint32_t version = file.U32(4);
    if (version < 1 || version > 3)
        return false;
    if (version >= 3 && !file.Holds(0, 24))
        return false;
    const std::uint64_t tree = file.U32(8);
    const std::uint64_t blocks = file.U32(12);
    const std::uint64_t names = file.U32(16);
    if (!file.Holds(blocks, 0) || !file.Holds(names, 0))
        return false;
    const std::uint64_t nodeSize = version >= 2 ? 22 : 14;
    if (!file.Holds(tree, nodeSize))
        return false;
    const std::uint64_t nodeCount = (size - tree) / nodeSize;

    // Nodes to look at; each child index is above its parent's, so the walk ends.
    std::vector<std::uint64_t> pending{0};
    std::vector<bool> seen(nodeCount, false);
    std::uint64_t expandedTotal = 0;
    while (!pending.empty()) {
        const std::uint64_t index = pending.back();
        pending.pop_back();
        if (index >= nodeCount || seen[index])
            return false;
        seen[index] = true;
        const std::uint64_t at = tree + index * nodeSize;
        const std::uint16_t flags = file.U16(at + 4);
        if (index != 0 && !SoundName(file, names, file.U32(at)))
            return false;
        if (flags & ~(kCompressed | kDirectory | kCompressedZstd))
            return false;
        if (flags & kDirectory) {
            const std::uint64_t count = file.U32(at + 6);
            const std::uint64_t first = file.U32(at + 10);
            if (count > nodeCount || first <= index || first + count > nodeCount)
                return false;
            for (std::uint64_t child = first; child < first + count; ++child)
                pending.push_back(child);
        } else {
            if (index == 0) // the root is a folder
                return false;
            if ((flags & kCompressed) && (flags & kCompressedZstd))
                return false;
            if (!SoundData(file, blocks, file.U32(at + 10), flags, &expandedTotal))
                return false;
        }
    }
    return true;
}

} // namespace fw
