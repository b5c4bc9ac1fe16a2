#include "scene/scene_node.h"

#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "scene/sprites.h"

namespace skyloom {
namespace {

// Writes every call it receives to a shared log, so a test can read the
// order of the passes.
class TracedNode : public SceneNode {
public:
    TracedNode(std::vector<std::string>& log, std::string label) : log_(log), label_(std::move(label)) {}
    ~TracedNode() override { log_.push_back("delete " + label_); }

    void Render() override {
        log_.push_back("render " + label_);
        if (onRender) {
            onRender();
        }
    }
    void RenderOverlay() override { log_.push_back("overlay " + label_); }
    void Update() override {
        ++updates;
        log_.push_back("update " + label_);
        if (onUpdate) {
            onUpdate();
        }
    }
    bool IsFinished() override {
        log_.push_back("finished? " + label_);
        return finishAtUpdate != 0 && updates >= finishAtUpdate;
    }

    int updates = 0;
    // Finishes once it has been updated this many times; 0 never.
    int finishAtUpdate = 0;
    std::function<void()> onRender;
    std::function<void()> onUpdate;

private:
    std::vector<std::string>& log_;
    std::string label_;
};

std::vector<SceneNode*> ListContents() {
    std::vector<SceneNode*> nodes;
    for (SceneNode* node = SceneList(); node != nullptr; node = node->Next()) {
        nodes.push_back(node);
    }
    return nodes;
}

class SceneListTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(SceneList(), nullptr); }
    void TearDown() override {
        DeleteAllSceneNodes();
        EXPECT_EQ(LiveSceneNodeCount(), 0);
    }

    TracedNode* Add(const std::string& label) { return new TracedNode(log, label); }

    std::vector<std::string> TakeLog() { return std::exchange(log, {}); }

    std::vector<std::string> log;
};

using Log = std::vector<std::string>;

TEST_F(SceneListTest, EmptyListPassesDoNothing) {
    UpdateSceneNodes();
    RenderSceneNodes();
    RenderSceneOverlays();
    DeleteAllSceneNodes();
    EXPECT_EQ(SceneList(), nullptr);
    EXPECT_EQ(LiveSceneNodeCount(), 0);
}

TEST_F(SceneListTest, NewestNodeFirstInEveryPass) {
    TracedNode* a = Add("a");
    TracedNode* b = Add("b");
    TracedNode* c = Add("c");
    EXPECT_EQ(ListContents(), (std::vector<SceneNode*>{c, b, a}));
    EXPECT_EQ(LiveSceneNodeCount(), 3);

    UpdateSceneNodes();
    EXPECT_EQ(TakeLog(), (Log{"update c", "finished? c", "update b", "finished? b", "update a", "finished? a"}));
    RenderSceneNodes();
    EXPECT_EQ(TakeLog(), (Log{"render c", "render b", "render a"}));
    RenderSceneOverlays();
    EXPECT_EQ(TakeLog(), (Log{"overlay c", "overlay b", "overlay a"}));
}

TEST_F(SceneListTest, FinishedOnFirstUpdateGoesInThatPass) {
    TracedNode* a = Add("a");
    TracedNode* b = Add("b");
    b->finishAtUpdate = 1;
    TracedNode* c = Add("c");
    UpdateSceneNodes();
    // Deleted right after its one Update, and the walk still reaches a.
    EXPECT_EQ(TakeLog(), (Log{"update c", "finished? c", "update b", "finished? b", "delete b", "update a",
                              "finished? a"}));
    EXPECT_EQ(ListContents(), (std::vector<SceneNode*>{c, a}));
    EXPECT_EQ(LiveSceneNodeCount(), 2);
}

TEST_F(SceneListTest, HeadTailAndNeighboursFinishing) {
    TracedNode* a = Add("a");
    TracedNode* b = Add("b");
    TracedNode* c = Add("c");
    TracedNode* d = Add("d");
    TracedNode* e = Add("e");

    e->finishAtUpdate = 1;  // the head
    UpdateSceneNodes();
    EXPECT_EQ(SceneList(), d);
    EXPECT_EQ(ListContents(), (std::vector<SceneNode*>{d, c, b, a}));

    a->finishAtUpdate = 2;  // the tail
    UpdateSceneNodes();
    EXPECT_EQ(b->Next(), nullptr);
    EXPECT_EQ(ListContents(), (std::vector<SceneNode*>{d, c, b}));

    // Two in a row at the head: the second one's successor was read before
    // the first was deleted.
    d->finishAtUpdate = 3;
    c->finishAtUpdate = 3;
    TakeLog();
    UpdateSceneNodes();
    EXPECT_EQ(TakeLog(), (Log{"update d", "finished? d", "delete d", "update c", "finished? c", "delete c",
                              "update b", "finished? b"}));
    EXPECT_EQ(ListContents(), (std::vector<SceneNode*>{b}));

    b->finishAtUpdate = 4;
    UpdateSceneNodes();
    EXPECT_EQ(SceneList(), nullptr);
    EXPECT_EQ(LiveSceneNodeCount(), 0);
}

TEST_F(SceneListTest, NodeCreatedDuringRenderWaitsForTheNextFrame) {
    Add("old");
    TracedNode* creator = Add("creator");
    TracedNode* spawned = nullptr;
    creator->onRender = [&] {
        if (spawned == nullptr) {
            spawned = Add("new");
        }
    };
    RenderSceneNodes();
    EXPECT_EQ(TakeLog(), (Log{"render creator", "render old"}));
    ASSERT_NE(spawned, nullptr);
    EXPECT_EQ(SceneList(), spawned);

    UpdateSceneNodes();
    RenderSceneNodes();
    EXPECT_EQ(TakeLog(), (Log{"update new", "finished? new", "update creator", "finished? creator", "update old",
                              "finished? old", "render new", "render creator", "render old"}));
}

TEST_F(SceneListTest, NodeWronglyCreatedDuringUpdateIsNotLost) {
    TracedNode* keeper = Add("keeper");
    TracedNode* head = Add("head");
    head->finishAtUpdate = 1;
    TracedNode* spawned = nullptr;
    head->onUpdate = [&] { spawned = Add("stray"); };
    UpdateSceneNodes();
    ASSERT_NE(spawned, nullptr);
    EXPECT_EQ(spawned->updates, 0) << "not part of the pass that created it";
    EXPECT_EQ(ListContents(), (std::vector<SceneNode*>{spawned, keeper}));
    EXPECT_EQ(LiveSceneNodeCount(), 2);
}

TEST_F(SceneListTest, DeleteAllGoesFromHeadToTail) {
    Add("a");
    Add("b");
    Add("c");
    DeleteAllSceneNodes();
    EXPECT_EQ(TakeLog(), (Log{"delete c", "delete b", "delete a"}));
    EXPECT_EQ(SceneList(), nullptr);
    EXPECT_EQ(LiveSceneNodeCount(), 0);
}

// An owner that ends its sprite's life by marking it, as suns and flares do.
class SpriteOwner : public SceneNode {
public:
    SpriteOwner() : sprite(new OverlaySprite) {}
    void Update() override {
        if (retire && sprite != nullptr) {
            sprite->finished = true;
            sprite = nullptr;
        }
    }
    bool IsFinished() override { return retire; }

    OverlaySprite* sprite;
    bool retire = false;
};

TEST_F(SceneListTest, SpriteMarkedByItsOwnerGoesOnePassLater) {
    const int spritesBefore = LiveSpriteCount();
    auto* owner = new SpriteOwner;
    EXPECT_EQ(LiveSpriteCount(), spritesBefore + 1);
    EXPECT_EQ(SceneList(), owner->sprite) << "created after its owner, so ahead of it";
    owner->retire = true;
    UpdateSceneNodes();
    // The sprite was asked before its owner marked it.
    EXPECT_EQ(LiveSceneNodeCount(), 1);
    EXPECT_EQ(LiveSpriteCount(), spritesBefore + 1);
    UpdateSceneNodes();
    EXPECT_EQ(LiveSceneNodeCount(), 0);
    EXPECT_EQ(LiveSpriteCount(), spritesBefore);
}

TEST_F(SceneListTest, NameIsAPrivateCopy) {
    auto* node = new SceneNode;
    EXPECT_EQ(node->Name(), nullptr);
    char text[] = "Sun";
    node->SetName(text);
    std::strcpy(text, "Xyz");
    EXPECT_STREQ(node->Name(), "Sun");
}

}  // namespace
}  // namespace skyloom
