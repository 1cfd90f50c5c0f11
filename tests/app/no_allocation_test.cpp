// Nothing is allocated on the heap after start-up. While armed, every allocation of the process is
// counted: outside AddressSanitizer by replacing the C allocator's entry points, which operator
// new and the C library's own buffers go through too; under it through the sanitizer's hook.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>

#include "app/callbacks.h"
#include "camera/input.h"
#include "render/frame.h"
#include "tests/support/gl_recorder.h"
#include "tests/support/test_helpers.h"

namespace {

std::atomic<bool> armed{false};
std::atomic<long> allocations{0};
std::atomic<std::size_t> firstSize{0};  // to say in a failure what was allocated

void count(std::size_t size) {
    if (armed && allocations++ == 0) {
        firstSize = size;
    }
}

void arm() {
    allocations = 0;
    armed = true;
}

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*,
                                                                  std::size_t),
                                                         void (*)(const volatile void*));
namespace {
[[maybe_unused]] const int hooked = __sanitizer_install_malloc_and_free_hooks(
    [](const volatile void*, std::size_t size) { count(size); }, [](const volatile void*) {});
}
#else
// glibc lets a program replace these; each forwards to glibc's own under its exported name.
extern "C" {
void* __libc_malloc(std::size_t size);
void* __libc_calloc(std::size_t n, std::size_t size);
void* __libc_realloc(void* p, std::size_t size);
void* __libc_memalign(std::size_t alignment, std::size_t size);
void* malloc(std::size_t size) noexcept {
    count(size);
    return __libc_malloc(size);
}
void* calloc(std::size_t n, std::size_t size) noexcept {
    count(n * size);
    return __libc_calloc(n, size);
}
void* realloc(void* p, std::size_t size) noexcept {
    count(size);
    return __libc_realloc(p, size);
}
void* aligned_alloc(std::size_t alignment, std::size_t size) noexcept {
    count(size);
    return __libc_memalign(alignment, size);
}
// Aligned new goes through this one from GCC 14's libstdc++ on.
int posix_memalign(void** block, std::size_t alignment, std::size_t size) noexcept {
    count(size);
    *block = __libc_memalign(alignment, size);
    return *block == nullptr ? ENOMEM : 0;
}
}  // extern "C"
#endif

namespace {

// Hands a pointer to code the optimizer cannot see into, so the allocation that made it has to
// happen: compilers may drop an allocation whose block is never used.
void escape(void* pointer) {
    asm volatile("" : : "g"(pointer) : "memory");
}

// The counter sees plain, array and aligned new and malloc, so a zero below means something.
TEST(NoAllocation, TheCounterSeesEveryKindOfAllocation) {
    arm();
    int* const numbers = new int[10];
    escape(numbers);
    void* const aligned = ::operator new (8, std::align_val_t{64});
    escape(aligned);
    void* const block = std::malloc(24);
    escape(block);
    armed = false;
    delete[] numbers;
    ::operator delete (aligned, std::align_val_t{64});
    std::free(block);
    EXPECT_EQ(allocations, 3);
}

// Every key, every button pressed and released, and drags in every direction under every set of
// held buttons: each path an event can take.
void everyInputOnce() {
    for (int key = 0; key < 256; ++key) {
        onKeyboard(static_cast<unsigned char>(key), 0, 0);
    }
    for (int buttons = 0; buttons < 8; ++buttons) {
        for (int button = 0; button < 3; ++button) {
            onMouseButton(button, (buttons >> button) & 1, 10, 10);
        }
        for (int dx = -1; dx <= 1; ++dx) {
            for (int dy = -1; dy <= 1; ++dy) {
                onMouseDrag(scene.lastMouseX + dx, scene.lastMouseY + dy);
            }
        }
    }
}

TEST(NoAllocation, NoneAfterStartUpAcrossTicksFramesKeysAndDrags) {
    startScene(5);
    glrec::setMode(glrec::Mode::Counting);
    // Warm-up: every path once, the first line on stdout (its buffer) and a frame.
    idleAfter(16);
    everyInputOnce();
    displayFrame();
    std::fflush(stdout);
    std::mt19937 random(20240611);
    auto roll = [&random](int top) { return std::uniform_int_distribution<int>(0, top)(random); };

    arm();
    for (int round = 0; round < 4; ++round) {
        everyInputOnce();
        for (int i = 0; i < 1500; ++i) {
            idleAfter(roll(120000));
            onKeyboard(static_cast<unsigned char>(roll(255)), 0, 0);
            onMouseButton(roll(2), roll(1), roll(1023), roll(1023));
            onMouseDrag(roll(1023), roll(1023));
            if (i % 25 == 0) {
                displayFrame();
            }
        }
        for (int scale = 0; scale < 9; ++scale) {  // hour-long gaps at every time scale
            idleAfter(3600000);
            displayFrame();
            onKeyboard(']', 0, 0);
        }
    }
    std::fflush(stdout);
    armed = false;
    EXPECT_EQ(allocations, 0) << "the first of " << firstSize << " bytes";
    EXPECT_EQ(glrec::counts().of(glrec::Fn::SwapBuffers), 1 + 4 * (60 + 9));
    EXPECT_TRUE(glrec::ok()) << glrec::errorSummary();
}

}  // namespace
