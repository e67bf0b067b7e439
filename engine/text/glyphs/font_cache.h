// The fonts of the resource manager: created on demand, addressed by index, kept until Clear.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/text/glyphs/font.h"

class IMFontCache {
public:
    IMFontCache() = default;
    ~IMFontCache();
    IMFontCache(const IMFontCache&) = delete;
    IMFontCache& operator=(const IMFontCache&) = delete;

    int32_t FindOrCreate(const std::wstring& face, int32_t height, bool bold, bool italic, bool underline);
    // Destroys every font and releases the screen context.
    void Clear();

    // Throws std::out_of_range for an index no font has.
    IMFont& Font(int32_t index);
    size_t Count() const { return fonts.size(); }
    HDC ScreenDC() const { return screenDC; }

    // Runs ask(dc) with the font selected into the screen context, then selects the previous object back.
    // False, without asking, when the font could not be created.
    template <class Ask> bool WithFont(int32_t index, Ask&& ask)
    {
        IMFont& font = Font(index);
        if (!font.font || !screenDC)
            return false;
        HGDIOBJ previous = SelectObject(screenDC, font.font);
        ask(screenDC);
        SelectObject(screenDC, previous);
        return true;
    }

private:
    std::vector<std::unique_ptr<IMFont>> fonts;
    HDC screenDC = nullptr;
};
