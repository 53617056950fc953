// GTK 3 windows hosting markup windows: one drawing area painted by our renderer,
// native entries overlaid on edit controls, and an optional shadow window.
#include "uilib/gtk_backend.h"

#include <gtk/gtk.h>

#include <cmath>
#include <map>
#include <string>

#include "app/log.h"
#include "utils/text.h"

namespace uilib {
namespace {

constexpr uint32_t kMsgSizeId = 0x0005;
constexpr uint32_t kMsgKeyDownId = 0x0100;
constexpr uint32_t kMsgCharId = 0x0102;
constexpr uint32_t kMsgMouseMoveId = 0x0200;
constexpr uint32_t kMsgLButtonDownId = 0x0201;
constexpr uint32_t kMsgLButtonUpId = 0x0202;
constexpr uint32_t kMsgMouseLeaveId = 0x02A3;

intptr_t PackPoint(double x, double y) {
    int ix = static_cast<int>(x), iy = static_cast<int>(y);
    return static_cast<intptr_t>((static_cast<uint32_t>(iy & 0xFFFF) << 16) | static_cast<uint32_t>(ix & 0xFFFF));
}

void UseRgbaVisual(GtkWidget* window) {
    GdkScreen* screen = gtk_widget_get_screen(window);
    if (!gdk_screen_is_composited(screen)) return;
    if (GdkVisual* visual = gdk_screen_get_rgba_visual(screen)) gtk_widget_set_visual(window, visual);
}

class GtkShadowWindow {
public:
    explicit GtkShadowWindow(std::shared_ptr<const ShadowImage> image) : image_(std::move(image)) {
        window_ = gtk_window_new(GTK_WINDOW_POPUP);
        gtk_widget_set_app_paintable(window_, TRUE);
        UseRgbaVisual(window_);
        gtk_window_set_default_size(GTK_WINDOW(window_), image_->width, image_->height);
        gtk_widget_set_size_request(window_, image_->width, image_->height);
        g_signal_connect(window_, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t* cr, gpointer self) -> gboolean {
                             static_cast<GtkShadowWindow*>(self)->Draw(cr);
                             return TRUE;
                         }),
                         this);
        gtk_widget_realize(window_);
        // Click-through: an empty input region.
        cairo_region_t* empty = cairo_region_create();
        gtk_widget_input_shape_combine_region(window_, empty);
        cairo_region_destroy(empty);
        surface_ = cairo_image_surface_create_for_data(
            reinterpret_cast<unsigned char*>(const_cast<uint32_t*>(image_->pixels.data())), CAIRO_FORMAT_ARGB32,
            image_->width, image_->height, image_->width * 4);
    }
    ~GtkShadowWindow() {
        cairo_surface_destroy(surface_);
        gtk_widget_destroy(window_);
    }
    void Follow(const Rect& parent, bool shown, GdkWindow* parentGdk) {
        if (!shown) {
            gtk_widget_hide(window_);
            return;
        }
        gtk_window_move(GTK_WINDOW(window_), parent.left + image_->offsetX, parent.top + image_->offsetY);
        gtk_widget_show(window_);
        GdkWindow* mine = gtk_widget_get_window(window_);
        if (mine != nullptr && parentGdk != nullptr) gdk_window_restack(mine, parentGdk, FALSE);
    }

private:
    void Draw(cairo_t* cr) {
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(cr, surface_, 0, 0);
        cairo_paint(cr);
    }
    std::shared_ptr<const ShadowImage> image_;
    GtkWidget* window_;
    cairo_surface_t* surface_;
};

class GtkNative : public NativeWindow {
public:
    GtkNative(NativeWindowHost* host, NativeWindow* owner, const WindowCreateParams& params)
        : host_(host), bounds_(params.bounds), round_(params.roundCorner) {
        window_ = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_window_set_decorated(GTK_WINDOW(window_), FALSE);
        gtk_window_set_resizable(GTK_WINDOW(window_), FALSE);
        gtk_widget_set_app_paintable(window_, TRUE);
        std::string title = Utils::ToNarrow(params.title, Utils::kCodePageUtf8);
        gtk_window_set_title(GTK_WINDOW(window_), title.c_str());
        if (auto* gtkOwner = dynamic_cast<GtkNative*>(owner)) {
            gtk_window_set_transient_for(GTK_WINDOW(window_), GTK_WINDOW(gtkOwner->window_));
        }
        composited_ = gdk_screen_is_composited(gtk_widget_get_screen(window_));
        UseRgbaVisual(window_);
        GtkWidget* overlay = gtk_overlay_new();
        area_ = gtk_drawing_area_new();
        gtk_widget_add_events(area_, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                         GDK_LEAVE_NOTIFY_MASK);
        gtk_container_add(GTK_CONTAINER(overlay), area_);
        fixed_ = gtk_fixed_new();
        gtk_widget_set_halign(fixed_, GTK_ALIGN_START);
        gtk_widget_set_valign(fixed_, GTK_ALIGN_START);
        gtk_overlay_add_overlay(GTK_OVERLAY(overlay), fixed_);
        gtk_overlay_set_overlay_pass_through(GTK_OVERLAY(overlay), fixed_, TRUE);
        gtk_container_add(GTK_CONTAINER(window_), overlay);
        g_signal_connect(area_, "draw", G_CALLBACK(OnDraw), this);
        g_signal_connect(area_, "motion-notify-event", G_CALLBACK(OnMotion), this);
        g_signal_connect(area_, "button-press-event", G_CALLBACK(OnButton), this);
        g_signal_connect(area_, "button-release-event", G_CALLBACK(OnButton), this);
        g_signal_connect(area_, "leave-notify-event", G_CALLBACK(OnLeave), this);
        g_signal_connect(window_, "key-press-event", G_CALLBACK(OnKey), this);
        g_signal_connect(window_, "configure-event", G_CALLBACK(OnConfigure), this);
        g_signal_connect(window_, "delete-event", G_CALLBACK(OnDelete), this);
        ApplyBounds();
        gtk_widget_show_all(overlay);
    }

    ~GtkNative() override {
        shadow_.reset();
        for (auto& [key, entry] : entries_) g_signal_handlers_disconnect_by_data(entry, this);
        g_signal_handlers_disconnect_by_data(window_, this);
        g_signal_handlers_disconnect_by_data(area_, this);
        gtk_widget_destroy(window_);
    }

    void Show(bool visible) override {
        if (visible) {
            gtk_widget_show(window_);
            gtk_window_move(GTK_WINDOW(window_), bounds_.left, bounds_.top);
        } else {
            gtk_widget_hide(window_);
        }
        shown_ = visible;
        FollowShadow();
    }
    bool IsShown() const override { return shown_; }
    void SetBounds(const Rect& screen) override {
        bool resized = screen.Width() != bounds_.Width() || screen.Height() != bounds_.Height();
        bounds_ = screen;
        ApplyBounds();
        if (resized) host_->DispatchMessage(kMsgSizeId, 0, PackPoint(screen.Width(), screen.Height()));
        FollowShadow();
    }
    Rect GetBounds() const override { return bounds_; }
    void SetRoundCorner(Point round) override {
        round_ = round;
        ApplyShape();
    }
    void Invalidate() override { gtk_widget_queue_draw(area_); }
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    bool IsEnabled() const override { return enabled_; }
    void Minimize() override {
        gtk_window_iconify(GTK_WINDOW(window_));
        minimized_ = true;
        FollowShadow();  // hidden while minimised, back with the window
    }
    bool IsMinimized() const override { return minimized_; }
    void Raise() override { gtk_window_present(GTK_WINDOW(window_)); }
    void Focus() override { gtk_window_present(GTK_WINDOW(window_)); }
    void BeginMove(int, int) override {
        gtk_window_begin_move_drag(GTK_WINDOW(window_), 1, static_cast<int>(lastRootX_), static_cast<int>(lastRootY_),
                                   lastTime_);
    }
    void SetIconPng(const std::string& png) override {
        GdkPixbufLoader* loader = gdk_pixbuf_loader_new();
        if (gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(png.data()), png.size(), nullptr) &&
            gdk_pixbuf_loader_close(loader, nullptr)) {
            if (GdkPixbuf* pixbuf = gdk_pixbuf_loader_get_pixbuf(loader)) gtk_window_set_icon(GTK_WINDOW(window_), pixbuf);
        } else {
            gdk_pixbuf_loader_close(loader, nullptr);
        }
        g_object_unref(loader);
    }
    void PlaceEntry(void* control, const Rect& rc, const std::wstring& text, bool visible,
                    const std::string& fontFamily, int fontPx, uint32_t textColor) override {
        // An entry is made when its edit first shows (not for a hidden page): the
        // first frame of a window does not wait for the entry's style machinery.
        if (entries_.find(control) == entries_.end() && (!visible || rc.Empty())) return;
        GtkWidget*& entry = entries_[control];
        if (entry == nullptr) {
            entry = gtk_entry_new();
            gtk_entry_set_has_frame(GTK_ENTRY(entry), FALSE);
            GtkCssProvider* css = gtk_css_provider_new();
            char rule[512];
            std::snprintf(rule, sizeof rule,
                          "entry { background: transparent; border: none; box-shadow: none; padding: 0;"
                          " min-height: 0; font-family: \"%s\"; font-size: %dpx; color: #%06X; }",
                          fontFamily.substr(0, fontFamily.find(',')).c_str(), fontPx,
                          static_cast<unsigned>(textColor & 0xFFFFFF));
            gtk_css_provider_load_from_data(css, rule, -1, nullptr);
            gtk_style_context_add_provider(gtk_widget_get_style_context(entry), GTK_STYLE_PROVIDER(css),
                                           GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
            g_object_unref(css);
            gtk_fixed_put(GTK_FIXED(fixed_), entry, rc.left, rc.top);
            g_object_set_data(G_OBJECT(entry), "velquin-control", control);
            g_signal_connect(entry, "changed", G_CALLBACK(OnEntryChanged), this);
        }
        gtk_fixed_move(GTK_FIXED(fixed_), entry, rc.left, rc.top);
        gtk_widget_set_size_request(entry, std::max(1, rc.Width()), std::max(1, rc.Height()));
        std::string utf8 = Utils::ToNarrow(text, Utils::kCodePageUtf8);
        if (utf8 != gtk_entry_get_text(GTK_ENTRY(entry))) {
            updatingEntry_ = true;
            gtk_entry_set_text(GTK_ENTRY(entry), utf8.c_str());
            updatingEntry_ = false;
        }
        gtk_widget_set_visible(entry, visible && !rc.Empty());
    }
    void RemoveEntry(void* control) override {
        auto it = entries_.find(control);
        if (it == entries_.end()) return;
        gtk_widget_destroy(it->second);
        entries_.erase(it);
    }
    bool SaveFramePng(const std::string& path) override {
        return SaveClientPng(*host_, bounds_.Width(), bounds_.Height(), path);
    }
    void SetShadow(std::shared_ptr<const ShadowImage> shadow) override {
        shadow_.reset();
        if (shadow && composited_ && shadow->width > 0 && shadow->height > 0) {
            shadow_ = std::make_unique<GtkShadowWindow>(std::move(shadow));
        }
        FollowShadow();
    }

private:
    void ApplyBounds() {
        gtk_widget_set_size_request(area_, bounds_.Width(), bounds_.Height());
        gtk_window_resize(GTK_WINDOW(window_), bounds_.Width(), bounds_.Height());
        gtk_window_move(GTK_WINDOW(window_), bounds_.left, bounds_.top);
        ApplyShape();
    }

    // Without a compositor, transparent corners would show black: cut the outline
    // with a shape region instead.
    void ApplyShape() {
        if (composited_) return;
        int w = bounds_.Width(), h = bounds_.Height();
        cairo_region_t* region = cairo_region_create();
        double rx = round_.x / 2.0, ry = round_.y / 2.0;
        for (int y = 0; y < h; ++y) {
            int inset = 0;
            if (rx > 0 && ry > 0) {
                double dy = 0;
                if (y < ry) dy = ry - y - 0.5;
                else if (y >= h - ry) dy = y + 0.5 - (h - ry);
                if (dy > 0) inset = static_cast<int>(rx - rx * std::sqrt(std::max(0.0, 1 - (dy * dy) / (ry * ry))) + 0.5);
            }
            cairo_rectangle_int_t row{inset, y, std::max(0, w - 2 * inset), 1};
            cairo_region_union_rectangle(region, &row);
        }
        gtk_widget_shape_combine_region(window_, region);
        cairo_region_destroy(region);
    }

    void FollowShadow() {
        if (shadow_) shadow_->Follow(bounds_, shown_ && !minimized_, gtk_widget_get_window(window_));
    }

    static gboolean OnDraw(GtkWidget*, cairo_t* cr, gpointer data) {
        auto* self = static_cast<GtkNative*>(data);
        cairo_save(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_rgba(cr, 0, 0, 0, 0);
        cairo_paint(cr);
        cairo_restore(cr);
        self->host_->PaintClient(cr, self->bounds_.Width(), self->bounds_.Height());
        return TRUE;
    }
    static gboolean OnMotion(GtkWidget*, GdkEventMotion* event, gpointer data) {
        auto* self = static_cast<GtkNative*>(data);
        if (!self->enabled_) return TRUE;
        self->host_->DispatchMessage(kMsgMouseMoveId, 0, PackPoint(event->x, event->y));
        return TRUE;
    }
    static gboolean OnButton(GtkWidget*, GdkEventButton* event, gpointer data) {
        auto* self = static_cast<GtkNative*>(data);
        if (!self->enabled_ || event->button != 1) return TRUE;
        if (event->type == GDK_BUTTON_PRESS) {
            self->lastRootX_ = event->x_root;
            self->lastRootY_ = event->y_root;
            self->lastTime_ = event->time;
            gtk_widget_grab_focus(self->area_);
            self->host_->DispatchMessage(kMsgLButtonDownId, 1, PackPoint(event->x, event->y));
        } else if (event->type == GDK_BUTTON_RELEASE) {
            self->host_->DispatchMessage(kMsgLButtonUpId, 0, PackPoint(event->x, event->y));
        }
        return TRUE;
    }
    static gboolean OnLeave(GtkWidget*, GdkEventCrossing*, gpointer data) {
        static_cast<GtkNative*>(data)->host_->DispatchMessage(kMsgMouseLeaveId, 0, 0);
        return FALSE;
    }
    static gboolean OnKey(GtkWidget* widget, GdkEventKey* event, gpointer data) {
        auto* self = static_cast<GtkNative*>(data);
        if (!self->enabled_) return TRUE;
        GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(widget));
        bool inEntry = focus != nullptr && GTK_IS_ENTRY(focus);
        uint32_t key = 0;
        switch (event->keyval) {
        case GDK_KEY_Return:
        case GDK_KEY_KP_Enter: key = 13; break;
        case GDK_KEY_Escape: key = 27; break;
        case GDK_KEY_space: key = 32; break;
        case GDK_KEY_BackSpace: key = 8; break;
        default: break;
        }
        // Typing in a native entry stays with the entry (and its input method);
        // only Escape and Enter reach the window's filter from there.
        if (inEntry && key != 27 && key != 13) return FALSE;
        if (key != 0) {
            self->host_->DispatchMessage(kMsgKeyDownId, key, 0);
            return TRUE;
        }
        guint32 ch = gdk_keyval_to_unicode(event->keyval);
        if (ch != 0 && !inEntry) {
            self->host_->DispatchMessage(kMsgCharId, ch, 0);
            return TRUE;
        }
        return FALSE;
    }
    static gboolean OnConfigure(GtkWidget*, GdkEventConfigure* event, gpointer data) {
        auto* self = static_cast<GtkNative*>(data);
        self->bounds_ = Rect{event->x, event->y, event->x + self->bounds_.Width(), event->y + self->bounds_.Height()};
        self->minimized_ = false;
        self->FollowShadow();
        return FALSE;
    }
    static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
        // The window manager's close: a close request like any other.
        static_cast<GtkNative*>(data)->host_->DispatchMessage(0x0010, 1, 0);
        return TRUE;
    }
    static void OnEntryChanged(GtkEditable* editable, gpointer data) {
        auto* self = static_cast<GtkNative*>(data);
        if (self->updatingEntry_) return;
        void* control = g_object_get_data(G_OBJECT(editable), "velquin-control");
        std::wstring text = Utils::ToWide(gtk_entry_get_text(GTK_ENTRY(editable)), Utils::kCodePageUtf8);
        self->host_->EntryTextChanged(control, text);
    }

    NativeWindowHost* host_;
    GtkWidget* window_ = nullptr;
    GtkWidget* area_ = nullptr;
    GtkWidget* fixed_ = nullptr;
    Rect bounds_;
    Point round_;
    bool composited_ = false;
    bool shown_ = false;
    bool enabled_ = true;
    bool minimized_ = false;
    bool updatingEntry_ = false;
    double lastRootX_ = 0, lastRootY_ = 0;
    guint32 lastTime_ = GDK_CURRENT_TIME;
    std::map<void*, GtkWidget*> entries_;
    std::unique_ptr<GtkShadowWindow> shadow_;
};

struct GtkTimer {
    std::function<void()> fire;
};

class GtkBackend : public WindowBackend {
public:
    const char* Name() const override { return "gtk"; }
    std::unique_ptr<NativeWindow> CreateNativeWindow(NativeWindowHost* host, NativeWindow* owner,
                                                     const WindowCreateParams& params) override {
        return std::make_unique<GtkNative>(host, owner, params);
    }
    Rect WorkAreaAt(int x, int y) const override {
        GdkDisplay* display = gdk_display_get_default();
        GdkMonitor* monitor = gdk_display_get_monitor_at_point(display, x, y);
        if (monitor == nullptr) monitor = gdk_display_get_primary_monitor(display);
        if (monitor == nullptr) return Rect{0, 0, 1024, 768};
        GdkRectangle area;
        gdk_monitor_get_workarea(monitor, &area);
        return Rect{area.x, area.y, area.x + area.width, area.y + area.height};
    }
    bool ChooseFolder(NativeWindow*, const std::wstring& title, std::wstring& folder) override {
        std::string t = Utils::ToNarrow(title, Utils::kCodePageUtf8);
        GtkFileChooserNative* chooser = gtk_file_chooser_native_new(
            t.c_str(), nullptr, GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER, nullptr, nullptr);
        bool chosen = false;
        if (gtk_native_dialog_run(GTK_NATIVE_DIALOG(chooser)) == GTK_RESPONSE_ACCEPT) {
            if (char* path = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(chooser))) {
                folder = Utils::ToWide(path, Utils::kCodePageAcp);
                g_free(path);
                chosen = true;
            }
        }
        g_object_unref(chooser);
        return chosen;
    }
    uint64_t StartTimer(uint32_t periodMs, std::function<void()> fire) override {
        auto* timer = new GtkTimer{std::move(fire)};
        return g_timeout_add_full(
            G_PRIORITY_DEFAULT, std::max<uint32_t>(1, periodMs),
            [](gpointer data) -> gboolean {
                static_cast<GtkTimer*>(data)->fire();
                return G_SOURCE_CONTINUE;
            },
            timer, [](gpointer data) { delete static_cast<GtkTimer*>(data); });
    }
    void StopTimer(uint64_t handle) override {
        if (handle != 0) g_source_remove(static_cast<guint>(handle));
    }
    void ShowPlatformMessage(const std::wstring& text, const std::wstring& title) override {
        std::string t = Utils::ToNarrow(text, Utils::kCodePageUtf8);
        GtkWidget* dialog = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_OK,
                                                   "%s", t.c_str());
        gtk_window_set_title(GTK_WINDOW(dialog), Utils::ToNarrow(title, Utils::kCodePageUtf8).c_str());
        gtk_dialog_run(GTK_DIALOG(dialog));
        gtk_widget_destroy(dialog);
    }
    bool IsComposited() const override { return gdk_screen_is_composited(gdk_screen_get_default()); }
};

}  // namespace

std::unique_ptr<WindowBackend> CreateGtkBackend() {
    gdk_set_allowed_backends("x11,*");
    if (!gtk_init_check(nullptr, nullptr)) {
        VQ_LOG(L"no display: the window backend cannot start");
        return nullptr;
    }
    return std::make_unique<GtkBackend>();
}

}  // namespace uilib
