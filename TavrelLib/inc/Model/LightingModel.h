#pragma once

#include "Model/ColourConversion.h"
#include "Model/HandleRecord.h"
#include "Model/LedColourState.h"
#include "Model/LedRecord.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The program's copy of the controller's lighting state: LED and handle records from the layout,
// the version text, and a working colour per LED. Reads of a handle look at its first member LED
// (lowest set bit of its element mask below the LED count); writes go to every member.
class LightingModel {
public:
    static constexpr unsigned LedRecordSize = sizeof(LedRecord);
    static constexpr unsigned HandleRecordSize = sizeof(HandleRecord);

    LightingModel() = default;

    // Bytes the fixed-width tables need for these counts.
    static std::size_t TableBytes(int ledCount, int handleCount, int secondSet);

    // Replaces everything with the layout body: LED set(s) first, then handle set(s). Fails and
    // keeps the model as it was when the body is shorter than the tables it must hold.
    bool Load(const std::uint8_t* body, std::size_t bodyLength, int ledCount, int handleCount,
              int secondSet);

    // None for an index outside the table, or for the second set when there is none.
    const LedRecord* LedRecordAt(int index, bool secondSet = false) const;
    const HandleRecord* HandleRecordAt(int index, bool secondSet = false) const;

    int LedCount() const { return ledCount_; }
    int HandleCount() const { return handleCount_; }
    int SecondSet() const { return secondSet_; }
    unsigned LevelCount() const { return levelCount_; }
    unsigned DefaultLevel() const { return defaultLevel_; }

    void SetVersionText(const std::uint8_t* text, std::size_t length);
    // The version reply's bytes as sent (may hold a zero byte).
    const std::string& VersionText() const { return versionText_; }

    const LedColourState* ColourStateAt(int index) const;

    std::uint8_t GetMode(std::uint8_t handle) const;
    std::uint8_t GetReferenceMode(std::uint8_t handle) const;
    std::uint8_t GetEnable(std::uint8_t handle) const;

    // Leaves the outputs unchanged and returns false when the handle has no member.
    bool GetLedColour(std::uint8_t handle, std::uint8_t& red, std::uint8_t& green,
                      std::uint8_t& blue) const;
    void SetBaseColour(std::uint8_t handle, std::uint8_t red, std::uint8_t green,
                       std::uint8_t blue);
    // The base colour at the first member's brightness level.
    bool GetDisplayColour(std::uint8_t handle, std::uint8_t& red, std::uint8_t& green,
                          std::uint8_t& blue) const;
    unsigned GetLevel(std::uint8_t handle) const;
    void SetLevel(std::uint8_t handle, unsigned level);
    // The level at which the handle's base colour shows this colour's lightness.
    unsigned LevelForColour(std::uint8_t handle, std::uint8_t red, std::uint8_t green,
                            std::uint8_t blue) const;

    // Record what a command changed on the controller.
    void ApplyColour(std::uint8_t handle, std::uint8_t red, std::uint8_t green, std::uint8_t blue);
    void ApplyEnable(std::uint8_t handle, int on);
    void ApplyElements(std::uint8_t handle, std::uint16_t mask, int add);
    void ApplyEffect(std::uint8_t handle, std::uint8_t mode, std::uint16_t period,
                     std::uint16_t speed, std::uint8_t referenceId, std::uint8_t referenceMode,
                     std::uint8_t direction);

    // The log's record dump of the first sets, with CR LF line ends.
    std::string RecordDump() const;

private:
    HandleRecord* HandleAt(std::uint8_t handle);
    const HandleRecord* HandleAt(std::uint8_t handle) const;
    // Index of the first member LED, or -1.
    int FirstMember(std::uint8_t handle) const;
    std::vector<int> Members(std::uint8_t handle) const;

    int secondSet_ = 0;
    int ledCount_ = 0;
    int handleCount_ = 0;
    std::string versionText_;
    std::vector<LedRecord> leds_;
    std::vector<HandleRecord> handles_;
    std::vector<LedRecord> secondLeds_;
    std::vector<HandleRecord> secondHandles_;
    std::vector<LedColourState> colours_;
    unsigned levelCount_ = 8;
    unsigned defaultLevel_ = 1;
};
