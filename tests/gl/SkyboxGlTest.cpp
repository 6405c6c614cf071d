#include "SceneGlSupport.h"

#include "scene/Skybox.h"

#include <vector>

using namespace vantor;

using scenegl::AssetTree;

namespace {

const char* const faceFiles[6] = {"right", "left", "top", "bottom", "front", "back"};

// Every face a different size, so each one's upload can be told apart (cube faces are square).
void writeFaces(const AssetTree& assets) {
    for (unsigned i = 0; i < 6; ++i)
        assets.picture(std::string("Quarnvale/Textures/") + faceFiles[i] + ".png", i + 1, i + 1);
}

void faceSize(GLuint cubemap, int face, GLint& width, GLint& height) {
    glBindTexture(GL_TEXTURE_CUBE_MAP, cubemap);
    glGetTexLevelParameteriv(GLenum(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face), 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GLenum(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face), 0, GL_TEXTURE_HEIGHT, &height);
    glBindTexture(GL_TEXTURE_CUBE_MAP, 0);
}

} // namespace

TEST(SkyboxGl, BuildsTheCubeAndTheCubeMapFromSixFaces) {
    AssetTree assets;
    writeFaces(assets);
    assets.enterBuild();
    glActiveTexture(GL_TEXTURE0);
    glGetError();

    GLuint cubemap = 0;
    {
        Skybox sky;
        cubemap = sky.cubemapTexture;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

        GLint active = 0, boundCube = -1, boundVao = -1;
        glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
        glGetIntegerv(GL_TEXTURE_BINDING_CUBE_MAP, &boundCube);
        glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &boundVao);
        EXPECT_EQ(active, GL_TEXTURE1);
        EXPECT_EQ(boundCube, 0);
        EXPECT_EQ(boundVao, 0);

        // Right, left, top, bottom, front, back onto +X, -X, +Y, -Y, +Z, -Z.
        for (int face = 0; face < 6; ++face) {
            SCOPED_TRACE(faceFiles[face]);
            GLint width = 0, height = 0;
            faceSize(sky.cubemapTexture, face, width, height);
            EXPECT_EQ(width, face + 1);
            EXPECT_EQ(height, face + 1);
        }

        glBindTexture(GL_TEXTURE_CUBE_MAP, sky.cubemapTexture);
        GLint parameter = 0;
        glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, &parameter);
        EXPECT_EQ(parameter, GL_LINEAR);
        glGetTexParameteriv(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_WRAP_R, &parameter);
        EXPECT_EQ(parameter, GL_CLAMP_TO_EDGE);
        // FreeImage keeps blue, green, red, alpha; the face holds red, green, blue, alpha.
        std::vector<unsigned char> pixels(1 * 1 * 4);
        glGetTexImage(GL_TEXTURE_CUBE_MAP_POSITIVE_X, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        EXPECT_EQ(pixels, (std::vector<unsigned char>{30, 20, 10, 40}));
        glBindTexture(GL_TEXTURE_CUBE_MAP, 0);

        // 36 corners of 3 floats on attribute 0, every coordinate +-50.
        glBindVertexArray(sky.skyboxVAO);
        GLint enabled = 0, buffer = 0;
        glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
        glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &buffer);
        glBindVertexArray(0);
        EXPECT_EQ(enabled, 1);
        EXPECT_EQ(GLuint(buffer), sky.skyboxVBO);
        std::vector<float> corners(108);
        glBindBuffer(GL_ARRAY_BUFFER, sky.skyboxVBO);
        GLint size = 0;
        glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
        ASSERT_EQ(size, 432);
        glGetBufferSubData(GL_ARRAY_BUFFER, 0, 432, corners.data());
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        for (float c : corners)
            EXPECT_EQ(std::abs(c), 50.0f);
        EXPECT_EQ(corners[0], -50.0f); // first corner (-50, 50, -50)
        EXPECT_EQ(corners[1], 50.0f);
        EXPECT_EQ(corners[107], 50.0f); // last corner (50, -50, 50)
    }
    EXPECT_FALSE(glIsTexture(cubemap));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(SkyboxGl, MissingFaceIsEmpty) {
    AssetTree assets;
    writeFaces(assets);
    std::filesystem::remove(assets.root / "Quarnvale/Textures/top.png");
    assets.write("Quarnvale/Textures/back.png", "not a picture");
    assets.enterBuild();
    glGetError();

    Skybox sky;
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    for (int face = 0; face < 6; ++face) {
        SCOPED_TRACE(faceFiles[face]);
        GLint width = -1, height = -1;
        faceSize(sky.cubemapTexture, face, width, height);
        const bool missing = face == 2 || face == 5;
        EXPECT_EQ(width, missing ? 0 : face + 1);
        EXPECT_EQ(height, missing ? 0 : face + 1);
    }

    int width = -1, height = -1;
    EXPECT_TRUE(sky.loadFaceImage("../Quarnvale/Textures/top.png", width, height).empty());
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
    EXPECT_EQ(sky.loadFaceImage("../Quarnvale/Textures/left.png", width, height).size(), 2u * 2u * 4u);
    EXPECT_EQ(width, 2);
    EXPECT_EQ(height, 2);
}
