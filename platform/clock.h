#pragma once

// The phone's clock. Its local time is the machine's, unless $BRENWICK_TIME
// ("2005-03-07T09:05:00") or a test fixes it, so that stored time stamps can be foreseen.

#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct LocalTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    friend bool operator==(const LocalTime&, const LocalTime&) = default;
};

LocalTime GetLocalTime();
void FixLocalTime(std::optional<LocalTime> time); // for tests; nullopt returns to the real clock

// How much longer (or shorter) the program's pauses and timers take than they say: 1
// normally; a scripted run sets it with --time-scale so that tests need not wait.
void SetTimeScale(double factor);
double TimeScale();
// A duration of the program, in milliseconds, as the clock is scaled now.
int ScaledMilliseconds(int milliseconds);

std::optional<LocalTime> ParseIsoTime(std::string_view text); // "YYYY-MM-DDTHH:MM:SS"
std::string FormatIsoTime(const LocalTime& time);

} // namespace platform
