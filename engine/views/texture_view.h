// A view that shows one named texture of the texture table, tinted and rotated about its centre, and that is hit
// only where its picture is opaque.
#pragma once

#include <cstdint>
#include <string>

#include "engine/views/view.h"
#include "platform/d3d9/d3d9.h"

class IMTextureView : public IMView {
public:
    IMTextureView() = default;
    // Gives back the texture it holds.
    ~IMTextureView() override;

    void Draw() override;
    // The point is in the coordinates of the destination rectangle; rotation and scaling are undone, then the
    // texel's alpha decides.
    bool HitTest(POINT p) const override;

    // Shows the texture of this name; the source rectangle becomes the whole picture. A name the texture table
    // cannot load leaves the view showing nothing.
    void SetTexture(const std::wstring& name);
    // Shows a texture already in the table.
    void SetTextureId(DWORD id);

    DWORD GetTextureId() const { return texture_id_; }
    bool HasTexture() const { return has_texture_; }

    // A changed tint or angle marks the view dirty, so the next frame shows it.
    void SetColor(D3DCOLOR color)
    {
        dirty_ = dirty_ || color != color_;
        color_ = color;
    }
    D3DCOLOR GetColor() const { return color_; }
    void SetAngle(float radians)
    {
        dirty_ = dirty_ || radians != angle_;
        angle_ = radians;
    }
    float GetAngle() const { return angle_; }
    // Texel alpha (0..255) a point must reach to hit; the tint's alpha gates it (only a fully opaque tint hits).
    void SetHitThreshold(int32_t threshold) { hit_threshold_ = threshold; }
    int32_t GetHitThreshold() const { return hit_threshold_; }

private:
    // Takes a reference to id for the view, gives back the one it held, and shows the whole picture.
    void Show(DWORD id);
    void Forget();
    bool OpaqueEnough(int u, int v) const;

    DWORD texture_id_ = 0;
    D3DCOLOR color_ = 0xFFFFFFFFu;
    float angle_ = 0.0f;
    int32_t hit_threshold_ = 255;
    bool has_texture_ = false;
};
