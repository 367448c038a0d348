// Wall-clock date-times as whole seconds, and their "yyyy-mm-dd hh:nn:ss" text.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace platform {

// A local wall-clock date-time: seconds since 1970-01-01 00:00:00 of the same clock, with no
// time zone attached. Whole seconds keep equality tests exact; nothing here drifts through
// floating point.
struct TDateTime {
  std::int64_t Seconds = 0;
  friend auto operator<=>(const TDateTime&, const TDateTime&) = default;
};

TDateTime MakeDateTime(int year, int month, int day, int hour, int minute, int second);

// "yyyy-mm-dd hh:nn:ss", for example 2003-09-26 14:05:09.
std::string FormatDateTime(TDateTime t);

// A file-system time stamp (seconds since the Unix epoch, UTC) as local wall-clock time.
TDateTime LocalFromUnixTime(std::time_t t);

}  // namespace platform
