// Nothing is allocated on the heap after start-up. This file replaces the global allocation
// functions of the whole test program with counting ones that forward to the C allocator, and,
// outside AddressSanitizer builds, the C allocator's own entry points too (so a stray malloc, such
// as one inside printf, is caught as well). After initScene and one warm-up of every path, the
// test counts across thousands of idle ticks, frames, key presses and mouse events and requires
// exactly zero.
#include <gtest/gtest.h>

#include <malloc.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <string>

#include "app/callbacks.h"
#include "camera/input.h"
#include "model/init_scene.h"
#include "model/scene_state.h"
#include "render/frame.h"
#include "tests/support/gl_recorder.h"
#include "tests/support/test_clock.h"

#if defined(__SANITIZE_ADDRESS__)
#define TESSALORAN_COUNTS_MALLOC 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSALORAN_COUNTS_MALLOC 0
#endif
#endif
#ifndef TESSALORAN_COUNTS_MALLOC
#define TESSALORAN_COUNTS_MALLOC 1
#endif

namespace {

// Counted only while armed, so the rest of the test program runs as usual.
std::atomic<bool> armed{false};
std::atomic<long> newCalls{0};
std::atomic<long> deleteCalls{0};
std::atomic<long> mallocCalls{0};
std::atomic<long> freeCalls{0};
// The size of the first allocation seen while armed, to say what it was in a failure.
std::atomic<std::size_t> firstSize{0};

void noteAllocation(std::atomic<long>& calls, std::size_t size) {
    if (armed.load(std::memory_order_relaxed)) {
        if (calls.fetch_add(1, std::memory_order_relaxed) == 0) {
            firstSize.store(size, std::memory_order_relaxed);
        }
    }
}

void noteRelease(std::atomic<long>& calls, void* p) {
    if (p != nullptr && armed.load(std::memory_order_relaxed)) {
        calls.fetch_add(1, std::memory_order_relaxed);
    }
}

void* allocate(std::size_t size) {
    noteAllocation(newCalls, size);
    return std::malloc(size == 0 ? 1 : size);
}

void* allocateAligned(std::size_t size, std::align_val_t alignment) {
    noteAllocation(newCalls, size);
    void* p = nullptr;
    const std::size_t a = static_cast<std::size_t>(alignment);
    if (posix_memalign(&p, a < sizeof(void*) ? sizeof(void*) : a, size == 0 ? 1 : size) != 0) {
        return nullptr;
    }
    return p;
}

void release(void* p) {
    noteRelease(deleteCalls, p);
    std::free(p);
}

}  // namespace

// The replaceable global allocation functions, every form.
void* operator new(std::size_t size) {
    if (void* p = allocate(size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    if (void* p = allocate(size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return allocate(size);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    if (void* p = allocateAligned(size, alignment)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    if (void* p = allocateAligned(size, alignment)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocateAligned(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
    return allocateAligned(size, alignment);
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    release(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    release(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    release(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    release(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    release(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    release(p);
}
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    release(p);
}
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
    release(p);
}

#if TESSALORAN_COUNTS_MALLOC
// The C allocator, replaced as glibc allows: these definitions take the place of its own for the
// whole process, and forward to its implementation under the names it exports for this purpose.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t count, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void __libc_free(void* p);

void* malloc(std::size_t size) noexcept {
    noteAllocation(mallocCalls, size);
    return __libc_malloc(size);
}
void* calloc(std::size_t count, std::size_t size) noexcept {
    noteAllocation(mallocCalls, count * size);
    return __libc_calloc(count, size);
}
void* realloc(void* p, std::size_t size) noexcept {
    noteAllocation(mallocCalls, size);
    return __libc_realloc(p, size);
}
void* memalign(std::size_t alignment, std::size_t size) noexcept {
    noteAllocation(mallocCalls, size);
    return __libc_memalign(alignment, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    noteAllocation(mallocCalls, size);
    return __libc_memalign(alignment, size);
}
int posix_memalign(void** out, std::size_t alignment, std::size_t size) noexcept {
    noteAllocation(mallocCalls, size);
    void* p = __libc_memalign(alignment, size);
    if (p == nullptr) {
        return ENOMEM;
    }
    *out = p;
    return 0;
}
void free(void* p) noexcept {
    noteRelease(freeCalls, p);
    __libc_free(p);
}
}  // extern "C"
#endif

namespace {

struct Tally {
    long news;
    long deletes;
    long mallocs;
    long frees;
    std::size_t firstSize;
};

void arm() {
    newCalls = 0;
    deleteCalls = 0;
    mallocCalls = 0;
    freeCalls = 0;
    firstSize = 0;
    armed = true;
}

Tally disarm() {
    armed = false;
    return {newCalls.load(), deleteCalls.load(), mallocCalls.load(), freeCalls.load(),
            firstSize.load()};
}

void advanceClock(std::uint32_t ms) {
    testClockMs = static_cast<std::int32_t>(static_cast<std::uint32_t>(testClockMs) + ms);
}

// Every key once, buttons pressed and released in every combination, and drags in every
// direction: the paths an event can take, each run at least once.
void everyInputOnce() {
    for (int key = 0; key < 256; ++key) {
        onKeyboard(static_cast<unsigned char>(key), 0, 0);
    }
    for (int button = 0; button < 3; ++button) {
        for (int state = 0; state < 2; ++state) {
            onMouseButton(button, state, 10, 10);
        }
    }
    for (int buttons = 0; buttons < 8; ++buttons) {
        onMouseButton(0, (buttons & 1) != 0 ? 0 : 1, 0, 0);
        onMouseButton(2, (buttons & 2) != 0 ? 0 : 1, 0, 0);
        onMouseButton(1, (buttons & 4) != 0 ? 0 : 1, 0, 0);
        for (int dx = -1; dx <= 1; ++dx) {
            for (int dy = -1; dy <= 1; ++dy) {
                onMouseDrag(scene.lastMouseX + dx, scene.lastMouseY + dy);
            }
        }
    }
}

class NoAllocation : public ::testing::Test {
  protected:
    void SetUp() override {
        resetScene();
        useTestClock(5);
        initScene();
        glrec::setMode(glrec::Mode::Counting);
    }
};

// The counters themselves: an allocation made while armed is seen, so a zero below means
// something.
TEST_F(NoAllocation, TheCountersSeeAllocations) {
    arm();
    std::string* volatile text = new std::string(200, 'x');
    delete text;
    int* volatile numbers = new int[10];
    delete[] numbers;
    void* volatile block = std::malloc(24);
    std::free(block);
    const Tally t = disarm();
    EXPECT_EQ(t.news, 3);  // the string, its buffer, the array
    EXPECT_EQ(t.deletes, 3);
    if (TESSALORAN_COUNTS_MALLOC) {
        // Each operator new forwards to malloc, and the direct call makes one more.
        EXPECT_EQ(t.mallocs, 4);
        EXPECT_EQ(t.frees, 4);
    }
}

TEST_F(NoAllocation, NoneAfterStartUpAcrossTicksFramesKeysAndDrags) {
    if (!TESSALORAN_COUNTS_MALLOC) {
        std::printf("note: under AddressSanitizer only operator new is counted, not malloc\n");
    }
    // Warm-up: every path once, including a first line on stdout (its buffer) and a frame.
    for (int i = 0; i < 10; ++i) {
        advanceClock(16);
        onIdle();
    }
    everyInputOnce();
    displayFrame();
    std::fflush(stdout);
    resetScene();
    useTestClock(5);
    initScene();
    glrec::setMode(glrec::Mode::Counting);

    // Everything the generator and the loops need is made before counting starts.
    std::mt19937 random(20240611);
    std::uniform_int_distribution<int> key(0, 255);
    std::uniform_int_distribution<int> step(0, 120000);
    std::uniform_int_distribution<int> coordinate(0, 1023);
    std::uniform_int_distribution<int> button(0, 2);
    std::uniform_int_distribution<int> pressed(0, 1);
    long frames = 0;
    long ticks = 0;

    arm();
    for (int round = 0; round < 4; ++round) {
        everyInputOnce();
        for (int i = 0; i < 1500; ++i) {
            advanceClock(static_cast<std::uint32_t>(step(random)));
            onIdle();
            ++ticks;
            onKeyboard(static_cast<unsigned char>(key(random)), 0, 0);
            onMouseButton(button(random), pressed(random), coordinate(random), coordinate(random));
            onMouseDrag(coordinate(random), coordinate(random));
            if (i % 25 == 0) {
                displayFrame();
                ++frames;
            }
        }
        // Long real gaps and every time scale, then a frame at each.
        for (int scale = 0; scale < 9; ++scale) {
            advanceClock(3600000);
            onIdle();
            ++ticks;
            displayFrame();
            ++frames;
            onKeyboard(']', 0, 0);
        }
    }
    std::fflush(stdout);
    const Tally t = disarm();

    EXPECT_EQ(t.news, 0) << "first allocation of " << t.firstSize << " bytes";
    EXPECT_EQ(t.deletes, 0);
    EXPECT_EQ(t.mallocs, 0) << "first allocation of " << t.firstSize << " bytes";
    EXPECT_EQ(t.frees, 0);
    EXPECT_EQ(ticks, 4 * (1500 + 9));
    EXPECT_EQ(frames, 4 * (60 + 9));
    EXPECT_GT(glrec::counts().vertices, frames * 30000) << "the frames were drawn";
    EXPECT_TRUE(glrec::ok()) << glrec::errorSummary();
}

}  // namespace
