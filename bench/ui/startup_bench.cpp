// The installer's start-up and idle cost, measured side by side in one run:
//   - process start to the first frame of the main window (velquin-installer, GUI)
//     against a bare GTK window process painting one PNG (this program, "--bare");
//   - CPU used by the window while it sits on the start page.
// Without DISPLAY the program starts its own Xvfb (and xcompmgr) on :95.
//
//   velquin_ui_startup_bench [runs]
#include <gtk/gtk.h>
#include <signal.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// ---- child: a bare GTK window that paints one PNG -----------------------------

int BareWindow(const char* png) {
    gtk_init(nullptr, nullptr);
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(png, nullptr);
    if (pixbuf == nullptr) return 2;
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(window), FALSE);
    gtk_window_set_default_size(GTK_WINDOW(window), gdk_pixbuf_get_width(pixbuf), gdk_pixbuf_get_height(pixbuf));
    GtkWidget* area = gtk_drawing_area_new();
    gtk_container_add(GTK_CONTAINER(window), area);
    g_signal_connect(area, "draw", G_CALLBACK(+[](GtkWidget*, cairo_t* cr, gpointer data) -> gboolean {
                         gdk_cairo_set_source_pixbuf(cr, static_cast<GdkPixbuf*>(data), 0, 0);
                         cairo_paint(cr);
                         std::fprintf(stderr, "first frame of bare window\n");
                         return TRUE;
                     }),
                     pixbuf);
    gtk_window_set_position(GTK_WINDOW(window), GTK_WIN_POS_CENTER);
    gtk_widget_show_all(window);
    gtk_main();
    return 0;
}

// ---- parent -------------------------------------------------------------------

struct Child {
    pid_t pid = -1;
    int err = -1;  // read end of its standard error
};

Child Spawn(const std::vector<std::string>& argv) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return {};
    pid_t pid = fork();
    if (pid == 0) {
        dup2(pipeFds[1], 2);
        close(pipeFds[0]);
        close(pipeFds[1]);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    close(pipeFds[1]);
    return Child{pid, pipeFds[0]};
}

// Reads the child's standard error until a line holds `marker`; false on end of file.
bool WaitFor(const Child& child, const char* marker) {
    std::string seen;
    char buffer[4096];
    for (;;) {
        ssize_t n = read(child.err, buffer, sizeof buffer);
        if (n <= 0) return false;
        seen.append(buffer, static_cast<size_t>(n));
        if (seen.find(marker) != std::string::npos) return true;
        if (seen.size() > (1 << 20)) seen.erase(0, seen.size() - 4096);
    }
}

void Stop(Child& child) {
    kill(child.pid, SIGKILL);
    waitpid(child.pid, nullptr, 0);
    close(child.err);
}

double SecondsToFirstFrame(const std::vector<std::string>& argv, const char* marker) {
    Clock::time_point start = Clock::now();
    Child child = Spawn(argv);
    bool ok = WaitFor(child, marker);
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    Stop(child);
    return ok ? seconds : -1.0;
}

double CpuSeconds(pid_t pid) {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    FILE* f = std::fopen(path, "r");
    if (f == nullptr) return -1;
    char line[2048];
    size_t n = std::fread(line, 1, sizeof line - 1, f);
    std::fclose(f);
    line[n] = '\0';
    const char* p = std::strrchr(line, ')');
    if (p == nullptr) return -1;
    unsigned long utime = 0, stime = 0;
    // Fields after the command: state (3) … utime (14), stime (15).
    std::sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime);
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1.0 : v[v.size() / 2];
}

pid_t StartBackground(const std::vector<std::string>& argv) {
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", 2);
        dup2(null, 1);
        dup2(null, 2);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    return pid;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::strcmp(argv[1], "--bare") == 0) return BareWindow(argv[2]);
    int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;

    std::vector<pid_t> servers;
    if (std::getenv("DISPLAY") == nullptr) {
        servers.push_back(StartBackground({"Xvfb", ":95", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}));
        setenv("DISPLAY", ":95", 1);
        usleep(800 * 1000);
        servers.push_back(StartBackground({"xcompmgr"}));
        usleep(300 * 1000);
    }
    // A scratch home: no earlier installation, nothing written to the real one.
    char tmpl[] = "/tmp/velquin-bench-XXXXXX";
    std::string home = mkdtemp(tmpl);
    for (const char* var : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR", "TMPDIR"}) {
        setenv(var, home.c_str(), 1);
    }
    const std::vector<std::string> installer{VELQUIN_INSTALLER, "-isenableappsensors=false"};
    char self[4096];
    ssize_t len = readlink("/proc/self/exe", self, sizeof self - 1);
    self[len > 0 ? len : 0] = '\0';
    const std::vector<std::string> bare{self, "--bare", VELQUIN_BENCH_BACKGROUND_PNG};

    // Warm the page cache for both, then alternate.
    SecondsToFirstFrame(installer, "first frame of MainWnd");
    SecondsToFirstFrame(bare, "first frame of bare window");
    std::vector<double> ours, theirs;
    for (int i = 0; i < runs; ++i) {
        ours.push_back(SecondsToFirstFrame(installer, "first frame of MainWnd"));
        theirs.push_back(SecondsToFirstFrame(bare, "first frame of bare window"));
    }
    double a = Median(ours), b = Median(theirs);
    std::printf("process start to first frame (median of %d):\n", runs);
    std::printf("  velquin-installer main window  %8.1f ms\n", a * 1e3);
    std::printf("  bare GTK window with one PNG   %8.1f ms\n", b * 1e3);
    std::printf("  ratio %.2f (target <= 1.5)\n", b > 0 ? a / b : -1.0);

    // Idle: the start page with its animation timer running.
    Child child = Spawn(installer);
    if (WaitFor(child, "first frame of MainWnd")) {
        sleep(1);
        double before = CpuSeconds(child.pid);
        const int idleSeconds = 10;
        sleep(idleSeconds);
        double after = CpuSeconds(child.pid);
        std::printf("idle CPU on the start page over %d s: %.2f %% (target < 1 %%)\n", idleSeconds,
                    (after - before) / idleSeconds * 100.0);
    }
    Stop(child);
    for (pid_t pid : servers) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    std::string cleanup = "rm -rf '" + home + "'";
    return std::system(cleanup.c_str()) == 0 ? 0 : 1;
}
