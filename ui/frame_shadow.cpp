// Shadow set-up of markup frames.
#include "ui/frame_shadow.h"

#include "uilib/geometry.h"

namespace {

class FrameShadowImpl : public uilib::FrameShadow {
public:
    explicit FrameShadowImpl(std::unique_ptr<CWndShadow> shadow) : shadow_(std::move(shadow)) {}
    void Update(uilib::NativeWindow& parent, int width, int height, uilib::Point roundCorner) override {
        if (width <= 0 || height <= 0) return;
        // The outline ellipse is given as its size; the anchors take its radii.
        ShadowBitmap bitmap =
            shadow_->Compute(width, height, RoundRectAnchors(width, height, roundCorner.x / 2, roundCorner.y / 2));
        auto image = std::make_shared<uilib::ShadowImage>();
        image->width = bitmap.width;
        image->height = bitmap.height;
        image->offsetX = shadow_->OffsetX - shadow_->Size;
        image->offsetY = shadow_->OffsetY - shadow_->Size;
        image->pixels = std::move(bitmap.pixels);
        parent.SetShadow(std::move(image));
    }

private:
    std::unique_ptr<CWndShadow> shadow_;
};

}  // namespace

std::unique_ptr<CWndShadow> ShadowFromAttributes(const uilib::CUIManager& manager) {
    const std::wstring* show = manager.GetWindowCustomAttribute(L"showshadow");
    if (show == nullptr || !uilib::EqualsIgnoringCase(*show, L"true")) return nullptr;
    auto shadow = std::make_unique<CWndShadow>();
    if (const std::wstring* v = manager.GetWindowCustomAttribute(L"shadowsize")) shadow->SetSize(uilib::ParseInt(*v));
    if (const std::wstring* v = manager.GetWindowCustomAttribute(L"shadowsharpness")) {
        shadow->SetSharpness(uilib::ParseInt(*v));
    }
    if (const std::wstring* v = manager.GetWindowCustomAttribute(L"shadowdarkness")) {
        shadow->SetDarkness(uilib::ParseInt(*v));
    }
    if (const std::wstring* v = manager.GetWindowCustomAttribute(L"shadowposition")) {
        int xy[2];
        uilib::ParseIntList(*v, xy, 2);
        shadow->SetPosition(xy[0], xy[1]);
    }
    if (const std::wstring* v = manager.GetWindowCustomAttribute(L"shadowcolor")) {
        shadow->SetColor(uilib::ParseColor(*v));
    }
    return shadow;
}

void RegisterShadowClass() {
    uilib::RegisterShadowFactory([](const uilib::CUIManager& manager) -> std::unique_ptr<uilib::FrameShadow> {
        std::unique_ptr<CWndShadow> shadow = ShadowFromAttributes(manager);
        if (!shadow) return nullptr;
        return std::make_unique<FrameShadowImpl>(std::move(shadow));
    });
}
