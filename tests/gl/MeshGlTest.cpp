#include "SceneGlSupport.h"

#include "gpu/Shader.h"
#include "scene/Mesh.h"

#include <memory>
#include <sstream>

using namespace vantor;

using scenegl::AssetTree;
using scenegl::OffscreenTarget;
using scenegl::primitivesGenerated;
using vantor::scene::Ball;
using vantor::scene::Mesh;
using vantor::scene::World;

namespace {

// Uses every attribute and sampler, so none is optimised away; the condition never holds
// for the test meshes, which therefore draw plain red.
const char* const vertexSource = R"(#version 330 core
in vec3 position;
in vec3 normal;
in vec2 uv;
in vec3 tangent;
in vec3 bitangent;
out vec4 mixed;
void main() {
    mixed = vec4(normal + tangent + bitangent, uv.x + uv.y);
    gl_Position = vec4(position, 1.0);
}
)";

const char* const fragmentSource = R"(#version 330 core
in vec4 mixed;
uniform sampler2D DiffuseTextureSampler;
uniform sampler2D NormalTextureSampler;
uniform sampler2D HeightTextureSampler;
out vec4 fragColor;
void main() {
    if (mixed.w > 1e30)
        fragColor = texture(DiffuseTextureSampler, mixed.xy) + texture(NormalTextureSampler, mixed.xy) +
                    texture(HeightTextureSampler, mixed.xy);
    else
        fragColor = vec4(1.0, 0.0, 0.0, 1.0);
}
)";

const char* const oneTriangle = "v -1 -1 0\nv 3 -1 0\nv -1 3 0\nvt 0 0\nvt 1 0\nvt 0 1\nvn 0 0 1\n"
                                "f 1/1/1 2/2/1 3/3/1\n";

class MeshGl : public ::testing::Test {
protected:
    void SetUp() override {
        diffuse = assets.picture("Quarnvale/Textures/d.png", 2, 2);
        normal = assets.picture("Quarnvale/Textures/n.png", 4, 4);
        height = assets.picture("Quarnvale/Textures/h.png", 8, 8);
        shader = std::make_unique<Shader>(assets.write("mesh.vert", vertexSource),
                                          assets.write("mesh.frag", fragmentSource));
        shader->use();
        glGetError();
    }
    void TearDown() override { glUseProgram(0); }

    std::unique_ptr<Mesh> load(const std::string& objText) {
        const std::string name = (assets.root / "Quarnvale/Objects/model").string();
        assets.write("Quarnvale/Objects/model.obj", objText);
        return std::make_unique<Mesh>(glm::mat4(1.0f), name, diffuse, normal, height);
    }

    static GLint bufferSize(GLuint buffer) {
        GLint size = -1;
        glBindBuffer(GL_COPY_READ_BUFFER, buffer);
        glGetBufferParameteriv(GL_COPY_READ_BUFFER, GL_BUFFER_SIZE, &size);
        glBindBuffer(GL_COPY_READ_BUFFER, 0);
        return size;
    }

    AssetTree assets;
    std::string diffuse, normal, height;
    std::unique_ptr<Shader> shader;
};

GLint attributeState(GLuint program, const char* name, GLenum what) {
    GLint value = -1;
    glGetVertexAttribiv(GLuint(glGetAttribLocation(program, name)), what, &value);
    return value;
}

} // namespace

TEST_F(MeshGl, OneTriangleUploadsSixteenBitIndicesAndDrawsThreeElements) {
    auto mesh = load(oneTriangle);
    EXPECT_EQ(mesh->indices, (std::vector<unsigned int>{0, 1, 2}));
    EXPECT_EQ(mesh->indexType, GLenum(GL_UNSIGNED_SHORT));
    EXPECT_EQ(bufferSize(mesh->elementBuffer), 6);
    EXPECT_EQ(bufferSize(mesh->vertexBuffer), 36);
    EXPECT_EQ(bufferSize(mesh->uvBuffer), 24);
    EXPECT_EQ(bufferSize(mesh->tangentBuffer), 36);
    EXPECT_NE(mesh->vao, 0u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    OffscreenTarget target;
    mesh->setupVertexArray(shader.get(), true, true, true, true, true);
    EXPECT_EQ(primitivesGenerated([&] { mesh->draw(); }), 1u);
    EXPECT_EQ(target.centreRed(), 255);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    GLint boundVao = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &boundVao);
    EXPECT_EQ(boundVao, 0);
}

TEST_F(MeshGl, SetupRecordsOnlyTheChosenAttributesAndBindsAllTextures) {
    auto mesh = load(oneTriangle);
    const GLuint program = shader->program;
    mesh->setupVertexArray(shader.get(), true, false, false, false, false);

    glBindVertexArray(mesh->vao);
    GLint maxAttributes = 0;
    glGetIntegerv(GL_MAX_VERTEX_ATTRIBS, &maxAttributes);
    int enabled = 0;
    for (GLint i = 0; i < maxAttributes; ++i) {
        GLint on = 0;
        glGetVertexAttribiv(GLuint(i), GL_VERTEX_ATTRIB_ARRAY_ENABLED, &on);
        enabled += on ? 1 : 0;
    }
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(attributeState(program, "position", GL_VERTEX_ATTRIB_ARRAY_ENABLED), 1);
    EXPECT_EQ(attributeState(program, "position", GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING),
              GLint(mesh->vertexBuffer));
    GLint elements = 0;
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elements);
    EXPECT_EQ(elements, GLint(mesh->elementBuffer));
    glBindVertexArray(0);

    GLint activeUnit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeUnit);
    EXPECT_EQ(activeUnit, GL_TEXTURE2);
    const Texture* textures[3] = {mesh->diffuseTexture, mesh->normalTexture, mesh->heightTexture};
    const char* samplers[3] = {"DiffuseTextureSampler", "NormalTextureSampler", "HeightTextureSampler"};
    for (int unit = 0; unit < 3; ++unit) {
        SCOPED_TRACE(unit);
        glActiveTexture(GLenum(GL_TEXTURE0 + unit));
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(bound, GLint(textures[unit]->handle));
        GLint samplerUnit = -1;
        glGetUniformiv(program, glGetUniformLocation(program, samplers[unit]), &samplerUnit);
        EXPECT_EQ(samplerUnit, unit);
    }

    // A later call adds attributes and leaves the earlier ones as they were.
    mesh->setupVertexArray(shader.get(), false, true, true, true, true);
    glBindVertexArray(mesh->vao);
    for (const char* name : {"position", "normal", "uv", "tangent", "bitangent"})
        EXPECT_EQ(attributeState(program, name, GL_VERTEX_ATTRIB_ARRAY_ENABLED), 1) << name;
    EXPECT_EQ(attributeState(program, "normal", GL_VERTEX_ATTRIB_ARRAY_NORMALIZED), 0);
    EXPECT_EQ(attributeState(program, "tangent", GL_VERTEX_ATTRIB_ARRAY_NORMALIZED), 1);
    EXPECT_EQ(attributeState(program, "bitangent", GL_VERTEX_ATTRIB_ARRAY_NORMALIZED), 1);
    EXPECT_EQ(attributeState(program, "uv", GL_VERTEX_ATTRIB_ARRAY_SIZE), 2);
    glBindVertexArray(0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(MeshGl, UnreadableModelDrawsNothingWithoutError) {
    for (const char* text : {static_cast<const char*>(nullptr), "v 0 0 0\nf 1//1 1//1 1//1\n",
                             "v 0 0 0\nvt 0 0\nvn 0 0 1\nf 1/1/1 1/1/1 2/1/1\n"}) {
        SCOPED_TRACE(text ? text : "missing file");
        ::testing::internal::CaptureStdout();
        std::unique_ptr<Mesh> mesh;
        if (text) {
            mesh = load(text);
        } else {
            mesh = std::make_unique<Mesh>(glm::mat4(1.0f), (assets.root / "absent").string(), diffuse, normal,
                                          height);
        }
        EXPECT_FALSE(::testing::internal::GetCapturedStdout().empty());
        EXPECT_TRUE(mesh->indices.empty());
        EXPECT_TRUE(mesh->vertices.empty());
        EXPECT_EQ(bufferSize(mesh->elementBuffer), 0);
        OffscreenTarget target;
        mesh->setupVertexArray(shader.get(), true, true, true, true, true);
        EXPECT_EQ(primitivesGenerated([&] { mesh->draw(); }), 0u);
        EXPECT_EQ(target.centreRed(), 0);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

// 22,000 separate triangles: 66,000 corners, more than 16-bit indices can address. Only the
// last triangle covers the centre, so a wrapped index would leave it dark.
TEST_F(MeshGl, MoreThan65536CornersUseThirtyTwoBitIndices) {
    std::ostringstream obj;
    const int triangles = 22000;
    for (int i = 0; i < 3 * (triangles - 1); ++i)
        obj << "v " << 10.0f + float(i % 300) * 0.05f << ' ' << float(i / 300) * 0.05f << " 0\n";
    obj << "v -1 -1 0\nv 3 -1 0\nv -1 3 0\nvt 0 0\nvn 0 0 1\n";
    for (int t = 0; t < triangles; ++t)
        obj << "f " << 3 * t + 1 << "/1/1 " << 3 * t + 2 << "/1/1 " << 3 * t + 3 << "/1/1\n";
    auto mesh = load(obj.str());

    ASSERT_EQ(mesh->vertices.size(), 66000u);
    EXPECT_EQ(mesh->indexType, GLenum(GL_UNSIGNED_INT));
    EXPECT_EQ(mesh->indices.back(), 65999u);
    EXPECT_EQ(bufferSize(mesh->elementBuffer), GLint(4 * mesh->indices.size()));

    OffscreenTarget target;
    mesh->setupVertexArray(shader.get(), true, false, false, false, false);
    EXPECT_EQ(primitivesGenerated([&] { mesh->draw(); }), GLuint(triangles));
    EXPECT_EQ(target.centreRed(), 255);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// The level and the sphere differ only by their texture files, found under ../Quarnvale.
TEST_F(MeshGl, WorldAndBallLoadTheirOwnTextures) {
    assets.write("Quarnvale/Objects/tri.obj", oneTriangle);
    assets.picture("Quarnvale/Textures/bricks3.png", 2, 1);
    assets.picture("Quarnvale/Textures/bricks_normal.png", 3, 1);
    assets.picture("Quarnvale/Textures/bricks_height.png", 4, 1);
    assets.picture("Quarnvale/Textures/sphere_diff.jpg", 5, 1, 30, 20, 10, 255, FIF_JPEG);
    assets.picture("Quarnvale/Textures/sphere_normal.jpg", 6, 1, 30, 20, 10, 255, FIF_JPEG);
    assets.picture("Quarnvale/Textures/sphere$_height.jpg", 7, 1, 30, 20, 10, 255, FIF_JPEG);
    assets.enterBuild();

    const auto widthOf = [](const Texture* texture) {
        GLint width = 0;
        glBindTexture(GL_TEXTURE_2D, texture->handle);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glBindTexture(GL_TEXTURE_2D, 0);
        return width;
    };
    const glm::mat4 scale(0.1f);
    World world(scale, "../Quarnvale/Objects/tri");
    EXPECT_EQ(world.modelMatrix, scale);
    EXPECT_EQ(world.indices.size(), 3u);
    EXPECT_EQ(widthOf(world.diffuseTexture), 2);
    EXPECT_EQ(widthOf(world.normalTexture), 3);
    EXPECT_EQ(widthOf(world.heightTexture), 4);

    Ball ball(glm::mat4(1.0f), "../Quarnvale/Objects/tri");
    EXPECT_EQ(widthOf(ball.diffuseTexture), 5);
    EXPECT_EQ(widthOf(ball.normalTexture), 6);
    EXPECT_EQ(widthOf(ball.heightTexture), 7);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // Owners delete meshes through the base.
    vantor::scene::SceneObject* owned = new World(scale, "../Quarnvale/Objects/tri");
    const GLuint vao = static_cast<World*>(owned)->vao;
    delete owned;
    EXPECT_FALSE(glIsVertexArray(vao));
}
