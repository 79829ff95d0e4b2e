#include "menu/menu_drawing.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include "rules/game_state.h"
#include "rules/texture_slots.h"

namespace {
struct ItemLook {
    unsigned name;
    float eyeDistance;
    float x, y, z;
    float halfWidth, halfHeight;
    int pictureSlot, maskSlot;
    bool dimmed;  // the logo keeps full brightness
};

const ItemLook kExit = {ExitItem, 10, 4, -4, 3, 2.5f, 1.2f, kMenuExitSlot, kMenuExitMaskSlot, true};
const ItemLook kPlay = {PlayItem, 5, -3.7f, 3, 3, 2.4f, 1.7f, kMenuPlaySlot, kMenuPlayMaskSlot, true};
const ItemLook kOptions = {OptionsItem, 10, 5, 4, 3, 4.4f, 1.7f, kMenuOptionsSlot, kMenuOptionsMaskSlot, true};
const ItemLook kLogo = {LogoItem, 2, 0, 0, 4, 4, 1, kMenuLogoSlot, kMenuLogoMaskSlot, false};

// Texture row 0 goes to the top edge.
void drawQuad(float w, float h) {
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex3f(-w, h, 0);
    glTexCoord2f(1, 0); glVertex3f(w, h, 0);
    glTexCoord2f(1, 1); glVertex3f(w, -h, 0);
    glTexCoord2f(0, 1); glVertex3f(-w, -h, 0);
    glEnd();
}

void bindSlot(int slot) { glBindTexture(GL_TEXTURE_2D, gameState.textures ? gameState.textures[slot] : 0); }

// The mask darkens the item's shape, then the picture is added into the hole.
void drawNormal(const ItemLook& item) {
    glBlendFunc(GL_DST_COLOR, GL_ZERO);
    bindSlot(item.maskSlot);
    drawQuad(item.halfWidth, item.halfHeight);
    glBlendFunc(GL_ONE, GL_ONE);
    if (item.dimmed) glColor3f(0.6f, 0.6f, 0.6f);
    bindSlot(item.pictureSlot);
    drawQuad(item.halfWidth, item.halfHeight);
    glColor3f(1, 1, 1);
}

void drawHighlighted(const ItemLook& item) {
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glColor3f(0.6f, 0.6f, 0.6f);
    bindSlot(item.pictureSlot);
    drawQuad(item.halfWidth, item.halfHeight);
    glColor3f(1, 1, 1);
}

void drawItem(const ItemLook& item, unsigned highlight) {
    glPushMatrix();
    gluLookAt(0, 0, item.eyeDistance, 0, 0, 0, 0, 0.1, 0);
    glTranslatef(item.x, item.y, item.z);
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    if (highlight == item.name)
        drawHighlighted(item);
    else
        drawNormal(item);
    glPopMatrix();
    glDisable(GL_BLEND);
}

void drawNamedItem(const ItemLook& item, unsigned highlight) {
    glLoadName(item.name);
    if (highlight == 0 || highlight == item.name) drawItem(item, highlight);
}
}  // namespace

void drawMenuBackground() {
    glLoadIdentity();
    gluLookAt(0, 0, 10, 0, 0, 0, 0, 1, 0);
    glPushMatrix();
    glEnable(GL_TEXTURE_2D);
    glTranslatef(-0.25f, -0.04f, 5);
    bindSlot(kMenuBackgroundSlot);
    // At this depth the view reaches 2.071 above and below its axis and 2.761
    // to either side; the quad runs a few pixels past every edge, so the
    // white clear colour never shows as a frame.
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex3f(-2.54f, 2.14f, 0);
    glTexCoord2f(1, 0); glVertex3f(3.04f, 2.14f, 0);
    glTexCoord2f(1, 1); glVertex3f(3.04f, -2.1f, 0);
    glTexCoord2f(0, 1); glVertex3f(-2.54f, -2.1f, 0);
    glEnd();
    glPopMatrix();
}

void drawMenuItems(unsigned highlight) {
    glLoadIdentity();
    glEnable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    gluLookAt(0, 0, 10, 0, 0, 0, 0, 1, 0);
    glTranslatef(-0.25f, -0.04f, 0);
    glEnable(GL_TEXTURE_2D);
    drawNamedItem(kExit, highlight);
    glTranslatef(0, -0.1f, 0);
    drawNamedItem(kPlay, highlight);
    glTranslatef(0, -0.1f, 0);
    drawNamedItem(kOptions, highlight);
    // The logo is never highlighted, so it only shows in the full draw.
    glLoadName(kLogo.name);
    if (highlight == 0) drawItem(kLogo, highlight);
    glDisable(GL_BLEND);
}

unsigned pickMenuItem() {
    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);
    double width = static_cast<double>(viewport[2]) - viewport[0];
    double height = static_cast<double>(viewport[3]) - viewport[1];
    if (width <= 0 || height <= 0) return NoMenuItem;  // no window to pick in
    // Room for one hit record with one name. A second hit overflows it, and
    // the first item drawn under the pointer stays in the buffer.
    GLuint hitBuffer[4] = {0, 0, 0, 0};
    glSelectBuffer(4, hitBuffer);
    glRenderMode(GL_SELECT);
    glInitNames();
    glPushName(0);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluPickMatrix(gameState.mouseX, static_cast<double>(viewport[3]) - gameState.mouseY, 2, 2, viewport);
    gluPerspective(45, width / height, 0.1, 1000);
    glMatrixMode(GL_MODELVIEW);
    drawMenuItems(0);

    GLint hits = glRenderMode(GL_RENDER);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    if (hits == 0 || hitBuffer[0] == 0) return NoMenuItem;
    unsigned name = hitBuffer[3];
    return name <= LogoItem ? name : NoMenuItem;
}
