#pragma once
// Rounding as the control set's value rules do it: to the nearest whole number, halves to the even one.
#include <QtGlobal>
#include <algorithm>
#include <climits>
#include <cmath>

namespace qv {

// Out-of-range and non-finite values end at the ends of the 64-bit range (NaN gives 0).
inline qint64 RoundHalfEven(double x)
{
    if (std::isnan(x))
        return 0;
    const double r = std::nearbyint(x);
    if (r >= 9.2e18)
        return LLONG_MAX;
    if (r <= -9.2e18)
        return LLONG_MIN;
    return qint64(r);
}

inline int ClampToInt(qint64 v) { return int(std::clamp<qint64>(v, INT_MIN, INT_MAX)); }

} // namespace qv
