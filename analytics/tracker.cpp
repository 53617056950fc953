// The tracker and its wrapper.
#include "analytics/tracker.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>

#include "analytics/sdk/sdk.h"
#include "analytics/user_tracker.h"
#include "platform/files.h"
#include "utils/text.h"

namespace zorvane::telemetry {

const char kDefaultCollectionUrl[] = "https://collect.zorvanesoft.com/sa?project=pc";

namespace {

std::shared_ptr<ZvTrackerWrapper> g_shared;

std::string ExecutableFolder() {
    const std::string exe = platform::ExecutablePath();
    const size_t slash = exe.rfind('/');
    return slash == std::string::npos ? std::string(".") : exe.substr(0, slash);
}

void PutIfNotEmpty(analytics_sdk::PropertiesNode& p, const std::string& key,
                   const std::string& value) {
    if (!value.empty()) {
        p.PutString(key, value);
    }
}

}  // namespace

namespace {

template <typename E, size_t N>
std::string EnumText(E value, const char* const (&texts)[N], int first, const std::string& prefix,
                     const char* function) {
    const int n = static_cast<int>(value);
    if (n < first || n >= first + static_cast<int>(N)) {
        throw ZvException(prefix + std::to_string(n) + "]!", function);
    }
    return texts[n - first];
}

}  // namespace

std::string ToString(ZvUserType value) {
    static const char* const kTexts[] = {"unknown", "mobilephone",   "email",  "weixin",
                                         "qq",      "deviceid",      "baidu",  "huawei",
                                         "apple",   "zorvaneuserid", "google", "facebook"};
    return EnumText(value, kTexts, 0, "Unknown user type [", "userType");
}

std::string ToString(ZvIoType value) {
    if (value == ZvIoType::Input) {
        return "Input";
    }
    if (value == ZvIoType::Output) {
        return "Output";
    }
    throw ZvException("the io type is invalid", "toString");
}

std::string ToString(ZvCurrency value) {
    static const char* const kTexts[] = {"CNY", "USD", "EUR", "HKD", "TWD", "MOP",
                                         "SGD", "JPY", "KRW", "INR", "GBP"};
    return EnumText(value, kTexts, 0, "Unknown currency [", "toString");
}

std::string ToString(ZvPaidPlatform value) {
    static const char* const kTexts[] = {"Alipay", "WeChatPay",    "PayPal",    "Tenpay",
                                         "CIECC",  "GooglePay",    "HuaweiPay", "AppleIAP",
                                         "Paddle", "ChinaUnionPay"};
    return EnumText(value, kTexts, 0, "Unknown paid platform [", "toString");
}

std::string ToString(ZvIapType value) {
    static const char* const kTexts[] = {"Consumable", "NonConsumable", "AutoRenewable",
                                         "NonRenewable"};
    return EnumText(value, kTexts, 1, "Unknown zvIapType [", "toString");
}

std::string ToString(ZvUpdateOp value) {
    static const char* const kTexts[] = {"UpdateCheck", "DownloadStart", "DownloadEnd",
                                         "UpgrateStart", "UpgrateEnd"};
    return EnumText(value, kTexts, 0, "Unknown ZvUpdateOp [", "toString");
}

std::string ToString(ZvUpdateResult value) {
    static const char* const kTexts[] = {"Success", "Cancelled", "Timeout",
                                         "Fail",    "Latest",    "Updateable"};
    return EnumText(value, kTexts, 0, "Unknown ZvUpdateResult [", "toString");
}

std::string ToString(ZvResult value) {
    static const char* const kTexts[] = {"Success", "Cancelled", "Fail", "Unknown"};
    return EnumText(value, kTexts, 0, "Unknown task result [", "toString");
}

std::string ToString(ClickType value) {
    static const char* const kTexts[] = {"Button", "Banner", "Tutorial", "File", "Others"};
    return EnumText(value, kTexts, 0, "Unknown ClickType [", "toString");
}

std::string ToString(ZvEdition value) {
    static const char* const kTexts[] = {"china", "overseas"};
    return EnumText(value, kTexts, 0, "Unknown edition [", "toString");
}

std::string ToUtf8Text(const std::string& text) {
    if (text.empty() || analytics_sdk::IsValidUtf8(text)) {
        return text;
    }
    return Utils::ToNarrow(Utils::ToWide(text, Utils::kCodePageAcp), Utils::kCodePageUtf8);
}

bool NativeTrackLogger::Open(const std::string& path) {
    m_file.open(path, std::ios::app);
    return m_file.is_open();
}

void NativeTrackLogger::Write(const std::string& text) {
    m_file << text;
}

void NativeTrackLogger::WriteLine(const std::string& text) {
    m_file << text << '\n';
}

ZvTrackerImpl::ZvTrackerImpl(TrackerOptions options) : m_options(std::move(options)) {
    m_options.appName = ToUtf8Text(m_options.appName);
    m_options.appVersion = ToUtf8Text(m_options.appVersion);
    m_options.appStore = ToUtf8Text(m_options.appStore);
    m_options.dlAppId = ToUtf8Text(m_options.dlAppId);
    m_options.dlAppVersion = ToUtf8Text(m_options.dlAppVersion);
}

ZvTrackerImpl::~ZvTrackerImpl() {
    if (!m_identityFile.empty()) {
        SaveIdentity(m_identityFile, m_identity);
    }
    if (m_pendingCount.load() > 0) {
        for (int i = 0; i < 3; ++i) {
            if (analytics_sdk::Sdk::FlushAll()) {
                m_pendingCount = 0;
                break;
            }
        }
    }
    if (m_sdkStarted) {
        analytics_sdk::Sdk::Shutdown();
    }
    m_logger.reset();
}

void ZvTrackerImpl::Init() {
    if (m_options.appName.empty()) {
        throw ZvException("appName is empty", "init", __FILE__, __LINE__);
    }
    if (m_options.appVersion.empty()) {
        throw ZvException("appVersion is empty", "init", __FILE__, __LINE__);
    }
    if (m_options.appStore.empty()) {
        throw ZvException("appStore is empty", "init", __FILE__, __LINE__);
    }
    m_pendingCount = 0;
    m_identityFile = IdentityFilePath(m_options.appName, ExecutableFolder());
    m_dataFolder = m_identityFile.substr(0, m_identityFile.rfind('/'));
    EnsureFolderPath(m_dataFolder);
    const std::string url =
        m_options.serverUrl.empty() ? std::string(kDefaultCollectionUrl) : m_options.serverUrl;

    LoadIdentity(m_identityFile, m_identity);
    if (m_identity.ServerUrl != url || m_identity.DistinctId.empty()) {
        m_identity.UserId.clear();
        m_identity.IsLogined = false;
        m_identity.DistinctId = NewDeviceId();
        m_identity.ServerUrl = url;
        SaveIdentity(m_identityFile, m_identity);
    }
    if (m_identity.UserId.empty()) {
        m_identity.IsLogined = false;
    }

    const std::string logFile = m_options.logFilePath.empty()
                                    ? m_dataFolder + "/" + m_options.appName + "_ZVSLog.txt"
                                    : m_options.logFilePath;
    m_logger = std::make_unique<NativeTrackLogger>();
    m_logger->Open(logFile);

    // Records that could not be sent wait here for the next start.
    m_stagingFile = m_dataFolder + "/" + m_options.appName + "_ZVSStaging.jsonl";
    const bool loggedIn = m_identity.IsLogined;
    if (!analytics_sdk::Sdk::Init(m_stagingFile, url,
                                  loggedIn ? m_identity.UserId : m_identity.DistinctId, loggedIn)) {
        throw ZvException("analytics_sdk::Sdk::Init is failed", "init", __FILE__, __LINE__);
    }
    m_sdkStarted = true;

    analytics_sdk::PropertiesNode common;
    common.PutString("zv_app_id", m_options.appName);
    common.PutString("$app_version", m_options.appVersion);
    common.PutString("$app_id", m_options.appName);
    common.PutString("zv_app_store", m_options.appStore);
    common.PutString("zv_edition", ToString(m_options.edition));
    PutIfNotEmpty(common, "zv_dlapp_id", m_options.dlAppId);
    PutIfNotEmpty(common, "zv_dlapp_version", m_options.dlAppVersion);
    common.PutString("zv_app_platform", "Windows");
    common.PutString("zv_track_type", "Client");
    common.PutString("zv_sdk_version", "3.3.4");
    common.PutString("zv_sdk", "WindowsCPP");
    std::string os, osVersion;
    GetAnalyticsOsVersion(os, osVersion);
    common.PutString("$os", os);
    common.PutString("$os_version", osVersion);
    std::string language, country, locale;
    if (!(SplitLocale(m_locale, language, country) && (locale = m_locale, true))) {
        GetUserLocale(language, country, locale);
    }
    common.PutString("zv_l10n_locale", locale);
    common.PutString("zv_l10n_language", language);
    common.PutString("zv_l10n_country", country);
    // No display is asked from here: the tracker runs before any window exists.
    common.PutInt("$screen_height", 0);
    common.PutInt("$screen_width", 0);
    PutIfNotEmpty(common, "zv_user_id", m_identity.UserId);
    analytics_sdk::Sdk::AddCommonProperties(common);

    WriteUninstallInfo(m_identityFile, m_options.appStore, m_options.appName, m_options.appVersion);
}

void ZvTrackerImpl::setLocale(const std::string& locale) {
    m_locale = ToUtf8Text(locale);
    std::string language, country;
    if (!SplitLocale(m_locale, language, country)) {
        std::string l;
        GetUserLocale(language, country, l);
    }
    analytics_sdk::PropertiesNode p;
    p.PutString("zv_l10n_locale", m_locale);
    p.PutString("zv_l10n_language", language);
    p.PutString("zv_l10n_country", country);
    analytics_sdk::Sdk::AddCommonProperties(p);
}

void ZvTrackerImpl::FlushImmediately() {
    for (int i = 0; i < 3; ++i) {
        if (analytics_sdk::Sdk::FlushAll()) {
            m_pendingCount = 0;
            return;
        }
    }
}

void ZvTrackerImpl::FlushDeferred(int weight) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    m_pendingCount += weight;
}

void ZvTrackerImpl::Queue(const char* event, analytics_sdk::PropertiesNode& p, ZvEventType type,
                          const ZvContextProperties& context, bool firstTime) {
    if (firstTime) {
        p.PutBool("$is_first_time", true);
    }
    context.AddTo(type, p);
    analytics_sdk::Sdk::TrackEvent(event, p);
}

void ZvTrackerImpl::trackActivity(const ZvContextProperties& context) {
    // The activity's own properties win over its context properties.
    analytics_sdk::PropertiesNode p;
    context.AddTo(ZvEventType::Activity, p);
    PutIfNotEmpty(p, "zv_app_store", m_options.appStore);
    PutIfNotEmpty(p, "zv_app_id", m_options.appName);
    PutIfNotEmpty(p, "$app_id", m_options.appName);
    PutIfNotEmpty(p, "$app_version", m_options.appVersion);
    p.PutString("$ios_install_source", "pwnmqbm_yo=715##okdh=3953##kzt=576");
    PutIfNotEmpty(p, "$user_agent", BuildUserAgent());
    std::string os, osVersion;
    GetAnalyticsOsVersion(os, osVersion);
    p.PutString("$os", os);
    p.PutString("$os_version", osVersion);
    p.PutBool("$is_first_time", true);
    analytics_sdk::Sdk::TrackWithInstallSource("ZvEventActivity", p);
    NativeUserTracker::ActivityBundle(m_options.appStore, m_options.appName, m_options.appVersion);
    m_pendingCount += 1;
    FlushImmediately();
}

void ZvTrackerImpl::trackLaunch(const ZvContextProperties& context) {
    analytics_sdk::PropertiesNode p;
    context.AddTo(ZvEventType::PaLaunchPal, p);
    analytics_sdk::Sdk::TrackEvent("ZvEventLaunch", p);
    if (!m_identity.UserId.empty()) {
        NativeUserTracker::VisitTimes(NowMilliseconds());
        m_pendingCount += 1;
    }
    FlushImmediately();
}

void ZvTrackerImpl::trackLogin(const ZvUserInfo& info, bool success, const std::string& reason,
                               const ZvContextProperties& context) {
    analytics_sdk::PropertiesNode p;
    const std::string userId = ToUtf8Text(info.userId);
    if (!userId.empty()) {
        p.PutString("zv_user_id", userId);
        p.PutString("zv_login_id", userId);
    }
    p.PutString("zv_type", ToString(info.userType));
    p.PutString("zv_result", success ? "Success" : "Fail");
    PutIfNotEmpty(p, "zv_reason", ToUtf8Text(reason));
    if (userId.empty()) {
        context.AddTo(ZvEventType::Login, p);
        analytics_sdk::Sdk::TrackEvent("ZvEventLogin", p);
        FlushImmediately();
        return;
    }
    Queue("ZvEventLogin", p, ZvEventType::Login, context, /*firstTime=*/true);
    m_identity.UserVipLevel = info.vipLevel;
    if (!m_identity.IsLogined || m_identity.UserId.empty()) {
        analytics_sdk::Sdk::TrackSignUp(userId);
        m_identity.IsLogined = true;
        m_identity.UserId = userId;
        m_identity.DistinctId = userId;
        analytics_sdk::PropertiesNode common;
        common.PutString("zv_user_id", userId);
        analytics_sdk::Sdk::AddCommonProperties(common);
    }
    SaveIdentity(m_identityFile, m_identity);
    NativeUserTracker::LoginBundle(info);
    m_pendingCount += 1;
    FlushImmediately();
}

void ZvTrackerImpl::trackCashier(const ZvEventCashier& event, const ZvContextProperties& context) {
    if (event.zv_cashier_name.empty()) {
        throw ZvException("zvEventCashier.zv_cashier_name is empty", "trackCashier", __FILE__,
                          __LINE__);
    }
    analytics_sdk::PropertiesNode p;
    PutIfNotEmpty(p, "zv_cashier_name", ToUtf8Text(event.zv_cashier_name));
    PutIfNotEmpty(p, "zv_cashier_title", ToUtf8Text(event.cashierTitle));
    PutIfNotEmpty(p, "zv_subitem", ToUtf8Text(event.subitem));
    Queue("ZvEventCashier", p, ZvEventType::Cashier, context, true);
    FlushDeferred(2);
}

void ZvTrackerImpl::trackShare(const ZvEventShare& event, const ZvContextProperties& context) {
    const std::string result = event.result ? ToString(*event.result) : std::string();
    analytics_sdk::PropertiesNode p;
    PutIfNotEmpty(p, "zv_aname", ToUtf8Text(event.aname));
    PutIfNotEmpty(p, "zv_channel", ToUtf8Text(event.channel));
    PutIfNotEmpty(p, "zv_position", ToUtf8Text(event.position));
    PutIfNotEmpty(p, "zv_shared_name", ToUtf8Text(event.sharedName));
    PutIfNotEmpty(p, "zv_result", result);
    Queue("ZvEventShare", p, ZvEventType::Share, context, true);
    FlushDeferred(2);
}

void ZvTrackerImpl::trackFile(const ZvEventFile& event, const ZvContextProperties& context) {
    if (event.aname.empty()) {
        throw ZvException("zvEventFile.aname is empty", "trackFile", __FILE__, __LINE__);
    }
    const std::string io = event.io ? ToString(*event.io) : std::string();
    analytics_sdk::PropertiesNode p;
    PutIfNotEmpty(p, "zv_aname", ToUtf8Text(event.aname));
    PutIfNotEmpty(p, "zv_io", io);
    if (event.result && static_cast<int>(*event.result) >= 0 &&
        static_cast<int>(*event.result) <= 2) {
        p.PutString("zv_result", ToString(*event.result));
    }
    PutIfNotEmpty(p, "zv_name", ToUtf8Text(event.name));
    PutIfNotEmpty(p, "zv_ext", ToUtf8Text(event.ext));
    if (event.size && *event.size > 0.0f) {
        p.PutNumber("zv_size", static_cast<double>(*event.size));
    }
    if (event.duration) {
        p.PutInt("zv_duration", *event.duration);
    }
    if (event.fps) {
        p.PutNumber("zv_fps", static_cast<double>(*event.fps));
    }
    if (event.bps) {
        p.PutNumber("zv_bps", static_cast<double>(*event.bps));
    }
    if (event.width) {
        p.PutInt("zv_width", *event.width);
    }
    if (event.height) {
        p.PutInt("zv_height", *event.height);
    }
    if (event.depth) {
        p.PutInt("zv_depth", *event.depth);
    }
    Queue("ZvEventFile", p, ZvEventType::File, context, true);
    FlushDeferred(2);
}

void ZvTrackerImpl::trackOrder(const ZvEventOrder& event, const ZvContextProperties& context) {
    if (event.zvSuitId.empty()) {
        throw ZvException("zvEventOrder.zvSuitId is empty", "trackOrder", __FILE__, __LINE__);
    }
    if (!event.zvCurrency) {
        throw ZvException("zvEventOrder.zvCurrency is nullptr", "trackOrder", __FILE__, __LINE__);
    }
    if (!(event.originalAmount > 0.0f) || !(event.paidAmount > 0.0f)) {
        throw ZvException("zvEventOrder.originalAmount is less than zero", "trackOrder", __FILE__,
                          __LINE__);
    }
    analytics_sdk::PropertiesNode p;
    p.PutString("zv_suit_id", ToUtf8Text(event.zvSuitId));
    p.PutString("zv_currency", ToString(*event.zvCurrency));
    p.PutNumber("zv_paid_amount", static_cast<double>(event.paidAmount));
    p.PutNumber("zv_original_amount", static_cast<double>(event.originalAmount));
    PutIfNotEmpty(p, "zv_order_id", ToUtf8Text(event.orderId));
    PutIfNotEmpty(p, "zv_subitem", ToUtf8Text(event.subitem));
    PutIfNotEmpty(p, "zv_sku", ToUtf8Text(event.sku));
    if (event.campaignCode) {
        p.PutInt("zv_campaign_code", *event.campaignCode);
    }
    PutIfNotEmpty(p, "zv_voucher_id", ToUtf8Text(event.voucherId));
    if (event.curOriginalAmount > 0.0f) {
        p.PutNumber("zv_cur_original_amount", static_cast<double>(event.curOriginalAmount));
    }
    if (event.curPaidAmount > 0.0f) {
        p.PutNumber("zv_cur_paid_amount", static_cast<double>(event.curPaidAmount));
    }
    PutIfNotEmpty(p, "zv_cashier_name", ToUtf8Text(event.cashierName));
    PutIfNotEmpty(p, "zv_cashier_title", ToUtf8Text(event.cashierTitle));
    Queue("ZvEventOrder", p, ZvEventType::Order, context, true);
    FlushDeferred(2);
}

void ZvTrackerImpl::trackPayment(const ZvEventPayment& event, const ZvContextProperties& context) {
    auto refuse = [](const std::string& message) {
        throw ZvException(message, "trackPayment", __FILE__, __LINE__);
    };
    if (event.zvOrderId.empty()) {
        refuse("zvEventPayment.zvOrderId is empty");
    }
    char amount[64];
    if (event.paidAmount < 0.0f) {
        snprintf(amount, sizeof amount, "%f", static_cast<double>(event.paidAmount));
        refuse(std::string("paidAmount = ") + amount + " is invalid");
    }
    if (event.originalAmount < 0.0f) {
        snprintf(amount, sizeof amount, "%f", static_cast<double>(event.originalAmount));
        refuse(std::string("originalAmount = ") + amount + " is invalid");
    }
    if (!event.result || (*event.result != ZvResult::Success && *event.result != ZvResult::Fail)) {
        refuse("zvEventPayment.result is invalid");
    }
    // Read without a check before; an absent one is refused here instead.
    if (!event.currency) {
        refuse("zvEventPayment.currency is nullptr");
    }
    if (!event.paidPlatform) {
        refuse("zvEventPayment.paidPlatform is nullptr");
    }
    analytics_sdk::PropertiesNode p;
    p.PutString("zv_order_id", ToUtf8Text(event.zvOrderId));
    p.PutString("zv_paid_platform", ToString(*event.paidPlatform));
    p.PutString("zv_currency", ToString(*event.currency));
    p.PutNumber("zv_paid_amount", static_cast<double>(event.paidAmount));
    p.PutNumber("zv_original_amount", static_cast<double>(event.originalAmount));
    p.PutString("zv_result", ToString(*event.result));
    PutIfNotEmpty(p, "zv_suit_id", ToUtf8Text(event.suitId));
    if (event.iapType) {
        p.PutString("zv_iap_type", ToString(*event.iapType));
    }
    PutIfNotEmpty(p, "zv_subitem", ToUtf8Text(event.subitem));
    PutIfNotEmpty(p, "zv_sku", ToUtf8Text(event.sku));
    PutIfNotEmpty(p, "zv_voucher_id", ToUtf8Text(event.voucherId));
    PutIfNotEmpty(p, "zv_used_voucher_id", ToUtf8Text(event.usedVoucherId));
    if (event.campaignCode) {
        p.PutInt("zv_campaign_code", *event.campaignCode);
    }
    if (event.curOriginalAmount > 0.0f) {
        p.PutNumber("zv_cur_original_amount", static_cast<double>(event.curOriginalAmount));
    }
    if (event.curPaidAmount > 0.0f) {
        p.PutNumber("zv_cur_paid_amount", static_cast<double>(event.curPaidAmount));
    }
    PutIfNotEmpty(p, "zv_cashier_name", ToUtf8Text(event.cashierName));
    PutIfNotEmpty(p, "zv_cashier_title", ToUtf8Text(event.cashierTitle));
    Queue("ZvEventPayment", p, ZvEventType::Payment, context, true);
    NativeUserTracker::PaymentBundle(event.paidAmount);
    m_pendingCount += 1;
    if (*event.result == ZvResult::Success) {
        m_identity.UserVipLevel = 1;
        SaveIdentity(m_identityFile, m_identity);
    }
    FlushImmediately();
}

void ZvTrackerImpl::trackUninstall(const std::string& reason, const ZvContextProperties& context) {
    analytics_sdk::PropertiesNode p;
    PutIfNotEmpty(p, "zv_uninstall_reason", ToUtf8Text(reason));
    Queue("ZvEventUninstall", p, ZvEventType::Uninstall, context, false);
    FlushImmediately();
}

void ZvTrackerImpl::trackUpdate(const ZvEventUpdate& event, const ZvContextProperties& context) {
    analytics_sdk::PropertiesNode p;
    p.PutString("zv_update_op", ToString(event.op));
    switch (event.op) {
        case ZvUpdateOp::UpdateCheck:
            p.PutString("zv_update_result", event.result ? ToString(*event.result) : std::string());
            break;
        case ZvUpdateOp::DownloadEnd:
        case ZvUpdateOp::UpgrateEnd:
            if (!event.result) {
                throw ZvException("Unknown updateResultInfo info", "trackUpdate", __FILE__,
                                  __LINE__);
            }
            if (!event.elapsed) {
                throw ZvException("invalid elapsed info", "trackUpdate", __FILE__, __LINE__);
            }
            p.PutString("zv_update_result", ToString(*event.result));
            if (event.op == ZvUpdateOp::UpgrateEnd) {
                p.PutBool("$is_first_time", true);
            }
            p.PutNumber("zv_elapsed", static_cast<double>(*event.elapsed));
            break;
        default:
            break;
    }
    Queue("ZvEventUpdate", p, ZvEventType::Update, context, false);
    FlushImmediately();
}

void ZvTrackerImpl::trackAppOpenNotification(const ZvEventAppOpenNotification* event,
                                             const ZvContextProperties& context) {
    auto refuse = [](const char* message) {
        throw ZvException(message, "trackAppOpenNotification", __FILE__, __LINE__);
    };
    if (event == nullptr) {
        refuse("&appOpenNotification is nullptr");
    }
    if (event->planID.empty()) {
        refuse("planID is emptry");
    }
    if (event->planType.empty()) {
        refuse("planType is emptry");
    }
    if (event->msgTitle.empty()) {
        refuse("msgTitle is emptry");
    }
    analytics_sdk::PropertiesNode p;
    p.PutString("$sf_msg_title", ToUtf8Text(event->msgTitle));
    p.PutString("$sf_plan_id", event->planID);
    p.PutString("$sf_plan_type", event->planType);
    PutIfNotEmpty(p, "$sf_msg_content", ToUtf8Text(event->msgContent));
    PutIfNotEmpty(p, "$sf_link_url", event->linkUrl);
    PutIfNotEmpty(p, "$sf_audience_id", event->audienceId);
    PutIfNotEmpty(p, "$sf_plan_strategy_id", event->planStrategyId);
    PutIfNotEmpty(p, "$sf_strategy_unit_id", event->strategyUnitId);
    Queue("AppOpenNotification", p, ZvEventType::AppOpenNotification, context, true);
    FlushDeferred(1);
}

void ZvTrackerImpl::trackClick(const ZvEventClick& event, const ZvContextProperties& context) {
    if (event.name.empty()) {
        throw ZvException("zvEventClick.name is empty", "trackClick", __FILE__, __LINE__);
    }
    const std::string clickType = ToString(event.clickType);
    analytics_sdk::PropertiesNode p;
    PutIfNotEmpty(p, "zv_name", ToUtf8Text(event.name));
    p.PutString("zv_click_type", clickType);
    PutIfNotEmpty(p, "zv_aname", ToUtf8Text(event.aname));
    PutIfNotEmpty(p, "zv_title", ToUtf8Text(event.title));
    PutIfNotEmpty(p, "zv_position", ToUtf8Text(event.position));
    PutIfNotEmpty(p, "zv_module", ToUtf8Text(event.module));
    PutIfNotEmpty(p, "zv_tab_name", ToUtf8Text(event.tabName));
    if (event.tabIndex) {
        p.PutInt("zv_tab_index", *event.tabIndex);
    }
    PutIfNotEmpty(p, "zv_banner_name", ToUtf8Text(event.bannerName));
    if (event.bannerIndex) {
        p.PutInt("zv_banner_index", *event.bannerIndex);
    }
    p.PutBool("$is_first_time", true);
    context.AddTo(ZvEventType::Click, p);
    analytics_sdk::Sdk::TrackEvent("ZvEventClick", p);
    FlushDeferred(2);
}

void ZvTrackerImpl::trackView(const ZvEventView& event, const ZvContextProperties& context) {
    if (event.name.empty()) {
        throw ZvException("zvEventView.name is empty", "trackView", __FILE__, __LINE__);
    }
    analytics_sdk::PropertiesNode p;
    PutIfNotEmpty(p, "zv_name", ToUtf8Text(event.name));
    PutIfNotEmpty(p, "zv_aname", ToUtf8Text(event.aname));
    PutIfNotEmpty(p, "zv_title", ToUtf8Text(event.title));
    PutIfNotEmpty(p, "zv_position", ToUtf8Text(event.position));
    p.PutBool("$is_first_time", true);
    context.AddTo(ZvEventType::View, p);
    analytics_sdk::Sdk::TrackEvent("ZvEventView", p);
    FlushDeferred(2);
}

void ZvTrackerImpl::trackTask(const ZvEventTask& event, const ZvContextProperties& context) {
    if (event.name.empty()) {
        throw ZvException("zvEventTask.name is empty", "trackTask", __FILE__, __LINE__);
    }
    analytics_sdk::PropertiesNode p;
    PutIfNotEmpty(p, "zv_task_name", ToUtf8Text(event.name));
    if (event.elapsed) {
        p.PutNumber("zv_task_elapsed", static_cast<double>(*event.elapsed));
    }
    if (event.result && static_cast<int>(*event.result) >= 0 &&
        static_cast<int>(*event.result) <= 2) {
        p.PutString("zv_task_result", ToString(*event.result));
    }
    PutIfNotEmpty(p, "zv_aname", ToUtf8Text(event.aname));
    PutIfNotEmpty(p, "zv_reason", ToUtf8Text(event.reason));
    p.PutBool("$is_first_time", true);
    context.AddTo(ZvEventType::Task, p);
    analytics_sdk::Sdk::TrackEvent("ZvEventTask", p);
    FlushDeferred(1);
}

void ZvTrackerImpl::trackCrash(const std::string& reason) {
    analytics_sdk::PropertiesNode p;
    PutIfNotEmpty(p, "app_crashed_reason", ToUtf8Text(reason));
    analytics_sdk::Sdk::TrackEvent("AppCrashed", p);
    FlushImmediately();
}

template <typename F>
void ZvTrackerWrapper::Guarded(const char* name, F&& f) {
    try {
        f();
    } catch (...) {
        if (m_impl->getLogger() != nullptr) {
            std::cout << "Failed to " << name << std::endl;
        }
    }
}

void ZvTrackerWrapper::trackActivity(const ZvContextProperties& context) {
    Guarded("trackActivity", [&] { m_impl->trackActivity(context); });
}

void ZvTrackerWrapper::trackLaunch(const ZvContextProperties& context) {
    Guarded("trackLaunch", [&] { m_impl->trackLaunch(context); });
}

void ZvTrackerWrapper::trackLogin(const ZvUserInfo& info, bool success, const std::string& reason,
                                  const ZvContextProperties& context) {
    Guarded("trackLogin", [&] { m_impl->trackLogin(info, success, reason, context); });
}

void ZvTrackerWrapper::trackCashier(const ZvEventCashier& event,
                                    const ZvContextProperties& context) {
    Guarded("trackCashier", [&] { m_impl->trackCashier(event, context); });
}

void ZvTrackerWrapper::trackShare(const ZvEventShare& event, const ZvContextProperties& context) {
    Guarded("trackShare", [&] { m_impl->trackShare(event, context); });
}

void ZvTrackerWrapper::trackFile(const ZvEventFile& event, const ZvContextProperties& context) {
    Guarded("trackFile", [&] { m_impl->trackFile(event, context); });
}

void ZvTrackerWrapper::trackOrder(const ZvEventOrder& event, const ZvContextProperties& context) {
    Guarded("trackOrder", [&] { m_impl->trackOrder(event, context); });
}

void ZvTrackerWrapper::trackPayment(const ZvEventPayment& event,
                                    const ZvContextProperties& context) {
    Guarded("trackPayment", [&] { m_impl->trackPayment(event, context); });
}

void ZvTrackerWrapper::trackUninstall(const std::string& reason,
                                      const ZvContextProperties& context) {
    Guarded("trackUninstall", [&] { m_impl->trackUninstall(reason, context); });
}

void ZvTrackerWrapper::trackUpdate(const ZvEventUpdate& event, const ZvContextProperties& context) {
    Guarded("trackUpdate", [&] { m_impl->trackUpdate(event, context); });
}

void ZvTrackerWrapper::trackAppOpenNotification(const ZvEventAppOpenNotification* event,
                                                const ZvContextProperties& context) {
    Guarded("trackAppOpenNotification", [&] { m_impl->trackAppOpenNotification(event, context); });
}

void ZvTrackerWrapper::trackClick(const ZvEventClick& event, const ZvContextProperties& context) {
    Guarded("trackClick", [&] { m_impl->trackClick(event, context); });
}

void ZvTrackerWrapper::trackView(const ZvEventView& event, const ZvContextProperties& context) {
    Guarded("trackView", [&] { m_impl->trackView(event, context); });
}

void ZvTrackerWrapper::trackTask(const ZvEventTask& event, const ZvContextProperties& context) {
    Guarded("trackTask", [&] { m_impl->trackTask(event, context); });
}

void ZvTrackerWrapper::trackCrash(const std::string& reason) {
    Guarded("trackCrash", [&] { m_impl->trackCrash(reason); });
}

std::shared_ptr<ZvTrackerWrapper> SharedTracker() {
    return std::atomic_load(&g_shared);
}

void CreateTracker(const TrackerOptions& options) {
    auto impl = std::make_unique<ZvTrackerImpl>(options);
    try {
        impl->Init();
    } catch (...) {
        // A tracker that could not start is installed all the same; it queues nothing.
    }
    std::atomic_store(&g_shared, std::make_shared<ZvTrackerWrapper>(std::move(impl)));
}

void ResetTracker() {
    std::atomic_store(&g_shared, std::shared_ptr<ZvTrackerWrapper>());
}

}  // namespace zorvane::telemetry
