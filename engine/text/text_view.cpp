#include "engine/text/text_view.h"

#include <algorithm>
#include <string_view>

#include "engine/resources/resource_manager.h"
#include "platform/resources/resources.h"

namespace {

bool IsLineBreak(wchar_t ch)
{
    return ch == L'\r' || ch == L'\n';
}

bool IsWhitespace(wchar_t ch)
{
    return ch == L' ' || ch == L'\t' || IsLineBreak(ch);
}

std::string_view MarkerPicture(wchar_t ch)
{
    if (ch == L' ')
        return "TextSpaceMarker";
    return ch == L'\t' ? "TextTabMarker" : "TextLineBreakMarker";
}

DWORD PictureTexture(IMResourceManager& manager, const std::wstring& key, std::string_view picture)
{
    const platform::Blob blob = platform::FindNamedBlob(picture);
    return manager.AddTextureFromMemory(key, blob.data, DWORD(blob.size));
}

// The texture for the glyph's key, with one new reference.
DWORD FetchTexture(const IMGlyph& glyph, bool show_whitespace)
{
    IMResourceManager* manager = IMResourceManager::Instance();
    if (!manager)
        return IMResourceManager::kNoTexture;
    if (glyph.marker)
        return PictureTexture(*manager, glyph.key, MarkerPicture(glyph.ch));
    if (glyph.ch == L'\n' && !show_whitespace)
        return PictureTexture(*manager, glyph.key, "TextEmptyLineBreak");
    // Space, tab and CR take a space's width.
    const wchar_t drawn = IsWhitespace(glyph.ch) ? L' ' : glyph.ch;
    return manager->RenderGlyphTexture(glyph.key, &drawn, nullptr, glyph.colour, glyph.size, glyph.face, glyph.italic,
        glyph.bold, glyph.underline, glyph.backColour);
}

void ReleaseReference(DWORD texture)
{
    if (IMResourceManager* manager = IMResourceManager::Instance())
        manager->ReleaseTexture(texture);
}

template <class T> bool Store(T& field, const T* value)
{
    if (!value || field == *value)
        return false;
    field = *value;
    return true;
}

} // namespace

IMTextView::IMTextView() = default;

IMTextView::~IMTextView()
{
    ReleaseGlyphs(0, glyphs_.size());
}

void IMTextView::ReleaseGlyphs(size_t first, size_t last)
{
    // By id: the glyph owns a reference to its own texture, whatever now carries its name.
    for (size_t i = first; i < last; ++i)
        ReleaseReference(glyphs_[i]->texture);
    glyphs_.erase(glyphs_.begin() + std::ptrdiff_t(first), glyphs_.begin() + std::ptrdiff_t(last));
}

bool IMTextView::RestyleGlyph(IMGlyph& glyph, const IMTextView& view, const D3DCOLOR* colour, const bool* underline,
    const bool* bold, const bool* italic, const int32_t* size, const std::wstring* face, const D3DCOLOR* backColour)
{
    bool changed = Store(glyph.colour, colour);
    changed = Store(glyph.backColour, backColour) || changed;
    changed = Store(glyph.underline, underline) || changed;
    changed = Store(glyph.bold, bold) || changed;
    changed = Store(glyph.italic, italic) || changed;
    changed = Store(glyph.size, size) || changed;
    changed = Store(glyph.face, face) || changed;
    // A marker shows only while whitespace is shown, so turning it off brings back the plain glyph.
    const bool marker = view.showWhitespace && IsWhitespace(glyph.ch);
    changed = Store(glyph.marker, &marker) || changed;
    if (changed)
        glyph.RebuildKey();

    const SIZE before = glyph.ImageSize();
    const DWORD previous = glyph.texture;
    glyph.texture = FetchTexture(glyph, view.showWhitespace);
    ReleaseReference(previous);
    const SIZE after = glyph.ImageSize();
    return before.cx != after.cx || before.cy != after.cy;
}

void IMTextView::Insert(int32_t position, const std::wstring& text)
{
    if (position < 0 || position > GetGlyphCount())
        return;
    std::vector<std::unique_ptr<IMGlyph>> made;
    made.reserve(text.size());
    for (wchar_t ch : text) {
        auto glyph = std::make_unique<IMGlyph>();
        *glyph = IMGlyph { IMResourceManager::kNoTexture, ch, RECT {}, colour, underline, bold, italic, fontSize, face,
            std::wstring(), backColour, showWhitespace && IsWhitespace(ch) };
        glyph->RebuildKey();
        glyph->texture = FetchTexture(*glyph, showWhitespace);
        made.push_back(std::move(glyph));
    }
    glyphs_.insert(
        glyphs_.begin() + position, std::make_move_iterator(made.begin()), std::make_move_iterator(made.end()));
    Layout(position);
}

void IMTextView::Erase(int32_t position, int32_t count)
{
    if (position < 0 || position > GetGlyphCount())
        return;
    // Counted against what is left, so a huge count cannot overflow.
    const int32_t removed = std::clamp(count, 0, GetGlyphCount() - position);
    ReleaseGlyphs(size_t(position), size_t(position) + size_t(removed));
    Layout(position);
}

void IMTextView::SetText(const std::wstring& text)
{
    ReleaseGlyphs(0, glyphs_.size());
    SetSrcRect(RECT {});
    Insert(0, text);
}

std::wstring IMTextView::GetText() const
{
    std::wstring text;
    text.reserve(glyphs_.size());
    for (const auto& glyph : glyphs_)
        text.push_back(glyph->ch);
    return text;
}

void IMTextView::SetStyle(const D3DCOLOR* colour_value, const bool* underline_value, const bool* bold_value,
    const bool* italic_value, const int32_t* size_value, const std::wstring* face_value, const D3DCOLOR* back_value)
{
    Store(colour, colour_value);
    Store(underline, underline_value);
    Store(bold, bold_value);
    Store(italic, italic_value);
    Store(fontSize, size_value);
    Store(face, face_value);
    Store(backColour, back_value);
    const bool resized = ApplyGlyphStyle(glyphs_, [&](IMGlyph& glyph) {
        return RestyleGlyph(
            glyph, *this, colour_value, underline_value, bold_value, italic_value, size_value, face_value, back_value);
    });
    if (resized)
        Layout(0);
    SetDirty(true);
}

void IMTextView::SetColor(D3DCOLOR value)
{
    SetStyle(&value, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

void IMTextView::SetBold(bool value)
{
    SetStyle(nullptr, nullptr, &value, nullptr, nullptr, nullptr, nullptr);
}

void IMTextView::SetFontSize(int32_t value)
{
    SetStyle(nullptr, nullptr, nullptr, nullptr, &value, nullptr, nullptr);
}

void IMTextView::SetBackColor(D3DCOLOR value)
{
    SetStyle(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &value);
}

void IMTextView::SetChar(int32_t position, wchar_t ch)
{
    if (!Inside(position) || glyphs_[position]->ch == ch)
        return;
    glyphs_[position]->ch = ch;
    glyphs_[position]->RebuildKey();
    SetStyle(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
}

RECT IMTextView::GetGlyphRect(int32_t position) const
{
    return Inside(position) ? glyphs_[position]->rect : RECT {};
}

std::wstring IMTextView::GetGlyphFace(int32_t position) const
{
    return Inside(position) ? glyphs_[position]->face : std::wstring();
}

D3DCOLOR IMTextView::GetGlyphColor(int32_t position) const
{
    return Inside(position) ? glyphs_[position]->colour : 0;
}

wchar_t IMTextView::GetGlyphChar(int32_t position) const
{
    return Inside(position) ? glyphs_[position]->ch : L'\0';
}
