#include "render/extended_product.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstring>
#include <random>
#include <type_traits>

namespace {

// The browser's long double, IEEE quadruple (113 bits), as a second format beside this machine's
// long double: the compiler's __float128 where it has one (GCC and Clang on x86), while long double
// is that format already on aarch64 (a Raspberry Pi) and needs no second run. Elsewhere only the
// long double is tested.
#if defined(__SIZEOF_FLOAT128__) && LDBL_MANT_DIG != 113
__extension__ typedef __float128 Quad;
#else
using Quad = long double;
#endif

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Radii and circle samples as the rings have them, over the magnitudes the scene reaches and
// beyond, with both signs, in every bit of the extended format.
template <typename Extended>
void checkRandomProducts(unsigned seed) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> exponent(-40, 40);
    std::uniform_real_distribution<double> unit(-1, 1);
    for (int n = 0; n < 200000; ++n) {
        const Extended a = static_cast<Extended>(std::exp2(exponent(random))) *
                           (1 + static_cast<Extended>(unit(random)) * 0x1p-30);
        const Extended b = static_cast<Extended>(unit(random)) +
                           static_cast<Extended>(unit(random)) * static_cast<Extended>(0x1p-60);
        ASSERT_TRUE(sameBits(productAsDouble(a, splitFactor(a), b, splitFactor(b)),
                             static_cast<double>(a * b)))
            << n;
    }
}

// Products a hair from a point halfway between two doubles, on either side or on it, where a
// product rounded twice (to the extended format, then to double) can differ from the nearest
// double: the fast path must see them and give the long double's own answer. Below a power of
// two the neighbour is half as far.
template <typename Extended>
void checkProductsNearHalfway(unsigned seed) {
    std::mt19937_64 random(seed);
    std::uniform_real_distribution<double> mantissa(1, 2);
    std::uniform_int_distribution<int> offset(-3, 3);
    for (int n = 0; n < 100000; ++n) {
        const double t = (n % 4 == 0 ? 1 : mantissa(random)) * std::exp2(offset(random) * 7);
        const double neighbour = std::nextafter(t, n % 2 == 0 ? 0 : 1e300);
        const Extended halfway = (static_cast<Extended>(t) + static_cast<Extended>(neighbour)) / 2;
        const Extended a = 1 + static_cast<Extended>(mantissa(random)) * 0x1p-20;
        const Extended b = halfway / a *
                           (1 + offset(random) * std::numeric_limits<double>::epsilon() *
                                    static_cast<Extended>(0x1p-16));
        ASSERT_TRUE(sameBits(productAsDouble(a, splitFactor(a), b, splitFactor(b)),
                             static_cast<double>(a * b)))
            << n;
    }
}

TEST(ProductAsDouble, GivesTheExtendedProductsDoubleBitForBit) {
    checkRandomProducts<long double>(1);
    checkProductsNearHalfway<long double>(3);
    if constexpr (!std::is_same_v<Quad, long double>) {
        checkRandomProducts<Quad>(2);
        checkProductsNearHalfway<Quad>(4);
    }
}

// Zero, tiny and huge factors, outside the split's range, take the long double product as it is.
TEST(ProductAsDouble, FactorsOutsideTheSplitsRangeGiveTheLongDoubleProduct) {
    const long double values[] = {0.0L, -0.0L, 1e-130L, 3e150L, 1e-300L, 6.123233995736766e-17L};
    for (const long double a : values) {
        for (const long double b : {-0.75L, 149597870.7L, 1e200L}) {
            EXPECT_TRUE(sameBits(productAsDouble(a, splitFactor(a), b, splitFactor(b)),
                                 static_cast<double>(a * b)))
                << static_cast<double>(a) << " * " << static_cast<double>(b);
        }
    }
}

}  // namespace
