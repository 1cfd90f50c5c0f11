// The start-up line probe: where its segments must appear, how a picture of them is judged, and
// what the program does with the verdicts. The drawing itself runs in the real program and is
// checked end to end.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "desktop/line_probe.h"

namespace {

using Image = std::vector<unsigned char>;

// Lights the pixels along a window-space segment, one per step, as a GL would draw it.
void paint(Image& image, const double* from, const double* to) {
    const int steps = static_cast<int>(std::hypot(to[0] - from[0], to[1] - from[1]));
    for (int i = 0; i <= steps; ++i) {
        const double t = static_cast<double>(i) / steps;
        const int x = static_cast<int>(from[0] + t * (to[0] - from[0]));
        const int y = static_cast<int>(from[1] + t * (to[1] - from[1]));
        if (x >= 0 && x < probeSize && y >= 0 && y < probeSize) {
            image[y * probeSize + x] = 1;
        }
    }
}

Image pictureWithout(int missing) {
    Image image(probeSize * probeSize, 0);
    for (int k = 0; k < probeSegmentCount; ++k) {
        if (k != missing) {
            paint(image, probeSegments[k].windowFrom, probeSegments[k].windowTo);
        }
    }
    return image;
}

// Every point of a segment in front of the near plane projects onto the window path the judge
// expects, and the path's ends are where the segment enters and leaves the window.
TEST(LineProbe, EachSegmentsWindowPathIsWhereTheProjectionPutsIt) {
    for (const ProbeSegment& segment : probeSegments) {
        const double* a = segment.windowFrom;
        const double* b = segment.windowTo;
        double nearestToFrom = 1e9, nearestToTo = 1e9;
        for (int i = 0; i <= 1000000; ++i) {
            const double t = i / 1e6;
            double eye[3];
            for (int c = 0; c < 3; ++c) {
                eye[c] = segment.from[c] + t * (segment.to[c] - segment.from[c]);
            }
            if (eye[2] > -1) {
                continue;
            }
            const double x = 100 * (1 + eye[0] / -eye[2]), y = 100 * (1 + eye[1] / -eye[2]);
            if (x < 0 || x > probeSize || y < 0 || y > probeSize) {
                continue;
            }
            const double dx = b[0] - a[0], dy = b[1] - a[1];
            const double across = ((x - a[0]) * dy - (y - a[1]) * dx) / std::hypot(dx, dy);
            ASSERT_NEAR(across, 0, 0.01) << "t = " << t;
            nearestToFrom = std::fmin(nearestToFrom, std::hypot(x - a[0], y - a[1]));
            nearestToTo = std::fmin(nearestToTo, std::hypot(x - b[0], y - b[1]));
        }
        EXPECT_LT(nearestToFrom, 0.5);
        EXPECT_LT(nearestToTo, 0.5);
    }
}

TEST(LineProbe, JudgesWhetherTheFarReachingSegmentsWereDrawn) {
    EXPECT_EQ(judgeProbeImage(pictureWithout(-1).data()), ProbeVerdict::drawsLines);
    EXPECT_EQ(judgeProbeImage(pictureWithout(1).data()), ProbeVerdict::dropsLines);
    EXPECT_EQ(judgeProbeImage(pictureWithout(2).data()), ProbeVerdict::dropsLines);
    // Nothing drawn, not even the segment inside the window: the probe tells nothing.
    EXPECT_EQ(judgeProbeImage(Image(probeSize * probeSize, 0).data()), ProbeVerdict::inconclusive);

    Image smeared = pictureWithout(-1);
    for (int y = 20; y < 30; ++y) {
        for (int x = 150; x < 160; ++x) {
            smeared[y * probeSize + x] = 1;
        }
    }
    EXPECT_EQ(judgeProbeImage(smeared.data()), ProbeVerdict::dropsLines);
}

// A fake softpipe probe: its verdict, and how often it ran.
ProbeVerdict softpipeVerdict;
int softpipeRuns = 0;

ProbeResult probeSoftpipe(const char* driver) {
    EXPECT_STREQ(driver, "softpipe");
    ++softpipeRuns;
    ProbeResult result;
    result.verdict = softpipeVerdict;
    return result;
}

TEST(LineProbe, SwitchesToSoftpipeOnlyWhereTheDefaultDropsLinesAndSoftpipeDrawsThem) {
    using V = ProbeVerdict;
    struct Case {
        V standard, softpipe;
        bool knownRelease;
        int softpipeRuns;
        const char* driver;
        bool says;
    };
    const Case cases[] = {
        {V::drawsLines, V::drawsLines, false, 0, nullptr, false},
        {V::inconclusive, V::drawsLines, false, 0, nullptr, false},
        {V::dropsLines, V::drawsLines, false, 1, "softpipe", true},
        {V::dropsLines, V::dropsLines, false, 1, nullptr, true},
        {V::dropsLines, V::inconclusive, false, 1, nullptr, true},
        // A release known to drop the lines is known to draw them with softpipe.
        {V::dropsLines, V::dropsLines, true, 0, "softpipe", true},
    };
    for (const Case& c : cases) {
        ProbeResult standard;
        standard.verdict = c.standard;
        standard.knownRelease = c.knownRelease;
        std::snprintf(standard.renderer, sizeof standard.renderer, "llvmpipe");
        softpipeVerdict = c.softpipe;
        softpipeRuns = 0;
        const DriverChoice choice = chooseGlDriver(standard, probeSoftpipe);
        SCOPED_TRACE(choice.message);
        EXPECT_EQ(softpipeRuns, c.softpipeRuns);
        EXPECT_STREQ(choice.driver, c.driver);
        EXPECT_EQ(choice.message[0] != '\0', c.says);
        if (c.says) {
            EXPECT_NE(std::string(choice.message).find("\"llvmpipe\""), std::string::npos);
            EXPECT_EQ(std::string(choice.message).find('\n'), std::string::npos);
        }
    }
}

// A driver the user chose is kept whatever it would draw, even an empty one; a GPU is not probed
// unless software rendering is asked for; a probe that failed is not run again.
TEST(LineProbe, ProbesOnlyWhereMesaMayDrawInSoftwareAndTheUserChoseNoDriver) {
    const auto needs = [](const char* user, bool software, bool direct) {
        GlSetting setting;
        setting.userDriver = user;
        setting.softwareAsked = software;
        setting.directRendering = direct;
        return needsProbe(setting);
    };
    EXPECT_TRUE(needs(nullptr, false, false));
    EXPECT_TRUE(needs(nullptr, true, false));
    EXPECT_FALSE(needs(nullptr, false, true));
    EXPECT_TRUE(needs(nullptr, true, true));
    EXPECT_FALSE(needs("llvmpipe", false, false));
    EXPECT_FALSE(needs("", true, false));
    GlSetting failed;
    failed.probeFailed = true;
    EXPECT_FALSE(needsProbe(failed));
}

// Only llvmpipe is drawn; of it, only a release known to drop the lines is judged by name.
TEST(LineProbe, SettlesByNameOnlyWhatNeedsNoDrawing) {
    const int debian13[] = {25, 0, 7}, debian12[] = {22, 3, 6}, next[] = {25, 0, 8};
    const char* llvmpipe = "llvmpipe (LLVM 19.1.7, 256 bits)";
    const auto known = resultWithoutDrawing(llvmpipe, debian13);
    ASSERT_TRUE(known.has_value());
    EXPECT_EQ(known->verdict, ProbeVerdict::dropsLines);
    EXPECT_TRUE(known->knownRelease);
    EXPECT_STREQ(known->renderer, llvmpipe);
    EXPECT_FALSE(resultWithoutDrawing(llvmpipe, debian12).has_value());
    EXPECT_FALSE(resultWithoutDrawing(llvmpipe, next).has_value());
    EXPECT_FALSE(resultWithoutDrawing(llvmpipe, nullptr).has_value());
    // Mesa's zink on lavapipe, llvmpipe's Vulkan sibling: not the llvmpipe known to drop them.
    EXPECT_FALSE(resultWithoutDrawing("zink (llvmpipe (LLVM 19.1.7, 256 bits))", debian13));
    EXPECT_TRUE(isKnownReleaseLibrary("/usr/lib/x86_64-linux-gnu/libgallium-25.0.7-2+deb13u1.so"));
    EXPECT_TRUE(isKnownReleaseLibrary("libgallium-25.0.7.so"));
    for (const char* library : {"/usr/lib/libgallium-25.0.8.so", "/usr/lib/libgallium-25.0.70.so",
                                "/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", ""}) {
        EXPECT_FALSE(isKnownReleaseLibrary(library)) << library;
    }
    for (const char* other : {"softpipe", "AMD Radeon RX 6600 (radeonsi, navi23, LLVM 19.1.7)"}) {
        const auto drawn = resultWithoutDrawing(other, debian13);
        ASSERT_TRUE(drawn.has_value()) << other;
        EXPECT_EQ(drawn->verdict, ProbeVerdict::drawsLines);
        EXPECT_FALSE(drawn->knownRelease);
    }
}

TEST(LineProbe, ProbesTheDisplayTheToolkitIsGiven) {
    char program[] = "tessaloran", geometry[] = "-geometry", size[] = "800x600",
         option[] = "-display", name[] = ":7";
    char* arguments[] = {program, geometry, size, option, name};
    EXPECT_STREQ(displayArgument(5, arguments), ":7");
    EXPECT_EQ(displayArgument(4, arguments), nullptr);  // -display with no name after it
    EXPECT_EQ(displayArgument(3, arguments), nullptr);
}

}  // namespace
