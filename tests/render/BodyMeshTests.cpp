// The shared body square on a real context: what the buffer holds, byte for
// byte, and how the vertex array feeds attribute 0 from it.
#include "RenderTestSupport.h"

#include "render/BodyMesh.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <cstdint>

namespace {

// Bit patterns of the floats nearest to 0.01 and -0.01.
constexpr std::uint32_t kPlus = 0x3C23D70Au;
constexpr std::uint32_t kMinus = 0xBC23D70Au;
constexpr std::uint32_t kZero = 0x00000000u;

GLint Integer(GLenum name)
{
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

class BodyMesh : public GlTest {};

TEST_F(BodyMesh, BufferHoldsTheTwoTrianglesOfTheSquare)
{
    const CBodyMesh mesh;
    ASSERT_NE(mesh.VertexBuffer, 0u);
    ASSERT_TRUE(glIsBuffer(mesh.VertexBuffer));

    glBindBuffer(GL_ARRAY_BUFFER, mesh.VertexBuffer);
    GLint size = 0;
    GLint usage = 0;
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_USAGE, &usage);
    EXPECT_EQ(size, 72);
    EXPECT_EQ(static_cast<GLenum>(usage), static_cast<GLenum>(GL_STATIC_DRAW));

    std::uint32_t bits[18] = {};
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(bits), bits);
    // Lower left, upper left, upper right; upper right, lower right, lower left.
    const std::uint32_t expected[18] = {
        kMinus, kMinus, kZero, //
        kMinus, kPlus,  kZero, //
        kPlus,  kPlus,  kZero, //
        kPlus,  kPlus,  kZero, //
        kPlus,  kMinus, kZero, //
        kMinus, kMinus, kZero, //
    };
    for (int i = 0; i < 18; ++i) {
        EXPECT_EQ(bits[i], expected[i]) << "float " << i << " (vertex " << i / 3 << ")";
    }

    glDeleteBuffers(1, &mesh.VertexBuffer);
    glDeleteVertexArrays(1, &mesh.VertexArray);
}

TEST_F(BodyMesh, VertexArrayFeedsAttributeZeroFromTheBuffer)
{
    const CBodyMesh mesh;
    ASSERT_NE(mesh.VertexArray, 0u);
    ASSERT_TRUE(glIsVertexArray(mesh.VertexArray));

    // Construction leaves no vertex array bound and the buffer bound.
    EXPECT_EQ(Integer(GL_VERTEX_ARRAY_BINDING), 0);
    EXPECT_EQ(static_cast<GLuint>(Integer(GL_ARRAY_BUFFER_BINDING)), mesh.VertexBuffer);

    glBindVertexArray(mesh.VertexArray);
    struct Row {
        const char* what;
        GLenum query;
        GLint expected;
    };
    const Row rows[] = {
        {"enabled", GL_VERTEX_ATTRIB_ARRAY_ENABLED, GL_TRUE},
        {"size", GL_VERTEX_ATTRIB_ARRAY_SIZE, 3},
        {"type", GL_VERTEX_ATTRIB_ARRAY_TYPE, GL_FLOAT},
        {"normalized", GL_VERTEX_ATTRIB_ARRAY_NORMALIZED, GL_FALSE},
        {"integer", GL_VERTEX_ATTRIB_ARRAY_INTEGER, GL_FALSE},
        {"stride", GL_VERTEX_ATTRIB_ARRAY_STRIDE, 12},
        {"buffer", GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, static_cast<GLint>(mesh.VertexBuffer)},
        {"divisor", GL_VERTEX_ATTRIB_ARRAY_DIVISOR, 0},
    };
    for (const Row& row : rows) {
        GLint value = -1;
        glGetVertexAttribiv(0, row.query, &value);
        EXPECT_EQ(value, row.expected) << row.what;
    }
    void* offset = reinterpret_cast<void*>(1);
    glGetVertexAttribPointerv(0, GL_VERTEX_ATTRIB_ARRAY_POINTER, &offset);
    EXPECT_EQ(offset, nullptr);

    // Attribute 0 is the only one the polygon program reads.
    GLint secondEnabled = -1;
    glGetVertexAttribiv(1, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &secondEnabled);
    EXPECT_EQ(secondEnabled, GL_FALSE);
    glBindVertexArray(0);

    glDeleteBuffers(1, &mesh.VertexBuffer);
    glDeleteVertexArrays(1, &mesh.VertexArray);
}

} // namespace
