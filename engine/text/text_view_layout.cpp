// Placing the glyphs of a text view and drawing the ones its clip reaches.
#include <algorithm>

#include "engine/controls/viewport_clip.h"
#include "engine/resources/resource_manager.h"
#include "engine/text/text_view.h"

namespace {

// Sets the glyph's rectangle with its top-left corner at (x, y); returns its size.
SIZE Place(IMGlyph& glyph, LONG x, LONG y)
{
    const SIZE size = glyph.ImageSize();
    glyph.rect = RECT { x, y, x + size.cx, y + size.cy };
    return size;
}

} // namespace

void IMTextView::Layout([[maybe_unused]] int32_t from)
{
    // Every glyph is placed again: the state at from needs the pass from glyph 0 anyway, and an edit may move a
    // word that began before from to the next line.
    lines_.assign(1, 0);
    SetSrcRect(wordWrap ? LayOutWrapped() : LayOutRow());
}

RECT IMTextView::LayOutRow()
{
    LONG x = 0, height = 0;
    for (auto& glyph : glyphs_) {
        const SIZE size = Place(*glyph, x, 0);
        x += size.cx;
        height = std::max(height, size.cy);
    }
    return RECT { 0, 0, x, height };
}

RECT IMTextView::LayOutWrapped()
{
    const LONG width = GetWidth();
    LONG x = 0, y = 0, line_height = lineHeight, right = 0;
    int32_t last_space = -1;
    for (int32_t i = 0; i < GetGlyphCount(); ++i) {
        IMGlyph& glyph = *glyphs_[i];
        const SIZE size = glyph.ImageSize();
        const bool line_break = glyph.ch == L'\r' || glyph.ch == L'\n';
        if (glyph.ch == L' ')
            last_space = i;
        line_height = std::max(line_height, size.cy);
        // A line break ends its line wherever it falls, and a line's first glyph stays on it even when too wide,
        // so no line is left empty.
        if (x + size.cx > width && !line_break && lines_.back() != i) {
            y += line_height;
            x = 0;
            line_height = lineHeight;
            const int32_t first = last_space >= 0 && last_space < i ? last_space + 1 : i;
            // The new line is as tall as what moved onto it, even when nothing follows.
            for (int32_t j = first; j <= i; ++j) {
                const SIZE moved = Place(*glyphs_[j], x, y);
                x += moved.cx;
                right = std::max(right, x);
                line_height = std::max(line_height, moved.cy);
            }
            lines_.push_back(first);
            last_space = -1;
            continue;
        }
        Place(glyph, x, y);
        right = std::max(right, x + size.cx);
        if (!line_break) {
            x += size.cx;
            continue;
        }
        // The next line starts one (LF) or two (CR) break widths in.
        y += line_height;
        line_height = lineHeight;
        x = glyph.ch == L'\n' ? size.cx : 2 * size.cx;
        lines_.push_back(i + 1);
        last_space = -1;
    }
    return RECT { 0, 0, right, y + line_height };
}

void IMTextView::DrawGlyph(const IMGlyph& glyph)
{
    if (IMResourceManager* manager = IMResourceManager::Instance())
        manager->DrawQuad(glyph.texture, glyph.rect, nullptr, 0xFFFFFFFFu, 0.0f);
}

std::pair<size_t, size_t> IMTextView::VisibleGlyphs(LONG clip_top, LONG clip_bottom) const
{
    // A text ending in a line break has a last line with no glyph yet; it has nothing to draw.
    auto end = lines_.end();
    if (lines_.back() >= GetGlyphCount())
        --end;
    auto top = [&](int32_t line_start) { return glyphs_[size_t(line_start)]->rect.top; };
    auto after_top = std::partition_point(lines_.begin(), end, [&](int32_t s) { return top(s) <= clip_top; });
    auto below = std::partition_point(lines_.begin(), end, [&](int32_t s) { return top(s) < clip_bottom; });
    const size_t first = after_top == lines_.begin() ? 0 : size_t(*(after_top - 1));
    const size_t last = below == end ? glyphs_.size() : size_t(*below);
    return { first, std::max(first, last) };
}

void IMTextView::Draw()
{
    IMResourceManager* manager = IMResourceManager::Instance();
    IDirect3DDevice9* device = manager ? manager->GetDevice() : nullptr;
    D3DVIEWPORT9 saved, clip;
    const POINT origin = manager ? manager->GetOrigin() : POINT {};
    if (device && SUCCEEDED(device->GetViewport(&saved)) && !glyphs_.empty()
        && ClipViewportToRect(saved, GetRect(), origin, &clip)) {
        const POINT corner { GetRect().left + origin.x, GetRect().top + origin.y };
        device->SetViewport(&clip);
        manager->SetOrigin(corner);
        const auto [first, last] = VisibleGlyphs(LONG(clip.Y) - corner.y, LONG(clip.Y + clip.Height) - corner.y);
        for (size_t i = first; i < last; ++i)
            DrawGlyph(*glyphs_[i]);
        manager->SetOrigin(origin);
        device->SetViewport(&saved);
    }
    dirty_ = false;
}
