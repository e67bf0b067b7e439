// The main window on the headless back end with the sound system on the null output, all under a test clock.
// Every millisecond of the loop waits for the streaming threads to finish their pass, so runs are repeatable.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/resources/resource_manager.h"
#include "engine/window/window.h"
#include "platform/audio_test.h"
#include "platform/clock.h"
#include "platform/debug_output.h"
#include "platform/headless/headless_input.h"
#include "platform/headless/headless_presenter.h"
#include "platform/sync.h"
#include "tests/engine/sound/vorbis_tone.h"

namespace soundtest {

// One message of a voice as the window handed it over: what, the voice id and the test time in ms.
struct Heard {
    std::string what;
    DWORD id;
    int64_t at;
};

// Stands between the window and the sound system, noting each message before passing it on.
class MessageLog : public IMSoundMessageSink {
public:
    void OnVoiceStarted(DWORD id) override { Note("started", id), next->OnVoiceStarted(id); }
    void OnVoiceFinished(DWORD id) override { Note("finished", id), next->OnVoiceFinished(id); }
    void OnVoiceStopped(DWORD id) override { Note("stopped", id), next->OnVoiceStopped(id); }
    void OnLabelMessage(WPARAM id, LPARAM time) override
    {
        Note("label " + std::to_string(time), id), next->OnLabelMessage(id, time);
    }
    void Note(std::string what, DWORD id) { heard.push_back({ std::move(what), id, platform::NowMs() }); }
    // What arrived, without times.
    std::vector<std::string> What() const
    {
        std::vector<std::string> v;
        for (const Heard& h : heard)
            v.push_back(h.what + " " + std::to_string(h.id));
        return v;
    }

    CSoundSystem* next = nullptr;
    std::vector<Heard> heard;
};

class Voices : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::ChooseAudioOutput(platform::AudioOutputChoice::Null);
        settle_ = [this] {
            platform::Settle();
            input_.At(1, settle_);
        };
        input_.At(0, settle_);
    }
    void TearDown() override
    {
        SetSoundMessageSink(nullptr);
        delete window_;
        platform::ResetAudioForTests();
    }
    // Opens the window, which starts the graphics and the sound system.
    CSoundSystem& Open()
    {
        const RECT rect { 0, 0, 800, 600 };
        window_ = IMWindow::Create(nullptr, &rect, L"Звук", true, nullptr);
        log_.next = IMResourceManager::Instance();
        SetSoundMessageSink(&log_);
        return *log_.next;
    }
    void RunFor(DWORD ms)
    {
        input_.QuitAfter(ms);
        IMWindow::Run(window_);
    }
    // A slot that notes the voice id it gets.
    static std::function<long(DWORD)> Into(std::vector<DWORD>* ids)
    {
        return [ids](DWORD id) { return ids->push_back(id), 0L; };
    }
    DWORD Memory(CSoundSystem& sound, const std::wstring& name, const std::vector<BYTE>& ogg)
    {
        return sound.CreateVoiceFromMemory(name, ogg.data(), static_cast<DWORD>(ogg.size()));
    }

    platform::TestClock clock_;
    platform::HeadlessInput input_;
    platform::headless::HeadlessPresenter presenter_;
    platform::DebugCapture debug_;
    IMWindow* window_ = nullptr;
    MessageLog log_;

private:
    std::function<void()> settle_;
};

} // namespace soundtest
