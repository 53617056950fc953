// Markup framework benchmarks, reported as ratios measured in one run:
//
//   velquin_uilib_bench [rounds] [repaints]      (defaults 15 and 400)
//
// 1. First frame: opening the linked archive, building the main window's tree and
//    rendering it, against a bare GTK window that decodes one PNG and shows its first
//    frame. Also our own frame shown in a GTK window (backend included). Each is
//    measured repeated within this process and once per new process. Target ≤ 1.5.
// 2. Full repaint of the 600×400 main window against cairo painting the background
//    image alone onto the same surface. Target ≤ 4.
// 3. Resident memory of a headless process with the main window built. Target < 30 MB.
//
// Needs an X display for part 1; without DISPLAY it starts its own Xvfb.
#include <gtk/gtk.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "uilib/gtk_backend.h"
#include "uilib/headless_backend.h"
#include "uilib/markup_builder.h"
#include "uilib/render.h"
#include "uilib/resource_archive.h"
#include "uilib/ui_manager.h"
#include "uilib/window.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// VmRSS of this process in KiB, or -1.
long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

// ---- 1. First frame ---------------------------------------------------------------

// Fresh archive, tree of the main window, one rendered frame: what the installer
// does before it has anything to show.
double TimeMarkupFirstFrame() {
    auto start = Clock::now();
    uilib::ResourceArchive archive;
    if (!archive.Open(uilib::FindLinkedResource("ZIPRES", 147))) {
        std::fprintf(stderr, "the linked archive does not open\n");
        std::exit(1);
    }
    std::wstring text, error;
    if (!uilib::LoadMarkupFrom(archive, L"mainWnd.xml", text, error)) {
        std::fprintf(stderr, "mainWnd.xml does not load\n");
        std::exit(1);
    }
    uilib::CUIManager manager;
    uilib::CControlUI* root = uilib::CMarkupBuilder::Create(text, manager, nullptr, &error);
    if (root == nullptr) {
        std::fprintf(stderr, "mainWnd.xml does not build\n");
        std::exit(1);
    }
    manager.AttachDialog(root);
    manager.SetClientSize(600, 400);
    cairo_surface_t* frame = uilib::RenderFrame(manager);
    double seconds = Seconds(start);
    cairo_surface_destroy(frame);
    return seconds;
}

struct BareWindow {
    GdkPixbuf* pixbuf = nullptr;
    bool drawn = false;
};

gboolean DrawBare(GtkWidget*, cairo_t* cr, gpointer data) {
    auto* self = static_cast<BareWindow*>(data);
    gdk_cairo_set_source_pixbuf(cr, self->pixbuf, 0, 0);
    cairo_paint(cr);
    self->drawn = true;
    return TRUE;
}

// Creating the window → its first "draw" handled (the handler paints the PNG).
double TimeBareGtkFirstFrame(const char* png) {
    BareWindow state;
    auto start = Clock::now();
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_window_set_resizable(GTK_WINDOW(window), FALSE);
    GError* error = nullptr;
    state.pixbuf = gdk_pixbuf_new_from_file(png, &error);
    if (state.pixbuf == nullptr) {
        std::fprintf(stderr, "%s: %s\n", png, error != nullptr ? error->message : "not decoded");
        std::exit(1);
    }
    GtkWidget* area = gtk_drawing_area_new();
    gtk_widget_set_size_request(area, 600, 400);
    g_signal_connect(area, "draw", G_CALLBACK(DrawBare), &state);
    gtk_container_add(GTK_CONTAINER(window), area);
    gtk_window_move(GTK_WINDOW(window), 100, 100);
    gtk_widget_show_all(window);
    bool drawn = uilib::PumpUntil([&] { return state.drawn; }, 10000);
    double seconds = Seconds(start);
    gtk_widget_destroy(window);
    g_object_unref(state.pixbuf);
    uilib::PumpMessagesFor(20);
    if (!drawn) {
        std::fprintf(stderr, "the bare GTK window was never drawn\n");
        std::exit(1);
    }
    return seconds;
}

// A markup frame that notes its first paint.
class PaintedFrame : public uilib::CMarkupFrame {
public:
    PaintedFrame() : CMarkupFrame(uilib::FrameParams{4, 147, L"", L"mainWnd.xml", L"mainWnd"}) {}
    bool painted = false;

protected:
    void PaintClient(cairo_t* cr, int width, int height) override {
        CMarkupFrame::PaintClient(cr, width, height);
        painted = true;
    }
};

// Our main window on the GTK backend: archive open, frame creation (tree built) and
// ShowWindow → the first paint done. With the shared archive already open (repeated
// rounds), a fresh one is opened to count that cost; otherwise the frame opens it.
double TimeMarkupGtkFirstFrame() {
    auto start = Clock::now();
    uilib::ResourceArchive archive;
    if (uilib::ResourceArchive::Shared().IsOpen())
        archive.Open(uilib::FindLinkedResource("ZIPRES", 147));
    auto frame = std::make_unique<PaintedFrame>();
    if (!frame->Create(nullptr, L"bench", 0x00CF0000, 0, 100, 100, uilib::kUseDefault,
                       uilib::kUseDefault)) {
        std::fprintf(stderr, "the GTK markup frame was not created\n");
        std::exit(1);
    }
    frame->ShowWindow(true);
    bool painted = uilib::PumpUntil([&] { return frame->painted; }, 10000);
    double seconds = Seconds(start);
    frame->DestroyWindow();
    frame.reset();
    uilib::PumpMessagesFor(20);
    if (!painted) {
        std::fprintf(stderr, "the GTK markup frame was never painted\n");
        std::exit(1);
    }
    return seconds;
}

// The same first frame in a process that has done nothing else yet: the one archive
// the process keeps, opened here, serves both the layout and its images.
double TimeMarkupFirstFrameCold() {
    auto start = Clock::now();
    if (!uilib::ResourceArchive::OpenShared("ZIPRES", 147))
        return -1;
    std::wstring text, error;
    if (!uilib::LoadMarkup(L"mainWnd.xml", text, error))
        return -1;
    uilib::CUIManager manager;
    uilib::CControlUI* root = uilib::CMarkupBuilder::Create(text, manager, nullptr, &error);
    if (root == nullptr)
        return -1;
    manager.AttachDialog(root);
    manager.SetClientSize(600, 400);
    cairo_surface_t* frame = uilib::RenderFrame(manager);
    double seconds = Seconds(start);
    cairo_surface_destroy(frame);
    return seconds;
}

// Child mode "--cold <what>": prints the seconds of one first frame in a new process
// (GTK started before the clock runs, as the bare window's measure begins at window
// creation).
int ColdProbe(const std::string& what) {
    double seconds = -1;
    if (what == "headless") {
        seconds = TimeMarkupFirstFrameCold();
    } else {
        std::unique_ptr<uilib::WindowBackend> gtk = uilib::CreateGtkBackend();
        if (!gtk)
            return 1;
        uilib::UseBackend(std::move(gtk));
        if (what == "bare")
            seconds = TimeBareGtkFirstFrame(VELQUIN_BENCH_BACKGROUND_PNG);
        if (what == "gtk")
            seconds = TimeMarkupGtkFirstFrame();
    }
    if (seconds < 0)
        return 1;
    std::printf("%.9f\n", seconds);
    return 0;
}

std::string SelfPath() {
    char self[4096];
    ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0)
        return "";
    self[n] = '\0';
    return self;
}

// Runs this program with `args`; false when it fails or prints nothing to read.
bool RunChild(const std::string& args, const char* format, void* a, void* b = nullptr) {
    std::string cmd = "'";
    cmd.append(SelfPath()).append("' ").append(args);
    FILE* child = popen(cmd.c_str(), "r");
    if (child == nullptr)
        return false;
    int want = b != nullptr ? 2 : 1;
    int read = b != nullptr ? std::fscanf(child, format, a, b) : std::fscanf(child, format, a);
    return pclose(child) == 0 && read == want;
}

double MedianOfChildren(const std::string& what, int runs) {
    std::vector<double> all;
    for (int i = 0; i < runs; ++i) {
        double seconds = 0;
        if (!RunChild(std::string("--cold ").append(what), "%lf", &seconds)) {
            std::fprintf(stderr, "the cold %s probe failed\n", what.c_str());
            std::exit(1);
        }
        all.push_back(seconds);
    }
    return Median(all);
}

// ---- 2. Full repaint --------------------------------------------------------------

struct RepaintResult {
    double tree;
    double background;
};

RepaintResult TimeRepaint(int repaints) {
    std::wstring text, error;
    uilib::LoadMarkup(L"mainWnd.xml", text, error);
    uilib::CUIManager manager;
    manager.AttachDialog(uilib::CMarkupBuilder::Create(text, manager, nullptr, &error));
    manager.SetClientSize(600, 400);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, 600, 400);
    cairo_t* cr = cairo_create(surface);
    uilib::PaintTree(manager, cr);  // first paint: layout, image decoding, fonts

    auto start = Clock::now();
    for (int i = 0; i < repaints; ++i)
        uilib::PaintTree(manager, cr);
    cairo_surface_flush(surface);
    double tree = Seconds(start) / repaints;

    std::shared_ptr<uilib::Image> background = manager.GetImage(L"res/mainWnd/bg1.png");
    if (!background) {
        std::fprintf(stderr, "res/mainWnd/bg1.png is not in the archive\n");
        std::exit(1);
    }
    cairo_set_source_surface(cr, background->Surface(), 0, 0);
    cairo_paint(cr);
    start = Clock::now();
    for (int i = 0; i < repaints; ++i) {
        cairo_set_source_surface(cr, background->Surface(), 0, 0);
        cairo_paint(cr);
    }
    cairo_surface_flush(surface);
    double plain = Seconds(start) / repaints;

    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return {tree, plain};
}

// ---- 3. Memory --------------------------------------------------------------------

// Child mode: prints "<rss before> <rss after>" in KiB around building the main
// window on the headless backend.
int MemoryProbe() {
    uilib::UseBackend(std::make_unique<uilib::HeadlessBackend>());
    long before = ResidentKiB();
    uilib::CMarkupFrame frame(uilib::FrameParams{4, 147, L"", L"MainWnd.xml", L"MainWnd"});
    if (!frame.Create(nullptr, L"bench", 0x00CF0000, 0, uilib::kUseDefault, uilib::kUseDefault,
                      uilib::kUseDefault, uilib::kUseDefault)) {
        return 1;
    }
    frame.ShowWindow(true);
    cairo_surface_t* shown = uilib::RenderWindow(frame);  // the window as the user sees it
    cairo_surface_destroy(shown);
    uilib::PumpMessagesFor(50);
    std::printf("%ld %ld\n", before, ResidentKiB());
    return 0;
}

// ---- Display ----------------------------------------------------------------------

// Starts Xvfb on the first free display of :97…:99 when there is no DISPLAY; returns
// its pid (0 when a display was already there, -1 on failure).
pid_t EnsureDisplay() {
    if (const char* d = std::getenv("DISPLAY"); d != nullptr && *d != '\0')
        return 0;
    for (int n = 97; n <= 99; ++n) {
        std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
        struct stat st {};
        if (stat(lock.c_str(), &st) == 0)
            continue;
        std::string display = ":" + std::to_string(n);
        pid_t pid = fork();
        if (pid == 0) {
            execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", "1280x1024x24", "-nolisten",
                   "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
        for (int i = 0; i < 200; ++i) {
            if (stat(socket.c_str(), &st) == 0) {
                setenv("DISPLAY", display.c_str(), 1);
                return pid;
            }
            usleep(50 * 1000);
        }
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    return -1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--memory-probe") == 0)
        return MemoryProbe();
    if (argc > 2 && std::strcmp(argv[1], "--cold") == 0)
        return ColdProbe(argv[2]);
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    int repaints = argc > 2 ? std::max(1, std::atoi(argv[2])) : 400;

    // Memory first, in a child that has nothing else loaded.
    long rssBefore = 0, rssAfter = 0;
    bool memoryOk = RunChild("--memory-probe", "%ld %ld", &rssBefore, &rssAfter);

    pid_t xvfb = EnsureDisplay();
    if (xvfb < 0) {
        std::fprintf(stderr, "no display and no Xvfb could be started\n");
        return 1;
    }
    std::unique_ptr<uilib::WindowBackend> gtk = uilib::CreateGtkBackend();
    if (!gtk) {
        std::fprintf(stderr, "GTK cannot open the display %s\n", std::getenv("DISPLAY"));
        return 1;
    }
    uilib::UseBackend(std::move(gtk));
    if (!uilib::ResourceArchive::OpenShared("ZIPRES", 147)) {
        std::fprintf(stderr, "the linked archive does not open\n");
        return 1;
    }

    // Each in a new process: what a user waits for after start-up.
    int coldRuns = std::max(3, rounds / 2);
    double processMarkup = MedianOfChildren("headless", coldRuns);
    double processBare = MedianOfChildren("bare", coldRuns);
    double processGtk = MedianOfChildren("gtk", coldRuns);

    // Cold: the first of each in this process (fonts, theme, pixbuf loaders).
    double coldMarkup = TimeMarkupFirstFrame();
    double coldBare = TimeBareGtkFirstFrame(VELQUIN_BENCH_BACKGROUND_PNG);
    double coldMarkupGtk = TimeMarkupGtkFirstFrame();
    std::vector<double> markup, bare, markupGtk;
    for (int i = 0; i < rounds; ++i) {
        markup.push_back(TimeMarkupFirstFrame());
        bare.push_back(TimeBareGtkFirstFrame(VELQUIN_BENCH_BACKGROUND_PNG));
        markupGtk.push_back(TimeMarkupGtkFirstFrame());
    }
    double m = Median(markup), b = Median(bare), mg = Median(markupGtk);

    RepaintResult repaint = TimeRepaint(repaints);

    std::printf("display %s\n", std::getenv("DISPLAY"));
    std::printf("\n1. First frame of the main window\n");
    std::printf("   repeated in this process (median of %d; the process's first in brackets):\n",
                rounds);
    std::printf("   archive + tree + RenderFrame (headless)   %8.2f ms  [%8.2f ms]\n", m * 1e3,
                coldMarkup * 1e3);
    std::printf("   bare GTK window, one PNG, first draw      %8.2f ms  [%8.2f ms]\n", b * 1e3,
                coldBare * 1e3);
    std::printf("   our frame in a GTK window, first paint    %8.2f ms  [%8.2f ms]\n", mg * 1e3,
                coldMarkupGtk * 1e3);
    std::printf("   ratio headless / bare GTK                 %8.2f     (target <= 1.5)%s\n", m / b,
                m / b <= 1.5 ? "" : "  MISSED");
    std::printf("   ratio GTK frame / bare GTK                %8.2f     (target <= 1.5)%s\n",
                mg / b, mg / b <= 1.5 ? "" : "  MISSED");
    std::printf("   in a new process each (median of %d runs):\n", coldRuns);
    std::printf("   archive + tree + RenderFrame (headless)   %8.2f ms\n", processMarkup * 1e3);
    std::printf("   bare GTK window, one PNG, first draw      %8.2f ms\n", processBare * 1e3);
    std::printf("   our frame in a GTK window, first paint    %8.2f ms\n", processGtk * 1e3);
    std::printf("   ratio headless / bare GTK                 %8.2f     (target <= 1.5)%s\n",
                processMarkup / processBare, processMarkup / processBare <= 1.5 ? "" : "  MISSED");
    std::printf("   ratio GTK frame / bare GTK                %8.2f     (target <= 1.5)%s\n",
                processGtk / processBare, processGtk / processBare <= 1.5 ? "" : "  MISSED");
    std::printf("\n2. Full 600x400 repaint, %d times after the first\n", repaints);
    std::printf("   PaintTree of the main window              %8.3f ms\n", repaint.tree * 1e3);
    std::printf("   cairo paint of the background image      %8.3f ms\n", repaint.background * 1e3);
    std::printf("   ratio                                     %8.2f     (target <= 4)%s\n",
                repaint.tree / repaint.background,
                repaint.tree / repaint.background <= 4 ? "" : "  MISSED");
    std::printf("\n3. Resident memory, headless process\n");
    if (memoryOk) {
        std::printf("   before the main window                    %8.1f MB\n", rssBefore / 1024.0);
        std::printf("   with the main window built                %8.1f MB   (target < 30 MB)%s\n",
                    rssAfter / 1024.0, rssAfter / 1024.0 < 30 ? "" : "  MISSED");
    } else {
        std::printf("   the memory probe failed\n");
    }

    if (xvfb > 0) {
        kill(xvfb, SIGTERM);
        waitpid(xvfb, nullptr, 0);
    }
    return 0;
}
