#include "tests/app/screens/screen_run.h"

#include "assets/embedded_assets.h"
#include "engine/resources/resource_manager.h"
#include "platform/resources/resources.h"
#include "tests/support/run_until.h"

ScreenRun::ScreenRun()
{
    RegisterEmbeddedAssets();
    sound_.Start(input);
    const RECT rect { 0, 0, 800, 600 };
    window_ = IMWindow::Create(nullptr, &rect, L"Проверка", false, nullptr);
}

ScreenRun::~ScreenRun()
{
    delete window_;
}

void ScreenRun::RunFor(DWORD ms)
{
    input.QuitAfter(ms);
    IMWindow::Run(window_);
}

bool ScreenRun::RunUntil(const std::function<bool()>& condition, DWORD limit_ms)
{
    return RunLoopUntil(window_, window_, clock, condition, limit_ms);
}

bool WordPlays(const char* word)
{
    IMResourceManager* rm = IMResourceManager::Instance();
    const platform::Blob blob = platform::FindNamedBlob(word);
    const std::string name = word;
    CSoundStream* voice
        = rm->FindVoice(rm->CreateVoiceFromMemory(std::wstring(name.begin(), name.end()), blob.data, DWORD(blob.size)));
    return voice && voice->IsPlaying();
}
