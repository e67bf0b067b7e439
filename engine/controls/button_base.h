// A picture button: its state view shows the normal, disabled, hover or pressed picture as the control's flags
// change.
#pragma once

#include <string>

#include "engine/views/state_view.h"
#include "engine/views/view_control.h"

template <class V> class IMButtonBase;

template <> class IMButtonBase<IMStateView> : public IMViewControl<IMStateView> {
public:
    IMButtonBase(Dialog* parent, int layer);

    void Disable() override;
    void Enable() override;

    // Recomputes the state from the flags and shows its picture; a hidden button keeps its picture.
    virtual void UpdateState();

    // Empty disabled, hover or pressed names show the normal picture. The button takes the size of its picture
    // at (0, 0).
    void SetPictures(std::wstring normal, std::wstring disabled, std::wstring hover, std::wstring pressed);
};
