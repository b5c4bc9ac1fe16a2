#include "scene/scene_node.h"

#include <cstring>

namespace skyloom {

namespace {
SceneNode* head = nullptr;
int liveNodes = 0;
}  // namespace

SceneNode::SceneNode() : next_(head) {
    head = this;
    ++liveNodes;
}

SceneNode::~SceneNode() {
    delete[] name_;
    --liveNodes;
}

void SceneNode::Render() {}

void SceneNode::Draw() {}

void SceneNode::RenderOverlay() {}

void SceneNode::Update() {}

bool SceneNode::IsFinished() { return false; }

LensFlare* SceneNode::AsFlare() { return nullptr; }

Star* SceneNode::AsStar() { return nullptr; }

void SceneNode::SetName(const char* text) {
    delete[] name_;
    name_ = nullptr;
    if (text != nullptr) {
        const size_t length = std::strlen(text);
        name_ = new char[length + 1];
        std::memcpy(name_, text, length + 1);
    }
}

SceneNode* SceneList() { return head; }

int LiveSceneNodeCount() { return liveNodes; }

void UpdateSceneNodes() {
    // link is the pointer that leads to the current node: the head, or the
    // next field of the last node kept.
    SceneNode** link = &head;
    SceneNode* node = head;
    while (node != nullptr) {
        // Read before Update and before a possible delete.
        SceneNode* const successor = node->next_;
        node->Update();
        if (node->IsFinished()) {
            // A node wrongly created by an Update went in at the head, in
            // front of the current one; step over it rather than lose it.
            while (*link != node) {
                link = &(*link)->next_;
            }
            *link = successor;
            delete node;
        } else {
            link = &node->next_;
        }
        node = successor;
    }
}

void RenderSceneNodes() {
    for (SceneNode* node = head; node != nullptr; node = node->Next()) {
        node->Render();
    }
}

void RenderSceneOverlays() {
    for (SceneNode* node = head; node != nullptr; node = node->Next()) {
        node->RenderOverlay();
    }
}

void DeleteAllSceneNodes() {
    while (head != nullptr) {
        SceneNode* const node = head;
        head = node->next_;
        delete node;
    }
}

}  // namespace skyloom
