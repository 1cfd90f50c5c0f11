// Frames per second of the real drawing, through freeglut and the system's OpenGL, against the
// floor: the same frame's recorded GL calls replayed from arrays in immediate mode, in the same
// window. Blocks of program frames (displayFrame) and of replayed frames alternate over several
// rounds; every frame ends with the buffer swap and a glFinish, so the renderer's work for that
// frame is inside the measurement. Idle ticks are kept out: each scene stays fixed while measured.
//
//   bench_frame_rate --streams DIR [--rounds N] [--frames N] [--scene NAME] [--pictures DIR]
//
// --streams names the folder of bench_record_frames' <scene>.calls files; --pictures, if given, a
// folder for each scene's picture as <scene>.ppm. --frames is per block and round, so each side of
// each scene is measured over rounds x frames frames (default 20 x 30 = 600).
#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/callbacks.h"
#include "bench/bench_scenes.h"
#include "bench/call_replay.h"
#include "bench/call_stream.h"
#include "render/frame.h"

namespace {

constexpr int windowWidth = 1024;
constexpr int windowHeight = 768;

bool reshaped = false;

void reshapeAndNote(int width, int height) {
    onReshape(width, height);
    reshaped = true;
}

void programFrame(const CallStream&) {
    displayFrame();
    glFinish();
}

void replayFrame(const CallStream& stream) {
    replayCallStream(stream);
    glFinish();
}

double secondsFor(void (*frame)(const CallStream&), const CallStream& stream, int frames) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < frames; ++i) {
        frame(stream);
    }
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    return elapsed.count();
}

// The last frame's picture, as RGB bytes, bottom row first. It is read from the back buffer: the
// software renderer copies that buffer to the window at the swap and keeps it, while the front
// buffer reads back black under Xvfb.
void readPicture(std::vector<unsigned char>& pixels) {
    pixels.assign(static_cast<std::size_t>(windowWidth) * windowHeight * 3, 0);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, windowWidth, windowHeight, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
}

// Lets the toolkit deliver what is pending (map, reshape, expose), outside any measurement.
void pumpEvents() {
    for (int i = 0; i < 10; ++i) {
        glutMainLoopEvent();
    }
}

// Writes the picture as a binary PPM, top row first.
void writePicture(const std::string& path, const std::vector<unsigned char>& pixels) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return;
    }
    std::fprintf(file, "P6\n%d %d\n255\n", windowWidth, windowHeight);
    const std::size_t row = static_cast<std::size_t>(windowWidth) * 3;
    for (int y = windowHeight - 1; y >= 0; --y) {
        std::fwrite(&pixels[static_cast<std::size_t>(y) * row], 1, row, file);
    }
    std::fclose(file);
}

struct Options {
    std::string streams;
    std::string pictures;
    std::string onlyScene;
    int rounds = 20;
    int frames = 30;
};

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) {
            return false;
        }
        const std::string value = argv[++i];
        if (arg == "--streams") {
            options.streams = value;
        } else if (arg == "--rounds") {
            options.rounds = std::atoi(value.c_str());
        } else if (arg == "--frames") {
            options.frames = std::atoi(value.c_str());
        } else if (arg == "--pictures") {
            options.pictures = value;
        } else if (arg == "--scene") {
            options.onlyScene = value;
        } else {
            return false;
        }
    }
    return !options.streams.empty() && options.rounds > 0 && options.frames > 0;
}

}  // namespace

int main(int argc, char** argv) {
    glutInit(&argc, argv);
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: %s --streams DIR [--rounds N] [--frames N] [--scene NAME] "
                     "[--pictures DIR]\n",
                     argv[0]);
        return 2;
    }

    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE);
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("TESSALORAN           frame rate");
    glutReshapeFunc(reshapeAndNote);
    glutDisplayFunc(displayFrame);
    setUpBenchScene(BenchScene::Start);
    while (!reshaped) {
        glutMainLoopEvent();
    }
    pumpEvents();
    std::printf("renderer: %s | %s\n", reinterpret_cast<const char*>(glGetString(GL_RENDERER)),
                reinterpret_cast<const char*>(glGetString(GL_VERSION)));
    std::printf("%-9s %8s %8s %7s %10s %7s  %s\n", "scene", "program", "floor", "ratio", "rounds",
                "frames", "same picture");

    std::vector<unsigned char> programPixels;
    std::vector<unsigned char> replayPixels;
    for (int s = 0; s < benchSceneCount; ++s) {
        const BenchScene which = benchSceneAt(s);
        const std::string name = benchSceneName(which);
        if (!options.onlyScene.empty() && options.onlyScene != name) {
            continue;
        }
        CallStream stream;
        if (!readCallStream(options.streams + "/" + name + ".calls", stream)) {
            return 1;
        }
        setUpBenchScene(which);
        pumpEvents();

        // Warm-up, and a check that the replay draws the very same picture.
        secondsFor(programFrame, stream, 5);
        readPicture(programPixels);
        secondsFor(replayFrame, stream, 5);
        readPicture(replayPixels);
        if (!options.pictures.empty()) {
            writePicture(options.pictures + "/" + name + ".ppm", programPixels);
        }
        long differing = 0;
        long lit = 0;
        for (std::size_t i = 0; i < programPixels.size(); i += 3) {
            if (std::memcmp(&programPixels[i], &replayPixels[i], 3) != 0) {
                ++differing;
            }
            if (programPixels[i] != 0 || programPixels[i + 1] != 0 || programPixels[i + 2] != 0) {
                ++lit;
            }
        }
        if (lit == 0) {
            std::fprintf(stderr, "%s: the program's frame reads back blank\n", name.c_str());
            return 1;
        }

        // Alternate which side goes first, so slow drifts of the machine hit both alike. The
        // spread of the rounds' own ratios shows how steady the machine was.
        double programSeconds = 0;
        double replaySeconds = 0;
        double lowRatio = 1e9;
        double highRatio = 0;
        for (int round = 0; round < options.rounds; ++round) {
            double program = 0;
            double replayed = 0;
            if (round % 2 == 0) {
                program = secondsFor(programFrame, stream, options.frames);
                replayed = secondsFor(replayFrame, stream, options.frames);
            } else {
                replayed = secondsFor(replayFrame, stream, options.frames);
                program = secondsFor(programFrame, stream, options.frames);
            }
            programSeconds += program;
            replaySeconds += replayed;
            lowRatio = std::min(lowRatio, replayed / program);
            highRatio = std::max(highRatio, replayed / program);
            pumpEvents();
        }
        const int frames = options.rounds * options.frames;
        const double programFps = frames / programSeconds;
        const double floorFps = frames / replaySeconds;
        const std::string same =
            differing == 0 ? "yes" : std::to_string(differing) + " pixels differ";
        std::printf("%-9s %8.1f %8.1f %7.3f %5.2f-%4.2f %7d  %s\n", name.c_str(), programFps,
                    floorFps, programFps / floorFps, lowRatio, highRatio, frames, same.c_str());
        std::printf("RESULT %s %.3f %.3f %.4f %.4f %.4f %d %ld\n", name.c_str(), programFps,
                    floorFps, programFps / floorFps, lowRatio, highRatio, frames, differing);
        std::fflush(stdout);
    }
    return 0;
}
