#include "app/screens/help_pages.h"

#include <memory>

#include <boost/bind/bind.hpp>

#include "engine/controls/picture_factories.h"
#include "engine/resources/resource_manager.h"
#include "engine/window/window.h"
#include "platform/resources/resources.h"

namespace {

using boost::placeholders::_1;
using Picture = IMStaticPictureBase<IMTextureView>;

// The id of a page's timer that is armed now; the page's closing removes it.
using TimerSlot = std::shared_ptr<DWORD>;

void RemoveTimerOnClosing(IMDialog* dialog, TimerSlot slot)
{
    IMControl::ConnectClosing(dialog, [slot](const IMEvent&) -> long {
        if (g_main_window)
            g_main_window->RemoveTimer(*slot);
        return 0;
    });
}

long CloseHelpPage(TimerSlot slot, IMDialog* dialog)
{
    g_main_window->RemoveTimer(*slot);
    if (!dialog->IsClosing())
        dialog->Close();
    return 0;
}

long OnHelpPageKey(const IMKeyboardEvent& ev, IMDialog* dialog, bool* flag)
{
    if (ev.wParam == VK_SPACE && ev.IsNewPress() && !dialog->IsClosing()) {
        dialog->Close();
        *flag = false;
    }
    return 0;
}

// Each tick removes the timer that fired and arms the next; both callbacks are bound to the picture and the
// dialog, so the chain stops with either of them.
long BlinkControl(TimerSlot slot, Picture* control, IMDialog* dialog)
{
    g_main_window->RemoveTimer(*slot);
    if (control->IsHidden())
        control->Show();
    else
        control->Hide();
    *slot = g_main_window->AddTimer(kBlinkPeriod);
    g_main_window->ConnectTimer(*slot, boost::bind(&BlinkControl, slot, control, dialog));
    return 0;
}

DWORD PlayClosingVoice(IMDialog* dialog)
{
    IMResourceManager* sound = IMResourceManager::Instance();
    const platform::Blob blob = platform::FindNamedBlob("ENDHELPSOUND");
    const DWORD id = sound && blob ? sound->CreateVoiceFromMemory(L"ENDHELPSOUND", blob.data, DWORD(blob.size)) : 0;
    if (id == 0)
        return 0;
    IMControl::ConnectClosing(dialog, [id](const IMEvent&) -> long {
        if (IMResourceManager* manager = IMResourceManager::Instance())
            manager->Stop(id);
        return 0;
    });
    sound->Play(id, false);
    return id;
}

} // namespace

void BuildGenericHelpPage(IMDialog* dialog)
{
    CreatePicture(dialog, 0, 0, L"DefaultBackGround")->SetRect(dialog->GetRect());
    CreateCentredLabel(dialog, 20, L"мелунарий", 18);
    CreateCentredLabel(dialog, 100, L"Справка", 24);
    auto slot = std::make_shared<DWORD>(g_main_window->AddTimer(5000));
    g_main_window->ConnectTimer(*slot, boost::bind(&CloseHelpPage, slot, dialog));
    RemoveTimerOnClosing(dialog, slot);
}

void BuildInputHelpPage(IMDialog* dialog, bool* instruction_playing)
{
    if (dialog->IsClosing())
        return;
    PlayClosingVoice(dialog);
    CreateBlobPicture(dialog, 107, 347, "KEYBOARDPIC", 1000);
    CreateBlobPicture(dialog, 500, 209, "MOUSE", 1000);
    Picture* space = CreateBlobPicture(dialog, 237, 502, "KEYSPACE", 1000);
    auto slot = std::make_shared<DWORD>(g_main_window->AddTimer(kBlinkPeriod));
    g_main_window->ConnectTimer(*slot, boost::bind(&BlinkControl, slot, space, dialog));
    RemoveTimerOnClosing(dialog, slot);
    IMControl::ConnectKeyDown(g_main_window, boost::bind(&OnHelpPageKey, _1, dialog, instruction_playing));
}
