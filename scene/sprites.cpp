#include "scene/sprites.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "scene/render_size.h"
#include "scene/camera3d.h"

namespace skyloom {

namespace {
int liveSprites = 0;
}  // namespace

SceneSprite::SceneSprite() { ++liveSprites; }

SceneSprite::~SceneSprite() { --liveSprites; }

bool SceneSprite::IsFinished() { return finished; }

int LiveSpriteCount() { return liveSprites; }

void BillboardSprite::Draw() {
    if (color.a == 0.0) {
        return;
    }
    // The camera's right and up vectors are the first two rows of the
    // modelview rotation.
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const Vector3d right(m[0], m[4], m[8]);
    const Vector3d up(m[1], m[5], m[9]);
    const Vector3d p = RelativeToEye(position);
    const double s = size;
    const GLfloat c0[3] = {static_cast<GLfloat>(p.x + s * (-right.x - up.x)),
                           static_cast<GLfloat>(p.y + s * (-right.y - up.y)),
                           static_cast<GLfloat>(p.z + s * (-right.z - up.z))};
    const GLfloat c1[3] = {static_cast<GLfloat>(p.x + s * (right.x - up.x)),
                           static_cast<GLfloat>(p.y + s * (right.y - up.y)),
                           static_cast<GLfloat>(p.z + s * (right.z - up.z))};
    const GLfloat c2[3] = {static_cast<GLfloat>(p.x + s * (right.x + up.x)),
                           static_cast<GLfloat>(p.y + s * (right.y + up.y)),
                           static_cast<GLfloat>(p.z + s * (right.z + up.z))};
    const GLfloat c3[3] = {static_cast<GLfloat>(p.x + s * (-right.x + up.x)),
                           static_cast<GLfloat>(p.y + s * (-right.y + up.y)),
                           static_cast<GLfloat>(p.z + s * (-right.z + up.z))};

    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    const bool depthTest = glIsEnabled(GL_DEPTH_TEST) == GL_TRUE;
    if (depthTest) {
        glDisable(GL_DEPTH_TEST);
    }
    glColor4d(color.r, color.g, color.b, color.a);
    glRotated(rotation, 0.0, 0.0, 1.0);
    if (tileCorners != nullptr) {
        DrawTiles(c0, c1, c3);
    } else {
        glBegin(GL_QUADS);
        glTexCoord2f(0.0f, 0.0f);
        glVertex3fv(c0);
        glTexCoord2f(1.0f, 0.0f);
        glVertex3fv(c1);
        glTexCoord2f(1.0f, 1.0f);
        glVertex3fv(c2);
        glTexCoord2f(0.0f, 1.0f);
        glVertex3fv(c3);
        glEnd();
    }
    if (depthTest) {
        glEnable(GL_DEPTH_TEST);
    }
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}

void BillboardSprite::DrawTiles(const float* c0, const float* c1, const float* c3) const {
    // The unit square's (u, v) goes to c0 + u (c1 - c0) + v (c3 - c0): the
    // tiles lie in the plane of the whole quad, textured as it would be.
    const GLfloat toQuad[16] = {c1[0] - c0[0], c1[1] - c0[1], c1[2] - c0[2], 0.0f,
                                c3[0] - c0[0], c3[1] - c0[1], c3[2] - c0[2], 0.0f,
                                0.0f,          0.0f,          1.0f,          0.0f,
                                c0[0],         c0[1],         c0[2],         1.0f};
    glMultMatrixf(toQuad);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glVertexPointer(2, GL_FLOAT, 0, tileCorners);
    glTexCoordPointer(2, GL_FLOAT, 0, tileCorners);
    glDrawArrays(GL_QUADS, 0, tileCornerCount);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void OverlaySprite::RenderOverlay() {
    if (color.a == 0.0 || position.x == 0.0) {
        return;
    }
    const int32_t windowWidth = GetRenderWidth();
    const int32_t windowHeight = GetRenderHeight();
    // Without an image size or a window there is no aspect ratio to keep.
    if (imageWidth <= 0 || imageHeight <= 0 || windowWidth <= 0 || windowHeight <= 0) {
        return;
    }
    const double hw = size * 0.5;
    const double hh = windowWidth * (imageHeight * hw / imageWidth) / windowHeight;
    // The projection below has y upward.
    const double cx = position.x;
    const double cy = 1.0 - position.y;
    const GLfloat left = static_cast<GLfloat>(cx - hw);
    const GLfloat right = static_cast<GLfloat>(cx + hw);
    const GLfloat bottom = static_cast<GLfloat>(cy - hh);
    const GLfloat top = static_cast<GLfloat>(cy + hh);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0.0, 1.0, 0.0, 1.0);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glColor4d(color.r, color.g, color.b, color.a);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex2f(left, bottom);
    glTexCoord2f(1.0f, 0.0f);
    glVertex2f(right, bottom);
    glTexCoord2f(1.0f, 1.0f);
    glVertex2f(right, top);
    glTexCoord2f(0.0f, 1.0f);
    glVertex2f(left, top);
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}

}  // namespace skyloom
