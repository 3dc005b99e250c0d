#include "Model/LightingModel.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

template <typename Record> std::vector<Record> CopyRecords(const std::uint8_t* from, int count) {
    std::vector<Record> records(static_cast<std::size_t>(count));
    if (count > 0)
        std::memcpy(records.data(), from, records.size() * sizeof(Record));
    return records;
}

template <typename... Args> void AppendFormat(std::string& text, const char* format, Args... args) {
    char line[256];
    const int n = std::snprintf(line, sizeof line, format, args...);
    if (n > 0)
        text.append(line, std::min(static_cast<std::size_t>(n), sizeof line - 1));
}

} // namespace

std::size_t LightingModel::TableBytes(int ledCount, int handleCount, int secondSet) {
    const std::size_t leds = ledCount > 0 ? static_cast<std::size_t>(ledCount) : 0;
    const std::size_t handles = handleCount > 0 ? static_cast<std::size_t>(handleCount) : 0;
    const std::size_t once = leds * LedRecordSize + handles * HandleRecordSize;
    return secondSet ? 2 * once : once;
}

bool LightingModel::Load(const std::uint8_t* body, std::size_t bodyLength, int ledCount,
                         int handleCount, int secondSet) {
    if (ledCount < 0 || handleCount < 0)
        return false;
    // The header's record sizes only set the body length; the tables are read at fixed widths,
    // so a body announced with smaller records would be read past its end.
    if (bodyLength < TableBytes(ledCount, handleCount, secondSet))
        return false;
    if (!body && bodyLength > 0)
        return false;

    const std::size_t ledBytes = static_cast<std::size_t>(ledCount) * LedRecordSize;
    const std::size_t handleBytes = static_cast<std::size_t>(handleCount) * HandleRecordSize;
    const std::uint8_t* at = body;
    leds_ = CopyRecords<LedRecord>(at, ledCount);
    at += ledBytes;
    if (secondSet) {
        secondLeds_ = CopyRecords<LedRecord>(at, ledCount);
        at += ledBytes;
    } else {
        secondLeds_.clear();
    }
    handles_ = CopyRecords<HandleRecord>(at, handleCount);
    at += handleBytes;
    if (secondSet)
        secondHandles_ = CopyRecords<HandleRecord>(at, handleCount);
    else
        secondHandles_.clear();

    secondSet_ = secondSet;
    ledCount_ = ledCount;
    handleCount_ = handleCount;
    colours_.assign(static_cast<std::size_t>(ledCount), LedColourState{});
    return true;
}

const LedRecord* LightingModel::LedRecordAt(int index, bool secondSet) const {
    const auto& table = secondSet ? secondLeds_ : leds_;
    if (index < 0 || static_cast<std::size_t>(index) >= table.size())
        return nullptr;
    return &table[static_cast<std::size_t>(index)];
}

const HandleRecord* LightingModel::HandleRecordAt(int index, bool secondSet) const {
    const auto& table = secondSet ? secondHandles_ : handles_;
    if (index < 0 || static_cast<std::size_t>(index) >= table.size())
        return nullptr;
    return &table[static_cast<std::size_t>(index)];
}

void LightingModel::SetVersionText(const std::uint8_t* text, std::size_t length) {
    if (text)
        versionText_.assign(reinterpret_cast<const char*>(text), length);
    else
        versionText_.clear();
}

const LedColourState* LightingModel::ColourStateAt(int index) const {
    if (index < 0 || static_cast<std::size_t>(index) >= colours_.size())
        return nullptr;
    return &colours_[static_cast<std::size_t>(index)];
}

HandleRecord* LightingModel::HandleAt(std::uint8_t handle) {
    return handle < handles_.size() ? &handles_[handle] : nullptr;
}

const HandleRecord* LightingModel::HandleAt(std::uint8_t handle) const {
    return handle < handles_.size() ? &handles_[handle] : nullptr;
}

std::vector<int> LightingModel::Members(std::uint8_t handle) const {
    std::vector<int> members;
    const HandleRecord* record = HandleAt(handle);
    if (!record)
        return members;
    const std::uint16_t mask = record->ElementMask();
    const int limit = std::min(ledCount_, 16);
    for (int i = 0; i < limit; ++i) {
        if (mask & (1u << i))
            members.push_back(i);
    }
    return members;
}

int LightingModel::FirstMember(std::uint8_t handle) const {
    const std::vector<int> members = Members(handle);
    return members.empty() ? -1 : members.front();
}

std::uint8_t LightingModel::GetMode(std::uint8_t handle) const {
    const HandleRecord* record = HandleAt(handle);
    return record ? record->mode : 0;
}

std::uint8_t LightingModel::GetReferenceMode(std::uint8_t handle) const {
    const HandleRecord* record = HandleAt(handle);
    return record ? record->referenceMode : 0;
}

std::uint8_t LightingModel::GetEnable(std::uint8_t handle) const {
    const HandleRecord* record = HandleAt(handle);
    return record ? record->enable : 0;
}

bool LightingModel::GetLedColour(std::uint8_t handle, std::uint8_t& red, std::uint8_t& green,
                                 std::uint8_t& blue) const {
    const int first = FirstMember(handle);
    if (first < 0)
        return false;
    const LedRecord& led = leds_[static_cast<std::size_t>(first)];
    red = led.red;
    green = led.green;
    blue = led.blue;
    return true;
}

void LightingModel::SetBaseColour(std::uint8_t handle, std::uint8_t red, std::uint8_t green,
                                  std::uint8_t blue) {
    const HlsColour hls = RgbToHls(red, green, blue);
    for (int i : Members(handle)) {
        LedColourState& state = colours_[static_cast<std::size_t>(i)];
        state.hue = hls.hue;
        state.saturation = hls.saturation;
        state.lightness = hls.lightness;
        state.step = hls.lightness / levelCount_;
    }
}

bool LightingModel::GetDisplayColour(std::uint8_t handle, std::uint8_t& red, std::uint8_t& green,
                                     std::uint8_t& blue) const {
    const int first = FirstMember(handle);
    if (first < 0)
        return false;
    const LedColourState& state = colours_[static_cast<std::size_t>(first)];
    const unsigned lightness = std::min(state.lightness, state.level * state.step);
    const RgbColour rgb = HlsToRgb(state.hue, lightness, state.saturation);
    red = rgb.red;
    green = rgb.green;
    blue = rgb.blue;
    return true;
}

unsigned LightingModel::GetLevel(std::uint8_t handle) const {
    const int first = FirstMember(handle);
    return first < 0 ? 0 : colours_[static_cast<std::size_t>(first)].level;
}

void LightingModel::SetLevel(std::uint8_t handle, unsigned level) {
    for (int i : Members(handle))
        colours_[static_cast<std::size_t>(i)].level = level;
}

unsigned LightingModel::LevelForColour(std::uint8_t handle, std::uint8_t red, std::uint8_t green,
                                       std::uint8_t blue) const {
    const int first = FirstMember(handle);
    if (first < 0)
        return 0;
    const unsigned step = colours_[static_cast<std::size_t>(first)].step;
    if (step == 0)
        return defaultLevel_;
    const unsigned lightness = RgbToHls(red, green, blue).lightness;
    return lightness / step + (lightness % step ? 1 : 0);
}

void LightingModel::ApplyColour(std::uint8_t handle, std::uint8_t red, std::uint8_t green,
                                std::uint8_t blue) {
    for (int i : Members(handle)) {
        LedRecord& led = leds_[static_cast<std::size_t>(i)];
        led.red = red;
        led.green = green;
        led.blue = blue;
    }
}

void LightingModel::ApplyEnable(std::uint8_t handle, int on) {
    if (HandleRecord* record = HandleAt(handle))
        record->enable = on ? 1 : 0;
}

void LightingModel::ApplyElements(std::uint8_t handle, std::uint16_t mask, int add) {
    HandleRecord* record = HandleAt(handle);
    if (!record)
        return;
    const std::uint16_t current = record->ElementMask();
    record->SetElementMask(static_cast<std::uint16_t>(add ? current | mask : current & ~mask));
}

void LightingModel::ApplyEffect(std::uint8_t handle, std::uint8_t mode, std::uint16_t period,
                                std::uint16_t speed, std::uint8_t referenceId,
                                std::uint8_t referenceMode, std::uint8_t direction) {
    HandleRecord* record = HandleAt(handle);
    if (!record)
        return;
    record->mode = mode;
    record->referenceMode = referenceMode;
    record->referenceId = referenceId;
    record->SetSpeed(speed);
    record->SetPeriod(period);
    record->direction = direction ? 1 : 0;
}

std::string LightingModel::RecordDump() const {
    std::string text;
    for (std::size_t i = 0; i < leds_.size(); ++i) {
        const LedRecord& led = leds_[i];
        AppendFormat(text,
                     "led id: %d\r\n\t\tred: %02X, green: %02X, blue: %02X, sequece no: %d, on: "
                     "%02X\r\n",
                     static_cast<int>(i), led.red, led.green, led.blue,
                     led.sequence == 0 ? -1 : static_cast<int>(led.sequence), led.on);
    }
    text += "\r\n";
    for (std::size_t h = 0; h < handles_.size(); ++h) {
        const HandleRecord& handle = handles_[h];
        AppendFormat(text,
                     "handle id: %d\r\n\t\tenable: %02X\r\n\t\tmode: %d\r\n\t\treference id: "
                     "%02X\r\n\t\treference mode: %02X\r\n\t\tspeed: %04X\r\n\t\tperiod: "
                     "%04X\r\n\t\tdirection: %x\r\n\t\telement: %x\r\n",
                     static_cast<int>(h), handle.enable, handle.mode, handle.referenceId,
                     handle.referenceMode, handle.Speed(), handle.Period(), handle.direction,
                     handle.ElementMask());
    }
    text += "\r\n";
    return text;
}
