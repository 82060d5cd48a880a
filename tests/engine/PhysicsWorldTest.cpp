#include "support/ProcessorHarness.h"

#include <gtest/gtest.h>

using rebondo::test::ProcessorHarness;

namespace
{
    TEST (PhysicsWorld, WallsRunFromTheFunnelBottomPastTheTopAtDefaultWidths)
    {
        PhysicsWorld world;
        world.create (-9.81f);
        world.updateFunnelGeometry (5.0f, 1.2f);

        EXPECT_FLOAT_EQ (world.topLeftX, 0.7f);
        EXPECT_FLOAT_EQ (world.bottomLeftX, 2.6f);
        EXPECT_FLOAT_EQ (world.topRightX, 5.7f);
        EXPECT_FLOAT_EQ (world.bottomRightX, 3.8f);

        for (auto [wall, bottomX, topX] : { std::tuple { world.leftWall, 2.6f, 0.605f }, std::tuple { world.rightWall, 3.8f, 5.795f } })
        {
            ASSERT_NE (wall, nullptr);
            auto* fixture = wall->GetFixtureList();
            auto* edge = static_cast<b2EdgeShape*> (fixture->GetShape());
            EXPECT_EQ (wall->GetType(), b2_staticBody);
            EXPECT_NEAR (edge->m_vertex1.x, bottomX, 1e-5);
            EXPECT_NEAR (edge->m_vertex1.y, 0.5f, 1e-6);
            EXPECT_NEAR (edge->m_vertex2.x, topX, 1e-4);
            EXPECT_NEAR (edge->m_vertex2.y, 11.0f, 1e-6);
            EXPECT_FLOAT_EQ (edge->m_radius, 0.01f);
            EXPECT_FLOAT_EQ (fixture->GetFriction(), 0.2f);
            EXPECT_FLOAT_EQ (fixture->GetRestitution(), 0.0f);
            EXPECT_FALSE (fixture->IsSensor());
            EXPECT_EQ (fixture->GetFilterData().categoryBits, 0x0001);
            EXPECT_EQ (fixture->GetFilterData().maskBits, 0xFFFF);
        }
    }

    TEST (PhysicsWorld, LaunchPointsFollowTheLeftWall)
    {
        PhysicsWorld world;
        world.create (-9.81f);
        world.updateFunnelGeometry (5.0f, 1.2f);

        const struct { float pos, wallX, y; } cases[] = { { 0.0f, 0.7f, 10.5f }, { 1.0f, 2.6f, 0.5f }, { 0.5f, 1.65f, 5.5f } };
        for (const auto& c : cases)
        {
            PhysicsWorld::LaunchSettings s;
            s.launchPos = c.pos;
            auto* ball = world.launchBall (s);
            EXPECT_NEAR (ball->GetPosition().x, c.wallX + 0.25f, 1e-5) << c.pos;
            EXPECT_NEAR (ball->GetPosition().y, c.y, 1e-5) << c.pos;
            EXPECT_NEAR (world.getLaunchHandleX (c.pos), c.wallX - 0.35f, 1e-5) << c.pos;

            auto* fixture = ball->GetFixtureList();
            EXPECT_EQ (fixture->GetFilterData().categoryBits, 0x0002);
            EXPECT_EQ (fixture->GetFilterData().maskBits, 0x0001);
            EXPECT_FLOAT_EQ (fixture->GetRestitution(), 0.7f);
            EXPECT_FLOAT_EQ (fixture->GetFriction(), 0.0f);
            EXPECT_FLOAT_EQ (fixture->GetShape()->m_radius, 0.15f);
            EXPECT_FLOAT_EQ (ball->GetAngularVelocity(), 0.0f);
        }
    }

    TEST (PhysicsWorld, LaunchStrengthFixedAndDynamic)
    {
        EXPECT_FLOAT_EQ (PhysicsWorld::launchStrengthFor (5, 100.0f, false), 100.0f * 3.0f / 128.0f);
        EXPECT_FLOAT_EQ (PhysicsWorld::launchStrengthFor (90, 127.0f, true), 90.0f);
        EXPECT_FLOAT_EQ (PhysicsWorld::launchStrengthFor (64, 0.0f, true), 0.5f);

        PhysicsWorld world;
        world.create (0.0f);
        world.updateFunnelGeometry (5.0f, 1.2f);
        PhysicsWorld::LaunchSettings s;
        s.velocity = 90;
        s.launchStrength = 127.0f;
        s.dynamicLaunch = true;
        auto* ball = world.launchBall (s);
        EXPECT_NEAR (ball->GetLinearVelocity().x * ball->GetMass(), 90.0f, 1e-3);
        EXPECT_FLOAT_EQ (ball->GetLinearVelocity().y, 0.0f);
    }

    TEST (PhysicsWorld, StepsPerBlockAndTheSixteenStepCap)
    {
        PhysicsWorld world;
        world.create (-9.81f);

        // 512 samples at 48 kHz are 1.28 steps: one or two steps per block.
        int total = 0;
        for (int block = 0; block < 300; ++block)
        {
            const int steps = world.advance (512, 48000.0, 1.0f);
            EXPECT_TRUE (steps == 1 || steps == 2) << steps;
            total += steps;
        }
        EXPECT_EQ (total, (int) (300 * 512 / 48000.0 * 120.0));

        world.simTimeAccumulator = 0.0;
        EXPECT_EQ (world.advance (8192, 48000.0, 2.0f), 16);
        EXPECT_LT (world.simTimeAccumulator, PhysicsWorld::stepSeconds);
        EXPECT_EQ (world.advance (512, 0.0, 1.0f), 0);
    }

    struct RemovalCase
    {
        const char* what;
        b2Vec2 position, velocity;
        float noteVelocity;
        bool sounding, asleep, removed;
    };

    TEST (PhysicsWorld, RemovalRules)
    {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        const float inf = std::numeric_limits<float>::infinity();
        const RemovalCase cases[] = {
            { "in flight",           { 3, 5 },    { 2, -1 },     50, true,  false, false },
            { "x not finite",        { nan, 5 },  { 2, -1 },     50, true,  false, true },
            { "vy infinite",         { 3, 5 },    { 2, inf },    50, true,  false, true },
            { "far right",           { 30.5f, 5 },{ 2, -1 },     50, true,  false, true },
            { "far up",              { 3, 60.5f },{ 2, -1 },     50, true,  false, true },
            { "fallen out",          { 3, -20.5f },{ 2, -1 },    50, true,  false, true },
            { "far left",            { -20.5f, 5 },{ 2, -1 },    50, true,  false, true },
            { "velocity decayed",    { 3, 5 },    { 2, -1 },     1.0f, true, false, true },
            { "velocity just above", { 3, 5 },    { 2, -1 },     1.2f, true, false, false },
            { "still and silent",    { 3, 5 },    { 0.05f, -1 }, 50, false, false, true },
            { "still but sounding",  { 3, 5 },    { 0.05f, -1 }, 50, true,  false, false },
            { "asleep and silent",   { 3, 5 },    { 0, 0 },      50, false, true,  true },
            { "moving and silent",   { 3, 5 },    { 0.5f, 0 },   50, false, false, false },
        };

        PhysicsWorld world;
        world.create (0.0f);
        for (const auto& c : cases)
        {
            auto* body = world.launchBall ({});
            body->SetTransform (c.position, 0.0f);
            body->SetLinearVelocity (c.velocity);
            if (c.asleep)
                body->SetAwake (false);

            BallUserData data;
            data.noteVelocity = c.noteVelocity;
            data.noteSounding = c.sounding;
            EXPECT_EQ (PhysicsWorld::shouldRemove (*body, data), c.removed) << c.what;
            world.destroyBody (body);
        }
    }

    TEST (PhysicsWorld, MaxWidthIsSevenPointTwo)
    {
        EXPECT_NEAR (PhysicsWorld::maxWidth(), 7.2f, 1e-5);
    }

    // Through the processor: panic and width changes reach the world at the next block.
    TEST (PhysicsWorldInProcessor, PanicLetsBallsFallThroughAndAWidthChangeRebuildsSolidWalls)
    {
        ProcessorHarness h;
        h.run ({ { 0, juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100) } });
        ASSERT_EQ (h.numBalls(), 1);

        h.setParameter (ParameterIDs::panic, 1.0f);
        h.run();
        EXPECT_TRUE (h.processor.physics.leftWall->GetFixtureList()->IsSensor());
        EXPECT_TRUE (h.processor.physics.rightWall->GetFixtureList()->IsSensor());

        // With sensor walls the ball falls out of the world without a bounce note.
        const auto out = h.runUntilEmpty (2000);
        EXPECT_EQ (h.numBalls(), 0);
        EXPECT_TRUE (rebondo::test::noteOns (out).empty()) << rebondo::test::describe (out);

        h.setParameter (ParameterIDs::topWidth, 4.0f);
        h.run();
        EXPECT_TRUE (h.processor.panicMode.load());
        EXPECT_FALSE (h.processor.physics.leftWall->GetFixtureList()->IsSensor());
        EXPECT_NEAR (h.processor.physics.topLeftX, 1.2f, 1e-5);
    }

    TEST (PhysicsWorldInProcessor, SecondPrepareKeepsBallsAndRebuildsWallsFromCurrentWidths)
    {
        ProcessorHarness h;
        h.run ({ { 0, juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100) } });
        h.processor.topWidth = 3.0f;
        h.prepare();
        EXPECT_EQ (h.numBalls(), 1);
        EXPECT_NEAR (h.processor.physics.topLeftX, 1.7f, 1e-5);
    }

    TEST (PhysicsWorldInProcessor, BallLaunchedIntoAnotherPassesThroughUntilClear)
    {
        ProcessorHarness h;
        h.setParameter (ParameterIDs::collision, 1.0f);
        h.freezeBallsInPlace();

        // Two balls at the same spot: neither may start colliding while they overlap.
        h.run ({ { 0, juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100) }, { 1, juce::MidiMessage::noteOn (1, 62, (juce::uint8) 100) } });
        h.runBlocks (5);
        ASSERT_EQ (h.numBalls(), 2);
        for (auto* ball : h.processor.balls)
            EXPECT_EQ (ball->ballCollisionsActive, 0);

        // Once one of them is moved clear, both start colliding with other balls.
        auto* body = h.processor.physics.getWorld()->GetBodyList();
        while (body->GetType() != b2_dynamicBody)
            body = body->GetNext();
        body->SetTransform (body->GetPosition() + b2Vec2 (1.0f, 0.0f), 0.0f);
        h.run();
        for (auto* ball : h.processor.balls)
            EXPECT_EQ (ball->ballCollisionsActive, 1);
        for (auto* b = h.processor.physics.getWorld()->GetBodyList(); b != nullptr; b = b->GetNext())
        {
            if (getBallData (b) != nullptr)
            {
                EXPECT_EQ (b->GetFixtureList()->GetFilterData().maskBits, 0x0003);
            }
        }
    }
}

namespace
{
    // A ball launched and switched to ball collisions before the world has
    // stepped, then destroyed, must leave nothing behind in the broad phase.
    TEST (PhysicsWorldInProcessor, BallDestroyedBeforeItsFirstStepLeavesNoDanglingProxy)
    {
        ProcessorHarness h (48000.0, 16);
        h.setParameter (ParameterIDs::collision, 1.0f);
        h.setParameter (ParameterIDs::mono, 1.0f);
        h.setParameter (ParameterIDs::time, 0.1f);
        h.run();

        h.run ({ { 0, juce::MidiMessage::noteOn (1, 60, (juce::uint8) 100) } });
        ASSERT_EQ (h.processor.balls.size(), 1u);
        EXPECT_EQ (h.processor.balls[0]->ballCollisionsActive, 1);
        h.run ({ { 0, juce::MidiMessage::noteOn (1, 62, (juce::uint8) 100) } }); // mono: the first ball goes

        h.setParameter (ParameterIDs::time, 1.0f);
        for (int i = 0; i < 200; ++i)
            h.run();
        EXPECT_EQ (h.processor.balls.size(), 1u);
    }
}
