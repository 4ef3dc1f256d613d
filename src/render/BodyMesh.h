#pragma once

#include <GL/glew.h>

// The one square every body is drawn with: six vertices, two triangles, side
// 0.02, centred on the origin, feeding attribute 0 of the polygon program.
// The GL objects are released through the bodies that copy these names
// (CRigidBody::ReleaseGraphics), not by this object.
class CBodyMesh {
public:
    static constexpr int kVertexCount = 6;

    CBodyMesh();

    CBodyMesh(const CBodyMesh&) = delete;
    CBodyMesh& operator=(const CBodyMesh&) = delete;

    GLuint VertexBuffer;
    GLuint VertexArray;
};
