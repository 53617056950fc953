// The chosen window backend and the UI loop helpers on the default GLib context.
#include <glib.h>

#include <algorithm>
#include <deque>
#include <mutex>

#include "platform/clock.h"
#include "uilib/window_backend.h"

namespace uilib {
namespace {

std::unique_ptr<WindowBackend>& Backend() {
    static std::unique_ptr<WindowBackend> backend;
    return backend;
}

// Posted tasks run from one idle source in posting order.
struct TaskQueue {
    std::mutex lock;
    std::deque<std::function<void()>> tasks;
    bool scheduled = false;
};

TaskQueue& Tasks() {
    static TaskQueue* queue = new TaskQueue();  // lives until exit: other threads may post late
    return *queue;
}

gboolean RunPostedTasks(gpointer) {
    TaskQueue& queue = Tasks();
    // Only the tasks present now: a task that posts again waits for the next round,
    // so timers and input still get their turn.
    size_t count;
    {
        std::lock_guard<std::mutex> guard(queue.lock);
        count = queue.tasks.size();
    }
    for (size_t i = 0; i < count; ++i) {
        std::function<void()> task;
        {
            std::lock_guard<std::mutex> guard(queue.lock);
            if (queue.tasks.empty()) break;
            task = std::move(queue.tasks.front());
            queue.tasks.pop_front();
        }
        task();
    }
    std::lock_guard<std::mutex> guard(queue.lock);
    if (queue.tasks.empty()) {
        queue.scheduled = false;
        return G_SOURCE_REMOVE;
    }
    return G_SOURCE_CONTINUE;
}

}  // namespace

WindowBackend& CurrentBackend() {
    return *Backend();
}

void UseBackend(std::unique_ptr<WindowBackend> backend) {
    Backend() = std::move(backend);
}

bool HasBackend() {
    return Backend() != nullptr;
}

void PostToUiThread(std::function<void()> task) {
    TaskQueue& queue = Tasks();
    std::lock_guard<std::mutex> guard(queue.lock);
    queue.tasks.push_back(std::move(task));
    if (!queue.scheduled) {
        queue.scheduled = true;
        // A task may run a modal loop (a tip shown for a pipeline event); the tasks
        // posted meanwhile must still run inside it, so the source may recurse.
        GSource* source = g_idle_source_new();
        g_source_set_priority(source, G_PRIORITY_DEFAULT);
        g_source_set_can_recurse(source, TRUE);
        g_source_set_callback(source, RunPostedTasks, nullptr, nullptr);
        g_source_attach(source, nullptr);
        g_source_unref(source);
    }
}

bool SaveClientPng(NativeWindowHost& host, int width, int height, const std::string& path) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(1, width), std::max(1, height));
    cairo_t* cr = cairo_create(surface);
    host.PaintClient(cr, width, height);
    cairo_destroy(cr);
    bool ok = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}

bool PumpOnce(bool mayBlock) {
    return g_main_context_iteration(nullptr, mayBlock ? TRUE : FALSE) != FALSE;
}

void PumpMessagesFor(unsigned ms) {
    uint64_t end = platform::MonotonicMs() + ms;
    while (platform::MonotonicMs() < end) {
        if (!PumpOnce(/*mayBlock=*/false)) break;
    }
}

bool PumpUntil(const std::function<bool()>& done, unsigned timeoutMs) {
    uint64_t end = platform::MonotonicMs() + timeoutMs;
    while (!done()) {
        if (platform::MonotonicMs() >= end) return false;
        // Wake at least every 10 ms to look at the clock.
        guint source = g_timeout_add(10, [](gpointer) -> gboolean { return G_SOURCE_REMOVE; }, nullptr);
        PumpOnce(/*mayBlock=*/true);
        GSource* s = g_main_context_find_source_by_id(nullptr, source);
        if (s != nullptr) g_source_destroy(s);
    }
    return true;
}

}  // namespace uilib
