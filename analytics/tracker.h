// The tracker: typed events of the catalogue turned into SDK records with the common
// properties of the application, machine and user, a device identity that survives
// restarts, and the flush policy that decides when records leave the process.
#pragma once

#include <atomic>
#include <fstream>
#include <memory>
#include <string>

#include "analytics/context_properties.h"
#include "analytics/identity.h"
#include "analytics/sdk/properties.h"
#include "analytics/zv_types.h"

namespace zorvane::telemetry {

// The collection address used when none is configured.
extern const char kDefaultCollectionUrl[];

class TrackLogger {
public:
    virtual ~TrackLogger() = default;
    virtual void Write(const std::string& text) = 0;
    virtual void WriteLine(const std::string& text) = 0;
};

// A logger on a text file, created when missing and kept open for appending.
class NativeTrackLogger : public TrackLogger {
public:
    bool Open(const std::string& path);
    void Write(const std::string& text) override;
    void WriteLine(const std::string& text) override;

private:
    std::ofstream m_file;
};

#define VQ_TRACKER_OPERATIONS(SPEC)                                                                \
    virtual void trackActivity(const ZvContextProperties& context) SPEC;                           \
    virtual void trackLaunch(const ZvContextProperties& context) SPEC;                             \
    virtual void trackLogin(const ZvUserInfo& info, bool success, const std::string& reason,       \
                            const ZvContextProperties& context) SPEC;                              \
    virtual void trackClick(const ZvEventClick& event, const ZvContextProperties& context) SPEC;   \
    virtual void trackView(const ZvEventView& event, const ZvContextProperties& context) SPEC;     \
    virtual void trackCashier(const ZvEventCashier& event, const ZvContextProperties& context)     \
        SPEC;                                                                                      \
    virtual void trackShare(const ZvEventShare& event, const ZvContextProperties& context) SPEC;   \
    virtual void trackTask(const ZvEventTask& event, const ZvContextProperties& context) SPEC;     \
    virtual void trackFile(const ZvEventFile& event, const ZvContextProperties& context) SPEC;     \
    virtual void trackOrder(const ZvEventOrder& event, const ZvContextProperties& context) SPEC;   \
    virtual void trackPayment(const ZvEventPayment& event, const ZvContextProperties& context)     \
        SPEC;                                                                                      \
    virtual void trackUninstall(const std::string& reason, const ZvContextProperties& context)     \
        SPEC;                                                                                      \
    virtual void trackCrash(const std::string& reason) SPEC;                                       \
    virtual void trackUpdate(const ZvEventUpdate& event, const ZvContextProperties& context) SPEC; \
    virtual void trackAppOpenNotification(const ZvEventAppOpenNotification* event,                 \
                                          const ZvContextProperties& context) SPEC;

// The tracker interface, in the order of its operations.
class ZvTracker {
public:
    virtual ~ZvTracker() = default;
    VQ_TRACKER_OPERATIONS(= 0)
    virtual void setLocale(const std::string& locale) = 0;
    virtual TrackLogger* getLogger() = 0;
};

class ZvTrackerImpl : public ZvTracker {
public:
    explicit ZvTrackerImpl(TrackerOptions options);
    // Saves the identity, flushes when records wait, stages the rest, closes the logger.
    ~ZvTrackerImpl() override;

    // Checks the options, loads or renews the identity, opens the logger, starts the
    // SDK and sets the common properties. Throws ZvException on failure.
    void Init();

    VQ_TRACKER_OPERATIONS(override)
    void setLocale(const std::string& locale) override;
    TrackLogger* getLogger() override { return m_logger.get(); }

    const IdentityValues& Identity() const { return m_identity; }
    const std::string& IdentityFile() const { return m_identityFile; }
    const std::string& StagingFile() const { return m_stagingFile; }
    int PendingCount() const { return m_pendingCount.load(); }

private:
    void FlushImmediately();
    void FlushDeferred(int weight);
    void Queue(const char* event, analytics_sdk::PropertiesNode& p, ZvEventType type,
               const ZvContextProperties& context, bool firstTime);

    TrackerOptions m_options;
    std::unique_ptr<NativeTrackLogger> m_logger;
    IdentityValues m_identity;
    std::string m_identityFile;
    std::string m_dataFolder;
    std::string m_stagingFile;
    std::string m_locale;
    std::atomic<int> m_pendingCount{0};
    bool m_sdkStarted = false;
};

// Forwards to one ZvTrackerImpl, swallowing everything the operations throw.
class ZvTrackerWrapper : public ZvTracker {
public:
    explicit ZvTrackerWrapper(std::unique_ptr<ZvTrackerImpl> impl) : m_impl(std::move(impl)) {}
    VQ_TRACKER_OPERATIONS(override)
    void setLocale(const std::string& locale) override { m_impl->setLocale(locale); }
    TrackLogger* getLogger() override { return nullptr; }

    ZvTrackerImpl& Impl() { return *m_impl; }

private:
    template <typename F>
    void Guarded(const char* name, F&& f);

    std::unique_ptr<ZvTrackerImpl> m_impl;
};

// Non-empty text that is not UTF-8 is taken as the system code page and converted.
std::string ToUtf8Text(const std::string& text);

// The process-wide tracker. Reads and writes are atomic, so a hook that took its own
// copy keeps the tracker alive while ResetTracker runs on another thread.
std::shared_ptr<ZvTrackerWrapper> SharedTracker();
void CreateTracker(const TrackerOptions& options);
void ResetTracker();

}  // namespace zorvane::telemetry
