// A plain picture or text label: a view control with no behaviour of its own.
#pragma once

#include <concepts>
#include <string>

#include "engine/views/texture_view.h"
#include "engine/views/view_control.h"

template <class V> class IMStaticPictureBase : public IMViewControl<V> {
public:
    IMStaticPictureBase(IMControl::Dialog* parent, int layer)
        : IMViewControl<V>(parent, layer)
    {
    }

    // Shows the picture and takes its size at (0, 0).
    void SetPicture(const std::wstring& name) requires std::same_as<V, IMTextureView>
    {
        V::SetTexture(name);
        this->SetRect(V::GetSrcRect());
    }
};
