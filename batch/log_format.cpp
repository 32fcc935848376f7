#include "batch/log_format.h"

#include <atomic>
#include <ctime>

QString NextLogNumberText()
{
    static std::atomic<int> counter{0};
    return QString::asprintf("%03d ", ++counter);
}

QString LogTimeText()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local))
        return QStringLiteral("-1:-1:-1");
    return QString::asprintf("%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
}

QString FormatHms(std::int64_t seconds)
{
    return QString::asprintf("%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                             static_cast<long long>(seconds % 3600 / 60), static_cast<long long>(seconds % 60));
}
