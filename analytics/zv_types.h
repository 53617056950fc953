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

enum class ZvUserType : int {
    Unknown = 0,
    MobilePhone = 1,
    Email = 2,
    Weixin = 3,
    QQ = 4,
    DeviceId = 5,
    Baidu = 6,
    Huawei = 7,
    Apple = 8,
    ZorvaneUserId = 9,
    Google = 10,
    Facebook = 11,
};
enum class ZvResult : int { Success = 0, Cancelled = 1, Fail = 2, Unknown = 3 };
enum class ClickType : int { Button = 0, Banner = 1, Tutorial = 2, File = 3, Others = 4 };
enum class ZvIoType : int { Input = 0, Output = 1 };
enum class ZvCurrency : int { CNY = 0, USD, EUR, HKD, TWD, MOP, SGD, JPY, KRW, INR, GBP };
enum class ZvPaidPlatform : int {
    Alipay = 0,
    WeChatPay,
    PayPal,
    Tenpay,
    CIECC,
    GooglePay,
    HuaweiPay,
    AppleIAP,
    Paddle,
    ChinaUnionPay,
};
enum class ZvIapType : int {
    Consumable = 1,
    NonConsumable = 2,
    AutoRenewable = 3,
    NonRenewable = 4
};
enum class ZvUpdateOp : int {
    UpdateCheck = 0,
    DownloadStart = 1,
    DownloadEnd = 2,
    UpgrateStart = 3,
    UpgrateEnd = 4
};
enum class ZvUpdateResult : int {
    Success = 0,
    Cancelled = 1,
    Timeout = 2,
    Fail = 3,
    Latest = 4,
    Updateable = 5
};
enum class ZvEdition : int { China = 0, Overseas = 1 };

// Texts of the enumerations; an unknown value throws ZvException with the message of
// its kind.
std::string ToString(ZvUserType value);
std::string ToString(ZvResult value);
std::string ToString(ClickType value);
std::string ToString(ZvIoType value);
std::string ToString(ZvCurrency value);
std::string ToString(ZvPaidPlatform value);
std::string ToString(ZvIapType value);
std::string ToString(ZvUpdateOp value);
std::string ToString(ZvUpdateResult value);
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

struct ZvEventCashier {
    std::string zv_cashier_name, cashierTitle, subitem;
};

struct ZvEventShare {
    std::string aname, channel, position, sharedName;
    std::shared_ptr<ZvResult> result;
};

struct ZvEventFile {
    std::string aname, name;
    std::shared_ptr<ZvIoType> io;
    std::string ext;
    std::shared_ptr<float> size;
    std::shared_ptr<int> duration;
    std::shared_ptr<float> fps, bps;
    std::shared_ptr<int> width, height, depth;
    std::shared_ptr<ZvResult> result;
};

struct ZvEventOrder {
    std::string orderId, subitem, sku, zvSuitId;
    std::shared_ptr<ZvCurrency> zvCurrency;
    float originalAmount = 0.0f;
    std::string voucherId;
    float paidAmount = 0.0f;
    std::string cashierName, cashierTitle;
    std::shared_ptr<int> campaignCode;
    float curOriginalAmount = 0.0f, curPaidAmount = 0.0f;
};

struct ZvEventPayment {
    std::string zvOrderId, subitem, sku;
    std::shared_ptr<ZvCurrency> currency;
    float originalAmount = 0.0f;
    std::shared_ptr<int> campaignCode;
    std::string voucherId, usedVoucherId;
    float paidAmount = 0.0f;
    std::string suitId, cashierName, cashierTitle;
    std::shared_ptr<ZvPaidPlatform> paidPlatform;
    std::shared_ptr<ZvResult> result;
    std::shared_ptr<ZvIapType> iapType;
    float curOriginalAmount = 0.0f, curPaidAmount = 0.0f;
};

struct ZvEventUpdate {
    ZvUpdateOp op = ZvUpdateOp::UpdateCheck;
    std::shared_ptr<ZvUpdateResult> result;
    std::shared_ptr<float> elapsed;
};

struct ZvEventAppOpenNotification {
    std::string msgTitle, msgContent, linkUrl, planID, audienceId, planStrategyId, planType,
        strategyUnitId;
};

struct ZvUserInfo {
    std::string userId, userName;
    ZvUserType userType = ZvUserType::Unknown;
    std::string nickname, portrait, mobilephone, email, weixin, qq, did;
    int64_t created = 0, lastLogin = 0;
    std::string lastIp;
    int vipLevel = 0;
    int64_t vipEndDate = 0;
};

struct TrackerOptions {
    std::string appName, appVersion, appStore, dlAppId, dlAppVersion, logFilePath;
    ZvEdition edition = ZvEdition::China;
    std::string serverUrl;
};

}  // namespace zorvane::telemetry
