#include "platform/fonts/font_faces.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>

#include <fontconfig/fontconfig.h>
#include <freetype/ftsizes.h>
#include <freetype/tttables.h>
#include <freetype/tttags.h>

#include "platform/text/utf8.h"

namespace platform {
namespace {

std::recursive_mutex g_face_mutex;

// Faces stay open for the life of the process: fonts come and go, files do not.
class FaceRegistry {
public:
    static FaceRegistry& Get()
    {
        static FaceRegistry* registry = new FaceRegistry;
        return *registry;
    }

    FT_Face Open(const std::string& path, int index)
    {
        auto key = std::make_pair(path, index);
        auto found = faces_.find(key);
        if (found != faces_.end())
            return found->second;
        FT_Face face = nullptr;
        if (!library_ || FT_New_Face(library_, path.c_str(), index, &face) != 0)
            face = nullptr;
        if (face && !IsQuadratic(face)) {
            FT_Done_Face(face);
            face = nullptr;
        }
        faces_[key] = face;
        return face;
    }

    FcConfig* Config() const { return config_; }

private:
    FaceRegistry()
    {
        if (FT_Init_FreeType(&library_) != 0)
            library_ = nullptr;
        config_ = FcInitLoadConfigAndFonts();
    }

    // Only faces with TrueType outlines and a Unicode map: their curves are quadratic.
    static bool IsQuadratic(FT_Face face)
    {
        FT_ULong length = 0;
        return FT_IS_SFNT(face) && FT_Load_Sfnt_Table(face, TTAG_glyf, 0, nullptr, &length) == 0 && length > 0
            && FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0;
    }

    FT_Library library_ = nullptr;
    FcConfig* config_ = nullptr;
    std::map<std::pair<std::string, int>, FT_Face> faces_;
};

FcPattern* MakePattern(const FontRequest& request)
{
    FcPattern* pattern = FcPatternCreate();
    std::string family = request.face.empty() ? std::string("sans-serif") : ToUtf8(request.face);
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    int weight = request.weight <= 0 ? 400 : std::min(request.weight, 1000);
    FcPatternAddDouble(pattern, FC_WEIGHT, FcWeightFromOpenTypeDouble(weight));
    FcPatternAddInteger(pattern, FC_SLANT, request.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    return pattern;
}

// The best-ranked candidate with quadratic outlines.
std::pair<std::string, FT_Face> FindFace(const FontRequest& request)
{
    FaceRegistry& registry = FaceRegistry::Get();
    FcPattern* pattern = MakePattern(request);
    FcConfigSubstitute(registry.Config(), pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcFontSet* candidates = FcFontSort(registry.Config(), pattern, FcFalse, nullptr, &result);
    std::pair<std::string, FT_Face> found {};
    for (int i = 0; candidates && i < candidates->nfont && !found.second; ++i) {
        FcPattern* font = candidates->fonts[i];
        FcChar8* file = nullptr;
        FcChar8* format = nullptr;
        int index = 0;
        if (FcPatternGetString(font, FC_FILE, 0, &file) != FcResultMatch)
            continue;
        if (FcPatternGetString(font, FC_FONTFORMAT, 0, &format) == FcResultMatch
            && std::strcmp(reinterpret_cast<const char*>(format), "TrueType") != 0)
            continue;
        FcPatternGetInteger(font, FC_INDEX, 0, &index);
        std::string path(reinterpret_cast<const char*>(file));
        if (FT_Face face = registry.Open(path, index))
            found = { path, face };
    }
    if (candidates)
        FcFontSetDestroy(candidates);
    FcPatternDestroy(pattern);
    return found;
}

std::pair<int, int> WinAscentDescent(FT_Face face)
{
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->usWinAscent + os2->usWinDescent > 0)
        return { os2->usWinAscent, os2->usWinDescent };
    return { face->ascender, std::abs(face->descender) };
}

} // namespace

std::unique_lock<std::recursive_mutex> FaceLock()
{
    return std::unique_lock<std::recursive_mutex>(g_face_mutex);
}

CellScale ScaleForHeight(int height, int units_per_em, int win_ascent, int win_descent)
{
    const double total = std::max(1, win_ascent + win_descent);
    const double em = std::max(1, units_per_em);
    CellScale scale;
    if (height > 0) {
        scale.cell_height = height;
        scale.ppem = static_cast<int>(std::lround(height * em / total));
    } else {
        scale.ppem = -height;
        scale.cell_height = static_cast<int>(std::lround(-height * total / em));
    }
    scale.ppem = std::max(1, scale.ppem);
    scale.descent = static_cast<int>(std::lround(win_descent * scale.cell_height / total));
    return scale;
}

std::unique_ptr<SizedFace> OpenSizedFace(const FontRequest& request, int height)
{
    if (height == 0)
        return nullptr;
    auto lock = FaceLock();
    auto [path, face] = FindFace(request);
    if (!face)
        return nullptr;
    auto [ascent, descent] = WinAscentDescent(face);
    CellScale scale = ScaleForHeight(height, face->units_per_EM, ascent, descent);
    FT_Size size = nullptr;
    if (FT_New_Size(face, &size) != 0)
        return nullptr;
    FT_Activate_Size(size);
    if (FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(scale.ppem)) != 0) {
        FT_Done_Size(size);
        return nullptr;
    }
    return std::unique_ptr<SizedFace>(new SizedFace(face, size, scale, path));
}

SizedFace::SizedFace(FT_Face face, FT_Size size, CellScale scale, std::string path)
    : face_(face)
    , size_(size)
    , scale_(scale)
    , path_(std::move(path))
{
}

SizedFace::~SizedFace()
{
    auto lock = FaceLock();
    FT_Done_Size(size_);
}

FT_Face SizedFace::Activate()
{
    FT_Activate_Size(size_);
    return face_;
}

} // namespace platform
