// The renderer's settings against the real GL: each effect switched off changes the frame where
// it must and nowhere else, switched-off passes do not run, and the light speed and a count of
// none act on the lights the way the panel promises (counts up to a thousand: ManyLights).

#include "FrameReadback.h"
#include "GlTestContext.h"
#include "SteppedFlight.h"
#include "render/Game.h"
#include "render/GameParts.h"
#include "render/PassObserver.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace vantor;

namespace {

using namespace readback;

class PassNames : public PassObserver {
public:
    void passBegins(const char* name) override { names.push_back(name); }
    void passEnds(const char*) override {}
    bool saw(const std::string& prefix) const {
        for (const std::string& name : names)
            if (name.compare(0, prefix.size(), prefix) == 0)
                return true;
        return false;
    }
    std::vector<std::string> names;
};

// One game flown to the steady orbit (t = 20 s) and held there: every frame below renders the
// same scene with other settings.
class Settings : public ::testing::Test {
protected:
    static void SetUpTestSuite() { game = gameFlownTo(20.0, width, height); }
    static void TearDownTestSuite() { game.reset(); }

    // Renders with `settings` (the scene untouched) and reports which passes ran.
    static PassNames render(const RenderSettings& settings) {
        game->settings = settings;
        PassNames passes;
        game->passObserver = &passes;
        game->render();
        glFinish();
        game->passObserver = nullptr;
        return passes;
    }

    static std::unique_ptr<Game> game;
};
std::unique_ptr<Game> Settings::game;

size_t differing(const Bytes& a, const Bytes& b, int by) {
    size_t count = 0;
    for (size_t i = 0; i < pixelCount; ++i)
        for (int c = 0; c < 3; ++c)
            if (std::abs(int(a[4 * i + c]) - int(b[4 * i + c])) > by) {
                ++count;
                break;
            }
    return count;
}

TEST_F(Settings, EachEffectOffChangesItsPartOfTheFrame) {
    const RenderSettings defaults;
    PassNames passes = render(defaults);
    const Bytes full = readWindowBytes();
    const Bytes fullLit = readTextureBytes(game->passes->postProcessing->renderedTexture);
    const Image fullNormals = readTexture(game->gbuffer->gNormal);
    const Bytes fullColour = readTextureBytes(game->gbuffer->gColorSpec);
    EXPECT_TRUE(passes.saw("shadow") && passes.saw("blur"));

    // Without bloom the window is the lit image itself and the blur does not run.
    RenderSettings s = defaults;
    s.bloom = false;
    passes = render(s);
    EXPECT_FALSE(passes.saw("blur"));
    EXPECT_EQ(readWindowBytes(), readTextureBytes(game->passes->postProcessing->renderedTexture));
    EXPECT_GT(differing(full, readWindowBytes(), 8), 500u) << "the spheres' glow is gone";

    // Without shadows nothing gets darker and the shadowed floor gets lighter; no shadow pass.
    s = defaults;
    s.shadows = false;
    passes = render(s);
    EXPECT_FALSE(passes.saw("shadow"));
    const Bytes unshadowed = readTextureBytes(game->passes->postProcessing->renderedTexture);
    size_t lighter = 0, darker = 0;
    for (size_t i = 0; i < pixelCount * 4; ++i) {
        lighter += unshadowed[i] > fullLit[i] + 2;
        darker += unshadowed[i] + 2 < fullLit[i];
    }
    EXPECT_GT(lighter, 2000u);
    EXPECT_EQ(darker, 0u);

    // Normal maps off: neighbouring pixels of one flat face share one normal.
    const auto sameAsRightNeighbour = [](const std::vector<float>& normals) {
        size_t same = 0, covered = 0;
        for (size_t i = 0; i + 1 < pixelCount; ++i) {
            const float* n = &normals[4 * i];
            if (n[0] * n[0] + n[1] * n[1] + n[2] * n[2] < 0.5f)
                continue;
            ++covered;
            same += n[0] == n[4] && n[1] == n[5] && n[2] == n[6];
        }
        return double(same) / double(covered);
    };
    s = defaults;
    s.normalMaps = false;
    render(s);
    EXPECT_LT(sameAsRightNeighbour(fullNormals), 0.3);
    EXPECT_GT(sameAsRightNeighbour(readTexture(game->gbuffer->gNormal)), 0.8);

    // Parallax off reads the maps where a relief of no depth would: the same G-buffer, and not
    // the described one.
    s = defaults;
    s.parallax = false;
    render(s);
    const Bytes flatColour = readTextureBytes(game->gbuffer->gColorSpec);
    EXPECT_GT(differing(fullColour, flatColour, 8), 5000u);
    s = defaults;
    s.parallaxScale = 0.0f;
    render(s);
    EXPECT_EQ(readTextureBytes(game->gbuffer->gColorSpec), flatColour);
    // Both off: a program that reads neither the tangents nor the bitangents.
    s.normalMaps = false;
    s.parallax = false;
    render(s);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // Back to every default: the described frame again, to the bit.
    render(defaults);
    EXPECT_EQ(readWindowBytes(), full);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(Settings, LightSpeedAndNoLightsActOnTheLights) {
    const auto positions = [] {
        std::vector<glm::vec3> p;
        for (const vantor::scene::Object* object : game->lightRig->lights)
            p.emplace_back(object->x, object->y, object->z);
        return p;
    };
    const auto step = [](const RenderSettings& s) {
        game->settings = s;
        game->deltaTime = 0.1;
        game->update();
    };
    RenderSettings s;
    // The shadow light rests on its floor by now; put it back where it still sinks (as at 8 s),
    // or a light that ignored the speed would stand still here all the same.
    const float restingHeight = game->shadow->lightPos.y;
    game->shadow->lightPos.y = 0.6f;
    // Standing still: no light and not the shadow light moves.
    s.lightSpeed = 0.0f;
    const std::vector<glm::vec3> before = positions();
    step(s);
    EXPECT_EQ(positions(), before);
    EXPECT_EQ(game->shadow->lightPos.y, 0.6f);
    // Twice the speed, twice the sinking (0.05 a second) in the same frame time.
    s.lightSpeed = 2.0f;
    step(s);
    EXPECT_NEAR(game->shadow->lightPos.y, 0.6f - 2.0f * 0.1f * 0.05f, 1e-6f);
    EXPECT_NE(positions(), before);
    game->shadow->lightPos.y = restingHeight;
    s.lightSpeed = 0.0f;

    // No light at all: nothing coloured is lit or drawn, the frame is still whole.
    s.lights = 0;
    step(s);
    render(s);
    // Pixels greener or bluer than the red brick can be by itself.
    const auto colouredPixels = [] {
        const Bytes lit = readTextureBytes(game->passes->postProcessing->renderedTexture);
        size_t count = 0;
        for (size_t i = 0; i < pixelCount; ++i)
            count += lit[4 * i + 1] > lit[4 * i] + 24 || lit[4 * i + 2] > lit[4 * i] + 40;
        return count;
    };
    const size_t coloured = colouredPixels();
    s.lights = 50;
    step(s);
    render(s);
    const size_t colouredWithLights = colouredPixels();
    EXPECT_GT(colouredWithLights, 1000u);
    EXPECT_LT(coloured * 20, colouredWithLights) << coloured << " " << colouredWithLights;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

} // namespace
