// Stands in for libGL's glReadPixels when preloaded (LD_PRELOAD). Only the program's start-up line
// probe calls it, and here it fails as a broken GL might: it faults, or with
// TESSALORAN_TEST_GL_FAULT=hang it never returns. Each call first adds a line to the file named by
// TESSALORAN_TEST_GL_FAULT_LOG, so that a test sees how often the probe got this far.
#include <GL/gl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" void glReadPixels(GLint, GLint, GLsizei, GLsizei, GLenum, GLenum, void*) {
    if (const char* log = std::getenv("TESSALORAN_TEST_GL_FAULT_LOG")) {
        if (FILE* file = std::fopen(log, "a")) {
            std::fputs("glReadPixels\n", file);
            std::fclose(file);
        }
    }
    const char* fault = std::getenv("TESSALORAN_TEST_GL_FAULT");
    if (fault != nullptr && std::strcmp(fault, "hang") == 0) {
        for (;;) {
            pause();
        }
    }
    volatile int* volatile nowhere = nullptr;
    *nowhere = 1;
}
