// The GLU matrices the browser's emulation lacks (gluPickMatrix) or gets
// wrong (its gluLookAt and gluPerspective replace the matrix instead of
// multiplying it, which loses the pick matrix under the perspective).
#include <cmath>

#include "web/gl_layer.h"
#include "web/gl_real.h"

namespace {
// GLU's own arithmetic, in floats, so the matrices match it to the bit.
void normalize(float v[3]) {
    float r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (r == 0.0f) return;
    v[0] /= r;
    v[1] /= r;
    v[2] /= r;
}

void cross(const float a[3], const float b[3], float out[3]) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}
}  // namespace

void quadruneLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY,
                    GLdouble centerZ, GLdouble upX, GLdouble upY, GLdouble upZ) {
    float forward[3] = {static_cast<float>(centerX - eyeX), static_cast<float>(centerY - eyeY),
                        static_cast<float>(centerZ - eyeZ)};
    float up[3] = {static_cast<float>(upX), static_cast<float>(upY), static_cast<float>(upZ)};
    float side[3];
    normalize(forward);
    cross(forward, up, side);
    normalize(side);
    cross(side, forward, up);
    GLfloat m[16] = {side[0], up[0], -forward[0], 0, side[1], up[1], -forward[1], 0,
                     side[2], up[2], -forward[2], 0, 0,       0,     0,           1};
    glMultMatrixf(m);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}

void quadrunePerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar) {
    const double pi = 3.14159265358979323846;
    double radians = fovy / 2 * pi / 180;
    double depth = zFar - zNear, sine = std::sin(radians);
    if (depth == 0 || sine == 0 || aspect == 0) return;
    double cotangent = std::cos(radians) / sine;
    GLdouble m[16] = {cotangent / aspect, 0, 0, 0, 0, cotangent, 0, 0,
                      0, 0, -(zFar + zNear) / depth, -1, 0, 0, -2 * zNear * zFar / depth, 0};
    glMultMatrixd(m);
}

void quadrunePickMatrix(GLdouble x, GLdouble y, GLdouble width, GLdouble height, GLint viewport[4]) {
    if (width <= 0 || height <= 0) return;
    // The picked region is scaled up to fill the whole view.
    glTranslatef(static_cast<GLfloat>((viewport[2] - 2 * (x - viewport[0])) / width),
                 static_cast<GLfloat>((viewport[3] - 2 * (y - viewport[1])) / height), 0);
    glScalef(static_cast<GLfloat>(viewport[2] / width), static_cast<GLfloat>(viewport[3] / height), 1.0f);
}
