#pragma once

#include "../TavrelLib/SimLinkFixture.h"
#include "App/CTavrelLibApp.h"
#include "FirmwareDlg.h"
#include "FirmwareUpdateCommand.h"
#include "Framework/MessageBox.h"
#include "Protocol/CommMessages.h"
#include "Protocol/CommandCodes.h"

#include <QDir>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdint>
#include <deque>
#include <random>
#include <vector>

// The firmware dialog as the program runs it, noting what it shows after each notification
// and each tick of its timers.
class ObservedFirmwareDlg : public FirmwareDlg {
public:
    struct Shown {
        unsigned msg;
        fw::WPARAM wParam;
        QString status;
        bool statusVisible;
        bool progressVisible;
        int progress;
        QString percent;
        QString fileName;
        QString fileSize;
    };

    using FirmwareDlg::FirmwareDlg;

    fw::LRESULT WindowProc(unsigned msg, fw::WPARAM wParam, fw::LPARAM lParam) override {
        const fw::LRESULT result = FirmwareDlg::WindowProc(msg, wParam, lParam);
        if (msg == WM_FIRMWARE_NOTIFY || (msg == fw::WM_TIMER && wParam == 0)) {
            shown.push_back(Now(msg, wParam));
            if (onShown)
                onShown(shown.back());
        }
        return result;
    }

    Shown Now(unsigned msg = 0, fw::WPARAM wParam = 0) const {
        Shown s{msg, wParam, {}, false, false, -1, {}, {}, {}};
        if (auto* status = Text(1021)) {
            s.status = status->text();
            s.statusVisible = status->isVisibleTo(Widget());
        }
        if (auto* bar = qobject_cast<QProgressBar*>(GetDlgItem(1024))) {
            s.progressVisible = bar->isVisibleTo(Widget());
            s.progress = bar->value();
        }
        if (auto* percent = Text(1026))
            s.percent = percent->text();
        if (auto* name = Text(1109))
            s.fileName = name->text();
        if (auto* size = Text(1111))
            s.fileSize = size->text();
        return s;
    }

    QLabel* Text(int id) const { return qobject_cast<QLabel*>(GetDlgItem(id)); }

    // The percentages shown after the progress notifications, in order.
    std::vector<QString> Percentages() const {
        std::vector<QString> values;
        for (const Shown& s : shown)
            if (s.msg == WM_FIRMWARE_NOTIFY && s.wParam == FirmwareManager::StepProgress)
                values.push_back(s.percent);
        return values;
    }

    // Clicks Cancel once this dialog's loop runs again (never from inside a notification,
    // whose worker waits for it).
    void ClickCancelSoon() {
        QTimer::singleShot(0, Widget(), [this] {
            if (auto* cancel = qobject_cast<QPushButton*>(GetDlgItem(fw::IDCANCEL)))
                QTest::mouseClick(cancel, Qt::LeftButton);
        });
    }

    std::vector<Shown> shown;
    std::function<void(const Shown&)> onShown;
};

// The main window's part is played by the fixture's request window, which owns the connection
// on this thread, as in the program.
class FirmwareDialogFixture : public SimLinkFixture {
protected:
    using Bytes = std::vector<std::uint8_t>;

    struct Box {
        QString text;
        QString caption;
        unsigned style;
    };

    void SetUp() override {
        SimLinkFixture::SetUp();
        FirmwareDlg::SetReconnectIntervalForTesting(10);
        fw::SetMessageBoxHook([this](const QString& text, const QString& caption, unsigned style) {
            boxes.push_back({text, caption, style});
            if (onBox)
                onBox(boxes.back());
            int answer = fw::IDOK;
            if (!answers.empty()) {
                answer = answers.front();
                answers.pop_front();
            }
            return answer;
        });
    }

    void TearDown() override {
        fw::SetMessageBoxHook({});
        SetFirmwareFileChooser({});
        FirmwareDlg::SetReconnectIntervalForTesting(0);
        if (app) {
            app->ExitInstance();
            app.reset();
        }
        SimLinkFixture::TearDown();
    }

    // The texts in Simplified Chinese: the program's language pack, loaded as at start-up.
    void UseChinese() {
        QDir().mkpath(dir.File("program/lang"));
        const QString pack = QStringLiteral("lang/zh_CN.rcc");
        QFile::copy(QStringLiteral(GLIMRA_BIN_DIR "/") + pack, dir.File("program/") + pack);
        app = std::make_unique<CTavrelLibApp>();
        app->LoadSettingsFor(dir.File("program/glimra-utility"));
        ASSERT_TRUE(app->SetLanguage(QStringLiteral("zh_CN")));
    }

    // The simulator running its application, the connection open as the main window leaves it.
    void Connect(sim::SimConfig config) {
        RunSim(std::move(config));
        CreateManager();
        manager->RefreshDevices();
        ASSERT_EQ(manager->Open(0), 1);
    }

    static Bytes Image(std::size_t size, unsigned seed = 11) {
        std::mt19937 random(seed);
        Bytes bytes(size);
        for (std::uint8_t& b : bytes)
            b = static_cast<std::uint8_t>(random());
        return bytes;
    }

    QString WriteImage(const Bytes& bytes, const QString& name = QStringLiteral("glimra.bin")) {
        dir.Write(name, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                   static_cast<qsizetype>(bytes.size())));
        return dir.File(name);
    }

    std::vector<int> FrameCommands() const {
        std::vector<int> codes;
        for (const sim::TraceEvent& e : simulator->Trace())
            if (e.event == "frame")
                codes.push_back(e.cmd);
        return codes;
    }
    int CountFrames(int cmd) const {
        int n = 0;
        for (int code : FrameCommands())
            n += code == cmd;
        return n;
    }

    std::vector<QString> BoxTexts() const {
        std::vector<QString> texts;
        for (const Box& box : boxes)
            texts.push_back(box.text);
        return texts;
    }

    std::vector<Box> boxes;
    std::deque<int> answers; // IDOK once they run out
    std::function<void(const Box&)> onBox;
    std::unique_ptr<CTavrelLibApp> app;
};
