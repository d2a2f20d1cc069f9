#include "platform/clock.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

namespace platform {
namespace {

std::mutex g_mutex;
bool g_initialised = false;
std::optional<LocalTime> g_fixed;
double g_timeScale = 1.0;

} // namespace

void SetTimeScale(double factor) {
    std::lock_guard lock(g_mutex);
    g_timeScale = factor < 0 ? 0 : factor;
}

double TimeScale() {
    std::lock_guard lock(g_mutex);
    return g_timeScale;
}

int ScaledMilliseconds(int milliseconds) {
    return static_cast<int>(std::lround(std::max(0, milliseconds) * TimeScale()));
}

LocalTime GetLocalTime() {
    {
        std::lock_guard lock(g_mutex);
        if (!g_initialised) {
            g_initialised = true;
            if (const char* fixed = std::getenv("BRENWICK_TIME"))
                g_fixed = ParseIsoTime(fixed);
        }
        if (g_fixed)
            return *g_fixed;
    }
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void FixLocalTime(std::optional<LocalTime> time) {
    std::lock_guard lock(g_mutex);
    g_initialised = true;
    g_fixed = time;
}

std::optional<LocalTime> ParseIsoTime(std::string_view text) {
    LocalTime t;
    char tail = 0;
    const std::string s(text);
    if (std::sscanf(s.c_str(), "%4d-%2d-%2dT%2d:%2d:%2d%c", &t.year, &t.month, &t.day, &t.hour,
                    &t.minute, &t.second, &tail) != 6)
        return std::nullopt;
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > 31 || t.hour > 23 || t.minute > 59 ||
        t.second > 59 || t.hour < 0 || t.minute < 0 || t.second < 0)
        return std::nullopt;
    return t;
}

std::string FormatIsoTime(const LocalTime& t) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return buffer;
}

} // namespace platform
