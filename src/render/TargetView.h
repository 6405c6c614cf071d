#pragma once
// Looking inside the frame while it runs: one of the frame's targets shown in the window in
// place of the final picture. Every pass still runs; the view only draws over what the
// composite left, through one small display program that maps each target into something
// readable. View 1, the final picture, draws nothing and costs nothing.

#include "gpu/Shader.h"

#include <GL/glew.h>

#include <memory>
#include <string>

namespace vantor {

// The views, numbered as the keys that choose them.
enum class TargetViewId { Final = 1, Position, Normal, Colour, Specular, ShadowCube, Lit, Bright, Blur };

// What the views read, as the frame left it.
struct ViewSources {
    GLuint position = 0, normal = 0, colourSpec = 0; // G-buffer, targetWidth x targetHeight
    GLuint shadowCube = 0;
    GLuint shadowSampler = 0; // nearest filtering for the cube
    float nearPlane = 0.0f, farPlane = 1.0f;
    GLuint lit = 0, bright = 0; // lit-scene target, the G-buffer's size
    GLuint blur = 0;            // half the G-buffer's size
    GLuint quadVAO = 0;         // full-screen strip, position on attribute 0
    int width = 0, height = 0;  // the window's framebuffer
    // The G-buffer's size: smaller than the window at a render scale below 1 (0: the window's).
    int targetWidth = 0, targetHeight = 0;
};

// Where the shadow view puts the cube's six faces (+X, -X, +Y, -Y, +Z, -Z): square cells of
// `cell` pixels, `columns` x `rows` of them (6 x 1, 3 x 2, 2 x 3 or 1 x 6, whichever gives the
// largest cells for the window's shape; the earlier on a tie), centred in the window. Face i
// sits in column i % columns and row i / columns counted from the top.
struct ShadowFaceGrid {
    int columns = 6, rows = 1;
    int cell = 0;             // pixels a side
    int left = 0, bottom = 0; // the grid's lower-left corner, window pixels from the lower left
    // The top-left corner of face i's cell, window pixels from the top left (where its label goes).
    int cellX(int face) const { return left + (face % columns) * cell; }
    int cellYFromTop(int face, int windowHeight) const {
        return windowHeight - bottom - rows * cell + (face / columns) * cell;
    }
};
ShadowFaceGrid shadowFaceGrid(int width, int height);
// Face i's label ("+X", "-X", "+Y", "-Y", "+Z", "-Z"); the user interface draws it at the cell's corner.
const char* shadowFaceName(int face);

class TargetView {
public:
    // Builds the display program from "<shaderDir>texture.vert" and "<shaderDir>view.frag".
    explicit TargetView(const std::string& shaderDir);
    ~TargetView();
    TargetView(const TargetView&) = delete;
    TargetView& operator=(const TargetView&) = delete;

    // The view's name, as the overlay shows it; "final" for anything out of range.
    static const char* name(TargetViewId view);
    // A view number from 1 to 9 as an id, or Final.
    static TargetViewId fromNumber(int number);

    // Draws `view` into the window (framebuffer 0); does nothing for the final picture. Leaves
    // the depth test, blending and the bindings it touched as it found them.
    void draw(TargetViewId view, const ViewSources& sources);

    std::unique_ptr<Shader> program;
};

} // namespace vantor
