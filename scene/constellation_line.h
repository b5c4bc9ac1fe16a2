#pragma once

#include "scene/scene_node.h"
#include "scene/vecmath.h"

namespace skyloom {

// A faint grey line joining a new ordinary sun (endA) to the one before it.
class ConstellationLine : public SceneNode {
public:
    ConstellationLine(const Vector3d& endA, const Vector3d& endB);
    ~ConstellationLine() override;

    void Render() override;
    void Update() override;
    bool IsFinished() override;

    Vector3d endA;
    Vector3d endB;
    double fadeIn = 0.0;
    double distanceFade = 0.0;
};

int LiveConstellationLineCount();

// True from 25 live lines on, and stays so until fewer than 17 remain.
bool TooManyConstellationLines();

}  // namespace skyloom
