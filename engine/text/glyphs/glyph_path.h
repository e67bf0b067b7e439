// A glyph's native outline as a vertex source for the rasteriser: y up from the bottom of the font's cell.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/fonts/gdi_font.h"

class IMFontCache;

double FixedToDouble(FIXED value);

class IMGlyphPath {
public:
    static constexpr uint32_t kInitialCapacity = 256;

    // Vertex commands.
    static constexpr BYTE kStop = 0;
    static constexpr BYTE kMoveTo = 1;
    static constexpr BYTE kLineTo = 2;
    static constexpr BYTE kCurve3 = 3;
    static constexpr BYTE kEndPolygon = 0x5F; // end of polygon, closed, counter-clockwise

    explicit IMGlyphPath(IMFontCache& cache);

    // Stores the style and selects (or creates) its font.
    void SetFont(const std::wstring& face, int32_t height, bool bold, bool italic, bool underline);
    // Fills the path from the character's outline; false (path empty) when the outline was not delivered.
    bool Build(wchar_t ch);
    // Fills the path from a native outline buffer of size bytes; size negative means none was delivered.
    bool BuildFromOutline(const BYTE* outline, int32_t size, const TEXTMETRICW& metrics, int32_t advance);

    void rewind(unsigned path_id);
    unsigned vertex(double* x, double* y) { return Vertex(x, y); }
    unsigned Vertex(double* x, double* y);

    int32_t FontIndex() const { return fontIndex; }
    int32_t Advance() const { return advance; }
    int32_t CellHeight() const { return cellHeight; }
    uint32_t Capacity() const { return capacity; }

private:
    void Reset();
    void Reserve(uint32_t size);
    void Emit(BYTE command, double x, double y);
    void EmitFixed(BYTE command, int32_t x, int32_t y, double descent);
    // Appends one polygon record; a curve record running past its end ends the polygon.
    void AppendPolygon(const BYTE* polygon, uint32_t length, double descent);
    void AppendUnderline(double descent);

    IMFontCache& cache;
    int32_t fontIndex = -1;
    std::wstring face;
    int32_t height = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    std::vector<BYTE> commands;
    std::vector<double> points; // x, y per command
    uint32_t capacity = 0;
    uint32_t count = 0; // commands written
    uint32_t commandCursor = 0;
    int32_t advance = 0;
    int32_t cellHeight = 0;
};
