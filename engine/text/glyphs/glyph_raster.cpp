#include "engine/text/glyphs/glyph_raster.h"

#include <agg_conv_curve.h>
#include <agg_conv_stroke.h>
#include <agg_path_storage.h>
#include <agg_pixfmt_rgba.h>
#include <agg_rasterizer_scanline_aa.h>
#include <agg_renderer_base.h>
#include <agg_renderer_scanline.h>
#include <agg_rendering_buffer.h>
#include <agg_scanline_u.h>

#include "engine/text/glyphs/glyph_path.h"

namespace {

using PixelFormat = agg::pixfmt_bgra32;
using BaseRenderer = agg::renderer_base<PixelFormat>;

agg::rgba8 ToAgg(D3DCOLOR argb)
{
    return agg::rgba8((argb >> 16) & 0xFF, (argb >> 8) & 0xFF, argb & 0xFF, (argb >> 24) & 0xFF);
}

bool Drawable(const IMPixelBuffer& target)
{
    return target.bits && target.width > 0 && target.height > 0;
}

template <class VertexSource> void Fill(BaseRenderer& base, VertexSource& source, agg::rgba8 colour)
{
    agg::rasterizer_scanline_aa<> rasterizer;
    agg::scanline_u8 scanline;
    agg::renderer_scanline_aa_solid<BaseRenderer> solid(base);
    solid.color(colour);
    rasterizer.add_path(source);
    agg::render_scanlines(rasterizer, scanline, solid);
}

} // namespace

SIZE GlyphImageSize(const IMGlyphPath& path, const RECT* rect)
{
    SIZE size { path.Advance(), path.CellHeight() };
    if (rect)
        size = SIZE { rect->right - rect->left, rect->bottom - rect->top };
    size.cx = size.cx > 0 ? size.cx : 1;
    size.cy = size.cy > 0 ? size.cy : 1;
    return size;
}

void RasterizeGlyph(IMGlyphPath& path, const IMPixelBuffer& target, D3DCOLOR colour, D3DCOLOR background)
{
    if (!Drawable(target))
        return;
    // Rows bottom-up: the first row is the buffer's last, so the path's upward y lands the right way up.
    agg::rendering_buffer rows(target.bits, target.width, target.height, -target.pitch);
    PixelFormat pixels(rows);
    BaseRenderer base(pixels);
    base.clip_box(0, 0, target.width - 1, target.height - 1);
    base.clear(ToAgg(background));
    agg::conv_curve<IMGlyphPath> curves(path);
    Fill(base, curves, ToAgg(colour));
}

void RasterizeStroke(const IMPixelBuffer& target, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    if (!Drawable(target))
        return;
    agg::rendering_buffer rows(target.bits, target.width, target.height, target.pitch);
    PixelFormat pixels(rows);
    BaseRenderer base(pixels);
    base.clip_box(0, 0, target.width - 1, target.height - 1);
    agg::path_storage segment;
    segment.move_to(x0, y0);
    segment.line_to(x1, y1);
    agg::conv_curve<agg::path_storage> curves(segment);
    agg::conv_stroke<agg::conv_curve<agg::path_storage>> stroke(curves);
    stroke.width(2.0);
    Fill(base, stroke, agg::rgba8(255, 0, 0, 255));
}
