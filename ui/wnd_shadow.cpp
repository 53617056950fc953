// The shadow bitmap: outline, erosion, kernel, blurred border, fill and cut-out.
#include "ui/wnd_shadow.h"

#include <algorithm>
#include <cmath>

namespace {

uint32_t Premultiplied(uint32_t color, int alpha) {
    const uint32_t a = static_cast<uint32_t>(alpha);
    const uint32_t r = (color & 0xFF) * a / 255;
    const uint32_t g = ((color >> 8) & 0xFF) * a / 255;
    const uint32_t b = ((color >> 16) & 0xFF) * a / 255;
    return b | (g << 8) | (r << 16) | (a << 24);
}

}  // namespace

RowAnchors RoundRectAnchors(int width, int height, int rx, int ry) {
    RowAnchors rows(static_cast<size_t>(std::max(height, 0)));
    for (int y = 0; y < height; ++y) {
        int inset = 0;
        const double cy =
            y < ry ? ry - y - 0.5 : (y >= height - ry ? y - (height - ry) + 0.5 : -1.0);
        if (cy >= 0.0 && rx > 0 && ry > 0) {
            const double t = std::min(1.0, cy / ry);
            inset = static_cast<int>(std::lround(rx - rx * std::sqrt(1.0 - t * t)));
        }
        rows[static_cast<size_t>(y)] = {inset, width - inset};
    }
    return rows;
}

int ShadowKernelOpacity(double d, int size, int sharpness, int darkness) {
    const int r = std::max(size, sharpness);
    const int c = std::max(size - sharpness, 0);
    if (d < c) {
        return darkness;
    }
    if (d <= r) {
        return static_cast<int>((1.0 - (d - c) / (sharpness + 1)) * darkness);
    }
    return 0;
}

bool CWndShadow::SetSize(int size) {
    if (size < -20 || size > 20) {
        return false;
    }
    Size = static_cast<int8_t>(size);
    return true;
}

bool CWndShadow::SetSharpness(int sharpness) {
    if (sharpness < 0 || sharpness > 20) {
        return false;
    }
    Sharpness = static_cast<uint8_t>(sharpness);
    return true;
}

bool CWndShadow::SetDarkness(int darkness) {
    if (darkness < 0 || darkness > 255) {
        return false;
    }
    Darkness = static_cast<uint8_t>(darkness);
    return true;
}

bool CWndShadow::SetPosition(int x, int y) {
    if (x < -20 || x > 20 || y < -20 || y > 20) {
        return false;
    }
    OffsetX = static_cast<int8_t>(x);
    OffsetY = static_cast<int8_t>(y);
    return true;
}

ShadowBitmap CWndShadow::Compute(int w, int h, const RowAnchors& outline) const {
    const int s = Size;
    ShadowBitmap bmp;
    bmp.width = w + 2 * s;
    bmp.height = h + 2 * s;
    if (bmp.width <= 0 || bmp.height <= 0 || w <= 0 || h <= 0) {
        bmp.width = bmp.height = 0;
        return bmp;
    }
    bmp.pixels.assign(static_cast<size_t>(bmp.width) * static_cast<size_t>(bmp.height), 0u);

    // 1. Shadow rows with one empty row before and after; empty = (width, 0).
    const std::pair<int, int> empty{bmp.width, 0};
    const int count = std::max(h, bmp.height) + 2;
    std::vector<std::pair<int, int>> rows(static_cast<size_t>(count), empty);
    for (int r = 0; r < bmp.height; ++r) {
        const int y = r - s;
        if (y >= 0 && y < h && static_cast<size_t>(y) < outline.size() &&
            outline[static_cast<size_t>(y)].first < outline[static_cast<size_t>(y)].second) {
            rows[static_cast<size_t>(r + 1)] = {outline[static_cast<size_t>(y)].first + s,
                                                outline[static_cast<size_t>(y)].second + s};
        }
    }
    // 2. Erosion.
    for (int pass = 0; pass < Sharpness - s; ++pass) {
        std::vector<std::pair<int, int>> next = rows;
        for (int i = 1; i + 1 < count; ++i) {
            const auto& a = rows[static_cast<size_t>(i - 1)];
            const auto& b = rows[static_cast<size_t>(i)];
            const auto& c = rows[static_cast<size_t>(i + 1)];
            next[static_cast<size_t>(i)] = {std::max({a.first, b.first, c.first}) + 1,
                                            std::min({a.second, b.second, c.second}) - 1};
        }
        rows.swap(next);
    }
    // 3. Kernel.
    const int R = std::max<int>(s, Sharpness);
    const int side = 2 * R + 1;
    std::vector<uint32_t> kernel(static_cast<size_t>(side) * static_cast<size_t>(side));
    for (int dy = -R; dy <= R; ++dy) {
        for (int dx = -R; dx <= R; ++dx) {
            const double d = std::sqrt(static_cast<double>(dx * dx + dy * dy));
            const int a = ShadowKernelOpacity(d, s, Sharpness, Darkness);
            kernel[static_cast<size_t>((dy + R) * side + (dx + R))] =
                a > 0 ? Premultiplied(Color, a) : 0u;
        }
    }
    auto stamp = [&](int cx, int cy) {
        for (int dy = -R; dy <= R; ++dy) {
            const int y = cy + dy;
            if (y < 0 || y >= bmp.height) {
                continue;
            }
            for (int dx = -R; dx <= R; ++dx) {
                const int x = cx + dx;
                if (x < 0 || x >= bmp.width) {
                    continue;
                }
                uint32_t& px = bmp.pixels[static_cast<size_t>(y) * static_cast<size_t>(bmp.width) +
                                          static_cast<size_t>(x)];
                px = std::max(px, kernel[static_cast<size_t>((dy + R) * side + (dx + R))]);
            }
        }
    };
    // 4. Blurred border along the left and right edge runs of every row.
    for (int r = R; r <= bmp.height - R - 1; ++r) {
        const auto& row = rows[static_cast<size_t>(r + 1)];
        if (row.first >= row.second) {
            continue;
        }
        const auto& up = rows[static_cast<size_t>(r)];
        const auto& down = rows[static_cast<size_t>(r + 2)];
        const int leftStop = std::min(std::max(up.first, down.first) + 1, row.second);
        for (int x = row.first; x < leftStop; ++x) {
            stamp(x, r);
        }
        const int rightStart = std::max(std::min(up.second, down.second) - 1, leftStop);
        for (int x = rightStart; x < row.second; ++x) {
            stamp(x, r);
        }
    }
    // 5. Fill inside the eroded outline, transparent under the parent.
    const uint32_t full = Premultiplied(Color, Darkness);
    const int rStart = std::min(R, std::max(s - OffsetY, 0));
    const int rEnd = std::max(bmp.height - R, std::min(h + s - OffsetY, bmp.height));
    for (int r = rStart; r < rEnd && r < bmp.height; ++r) {
        const auto& row = rows[static_cast<size_t>(r + 1)];
        uint32_t* line = &bmp.pixels[static_cast<size_t>(r) * static_cast<size_t>(bmp.width)];
        auto fill = [&](int from, int to, uint32_t value) {
            for (int x = std::max(from, 0); x < std::min(to, bmp.width); ++x) {
                line[x] = value;
            }
        };
        const int py = r - s + OffsetY;
        const bool covered =
            py >= 0 && py < h && static_cast<size_t>(py) < outline.size() &&
            outline[static_cast<size_t>(py)].first < outline[static_cast<size_t>(py)].second;
        if (!covered) {
            fill(row.first, row.second, full);
            continue;
        }
        const int left = outline[static_cast<size_t>(py)].first + s - OffsetX;
        const int right = outline[static_cast<size_t>(py)].second + s - OffsetX;
        fill(row.first, std::min(left, row.second), full);
        fill(left, right, 0u);
        fill(std::max(right, row.first), row.second, full);
    }
    return bmp;
}
