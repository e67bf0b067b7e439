// Face files resolved by fontconfig and opened once with FreeType; each font gets its own size on a shared face.
#pragma once

#include <ft2build.h>
#include FT_FREETYPE_H

#include <memory>
#include <mutex>
#include <string>

namespace platform {

struct FontRequest {
    std::wstring face; // empty: the default sans-serif face
    int weight = 400;
    bool italic = false;
};

// Scaling derived from the face's Windows ascent and descent, so that a cell height maps to the same pixel
// metrics everywhere.
struct CellScale {
    int cell_height = 0;
    int ppem = 0;
    int descent = 0;
};

// A face at one pixel size. Callers hold FaceLock while they use the face.
class SizedFace {
public:
    ~SizedFace();
    SizedFace(const SizedFace&) = delete;
    SizedFace& operator=(const SizedFace&) = delete;

    // Makes this size the face's active one.
    FT_Face Activate();
    const CellScale& Scale() const { return scale_; }
    const std::string& Path() const { return path_; }

private:
    friend std::unique_ptr<SizedFace> OpenSizedFace(const FontRequest&, int height);
    SizedFace(FT_Face face, FT_Size size, CellScale scale, std::string path);

    FT_Face face_;
    FT_Size size_;
    CellScale scale_;
    std::string path_;
};

// Every face call runs under this lock: faces are shared between fonts.
std::unique_lock<std::recursive_mutex> FaceLock();

// Positive height: cell height; negative: em height. Null when no quadratic face matches or the height is 0.
std::unique_ptr<SizedFace> OpenSizedFace(const FontRequest& request, int height);

// Cell scale for a face with the given units and Windows ascent/descent.
CellScale ScaleForHeight(int height, int units_per_em, int win_ascent, int win_descent);

} // namespace platform
