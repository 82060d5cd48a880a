#include "PhysicsWorld.h"
#include "BallRecords.h"

#include <cmath>
#include <vector>

void B2ContactListener::BeginContact (b2Contact* contact)
{
    auto* fixtureA = contact->GetFixtureA();
    auto* fixtureB = contact->GetFixtureB();

    if (fixtureA->IsSensor() || fixtureB->IsSensor())
        return;

    if (auto* ball = getBallData (fixtureA->GetBody()))
        ball->bounced = true;
    if (auto* ball = getBallData (fixtureB->GetBody()))
        ball->bounced = true;
}

bool BallOverlapQueryCallback::ReportFixture (b2Fixture* fixture)
{
    auto* other = fixture->GetBody();

    if (other == body || getBallData (other) == nullptr)
        return true;

    const auto delta = other->GetPosition() - body->GetPosition();
    const float touching = 2.0f * radius;

    if (delta.LengthSquared() < touching * touching)
    {
        found = true;
        return false;
    }

    return true;
}

PhysicsWorld::PhysicsWorld() = default;

PhysicsWorld::~PhysicsWorld()
{
    if (world != nullptr)
        world->SetContactListener (nullptr);
}

void PhysicsWorld::create (float gravityY)
{
    world = std::make_unique<b2World> (b2Vec2 (0.0f, gravityY));
    leftWall = rightWall = nullptr;
}

void PhysicsWorld::attachContactListener (bool attached)
{
    if (world != nullptr)
        world->SetContactListener (attached ? &contactListener : nullptr);
}

b2Body* PhysicsWorld::createWall (float bottomX, float topX)
{
    // Extend the wall's line past the funnel top up to wallTopY.
    const float slope = (topX - bottomX) / (funnelTopY - funnelBottomY);
    const float xAtWallTop = bottomX + slope * (wallTopY - funnelBottomY);

    b2BodyDef bodyDef;
    bodyDef.type = b2_staticBody;
    bodyDef.position.Set (0.0f, 0.0f);
    bodyDef.allowSleep = true;
    bodyDef.awake = true;
    bodyDef.active = true;
    bodyDef.gravityScale = 1.0f;

    auto* body = world->CreateBody (&bodyDef);

    b2EdgeShape edge;
    edge.Set (b2Vec2 (bottomX, funnelBottomY), b2Vec2 (xAtWallTop, wallTopY));
    edge.m_radius = 0.01f;

    b2FixtureDef fixtureDef;
    fixtureDef.shape = &edge;
    fixtureDef.friction = 0.2f;
    fixtureDef.restitution = 0.0f;
    fixtureDef.density = 0.0f;
    fixtureDef.isSensor = false;
    fixtureDef.filter.categoryBits = 0x0001;
    fixtureDef.filter.maskBits = 0xFFFF;
    fixtureDef.filter.groupIndex = 0;
    body->CreateFixture (&fixtureDef);

    return body;
}

void PhysicsWorld::updateFunnelGeometry (float topWidth, float bottomWidth)
{
    if (world == nullptr)
        return;

    if (leftWall != nullptr)
        world->DestroyBody (leftWall);
    if (rightWall != nullptr)
        world->DestroyBody (rightWall);

    topLeftX = funnelCentreX - topWidth / 2.0f;
    bottomLeftX = funnelCentreX - bottomWidth / 2.0f;
    topRightX = funnelCentreX + topWidth / 2.0f;
    bottomRightX = funnelCentreX + bottomWidth / 2.0f;

    leftWall = createWall (bottomLeftX, topLeftX);
    rightWall = createWall (bottomRightX, topRightX);

    world->SetContactListener (&contactListener);
}

b2Vec2 PhysicsWorld::launchPoint (float launchPos) const noexcept
{
    const float y = funnelTopY + launchPos * (funnelBottomY - funnelTopY);
    const float top = topLeftX.load(), bottom = bottomLeftX.load();

    float wallX = top;
    if (std::abs (funnelBottomY - funnelTopY) >= 0.0001f)
    {
        const float t = (y - funnelTopY) / (funnelBottomY - funnelTopY);
        wallX = top + t * (bottom - top);
    }

    return { wallX, y };
}

float PhysicsWorld::getLaunchHandleX (float launchPos) const noexcept
{
    return launchPoint (launchPos).x - 0.35f;
}

float PhysicsWorld::launchStrengthFor (int velocity, float launchStrength, bool dynamicLaunch) noexcept
{
    if (! dynamicLaunch)
        return launchStrength * 3.0f / 128.0f;

    return (float) velocity / (128.0f - launchStrength);
}

b2Body* PhysicsWorld::launchBall (const LaunchSettings& s)
{
    const auto wallPoint = launchPoint (s.launchPos);

    b2BodyDef bodyDef;
    bodyDef.type = b2_dynamicBody;
    bodyDef.position.Set (wallPoint.x + ballRadius + 0.1f, wallPoint.y);
    bodyDef.angle = 0.0f;
    bodyDef.allowSleep = true;
    bodyDef.awake = true;
    bodyDef.fixedRotation = false;
    bodyDef.bullet = false;
    bodyDef.active = true;
    bodyDef.gravityScale = 1.0f;

    auto* body = world->CreateBody (&bodyDef);

    b2CircleShape circle;
    circle.m_radius = ballRadius;

    b2FixtureDef fixtureDef;
    fixtureDef.shape = &circle;
    fixtureDef.friction = 0.0f;
    fixtureDef.restitution = (float) s.restitution;
    fixtureDef.density = 1.0f;
    fixtureDef.isSensor = false;
    fixtureDef.filter.categoryBits = s.categoryBits;
    fixtureDef.filter.maskBits = s.maskBits;
    fixtureDef.filter.groupIndex = 0;
    body->CreateFixture (&fixtureDef);

    const float strength = launchStrengthFor (s.velocity, s.launchStrength, s.dynamicLaunch);
    body->ApplyLinearImpulse (b2Vec2 (strength, 0.0f), body->GetWorldCenter());
    return body;
}

int PhysicsWorld::advance (int numSamples, double sampleRate, float timeScale)
{
    if (world == nullptr || sampleRate <= 0.0)
        return 0;

    simTimeAccumulator += ((double) numSamples / sampleRate) * (double) timeScale;

    int steps = 0;
    while (simTimeAccumulator >= stepSeconds && steps < maxStepsPerBlock)
    {
        world->Step ((float) stepSeconds, velocityIterations, positionIterations);
        simTimeAccumulator -= stepSeconds;
        ++steps;
    }

    if (steps == maxStepsPerBlock)
        simTimeAccumulator = std::fmod (simTimeAccumulator, stepSeconds);

    return steps;
}

void PhysicsWorld::enableBallCollisionsIfClear (b2Body& ball, BallUserData& data, uint16_t wallBits, uint16_t ballBits)
{
    BallOverlapQueryCallback query (&ball, ballRadius);

    const float half = 2.1f * ballRadius;
    const auto centre = ball.GetPosition();
    b2AABB box;
    box.lowerBound = centre - b2Vec2 (half, half);
    box.upperBound = centre + b2Vec2 (half, half);
    world->QueryAABB (&query, box);

    if (query.found)
        return;

    for (auto* fixture = ball.GetFixtureList(); fixture != nullptr; fixture = fixture->GetNext())
    {
        auto filter = fixture->GetFilterData();
        filter.maskBits = (juce::uint16) (wallBits | ballBits);
        fixture->SetFilterData (filter);
    }

    data.ballCollisionsActive = 1;
}

bool PhysicsWorld::shouldRemove (const b2Body& ball, const BallUserData& data) noexcept
{
    const auto position = ball.GetPosition();
    const auto velocity = ball.GetLinearVelocity();

    if (! std::isfinite (position.x) || ! std::isfinite (position.y)
        || ! std::isfinite (velocity.x) || ! std::isfinite (velocity.y))
        return true;

    if (position.x > 30.0f || position.y > 60.0f || juce::jmin (position.x, position.y) < -20.0f)
        return true;

    if (data.noteVelocity < 1.1f)
        return true;

    const bool resting = ! ball.IsAwake() || std::abs (velocity.x) < 0.1f;
    return resting && ! data.noteSounding;
}

void PhysicsWorld::setWallsSensor (bool sensor)
{
    for (auto* wall : { leftWall, rightWall })
    {
        if (wall == nullptr)
            continue;

        if (auto* fixture = wall->GetFixtureList())
        {
            if (fixture->IsSensor() != sensor)
            {
                fixture->SetSensor (sensor);
                wall->SetAwake (true);
            }
        }
    }
}

void PhysicsWorld::setGravity (float value)
{
    if (world != nullptr)
        world->SetGravity (b2Vec2 (0.0f, -value));
}

void PhysicsWorld::setRestitution (double restitution)
{
    if (world == nullptr)
        return;

    for (auto* body = world->GetBodyList(); body != nullptr; body = body->GetNext())
        if (body->GetType() == b2_dynamicBody)
            for (auto* fixture = body->GetFixtureList(); fixture != nullptr; fixture = fixture->GetNext())
                fixture->SetRestitution ((float) restitution);
}

void PhysicsWorld::setCollisionMasks (bool enabled, uint16_t wallBits, uint16_t ballBits)
{
    if (world == nullptr)
        return;

    const auto mask = (juce::uint16) (enabled ? (wallBits | ballBits) : wallBits);

    for (auto* body = world->GetBodyList(); body != nullptr; body = body->GetNext())
    {
        if (body->GetType() != b2_dynamicBody || getBallData (body) == nullptr)
            continue;

        for (auto* fixture = body->GetFixtureList(); fixture != nullptr; fixture = fixture->GetNext())
        {
            auto filter = fixture->GetFilterData();
            filter.maskBits = mask;
            fixture->SetFilterData (filter);
        }
    }
}

void PhysicsWorld::prepareForDestruction()
{
    // Box2D 2.3 removes only the first entry of a proxy from its move buffer
    // when the proxy is destroyed. A ball created and then refiltered (when it
    // starts colliding with balls) before the next step is in that buffer
    // twice; destroying it would leave a dangling entry for the next step.
    // Committing the pending moves empties the buffer; the pairs it finds are
    // the ones the next step would find anyway.
    if (world != nullptr)
        const_cast<b2ContactManager&> (world->GetContactManager()).FindNewContacts();
}

void PhysicsWorld::destroyBody (b2Body* body)
{
    if (world != nullptr && body != nullptr)
        world->DestroyBody (body);
}

void PhysicsWorld::warmUp (int numBalls)
{
    if (world == nullptr || numBalls <= 0)
        return;

    auto* listener = &contactListener;
    world->SetContactListener (nullptr);

    // Balls packed in a grid that all touch their neighbours and the walls
    // create as many proxies, pairs and contacts as a busy funnel would.
    std::vector<b2Body*> bodies;
    bodies.reserve ((size_t) numBalls);

    const int perRow = 12;
    for (int i = 0; i < numBalls; ++i)
    {
        b2BodyDef bodyDef;
        bodyDef.type = b2_dynamicBody;
        bodyDef.position.Set (funnelCentreX - 1.5f + (float) (i % perRow) * 0.25f,
                              funnelBottomY + 0.5f + (float) (i / perRow) * 0.25f);
        auto* body = world->CreateBody (&bodyDef);

        b2CircleShape circle;
        circle.m_radius = ballRadius;
        b2FixtureDef fixtureDef;
        fixtureDef.shape = &circle;
        fixtureDef.density = 1.0f;
        fixtureDef.filter.categoryBits = 0x0002;
        fixtureDef.filter.maskBits = 0x0003;
        body->CreateFixture (&fixtureDef);
        bodies.push_back (body);
    }

    for (int i = 0; i < 4; ++i)
        world->Step ((float) stepSeconds, velocityIterations, positionIterations);

    for (auto* body : bodies)
        world->DestroyBody (body);

    world->SetContactListener (listener);
}
