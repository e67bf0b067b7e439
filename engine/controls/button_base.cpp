#include "engine/controls/button_base.h"

#include <utility>

using IMButton = IMButtonBase<IMStateView>;

// The disabled, enabled, hidden and shown signals fire before the flag changes, so those runs see the old flags;
// Disable and Enable run the update again afterwards.
IMButton::IMButtonBase(Dialog* parent, int layer)
    : IMViewControl<IMStateView>(parent, layer)
{
    auto update = [this](const auto&) {
        UpdateState();
        return 0L;
    };
    signals_.mouse_button.connect(update);
    signals_.mouse_enter.connect(update);
    signals_.mouse_leave.connect(update);
    signals_.disabled.connect(update);
    signals_.enabled.connect(update);
    signals_.hidden.connect(update);
    signals_.shown.connect(update);
}

void IMButton::Disable()
{
    IMViewControl<IMStateView>::Disable();
    UpdateState();
}

void IMButton::Enable()
{
    IMViewControl<IMStateView>::Enable();
    UpdateState();
}

void IMButton::UpdateState()
{
    if (IsHidden())
        return;
    int32_t state = kNormal;
    if (!IsEnabled())
        state = kDisabled;
    else if (IsHovered())
        state = IsPressed() ? kPressed : kHover;
    if (state != GetState())
        ShowState(state);
}

void IMButton::SetPictures(std::wstring normal, std::wstring disabled, std::wstring hover, std::wstring pressed)
{
    SetStatePictures(std::move(normal), std::move(disabled), std::move(hover), std::move(pressed));
    SetRect(GetSrcRect());
}
