// The facade's types: the exception of refused events, the enumerations with their
// texts, the event records and the tracker options.
#pragma once

#include <cstdint>
#include <exception>
#include <memory>
#include <string>

namespace zorvane::telemetry {

class ZvException : public std::exception {
public:
    ZvException(std::string message, std::string function, std::string file = {}, int line = 0)
        : m_message(std::move(message)),
          m_function(std::move(function)),
          m_file(std::move(file)),
          m_line(line) {}
    const char* what() const noexcept override { return m_message.c_str(); }
    const std::string& Function() const { return m_function; }
    const std::string& File() const { return m_file; }
    int Line() const { return m_line; }

private:
    std::string m_message;
    std::string m_function;
    std::string m_file;
    int m_line;
};

enum class ZvEventType : int {
    Activity = 0,
    PaLaunchPal = 1,
    Login = 2,
    Click = 3,
    View = 4,
    Cashier = 5,
    Share = 6,
    Task = 7,
    File = 8,
    Order = 9,
    Payment = 10,
    Uninstall = 11,
    Update = 12,
    Crashed = 13,
    AppOpenNotification = 14,
};
constexpr int kEventTypeCount = 15;

enum class ZvResult : int { Success = 0, Cancelled = 1, Fail = 2, Unknown = 3 };
enum class ClickType : int { Button = 0, Banner = 1, Tutorial = 2, File = 3, Others = 4 };
enum class ZvEdition : int { China = 0, Overseas = 1 };

// Texts of the enumerations; an unknown value throws ZvException with the message of
// its kind.
std::string ToString(ZvResult value);
std::string ToString(ClickType value);
std::string ToString(ZvEdition value);

struct ZvEventClick {
    std::string aname, name;
    ClickType clickType = ClickType::Button;
    std::string title, module, position;
    std::shared_ptr<int> tabIndex;
    std::string tabName;
    std::shared_ptr<int> bannerIndex;
    std::string bannerName;
};

struct ZvEventView {
    std::string aname, name, title, position;
};

struct ZvEventTask {
    std::string aname, name, reason;
    std::shared_ptr<float> elapsed;
    std::shared_ptr<ZvResult> result;
};

struct TrackerOptions {
    std::string appName, appVersion, appStore, dlAppId, dlAppVersion, logFilePath;
    ZvEdition edition = ZvEdition::China;
    std::string serverUrl;
};

}  // namespace zorvane::telemetry
