#include "render/BodyMesh.h"

CBodyMesh::CBodyMesh() : VertexBuffer(0), VertexArray(0)
{
    // Two triangles covering a square of side 0.02 around the origin:
    // lower left, upper left, upper right; upper right, lower right, lower left.
    const GLfloat vertices[kVertexCount * 3] = {
        -0.01f, -0.01f, 0.0f, //
        -0.01f, 0.01f,  0.0f, //
        0.01f,  0.01f,  0.0f, //
        0.01f,  0.01f,  0.0f, //
        0.01f,  -0.01f, 0.0f, //
        -0.01f, -0.01f, 0.0f, //
    };

    glGenBuffers(1, &VertexBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, VertexBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(vertices), vertices, GL_STATIC_DRAW);

    glGenVertexArrays(1, &VertexArray);
    glBindVertexArray(VertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, VertexBuffer);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 3 * sizeof(GLfloat), nullptr);
    glEnableVertexAttribArray(0);
    glBindVertexArray(0);
}
