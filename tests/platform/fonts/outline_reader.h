// Reads native outline buffers back into polygons for the tests' checks.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/fonts/gdi_font.h"

struct ReadCurve {
    WORD type = 0;
    std::vector<std::pair<int32_t, int32_t>> points; // raw 16.16
};

struct ReadPolygon {
    DWORD type = 0;
    std::pair<int32_t, int32_t> start;
    std::vector<ReadCurve> curves;
};

inline int32_t ReadRaw(const BYTE* p)
{
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

// Empty with ok false when the records do not tile the buffer exactly.
inline std::vector<ReadPolygon> ReadOutline(const BYTE* data, size_t size, bool* ok)
{
    std::vector<ReadPolygon> polygons;
    *ok = true;
    size_t at = 0;
    while (at < size) {
        const DWORD cb = static_cast<DWORD>(ReadRaw(data + at));
        if (cb < 16 || at + cb > size) {
            *ok = false;
            return {};
        }
        ReadPolygon polygon;
        polygon.type = static_cast<DWORD>(ReadRaw(data + at + 4));
        polygon.start = { ReadRaw(data + at + 8), ReadRaw(data + at + 12) };
        size_t c = at + 16;
        while (c < at + cb) {
            ReadCurve curve;
            std::memcpy(&curve.type, data + c, 2);
            WORD n;
            std::memcpy(&n, data + c + 2, 2);
            for (WORD i = 0; i < n; ++i)
                curve.points.push_back({ ReadRaw(data + c + 4 + 8 * i), ReadRaw(data + c + 8 + 8 * i) });
            c += 4 + 8 * size_t(n);
            polygon.curves.push_back(curve);
        }
        if (c != at + cb) {
            *ok = false;
            return {};
        }
        polygons.push_back(polygon);
        at += cb;
    }
    return polygons;
}
