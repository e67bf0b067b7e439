#include "app/screens/help_pages.h"

#include <memory>

#include <boost/bind/bind.hpp>

#include "engine/controls/picture_factories.h"
#include "engine/resources/resource_manager.h"
#include "engine/window/owned_timer.h"
#include "platform/resources/resources.h"

namespace {

using boost::placeholders::_1;
using Picture = IMStaticPictureBase<IMTextureView>;

// A page's timer, held by the page: its closing removes the timer, and so does the page's end without one. The
// timer's callbacks are given the timer itself, which outlives every firing.
IMOwnedTimer* PageTimer(IMDialog* dialog)
{
    auto timer = std::make_shared<IMOwnedTimer>();
    IMControl::ConnectClosing(dialog, [timer](const IMEvent&) -> long {
        timer->Stop();
        return 0;
    });
    return timer.get();
}

long CloseHelpPage(IMOwnedTimer* timer, IMDialog* dialog)
{
    timer->Stop();
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

// Each tick replaces the timer that fired with the next; both callbacks are bound to the picture and the dialog, so
// the chain stops with either of them.
long BlinkControl(IMOwnedTimer* timer, Picture* control, IMDialog* dialog)
{
    if (control->IsHidden())
        control->Show();
    else
        control->Hide();
    timer->Arm(kBlinkPeriod, boost::bind(&BlinkControl, timer, control, dialog));
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
    IMOwnedTimer* timer = PageTimer(dialog);
    timer->Arm(5000, boost::bind(&CloseHelpPage, timer, dialog));
}

void BuildInputHelpPage(IMDialog* dialog, bool* instruction_playing)
{
    if (dialog->IsClosing())
        return;
    PlayClosingVoice(dialog);
    CreateBlobPicture(dialog, 107, 347, "KEYBOARDPIC", 1000);
    CreateBlobPicture(dialog, 500, 209, "MOUSE", 1000);
    Picture* space = CreateBlobPicture(dialog, 237, 502, "KEYSPACE", 1000);
    IMOwnedTimer* timer = PageTimer(dialog);
    timer->Arm(kBlinkPeriod, boost::bind(&BlinkControl, timer, space, dialog));
    IMControl::ConnectKeyDown(g_main_window, boost::bind(&OnHelpPageKey, _1, dialog, instruction_playing));
}
