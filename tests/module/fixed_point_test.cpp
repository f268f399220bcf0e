// fixed_point_test.cpp: the float-to-fixed conversions behind every time, position and strength field.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "effects.h"

namespace {

struct FixedCase {
    float value, scale;
    int unsignedResult, signedResult;
};

const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();

// Truncation toward zero, then clamping; out-of-range and non-finite values
// clamp in floating point, so no conversion is ever undefined.
const FixedCase kCases[] = {
    {0.0f, 8192.0f, 0, 0},
    {0.6f, 8192.0f, 4915, 4915},       // 4915.2
    {-0.6f, 8192.0f, 0, -4915},        // toward zero, not down
    {0.01f, 256.0f, 2, 2},             // 2.56 is not rounded up
    {2.0f, 256.0f, 512, 512},
    {4.0f, 256.0f, 1024, 1024},
    {0.5f, 4096.0f, 2048, 2048},
    {3.0f, 4096.0f, 12288, 12288},
    {100.0f, 256.0f, 25600, 25600},
    {-1.0f, 4096.0f, 0, -4096},
    {250.0f, 4096.0f, 65535, 32767},
    {150.0f, 4096.0f, 65535, 32767},
    {-5.0f, 8192.0f, 0, -32768},
    {5.0f, 8192.0f, 40960, 32767},
    {65534.9f, 1.0f, 65534, 32767},
    {32767.5f, 1.0f, 32767, 32767},
    {-32768.5f, 1.0f, 0, -32768},
    {1e30f, 4096.0f, 65535, 32767},
    {3e38f, 4096.0f, 65535, 32767},    // the product overflows to infinity
    {-3e38f, 4096.0f, 0, -32768},
    {kInf, 4096.0f, 65535, 32767},
    {-kInf, 4096.0f, 0, -32768},
    {kInf, 0.0f, 0, 0},                // inf * 0 is NaN
    {kNaN, 4096.0f, 0, 0},
    {1.0f, kNaN, 0, 0},
};

TEST(FixedPoint, TruncatesAndClampsEveryValue)
{
    for (const FixedCase &c : kCases) {
        SCOPED_TRACE(::testing::Message() << c.value << " x " << c.scale);
        EXPECT_EQ(FixedUnsigned16(c.value, c.scale), c.unsignedResult);
        EXPECT_EQ(FixedSigned16(c.value, c.scale), c.signedResult);
    }
}

// Every in-range product gives exactly its truncation.  The reference goes
// through volatile floats so that x87's wider registers cannot round it
// differently from the float the module computes.
TEST(FixedPoint, InRangeResultsAreThePlainTruncation)
{
    for (int i = -1460; i <= 1460; i++) {
        volatile float v = static_cast<float>(i) * 0.0137f;
        for (float scale : {256.0f, 4096.0f, 8192.0f}) {
            volatile float p = v * scale;
            int t = static_cast<int>(std::trunc(p));
            if (t >= 0 && t <= 65535) {
                ASSERT_EQ(FixedUnsigned16(v, scale), t) << v << " x " << scale;
            }
            if (t >= -32768 && t <= 32767) {
                ASSERT_EQ(FixedSigned16(v, scale), t) << v << " x " << scale;
            }
        }
    }
}

}  // namespace
