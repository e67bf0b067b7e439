#include "engine/text/glyphs/font_cache.h"

IMFontCache::~IMFontCache()
{
    Clear();
}

int32_t IMFontCache::FindOrCreate(const std::wstring& face, int32_t height, bool bold, bool italic, bool underline)
{
    for (size_t i = 0; i < fonts.size(); ++i)
        if (IMFont::Matches(*fonts[i], face, height, bold, italic, underline))
            return static_cast<int32_t>(i);

    fonts.push_back(std::make_unique<IMFont>(face, height, bold, italic, underline));
    IMFont& font = *fonts.back();
    if (!screenDC)
        screenDC = GetDC(nullptr);
    font.font = CreateFontW(
        height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, italic, underline, 0, RUSSIAN_CHARSET, 0, 0, 0, 0, face.c_str());
    const int32_t index = static_cast<int32_t>(fonts.size() - 1);
    WithFont(index, [&](HDC dc) { GetTextMetricsW(dc, &font.metrics); });
    return index;
}

void IMFontCache::Clear()
{
    fonts.clear();
    if (screenDC)
        ReleaseDC(nullptr, screenDC);
    screenDC = nullptr;
}

IMFont& IMFontCache::Font(int32_t index)
{
    if (index < 0)
        throw std::out_of_range("font index");
    return *fonts.at(static_cast<size_t>(index));
}
