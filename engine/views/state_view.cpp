#include "engine/views/state_view.h"

#include <utility>

namespace {

std::wstring OrNormal(std::wstring name, const std::wstring& normal)
{
    return name.empty() ? normal : std::move(name);
}

} // namespace

void IMStateView::SetStatePictures(std::wstring normal, std::wstring disabled, std::wstring hover, std::wstring pressed)
{
    pictures_[kDisabled] = OrNormal(std::move(disabled), normal);
    pictures_[kHover] = OrNormal(std::move(hover), normal);
    pictures_[kPressed] = OrNormal(std::move(pressed), normal);
    pictures_[kNormal] = std::move(normal);
    SetTexture(GetStatePicture(state_));
}

std::wstring IMStateView::GetStatePicture(int32_t state) const
{
    const auto it = pictures_.find(state);
    return it == pictures_.end() ? std::wstring() : it->second;
}

void IMStateView::ShowState(int32_t state)
{
    SetTexture(GetStatePicture(state));
    state_ = state;
}
