// ktTransformsCaptureCamera: the camera and viewport read back from OpenGL for window positions.
#include <GL/gl.h>
#include <GL/glu.h>

#include "math/ktTransforms.h"

void ktTransformsCaptureCamera() {
    GLdouble projection[16];
    GLdouble modelview[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, view);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    // OpenGL is column-major: element 4*i + j is row j, column i.
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) cameraMatrix.m[j][i] = static_cast<float>(projection[4 * i + j]);

    float winX = static_cast<float>((view[2] - view[0]) * 0.5);
    float winY = static_cast<float>((view[3] - view[1]) * 0.5);
    GLdouble ox, oy, oz;
    // With singular matrices gluUnProject fails and its outputs are meaningless: keep the
    // previous cameraPos then, while the projection and viewport above stay in force.
    if (gluUnProject(winX, winY, 0.0, modelview, projection, view, &ox, &oy, &oz) == GL_TRUE) {
        cameraPos.set(static_cast<float>(ox), static_cast<float>(oy), static_cast<float>(oz));
    }
}
