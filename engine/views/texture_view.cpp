#include "engine/views/texture_view.h"

#include <cmath>
#include <cstring>

#include "engine/resources/resource_manager.h"

IMTextureView::~IMTextureView()
{
    Forget();
}

void IMTextureView::SetTexture(const std::wstring& name)
{
    IMResourceManager* rm = IMResourceManager::Instance();
    if (!rm) {
        Forget();
        return;
    }
    // The table's reference is only held across the swap, so a name shown already keeps its count.
    const DWORD fresh = rm->AddTextureFromResource(name);
    if (!rm->GetTextureRecord(fresh)) {
        Forget();
        return;
    }
    if (!has_texture_ || fresh != texture_id_)
        Show(fresh);
    rm->ReleaseTexture(fresh);
}

void IMTextureView::SetTextureId(DWORD id)
{
    IMResourceManager* rm = IMResourceManager::Instance();
    if (has_texture_ && id == texture_id_)
        return;
    if (!rm || !rm->GetTextureRecord(id)) {
        Forget();
        return;
    }
    Show(id);
}

void IMTextureView::Show(DWORD id)
{
    IMResourceManager* rm = IMResourceManager::Instance();
    const DWORD old = texture_id_;
    const bool had = has_texture_;
    texture_id_ = rm->AddRefTexture(id);
    if (had)
        rm->ReleaseTexture(old);
    has_texture_ = true;
    SetSrcRect(rm->GetTextureRecord(id)->image_rect);
    dirty_ = true;
}

void IMTextureView::Forget()
{
    if (!has_texture_)
        return;
    has_texture_ = false;
    dirty_ = true;
    if (IMResourceManager* rm = IMResourceManager::Instance())
        rm->ReleaseTexture(texture_id_);
}

void IMTextureView::Draw()
{
    IMResourceManager* rm = IMResourceManager::Instance();
    if (has_texture_ && rm) {
        const RECT src = GetSrcRect();
        rm->DrawQuad(texture_id_, GetRect(), &src, color_, angle_);
    }
    dirty_ = false;
}

bool IMTextureView::HitTest(POINT p) const
{
    if (!has_texture_)
        return false;
    const RECT d = GetRect();
    const RECT s = GetSrcRect();
    const float cx = static_cast<float>(d.left + (d.right - d.left) / 2);
    const float cy = static_cast<float>(d.top + (d.bottom - d.top) / 2);
    const float c = std::cos(-angle_);
    const float sn = std::sin(-angle_);
    const float dx = static_cast<float>(p.x) - cx;
    const float dy = static_cast<float>(p.y) - cy;
    const POINT q { static_cast<LONG>(cx + c * dx - sn * dy), static_cast<LONG>(cy + sn * dx + c * dy) };
    if (!PtInRect(&d, q))
        return false;
    // Offsets into the shown part of the picture, so a source rectangle away from the corner reads its own texels.
    const POINT t { s.left + (s.right - s.left) * (q.x - d.left) / (d.right - d.left),
        s.top + (s.bottom - s.top) * (q.y - d.top) / (d.bottom - d.top) };
    if (!PtInRect(&s, t))
        return false;
    return OpaqueEnough(t.x, t.y);
}

bool IMTextureView::OpaqueEnough(int u, int v) const
{
    IMResourceManager* rm = IMResourceManager::Instance();
    if (!rm || u < 0 || v < 0)
        return false;
    rm->RestoreTexture(texture_id_);
    const IMTexture* record = rm->GetTextureRecord(texture_id_);
    if (!record || u >= record->texture_width)
        return false;
    const size_t at = static_cast<size_t>(v) * static_cast<size_t>(record->pixel_copy_pitch) + size_t(u) * 4;
    if (at + 4 > record->pixel_copy.size())
        return false;
    uint32_t texel = 0;
    std::memcpy(&texel, record->pixel_copy.data() + at, sizeof texel);
    const int texel_alpha = static_cast<int>(texel >> 24);
    const int tint_opaque = static_cast<int>((color_ >> 24) / 255);
    return tint_opaque * texel_alpha >= hit_threshold_;
}
