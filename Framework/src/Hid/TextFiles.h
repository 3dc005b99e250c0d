#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace fw {

// Small readers for sysfs attributes and descriptor files; a missing file reads as empty.
std::string ReadTrimmed(const std::filesystem::path& file);
std::vector<std::uint8_t> ReadBytes(const std::filesystem::path& file);
// KEY=value lines (uevent, the simulator's .desc); later keys win.
std::map<std::string, std::string> ReadKeyValues(const std::filesystem::path& file);

std::wstring WideFromUtf8(const std::string& text);

} // namespace fw
