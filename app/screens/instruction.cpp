#include "app/screens/instruction.h"

#include "engine/controls/picture_factories.h"

namespace {

// The marker of the instruction that showed one last; cleared when its dialog closes.
IMStaticPictureBase<IMTextureView>* g_marker = nullptr;
IMDialog* g_marker_dialog = nullptr;

void CreateMarker(IMDialog* dialog)
{
    g_marker = CreatePicture(dialog, 350, 37, L"14467");
    g_marker_dialog = dialog;
    g_marker->Show();
    IMControl::ConnectClosing(dialog, [dialog](const IMEvent&) -> long {
        if (g_marker_dialog == dialog) {
            g_marker = nullptr;
            g_marker_dialog = nullptr;
        }
        return 0;
    });
}

} // namespace

void BuildInstructionBackdrop(IMDialog* dialog)
{
    CreatePicture(dialog, 0, 0, L"180");
}

long OnInstructionLabel(DWORD time, IMDialog* dialog)
{
    if (dialog->IsClosing())
        return 0;
    if (time == kMarkerShown) {
        CreateMarker(dialog);
        return 0;
    }
    if (!g_marker || g_marker_dialog != dialog)
        return 0;
    if (time == kMarkerMoved)
        g_marker->SetPos(350, 474);
    else if (time == kMarkerHidden)
        g_marker->Hide();
    return 0;
}
