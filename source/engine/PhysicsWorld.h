#pragma once

#include <juce_box2d/juce_box2d.h>

#include <atomic>
#include <memory>

struct BallUserData;

// Flags every ball touched by a new solid contact as bounced.
class B2ContactListener : public b2ContactListener
{
public:
    void BeginContact (b2Contact* contact) override;
};

// Looks for another ball overlapping a given ball.
class BallOverlapQueryCallback : public b2QueryCallback
{
public:
    BallOverlapQueryCallback (b2Body* ballBody, float radiusToUse) : body (ballBody), radius (radiusToUse) {}
    bool ReportFixture (b2Fixture* fixture) override;

    bool found = false;
    b2Body* body = nullptr;
    float radius = 0.0f;
};

inline BallUserData* getBallData (const b2Body* body) noexcept
{
    return body != nullptr ? static_cast<BallUserData*> (body->GetUserData()) : nullptr;
}

// The Box2D funnel world: two walls, the balls launched into it, stepping at
// 1/120 s. Touched only by the audio thread once playback runs (and by
// prepareToPlay before it).
class PhysicsWorld
{
public:
    static constexpr float viewLeft = -1.0f;
    static constexpr float viewRight = 7.4f;
    static constexpr float viewBottom = -0.5f;
    static constexpr float viewTop = 12.0f;
    static constexpr float funnelCentreX = 3.2f;
    static constexpr float funnelBottomY = 0.5f;
    static constexpr float funnelTopY = 10.5f;
    static constexpr float wallTopY = 11.0f;
    static constexpr float ballRadius = 0.15f;
    static constexpr double stepSeconds = 1.0 / 120.0;
    static constexpr int maxStepsPerBlock = 16;

    // The widest funnel the wheel and the editor allow.
    static float maxWidth() noexcept { return juce::jmax (0.5f, 2.0f * (funnelCentreX - (viewLeft + 0.6f))); }

    PhysicsWorld();
    ~PhysicsWorld();

    bool exists() const noexcept { return world != nullptr; }
    void create (float gravityY);
    b2World* getWorld() const noexcept { return world.get(); }

    // Rebuilds both walls, always solid, from the given widths.
    void updateFunnelGeometry (float topWidth, float bottomWidth);
    void attachContactListener (bool attached);

    struct LaunchSettings
    {
        float launchPos = 0.05f;
        int velocity = 100;
        float launchStrength = 100.0f;
        bool dynamicLaunch = false;
        double restitution = 0.7;
        uint16_t categoryBits = 0x0002;
        uint16_t maskBits = 0x0001;
    };

    b2Body* launchBall (const LaunchSettings&);
    static float launchStrengthFor (int velocity, float launchStrength, bool dynamicLaunch) noexcept;
    b2Vec2 launchPoint (float launchPos) const noexcept;
    float getLaunchHandleX (float launchPos) const noexcept;

    // Advances by one block; returns the number of steps made.
    int advance (int numSamples, double sampleRate, float timeScale);
    double simTimeAccumulator = 0.0;

    // Lets a ball collide with other balls once nothing overlaps it.
    void enableBallCollisionsIfClear (b2Body& ball, BallUserData&, uint16_t wallBits, uint16_t ballBits);
    static bool shouldRemove (const b2Body& ball, const BallUserData&) noexcept;

    void setWallsSensor (bool sensor);
    void setGravity (float value);
    void setRestitution (double restitution);
    void setCollisionMasks (bool enabled, uint16_t wallBits, uint16_t ballBits);
    void destroyBody (b2Body*);
    // Call before destroying bodies that may have been created or refiltered
    // since the last step.
    void prepareForDestruction();

    // Grows Box2D's allocators to hold this many balls and their contacts, so
    // that later launches, steps and removals reuse memory.
    void warmUp (int numBalls);

    // Wall end points, written by the audio thread, read by the editor.
    std::atomic<float> topLeftX { 0.0f }, bottomLeftX { 0.0f }, topRightX { 0.0f }, bottomRightX { 0.0f };

    int velocityIterations = 6;
    int positionIterations = 2;

    b2Body* leftWall = nullptr;
    b2Body* rightWall = nullptr;

private:
    b2Body* createWall (float bottomX, float topX);

    std::unique_ptr<b2World> world;
    B2ContactListener contactListener;
};
