#include "bench/call_replay.h"

#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>

void replayCallStream(const CallStream& stream) {
    const double* a = stream.args.data();
    for (StreamOp op : stream.ops) {
        switch (op) {
            case StreamOp::Clear:
                glClear(static_cast<GLbitfield>(a[0]));
                break;
            case StreamOp::Color3f:
                glColor3f(static_cast<GLfloat>(a[0]), static_cast<GLfloat>(a[1]),
                          static_cast<GLfloat>(a[2]));
                break;
            case StreamOp::PushMatrix:
                glPushMatrix();
                break;
            case StreamOp::PopMatrix:
                glPopMatrix();
                break;
            case StreamOp::Rotated:
                glRotated(a[0], a[1], a[2], a[3]);
                break;
            case StreamOp::Translated:
                glTranslated(a[0], a[1], a[2]);
                break;
            case StreamOp::Begin:
                glBegin(static_cast<GLenum>(a[0]));
                break;
            case StreamOp::End:
                glEnd();
                break;
            case StreamOp::Vertex2d:
                glVertex2d(a[0], a[1]);
                break;
            case StreamOp::Vertex3d:
                glVertex3d(a[0], a[1], a[2]);
                break;
            case StreamOp::LookAt:
                gluLookAt(a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]);
                break;
            case StreamOp::WireSphere:
                glutWireSphere(a[0], static_cast<GLint>(a[1]), static_cast<GLint>(a[2]));
                break;
            case StreamOp::SwapBuffers:
                glutSwapBuffers();
                break;
        }
        a += streamOpArgCount(op);
    }
}
