#pragma once
// Arithmetic never wraps: a result outside the 32-bit signed range is an
// error the caller either skips or reports, and every fractional value that
// becomes an integer is rounded half to even (2.5 -> 2, 3.5 -> 4).
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>

namespace drawing {

struct OverflowError : std::overflow_error {
  OverflowError() : std::overflow_error("overflow") {}
};

inline std::int32_t CheckedInt32(long long v) {
  if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
    throw OverflowError();
  return static_cast<std::int32_t>(v);
}

inline std::int32_t CheckedAdd(std::int32_t a, std::int32_t b) {
  return CheckedInt32(static_cast<long long>(a) + b);
}

inline std::int32_t CheckedSub(std::int32_t a, std::int32_t b) {
  return CheckedInt32(static_cast<long long>(a) - b);
}

inline std::int32_t CheckedMul(std::int32_t a, std::int32_t b) {
  return CheckedInt32(static_cast<long long>(a) * b);
}

// Nearest integer, halves to the even neighbour; NaN and values outside the
// 32-bit range are overflow errors.
inline std::int32_t RoundHalfEven(double v) {
  if (!(v >= -2147483648.5 && v <= 2147483647.5)) throw OverflowError();
  double r = std::round(v);
  if (std::fabs(v - std::trunc(v)) == 0.5) r = 2.0 * std::round(v / 2.0);
  return CheckedInt32(static_cast<long long>(r));
}

}  // namespace drawing
