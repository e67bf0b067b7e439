// The view that shows text: one glyph per character, each with its own style and texture, laid out in one row
// or wrapped into lines inside the view's width, drawn glyph by glyph and clipped to the view.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "engine/text/glyph.h"
#include "engine/views/view.h"

class IMTextView : public IMView {
public:
    IMTextView();
    ~IMTextView() override;

    void Draw() override;
    // Nothing when position is negative or beyond the text; the new glyphs take the view-wide style.
    virtual void Insert(int32_t position, const std::wstring& text);
    // Removes up to count glyphs from position; nothing when position is negative or beyond the text.
    virtual void Erase(int32_t position, int32_t count);

    void SetText(const std::wstring& text);
    std::wstring GetText() const;

    // Each given value becomes the view-wide one and restyles every glyph; null keeps a value. Lays out again
    // when a glyph's size changed, and always marks the view dirty.
    void SetStyle(const D3DCOLOR* colour, const bool* underline, const bool* bold, const bool* italic,
        const int32_t* size, const std::wstring* face, const D3DCOLOR* backColour);
    void SetColor(D3DCOLOR value);
    void SetBold(bool value);
    void SetFontSize(int32_t value);
    void SetBackColor(D3DCOLOR value);
    void SetChar(int32_t position, wchar_t ch);

    // Stores the given style values that differ, then fetches the glyph's texture for its key; true when the
    // texture's image size changed.
    static bool RestyleGlyph(IMGlyph& glyph, const IMTextView& view, const D3DCOLOR* colour, const bool* underline,
        const bool* bold, const bool* italic, const int32_t* size, const std::wstring* face,
        const D3DCOLOR* backColour);

    // Places the glyphs and makes the source rectangle the text's extent, (0, 0, width, height). The result does
    // not depend on from: a word that began before it may move to the next line.
    void Layout(int32_t from);
    void DrawGlyph(const IMGlyph& glyph);

    std::vector<int32_t> GetLines() const { return lines_; }
    std::span<const std::unique_ptr<IMGlyph>> Glyphs() const { return glyphs_; }
    int32_t GetGlyphCount() const { return int32_t(glyphs_.size()); }
    // Empty values outside the text.
    RECT GetGlyphRect(int32_t position) const;
    std::wstring GetGlyphFace(int32_t position) const;
    // 0 outside the text.
    D3DCOLOR GetGlyphColor(int32_t position) const;
    wchar_t GetGlyphChar(int32_t position) const;

    // The view-wide style given to new glyphs. Whoever changes one directly restyles the glyphs and lays out.
    D3DCOLOR colour = 0xFFFFFFFFu;
    D3DCOLOR backColour = 0x00AFAFAFu; // transparent grey
    bool wordWrap = false; // whoever turns it on calls Layout(0)
    bool underline = false;
    bool bold = false;
    bool italic = false;
    bool showWhitespace = false;
    int32_t fontSize = 16;
    std::wstring face = L"Arial";
    int32_t lineHeight = 16; // the smallest height of a wrapped line

private:
    bool Inside(int32_t position) const { return position >= 0 && position < GetGlyphCount(); }
    void ReleaseGlyphs(size_t first, size_t last);
    RECT LayOutRow();
    RECT LayOutWrapped();
    // The glyphs whose lines reach into the clip, given in view coordinates.
    std::pair<size_t, size_t> VisibleGlyphs(LONG clip_top, LONG clip_bottom) const;

    std::vector<std::unique_ptr<IMGlyph>> glyphs_;
    std::vector<int32_t> lines_ { 0 }; // first glyph of each line, ascending
};

// Calls call(glyph) on every glyph in order; true when any call returned true.
template <class Glyphs, class Call> bool ApplyGlyphStyle(const Glyphs& glyphs, Call&& call)
{
    bool changed = false;
    for (const auto& glyph : glyphs)
        changed = call(*glyph) || changed;
    return changed;
}
