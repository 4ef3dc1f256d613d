#include "physics/BoxCollider.h"

BoxCollider::BoxCollider() : Center(0.0f, 0.0f), Width(0.0f), Height(0.0f), Corners{} {}

BoxCollider::BoxCollider(float x, float y, float width, float height)
    : Center(x, y)
    , Width(width)
    , Height(height)
    , Corners{glm::vec2(-width / 2.0f, -height / 2.0f), glm::vec2(width / 2.0f, -height / 2.0f),
              glm::vec2(width / 2.0f, height / 2.0f), glm::vec2(-width / 2.0f, height / 2.0f)}
{
}
