// The double of an extended product, static_cast<double>(a * b) for long double a and b, worked
// out in double arithmetic. The ring vertices take two such products each, some 70,000 a frame
// with the light shells, and where long double is done in software (WebAssembly's 128-bit format)
// each costs a software multiplication and a software rounding. Here they cost a dozen double
// operations, and the result is the same double, bit for bit.
//
// How: both factors are split once into doubles, x = hi + lo + (a rest below 2^-106 |x|), and hi
// into two halves of 26 bits, so that hi_a * hi_b is exact as a pair of doubles (Dekker's
// product). With the cross terms the pair gives the product to a relative 2^-100, as t + d where
// t is the nearest double. The extended product rounds first to the long double's own precision
// (64 or 113 bits), within a relative 2^-64, and then to double: that gives t too unless the
// product lies within those bounds of a point halfway between t and a neighbour. Only then, one
// product in a few hundred with 64 bits and next to never with 113, is the product worked out in
// long double after all.
//
// The splitting needs double arithmetic that rounds every operation as written: no excess
// precision and no fused multiply-adds (the build turns contraction off).
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

static_assert(FLT_EVAL_METHOD == 0, "double operations must round to double");
static_assert(std::numeric_limits<long double>::digits == 53 ||
                  std::numeric_limits<long double>::digits >= 64,
              "a long double product is rounded once, or first to at least 64 bits");

// A factor split for the fast path; the factor itself is kept beside it for the slow one.
struct SplitFactor {
    double hi = 0;     // the nearest double
    double lo = 0;     // the nearest double to the factor - hi
    double hiTop = 0;  // hi = hiTop + hiBottom, each of at most 26 significant bits
    double hiBottom = 0;
    bool usable = false;  // finite, nonzero and far from overflow and underflow
};

template <typename Extended>
SplitFactor splitFactor(Extended value) {
    static_assert(std::numeric_limits<double>::digits == 53);
    SplitFactor f;
    f.hi = static_cast<double>(value);
    const double magnitude = std::fabs(f.hi);
    f.usable = magnitude >= 0x1p-400 && magnitude <= 0x1p400;
    if (f.usable) {
        f.lo = static_cast<double>(value - static_cast<Extended>(f.hi));
        const double scaled = 134217729.0 * f.hi;  // 2^27 + 1: Veltkamp's split
        f.hiTop = scaled - (scaled - f.hi);
        f.hiBottom = f.hi - f.hiTop;
    }
    return f;
}

// static_cast<double>(a * b), given the factors with their splits.
template <typename Extended>
double productAsDouble(Extended a, const SplitFactor& as, Extended b, const SplitFactor& bs) {
    if (!as.usable || !bs.usable) {
        return static_cast<double>(a * b);
    }
    // p + e = as.hi * bs.hi exactly.
    const double p = as.hi * bs.hi;
    const double e = ((as.hiTop * bs.hiTop - p) + as.hiTop * bs.hiBottom + as.hiBottom * bs.hiTop) +
                     as.hiBottom * bs.hiBottom;
    const double tail = e + (as.hi * bs.lo + as.lo * bs.hi);
    // t + d = p + tail exactly, t the nearest double.
    const double t = p + tail;
    const double d = tail - (t - p);

    // The power of two at or below |t|, and from it the distances from t to the halfway points:
    // half an ulp, or a quarter where t is a power of two and the neighbour toward zero is nearer.
    std::uint64_t bits = 0;
    std::memcpy(&bits, &t, sizeof bits);
    bits &= 0x7ff0000000000000u;
    double binade = 0;
    std::memcpy(&binade, &bits, sizeof binade);
    const double half = binade * 0x1p-53;
    const double quarter = binade * 0x1p-54;
    // Covers the long double's own rounding (2^-64 |product| < 2^-11 ulp) with room to spare.
    const double margin = binade * 0x1p-61;
    const double away = std::fabs(d);
    if (std::fabs(away - half) <= margin || std::fabs(away - quarter) <= margin) {
        return static_cast<double>(a * b);
    }
    return t;
}
