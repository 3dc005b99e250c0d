#pragma once

#include "DispatchUntil.h"
#include "Framework/Hid/HidAccess.h"
#include "Framework/Hid/RecordingHidBackend.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

#include <functional>
#include <memory>
#include <numeric>
#include <vector>

using Report = fw::RecordingHidBackend::Report;

// The recording fake as the program's only HID backend for one test; the previous backends
// come back afterwards.
class HidFakeFixture : public ::testing::Test {
protected:
    HidFakeFixture() : previous_(fw::HidBackends()) { fw::HidSetBackends({fake_}); }
    ~HidFakeFixture() override { fw::HidSetBackends(previous_); }

    // An input report: 0x3F, n, data, padded to 64 bytes.
    static Report Input(const std::vector<std::uint8_t>& data, int claimed = -1) {
        Report report(64, 0);
        report[0] = 0x3F;
        report[1] = static_cast<std::uint8_t>(claimed >= 0 ? claimed : int(data.size()));
        std::copy(data.begin(), data.end(), report.begin() + 2);
        return report;
    }
    // first, first+1, ... (count bytes)
    static std::vector<std::uint8_t> Bytes(std::size_t count, std::uint8_t first = 1) {
        std::vector<std::uint8_t> bytes(count);
        std::iota(bytes.begin(), bytes.end(), first);
        return bytes;
    }

    std::shared_ptr<fw::RecordingHidBackend> fake_ = std::make_shared<fw::RecordingHidBackend>();

private:
    std::vector<std::shared_ptr<fw::HidBackend>> previous_;
};
