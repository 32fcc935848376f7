#pragma once

#include <QString>

#include <cstdint>

// The number of the next log line, "%03d ", from a process-wide counter that nothing resets.
QString NextLogNumberText();

// The local wall-clock time of now, "%02d:%02d:%02d".
QString LogTimeText();

// Hours (not limited to two digits), minutes and seconds, "%02d:%02d:%02d".
QString FormatHms(std::int64_t seconds);
