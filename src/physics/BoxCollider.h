#pragma once

#include <glm/vec2.hpp>

// An axis-aligned box around a body. The corners are offsets from Center,
// computed once from the size; nothing rotates or rescales them later. In
// circle configurations Width is the diameter.
struct BoxCollider {
    // Blank: centred on the origin, size 0 by 0, every corner (0, 0).
    BoxCollider();
    BoxCollider(float x, float y, float width, float height);

    glm::vec2 Center;
    float Width;
    float Height;
    // (-w/2, -h/2), (w/2, -h/2), (w/2, h/2), (-w/2, h/2): bottom left first,
    // counter-clockwise.
    glm::vec2 Corners[4];
};
