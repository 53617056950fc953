// cairo + pango rendering: image decoding, nine-grid drawing, text and frames.
#include "uilib/render.h"

#include <fontconfig/fontconfig.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwctype>
#include <mutex>
#include <unordered_map>

#include "uilib/resource_archive.h"

#include "utils/text.h"

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace uilib {
namespace {

void SetSourceArgb(cairo_t* cr, uint32_t argb) {
    cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0, (argb & 0xFF) / 255.0,
                          ((argb >> 24) & 0xFF) / 255.0);
}

// A rectangle with elliptic corners of the platform's (width, height) ellipse size.
void RoundRectPath(cairo_t* cr, double x, double y, double w, double h, Point round) {
    double rx = std::min(round.x / 2.0, w / 2.0);
    double ry = std::min(round.y / 2.0, h / 2.0);
    if (rx <= 0 || ry <= 0) {
        cairo_rectangle(cr, x, y, w, h);
        return;
    }
    cairo_new_sub_path(cr);
    const double corners[4][3] = {{x + w - rx, y + ry, -M_PI / 2}, {x + w - rx, y + h - ry, 0},
                                  {x + rx, y + h - ry, M_PI / 2}, {x + rx, y + ry, M_PI}};
    for (const auto& c : corners) {
        cairo_save(cr);
        cairo_translate(cr, c[0], c[1]);
        cairo_scale(cr, rx, ry);
        cairo_arc(cr, 0, 0, 1, c[2], c[2] + M_PI / 2);
        cairo_restore(cr);
    }
    cairo_close_path(cr);
}

// One patch of an image: source rectangle stretched (or tiled) into a destination.
void DrawPatch(cairo_t* cr, cairo_surface_t* surface, double sx, double sy, double sw, double sh, double dx,
               double dy, double dw, double dh, double alpha, bool xtiled, bool ytiled) {
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
    cairo_save(cr);
    cairo_rectangle(cr, dx, dy, dw, dh);
    cairo_clip(cr);
    cairo_translate(cr, dx, dy);
    double scaleX = xtiled ? 1.0 : dw / sw;
    double scaleY = ytiled ? 1.0 : dh / sh;
    cairo_scale(cr, scaleX, scaleY);
    cairo_surface_t* part = cairo_surface_create_for_rectangle(surface, sx, sy, sw, sh);
    cairo_pattern_t* pattern = cairo_pattern_create_for_surface(part);
    cairo_pattern_set_extend(pattern, (xtiled || ytiled) ? CAIRO_EXTEND_REPEAT : CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(pattern, (scaleX == 1.0 && scaleY == 1.0) ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_set_source(cr, pattern);
    if (alpha >= 1.0) cairo_paint(cr);
    else cairo_paint_with_alpha(cr, alpha);
    cairo_pattern_destroy(pattern);
    cairo_surface_destroy(part);
    cairo_restore(cr);
}

PangoLayout* MakeLayout(cairo_t* cr, CUIManager& manager, const std::wstring& text, int font, unsigned style,
                        int width) {
    const FontInfo& info = manager.GetFont(font);
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* desc = pango_font_description_new();
    pango_font_description_set_family(desc, FontFamilyFor(info.name).c_str());
    pango_font_description_set_absolute_size(desc, std::max(1, info.size) * PANGO_SCALE);
    pango_font_description_set_weight(desc, info.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(desc, info.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_layout_set_font_description(layout, desc);
    pango_font_description_free(desc);
    if (info.underline) {
        PangoAttrList* attrs = pango_attr_list_new();
        pango_attr_list_insert(attrs, pango_attr_underline_new(PANGO_UNDERLINE_SINGLE));
        pango_layout_set_attributes(layout, attrs);
        pango_attr_list_unref(attrs);
    }
    std::string utf8 = Utils::ToNarrow(text, Utils::kCodePageUtf8);
    pango_layout_set_text(layout, utf8.c_str(), static_cast<int>(utf8.size()));
    if (width > 0 && (style & kAlignWordBreak) != 0) {
        pango_layout_set_width(layout, width * PANGO_SCALE);
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);
    }
    if (width > 0) {
        PangoAlignment align = PANGO_ALIGN_LEFT;
        if (style & kAlignCenter) align = PANGO_ALIGN_CENTER;
        else if (style & kAlignRight) align = PANGO_ALIGN_RIGHT;
        pango_layout_set_alignment(layout, align);
        if ((style & kAlignWordBreak) == 0 && align != PANGO_ALIGN_LEFT) {
            pango_layout_set_width(layout, width * PANGO_SCALE);
            pango_layout_set_wrap(layout, PANGO_WRAP_CHAR);
            pango_layout_set_ellipsize(layout, PANGO_ELLIPSIZE_NONE);
        }
    }
    return layout;
}

}  // namespace

std::string FontFamilyFor(const std::wstring& face) {
    std::string narrow = Utils::ToNarrow(face, Utils::kCodePageUtf8);
    static const char kCjk[] = "WenQuanYi Micro Hei,Noto Sans CJK SC,Droid Sans Fallback,DejaVu Sans,sans-serif";
    if (face.empty() || face == L"微软雅黑" || face == L"宋体" || face == L"Microsoft YaHei") return kCjk;
    return narrow + "," + kCjk;
}

// ---- Image ------------------------------------------------------------------

std::shared_ptr<Image> Image::Decode(std::span<const uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > 64u * 1024 * 1024) return nullptr;
    int width = 0, height = 0, channels = 0;
    unsigned char* rgba = stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height,
                                                &channels, 4);
    if (rgba == nullptr) return nullptr;
    std::shared_ptr<Image> image(new Image());
    image->width_ = width;
    image->height_ = height;
    image->surface_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (cairo_surface_status(image->surface_) != CAIRO_STATUS_SUCCESS) {
        stbi_image_free(rgba);
        return nullptr;
    }
    cairo_surface_flush(image->surface_);
    unsigned char* data = cairo_image_surface_get_data(image->surface_);
    int stride = cairo_image_surface_get_stride(image->surface_);
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(data + static_cast<ptrdiff_t>(y) * stride);
        const unsigned char* src = rgba + static_cast<size_t>(y) * static_cast<size_t>(width) * 4;
        for (int x = 0; x < width; ++x) {
            uint32_t r = src[x * 4], g = src[x * 4 + 1], b = src[x * 4 + 2], a = src[x * 4 + 3];
            r = (r * a + 127) / 255;
            g = (g * a + 127) / 255;
            b = (b * a + 127) / 255;
            row[x] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(image->surface_);
    stbi_image_free(rgba);
    return image;
}

Image::~Image() {
    if (masked_ != nullptr) cairo_surface_destroy(masked_);
    if (surface_ != nullptr) cairo_surface_destroy(surface_);
}

cairo_surface_t* Image::Masked(uint32_t rgb) {
    rgb &= 0x00FFFFFFu;
    if (masked_ != nullptr && maskedColor_ == rgb) return masked_;
    if (masked_ != nullptr) cairo_surface_destroy(masked_);
    masked_ = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width_, height_);
    maskedColor_ = rgb;
    cairo_surface_flush(surface_);
    cairo_surface_flush(masked_);
    const unsigned char* src = cairo_image_surface_get_data(surface_);
    unsigned char* dst = cairo_image_surface_get_data(masked_);
    int stride = cairo_image_surface_get_stride(surface_);
    for (int y = 0; y < height_; ++y) {
        auto* in = reinterpret_cast<const uint32_t*>(src + static_cast<ptrdiff_t>(y) * stride);
        auto* out = reinterpret_cast<uint32_t*>(dst + static_cast<ptrdiff_t>(y) * stride);
        for (int x = 0; x < width_; ++x) {
            // Only opaque pixels carry their colour unchanged by premultiplication.
            bool hit = (in[x] >> 24) == 0xFF && (in[x] & 0x00FFFFFFu) == rgb;
            out[x] = hit ? 0u : in[x];
        }
    }
    cairo_surface_mark_dirty(masked_);
    return masked_;
}

// ---- cache and prefetch -----------------------------------------------------

std::wstring ImageKey(const std::wstring& name) {
    std::wstring key = name;
    for (wchar_t& c : key) {
        c = c == L'\\' ? L'/' : static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
    }
    return key;
}

std::shared_ptr<Image> CachedArchiveImage(const std::wstring& name) {
    static std::mutex lock;
    static auto* cache = new std::unordered_map<std::wstring, std::shared_ptr<Image>>();  // lives until exit
    std::wstring key = ImageKey(name);
    {
        std::lock_guard<std::mutex> guard(lock);
        auto it = cache->find(key);
        if (it != cache->end()) return it->second;
    }
    // Decoded outside the lock: another thread may decode the same image meanwhile,
    // and the first one stored wins.
    std::shared_ptr<Image> image;
    std::span<const uint8_t> bytes = LookupArchiveEntry(name);
    if (!bytes.empty()) image = Image::Decode(bytes);
    std::lock_guard<std::mutex> guard(lock);
    return cache->emplace(key, image).first->second;
}

ResourcePrefetch::ResourcePrefetch(std::string type, int id, std::vector<std::wstring> images)
    : worker_([type = std::move(type), id, images = std::move(images)] {
          FcInit();
          if (!ResourceArchive::OpenShared(type, id)) return;
          for (const std::wstring& name : images) CachedArchiveImage(name);
      }) {}

ResourcePrefetch::~ResourcePrefetch() {
    if (worker_.joinable()) worker_.join();
}

// ---- Painter ----------------------------------------------------------------

void Painter::FillRect(const Rect& rc, uint32_t argb, Point round) {
    cairo_save(cr_);
    RoundRectPath(cr_, rc.left, rc.top, rc.Width(), rc.Height(), round);
    SetSourceArgb(cr_, argb);
    cairo_fill(cr_);
    cairo_restore(cr_);
}

void Painter::StrokeRect(const Rect& rc, uint32_t argb, int width, Point round) {
    cairo_save(cr_);
    double half = width / 2.0;
    RoundRectPath(cr_, rc.left + half, rc.top + half, rc.Width() - width, rc.Height() - width, round);
    SetSourceArgb(cr_, argb);
    cairo_set_line_width(cr_, width);
    cairo_stroke(cr_);
    cairo_restore(cr_);
}

bool Painter::DrawImage(const Rect& rc, const std::wstring& description) {
    return DrawImage(rc, ParseImageSpec(description));
}

bool Painter::DrawImage(const Rect& rc, const ImageSpec& desc) {
    if (desc.file.empty()) return false;
    std::shared_ptr<Image> image = manager_.GetImage(desc.file);
    if (!image) return false;
    cairo_surface_t* surface = desc.hasMask ? image->Masked(desc.mask) : image->Surface();
    Rect src{0, 0, image->Width(), image->Height()};
    if (desc.hasSource) {
        src = Rect{std::clamp(desc.source.left, 0, image->Width()), std::clamp(desc.source.top, 0, image->Height()),
                   std::clamp(desc.source.right, 0, image->Width()),
                   std::clamp(desc.source.bottom, 0, image->Height())};
        if (src.Empty()) return false;
    }
    Rect dst = rc;
    if (desc.hasDest) {
        dst = Rect{rc.left + desc.dest.left, rc.top + desc.dest.top, rc.left + desc.dest.right,
                   rc.top + desc.dest.bottom};
        dst.right = std::min(dst.right, rc.right);
        dst.bottom = std::min(dst.bottom, rc.bottom);
    }
    if (dst.Empty()) return false;
    double alpha = desc.fade / 255.0;
    const Rect& c = desc.corner;
    bool nine = c.left > 0 || c.top > 0 || c.right > 0 || c.bottom > 0;
    if (!nine) {
        DrawPatch(cr_, surface, src.left, src.top, src.Width(), src.Height(), dst.left, dst.top, dst.Width(),
                  dst.Height(), alpha, desc.xtiled, desc.ytiled);
        return true;
    }
    // Nine-grid: corners keep their size, edges stretch along one axis, the centre
    // both (or stays out with "hole").
    int l = std::min(c.left, dst.Width()), r = std::min(c.right, dst.Width() - l);
    int t = std::min(c.top, dst.Height()), b = std::min(c.bottom, dst.Height() - t);
    const int sxs[4] = {src.left, src.left + c.left, src.right - c.right, src.right};
    const int sys[4] = {src.top, src.top + c.top, src.bottom - c.bottom, src.bottom};
    const int dxs[4] = {dst.left, dst.left + l, dst.right - r, dst.right};
    const int dys[4] = {dst.top, dst.top + t, dst.bottom - b, dst.bottom};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            if (desc.hole && row == 1 && col == 1) continue;
            DrawPatch(cr_, surface, sxs[col], sys[row], sxs[col + 1] - sxs[col], sys[row + 1] - sys[row], dxs[col],
                      dys[row], dxs[col + 1] - dxs[col], dys[row + 1] - dys[row], alpha, desc.xtiled && col == 1,
                      desc.ytiled && row == 1);
        }
    }
    return true;
}

void Painter::DrawText(const Rect& rc, const std::wstring& text, int font, uint32_t argb, unsigned style) {
    if (text.empty() || rc.Empty()) return;
    PangoLayout* layout = MakeLayout(cr_, manager_, text, font, style, rc.Width());
    int width = 0, height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    double y = rc.top;
    if (style & kAlignBottom) y = rc.bottom - height;
    else if (style & kAlignVCenter) y = rc.top + (rc.Height() - height) / 2.0;
    cairo_save(cr_);
    cairo_rectangle(cr_, rc.left, rc.top, rc.Width(), rc.Height());
    cairo_clip(cr_);
    SetSourceArgb(cr_, (argb >> 24) == 0 ? (argb | 0xFF000000u) : argb);
    cairo_move_to(cr_, rc.left, std::floor(y));
    pango_cairo_show_layout(cr_, layout);
    cairo_restore(cr_);
    g_object_unref(layout);
}

TextMetrics GetTextSize(CUIManager& manager, const std::wstring& text, int font, unsigned style) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 1, 1);
    cairo_t* cr = cairo_create(surface);
    PangoLayout* layout = MakeLayout(cr, manager, text, font, style & ~kAlignWordBreak, 0);
    TextMetrics metrics;
    pango_layout_get_pixel_size(layout, &metrics.width, &metrics.height);
    g_object_unref(layout);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return metrics;
}

void PaintTree(CUIManager& manager, cairo_t* cr) {
    manager.UpdateLayout();
    CControlUI* root = manager.GetRoot();
    if (root == nullptr) return;
    Point size = manager.GetClientSize();
    cairo_save(cr);
    RoundRectPath(cr, 0, 0, size.x, size.y, manager.GetRoundCorner());
    cairo_clip(cr);
    Painter painter(cr, manager);
    if (root->IsOwnVisible()) root->DoPaint(painter);
    cairo_restore(cr);
}

cairo_surface_t* RenderFrame(CUIManager& manager) {
    Point size = manager.GetClientSize();
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(1, size.x), std::max(1, size.y));
    cairo_t* cr = cairo_create(surface);
    PaintTree(manager, cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    return surface;
}

}  // namespace uilib
