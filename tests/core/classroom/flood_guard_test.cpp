#include "classroom/flood_guard.h"
#include "classroom/qr_code.h"

#include <gtest/gtest.h>

using namespace vireta::classroom;

TEST(ClassroomFloodGuard, TwentyMessagesInAnySecondAndNoMore) {
    FloodGuard steady;
    for (long long ms = 0; ms < 10000; ms += 50) // 20 a second, for ten seconds
        ASSERT_TRUE(steady.allow(ms)) << ms;
    FloodGuard burst;
    for (int i = 0; i < 20; ++i)
        ASSERT_TRUE(burst.allow(500));
    EXPECT_FALSE(burst.allow(1499));
    EXPECT_TRUE(burst.allow(1500));
}

TEST(ClassroomQrCode, EncodesTheAddressWithItsQuietZone) {
    const QrCode code = qrCode("http://192.168.1.23:8080/?codigo=123456");
    ASSERT_GE(code.size, 25); // version 2 or more for 39 bytes
    // The finder patterns: dark corners, a light ring, a dark centre.
    EXPECT_TRUE(code.at(0, 0) && code.at(6, 6) && !code.at(1, 1) && code.at(3, 3));
    EXPECT_TRUE(code.at(code.size - 1, 0) && code.at(0, code.size - 1));
    const std::string svg = qrSvg(code);
    EXPECT_EQ(svg.find("viewBox=\"0 0 " + std::to_string(code.size + 8)), svg.find("viewBox"));
}
