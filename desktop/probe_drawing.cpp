#include "desktop/probe_drawing.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstring>
#include <vector>

std::optional<ProbeResult> resultFromScreen(Display* display, int screen) {
    const char* extensions = glXQueryExtensionsString(display, screen);
    if (extensions == nullptr || std::strstr(extensions, "GLX_MESA_query_renderer") == nullptr) {
        return std::nullopt;
    }
    const auto queryString = reinterpret_cast<PFNGLXQUERYRENDERERSTRINGMESAPROC>(
        glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXQueryRendererStringMESA")));
    const auto queryInteger = reinterpret_cast<PFNGLXQUERYRENDERERINTEGERMESAPROC>(
        glXGetProcAddressARB(reinterpret_cast<const GLubyte*>("glXQueryRendererIntegerMESA")));
    if (queryString == nullptr || queryInteger == nullptr) {
        return std::nullopt;
    }
    const char* renderer = queryString(display, screen, 0, GLX_RENDERER_DEVICE_ID_MESA);
    unsigned int release[3];
    if (renderer == nullptr ||
        !queryInteger(display, screen, 0, GLX_RENDERER_VERSION_MESA, release)) {
        return std::nullopt;
    }
    const int version[3] = {static_cast<int>(release[0]), static_cast<int>(release[1]),
                            static_cast<int>(release[2])};
    return resultWithoutDrawing(renderer, version);
}

ProbeWindow openProbeWindow(Display* display, XVisualInfo* visual) {
    const Window root = RootWindow(display, visual->screen);
    XSetWindowAttributes attributes{};
    attributes.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
    return {XCreateWindow(display, root, 0, 0, probeSize, probeSize, 0, visual->depth, InputOutput,
                          visual->visual, CWColormap, &attributes),
            attributes.colormap};
}

ProbeResult drawProbe(Display* display, Window window, GLXContext context) {
    ProbeResult result;
    if (context == nullptr || !glXMakeCurrent(display, window, context)) {
        return result;
    }
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::snprintf(result.renderer, sizeof result.renderer, "%s", renderer ? renderer : "?");
    if (const auto settled = resultWithoutDrawing(result.renderer, nullptr)) {
        return *settled;
    }

    // The scene's projection, with an aspect ratio of 1.
    glViewport(0, 0, probeSize, probeSize);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(90.0, 1.0, 1.0, 9999999999999.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 0);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    glBegin(GL_LINES);
    for (const ProbeSegment& segment : probeSegments) {
        glVertex3dv(segment.from);
        glVertex3dv(segment.to);
    }
    glEnd();
    glFinish();

    std::vector<unsigned char> red(probeSize * probeSize);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, probeSize, probeSize, GL_RED, GL_UNSIGNED_BYTE, red.data());
    for (unsigned char& pixel : red) {
        pixel = pixel > 127 ? 1 : 0;
    }
    result.verdict = judgeProbeImage(red.data());
    return result;
}
