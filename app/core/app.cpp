#include "app/core/app.h"

#include <boost/bind/bind.hpp>

#include "app/core/exercise_texts.h"
#include "app/core/voice_once.h"
#include "app/screens/instruction.h"
#include "engine/resources/resource_manager.h"
#include "platform/window/window.h"

namespace {

using boost::placeholders::_1;
using boost::placeholders::_2;

constexpr const wchar_t* kInstructionVoice = L"14464";

} // namespace

IMApp<App>* IMApp<App>::NewExercise()
{
    return new App();
}

App::App()
{
    SetInfo(L"04271", L"Игра «Тумбилиада»", kExerciseDescription);
}

App::~App() = default;

void App::RegisterScenes()
{
    RegisterScene(L"Dialog1", boost::bind(&App::BuildGameScreen, this, _1));
}

// A closing dialog first starts the scene (connected by the caller), then stops the voice, then shows the page.
// A voice that cannot be played leads on to its end at a later pass, so the page still comes.
void App::ShowInstruction(Dialog* dialog)
{
    input_help_shown_ = false;
    BuildInstructionBackdrop(dialog);
    IMResourceManager* sound = IMResourceManager::Instance();
    const DWORD voice = sound ? sound->CreateVoiceFromResource(kInstructionVoice) : 0;
    if (voice != 0) {
        for (DWORD time : { kMarkerShown, kMarkerMoved, kMarkerHidden })
            sound->AddLabel(voice, time, boost::bind(&OnInstructionLabel, _2, dialog));
        sound->Connect(voice, boost::bind(&App::OnInstructionEnd, this, _1, dialog));
        IMControl::ConnectClosing(dialog, [voice](const IMEvent&) -> long {
            if (IMResourceManager* manager = IMResourceManager::Instance())
                manager->Stop(voice);
            return 0;
        });
    }
    IMControl::ConnectClosing(dialog, boost::bind(&App::OnInstructionEnd, this, voice, dialog));
    if (voice == 0 || !sound->Play(voice, false))
        RunAtNextFrame(dialog, [this, voice, dialog] { OnInstructionEnd(voice, dialog); });
}

long App::OnInstructionEnd(DWORD, Dialog* dialog)
{
    if (input_help_shown_)
        return 0;
    input_help_shown_ = true;
    ShowInputHelp(dialog);
    ShowCursor(TRUE);
    return 0;
}
