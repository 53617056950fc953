// Rendering with cairo and pango: decoded images, the painter controls draw
// through, and rendering a whole tree into an ARGB frame.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "uilib/geometry.h"
#include "uilib/image_description.h"
#include "uilib/ui_manager.h"

namespace uilib {

// A decoded PNG as a premultiplied ARGB32 cairo surface.
class Image {
public:
    // Decodes with stb_image; null when the bytes are not an image.
    static std::shared_ptr<Image> Decode(std::span<const uint8_t> bytes);
    ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;
    int Width() const { return width_; }
    int Height() const { return height_; }
    cairo_surface_t* Surface() const { return surface_; }
    // A copy with every pixel of exactly `rgb` transparent (cached per colour).
    cairo_surface_t* Masked(uint32_t rgb);

private:
    Image() = default;
    cairo_surface_t* surface_ = nullptr;
    cairo_surface_t* masked_ = nullptr;
    uint32_t maskedColor_ = 0;
    int width_ = 0;
    int height_ = 0;
};

// The name an image is cached under: "/" separators, lower case.
std::wstring ImageKey(const std::wstring& name);

// The process-wide cache of decoded archive images, by name ("\\" and "/" alike,
// letter case ignored); misses are cached too. Any thread.
std::shared_ptr<Image> CachedArchiveImage(const std::wstring& name);

// Start-up work done on a second core while the window system starts: opens the
// linked archive, decodes the named images into the cache and loads the font
// configuration. The destructor waits for it.
class ResourcePrefetch {
public:
    ResourcePrefetch(std::string type, int id, std::vector<std::wstring> images);
    ~ResourcePrefetch();
    ResourcePrefetch(const ResourcePrefetch&) = delete;
    ResourcePrefetch& operator=(const ResourcePrefetch&) = delete;

private:
    std::thread worker_;
};

struct TextMetrics {
    int width = 0;
    int height = 0;
};

class Painter {
public:
    Painter(cairo_t* cr, CUIManager& manager) : cr_(cr), manager_(manager) {}

    void FillRect(const Rect& rc, uint32_t argb, Point round = {});
    void StrokeRect(const Rect& rc, uint32_t argb, int width, Point round = {});
    // Draws an image description into `rc` (or its dest part); false when the image
    // is missing, which draws nothing.
    bool DrawImage(const Rect& rc, const std::wstring& description);
    bool DrawImage(const Rect& rc, const ImageSpec& desc);
    // Text in a layout font inside `rc` with the label alignment flags.
    void DrawText(const Rect& rc, const std::wstring& text, int font, uint32_t argb, unsigned style);

    cairo_t* Context() const { return cr_; }
    CUIManager& Manager() const { return manager_; }

private:
    cairo_t* cr_;
    CUIManager& manager_;
};

// The size of `text` drawn in the manager's font `font` with the label style flags.
TextMetrics GetTextSize(CUIManager& manager, const std::wstring& text, int font, unsigned style);

// Lays out and paints the manager's tree into a new ARGB32 surface of the client
// size (transparent outside the rounded outline). The caller destroys the surface.
cairo_surface_t* RenderFrame(CUIManager& manager);
// Paints the tree onto an existing context (the client area at 0,0).
void PaintTree(CUIManager& manager, cairo_t* cr);

// The face list a layout's face name stands for: "微软雅黑" and other Windows faces
// map to the CJK faces fontconfig has (WenQuanYi Micro Hei, Noto Sans CJK SC).
std::string FontFamilyFor(const std::wstring& face);

}  // namespace uilib
