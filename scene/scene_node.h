#pragma once

#include "scene/vecmath.h"

namespace skyloom {

class LensFlare;
class Star;

// Every animated object of the scene. A node is heap-allocated, joins the
// scene list at its head when constructed and is deleted only by the update
// pass (once IsFinished reports true) or by DeleteAllSceneNodes; owners of
// other nodes end their lives by marking them finished, never by delete.
class SceneNode {
public:
    SceneNode();
    // Frees the name; does not unlink (only the passes unlink).
    virtual ~SceneNode();
    SceneNode(const SceneNode&) = delete;
    SceneNode& operator=(const SceneNode&) = delete;

    // 3D render pass, in list order, depth testing off.
    virtual void Render();
    // Called by an owning node when it renders itself.
    virtual void Draw();
    // 2D overlay pass, under the window-fraction overlay projection.
    virtual void RenderOverlay();
    // Update pass. Must neither create nor delete nodes.
    virtual void Update();
    // Asked right after Update; true deletes the node in the same pass.
    virtual bool IsFinished();
    // Type queries: the lens-flare element and the star answer with themselves.
    virtual LensFlare* AsFlare();
    virtual Star* AsStar();

    // Keeps a private copy of the text (null clears it); a diagnostic label only.
    void SetName(const char* text);
    const char* Name() const { return name_; }

    // Following (older) node, null at the tail.
    SceneNode* Next() const { return next_; }

    // World position; window fractions (x right, y down) for overlay sprites.
    Vector3d position;

private:
    friend void UpdateSceneNodes();
    friend void DeleteAllSceneNodes();

    SceneNode* next_;
    char* name_ = nullptr;
};

// Head of the scene list (the newest node), null when empty. Walk it with
// Next(); the list runs from the newest node to the oldest.
SceneNode* SceneList();
int LiveSceneNodeCount();

// Once per frame after the camera and the spawners: Update then IsFinished
// on every node from head to tail, deleting those that are finished.
void UpdateSceneNodes();
// Render on every node from head to tail. Nodes created meanwhile (at the
// head) wait for the next frame.
void RenderSceneNodes();
// RenderOverlay on every node from head to tail.
void RenderSceneOverlays();
// Deletes every node, head first. At teardown of the GL window.
void DeleteAllSceneNodes();

}  // namespace skyloom
