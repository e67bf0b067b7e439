// A texture view with a picture per visual state; the button that owns it decides the state.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "engine/views/texture_view.h"

class IMStateView : public IMTextureView {
public:
    static constexpr int32_t kNormal = 0;
    static constexpr int32_t kDisabled = 1;
    static constexpr int32_t kHover = 3;
    static constexpr int32_t kPressed = 4;

    // An empty disabled, hover or pressed name shows the normal picture in that state.
    void SetStatePictures(std::wstring normal, std::wstring disabled, std::wstring hover, std::wstring pressed);

    int32_t GetState() const { return state_; }
    // Empty for a state without a picture.
    std::wstring GetStatePicture(int32_t state) const;

protected:
    // Shows the state's picture and remembers the state.
    void ShowState(int32_t state);

private:
    int32_t state_ = kNormal;
    std::map<int32_t, std::wstring> pictures_;
};
