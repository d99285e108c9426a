#pragma once
// Date-time numbers as the stored profiles hold them: days since 30 December 1899
// in the integer part, the time of day as the fraction.

#include <functional>

namespace zq {

double EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                      int millisecond);
// The local date and time now.
double LocalDateTimeNow();

// Where the profile defaults take "now" from; tests give a fixed one.
using DateTimeSource = std::function<double()>;

} // namespace zq
