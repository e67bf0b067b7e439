#include "engine/text/glyphs/glyph_path.h"

#include <cstring>

#include "engine/text/glyphs/font_cache.h"

namespace {

constexpr uint32_t kPolygonHeaderSize = 16;
constexpr uint32_t kCurveHeaderSize = 4;
constexpr uint32_t kPointSize = 8;

int32_t ReadInt(const BYTE* p)
{
    uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
    return static_cast<int32_t>(v);
}

WORD ReadWord(const BYTE* p)
{
    return static_cast<WORD>(p[0] | (p[1] << 8));
}

double RawToDouble(int32_t raw)
{
    FIXED f;
    f.fract = static_cast<WORD>(raw & 0xFFFF);
    f.value = static_cast<SHORT>(raw >> 16);
    return FixedToDouble(f);
}

// Halfway between two raw fixed values, truncated toward zero.
int32_t Mid(int32_t a, int32_t b)
{
    return static_cast<int32_t>((int64_t(a) + b) / 2);
}

} // namespace

double FixedToDouble(FIXED value)
{
    return value.value + value.fract / 65536.0;
}

IMGlyphPath::IMGlyphPath(IMFontCache& cache)
    : cache(cache)
    , commands(kInitialCapacity)
    , points(2 * kInitialCapacity)
    , capacity(kInitialCapacity)
{
    Reset();
}

void IMGlyphPath::SetFont(const std::wstring& face, int32_t height, bool bold, bool italic, bool underline)
{
    this->face = face;
    this->height = height;
    this->bold = bold;
    this->italic = italic;
    this->underline = underline;
    fontIndex = cache.FindOrCreate(face, height, bold, italic, underline);
}

bool IMGlyphPath::Build(wchar_t ch)
{
    const IMFont& font = cache.Font(fontIndex);
    const ABC abc = IMFont::GlyphWidths(cache, fontIndex, ch);
    const BYTE* outline = IMFont::OutlineData(cache, fontIndex, ch);
    const int32_t size = IMFont::OutlineSize(cache, fontIndex, ch);
    const int32_t width = static_cast<int32_t>(abc.abcA + abc.abcB + abc.abcC);
    return BuildFromOutline(outline, size, font.metrics, width);
}

bool IMGlyphPath::BuildFromOutline(const BYTE* outline, int32_t size, const TEXTMETRICW& metrics, int32_t width)
{
    Reset();
    cellHeight = metrics.tmHeight;
    advance = width;
    if (size < 0 || (size > 0 && !outline))
        return false;

    Reserve(static_cast<uint32_t>(size));
    count = 0;
    const double descent = metrics.tmDescent;
    const uint32_t total = static_cast<uint32_t>(size);
    // A record that does not fit what is left ends the outline.
    for (uint32_t at = 0; at + kPolygonHeaderSize <= total;) {
        const uint32_t length = static_cast<uint32_t>(ReadInt(outline + at));
        if (length < kPolygonHeaderSize || length > total - at)
            break;
        AppendPolygon(outline + at, length, descent);
        at += length;
    }
    if (underline)
        AppendUnderline(descent);
    Emit(kStop, 0, 0);
    return true;
}

void IMGlyphPath::AppendPolygon(const BYTE* polygon, uint32_t length, double descent)
{
    EmitFixed(kMoveTo, ReadInt(polygon + 8), ReadInt(polygon + 12), descent);
    for (uint32_t at = kPolygonHeaderSize; at + kCurveHeaderSize <= length;) {
        const WORD type = ReadWord(polygon + at);
        const uint32_t n = ReadWord(polygon + at + 2);
        const BYTE* p = polygon + at + kCurveHeaderSize;
        if (at + kCurveHeaderSize + kPointSize * n > length)
            break;
        auto x = [&](uint32_t i) { return ReadInt(p + kPointSize * i); };
        auto y = [&](uint32_t i) { return ReadInt(p + kPointSize * i + 4); };
        if (type == TT_PRIM_LINE) {
            for (uint32_t i = 0; i < n; ++i)
                EmitFixed(kLineTo, x(i), y(i), descent);
        } else if (type == TT_PRIM_QSPLINE) {
            for (uint32_t i = 0; i + 1 < n; ++i) {
                EmitFixed(kCurve3, x(i), y(i), descent);
                if (i + 2 == n)
                    EmitFixed(kCurve3, x(i + 1), y(i + 1), descent);
                else
                    EmitFixed(kCurve3, Mid(x(i), x(i + 1)), Mid(y(i), y(i + 1)), descent);
            }
        }
        at += kCurveHeaderSize + kPointSize * n;
    }
    Emit(kEndPolygon, 0, 0);
}

// The band sits below the baseline, across the whole advance.
void IMGlyphPath::AppendUnderline(double descent)
{
    const double width = static_cast<uint32_t>(advance);
    Emit(kMoveTo, 0, descent * 0.5);
    Emit(kLineTo, width, descent * 0.5);
    Emit(kLineTo, width, descent / 15.0);
    Emit(kLineTo, 0, descent / 15.0);
    Emit(kEndPolygon, 0, 0);
}

void IMGlyphPath::Reset()
{
    commands[0] = kStop;
    points[0] = 0;
    points[1] = 0;
    count = 1;
    commandCursor = 0;
}

void IMGlyphPath::Reserve(uint32_t size)
{
    if (capacity > size / 8)
        return;
    capacity = size / 8 + kInitialCapacity;
    commands.assign(capacity, kStop);
    points.assign(2 * size_t(capacity), 0.0);
}

void IMGlyphPath::Emit(BYTE command, double x, double y)
{
    // Splines can need two vertices per 8 bytes of outline: grow rather than overrun.
    if (count == capacity) {
        capacity *= 2;
        commands.resize(capacity, kStop);
        points.resize(2 * size_t(capacity), 0.0);
    }
    commands[count] = command;
    points[2 * size_t(count)] = x;
    points[2 * size_t(count) + 1] = y;
    ++count;
}

void IMGlyphPath::EmitFixed(BYTE command, int32_t x, int32_t y, double descent)
{
    Emit(command, RawToDouble(x), RawToDouble(y) + descent);
}

void IMGlyphPath::rewind(unsigned)
{
    commandCursor = 0;
}

unsigned IMGlyphPath::Vertex(double* x, double* y)
{
    if (commandCursor >= count) {
        *x = 0;
        *y = 0;
        return kStop;
    }
    *x = points[2 * size_t(commandCursor)];
    *y = points[2 * size_t(commandCursor) + 1];
    return commands[commandCursor++];
}
