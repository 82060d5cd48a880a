#include "EditorTestFixture.h"
#include "editor/PhysicsView.h"
#include "support/SyntheticMouse.h"

namespace
{
    class PhysicsViewTest : public rebondo::test::EditorFixture
    {
    protected:
        void SetUp() override
        {
            prepare(); // default widths: 5.0 at the top, 1.2 at the bottom
            createEditor();
        }

        void press (juce::Point<float> p)   { editor->mouseDown (rebondo::test::mouseEventAt (*editor, p)); }
        void drag (juce::Point<float> p)    { editor->mouseDrag (rebondo::test::mouseEventAt (*editor, p)); }
        void release (juce::Point<float> p) { editor->mouseUp (rebondo::test::mouseEventAt (*editor, p)); }

        juce::Image paintEditor()
        {
            juce::Image image (juce::Image::ARGB, 800, 600, true);
            juce::Graphics g (image);
            editor->paint (g);
            return image;
        }

        void addBall (float x, float y, int lastNote, float velocity, bool lastBounce = false)
        {
            BallSnapshot ball;
            ball.x = x;
            ball.y = y;
            ball.radius = PhysicsWorld::ballRadius;
            ball.data.lastNote = lastNote;
            ball.data.noteVelocity = velocity;
            ball.data.lastBounce = lastBounce;
            const juce::SpinLock::ScopedLockType lock (processor.snapshotLock);
            processor.ballSnapshots.push_back (ball);
        }

        // The worked example's screen points at 800 x 600.
        const juce::Point<float> topLeft { 161.9f, 212.8f }, topRight { 638.1f, 212.8f },
                                 bottomLeft { 342.9f, 564.8f }, bottomRight { 457.1f, 564.8f },
                                 launchHandle { 137.6f, 230.4f };
    };

    void expectPointNear (juce::Point<float> actual, juce::Point<float> expected, const char* what)
    {
        EXPECT_NEAR (actual.x, expected.x, 0.06f) << what;
        EXPECT_NEAR (actual.y, expected.y, 0.06f) << what;
    }

    void expectColourNear (juce::Colour actual, juce::Colour expected, int tolerance, const std::string& what)
    {
        EXPECT_NEAR (actual.getRed(), expected.getRed(), tolerance) << what;
        EXPECT_NEAR (actual.getGreen(), expected.getGreen(), tolerance) << what;
        EXPECT_NEAR (actual.getBlue(), expected.getBlue(), tolerance) << what;
    }
}

TEST_F (PhysicsViewTest, WorkedExampleScreenPoints)
{
    const PhysicsViewMapping mapping { 800.0f, 600.0f };
    const auto& w = processor.physics;
    ASSERT_FLOAT_EQ (w.topLeftX.load(), 0.7f);
    ASSERT_FLOAT_EQ (w.bottomRightX.load(), 3.8f);

    expectPointNear (mapping.toScreen (w.topLeftX, PhysicsWorld::funnelTopY), topLeft, "top left");
    expectPointNear (mapping.toScreen (w.topRightX, PhysicsWorld::funnelTopY), topRight, "top right");
    expectPointNear (mapping.toScreen (w.bottomLeftX, PhysicsWorld::funnelBottomY), bottomLeft, "bottom left");
    expectPointNear (mapping.toScreen (w.bottomRightX, PhysicsWorld::funnelBottomY), bottomRight, "bottom right");
    EXPECT_NEAR (mapping.toScreenRadius (PhysicsWorld::ballRadius), 14.3f, 0.05f);

    EXPECT_NEAR (processor.getLaunchHandleX(), 0.445f, 1.0e-4f);
    expectPointNear (mapping.toScreen (0.445f, 10.0f), launchHandle, "launch handle");

    // The inverse, clamped to the view above and below.
    EXPECT_NEAR (mapping.worldXFromScreen (topRight.x), w.topRightX.load(), 1.0e-3f);
    EXPECT_NEAR (mapping.worldYFromScreen (topRight.y), PhysicsWorld::funnelTopY, 1.0e-3f);
    EXPECT_FLOAT_EQ (mapping.worldYFromScreen (0.0f), PhysicsWorld::viewTop);
    EXPECT_FLOAT_EQ (mapping.worldYFromScreen (900.0f), PhysicsWorld::viewBottom);
    EXPECT_FLOAT_EQ ((PhysicsViewMapping { 800.0f, 150.0f }.worldYFromScreen (100.0f)), PhysicsWorld::viewBottom);
}

TEST (PhysicsViewColoursTest, PitchClassColoursAndVelocityOpacity)
{
    const std::pair<int, juce::uint32> colours[] = {
        { 0, 0xffff7777 }, { 1, 0xffffa366 }, { 4, 0xffb3f56c }, { 7, 0xff77dede }, { 11, 0xffff77ce },
        { 60, 0xffff7777 }, { 127, 0xff77dede }, { -12, 0xffff7777 }, { -1, 0xffffffff }, { -7, 0xffffffff }
    };
    for (const auto& [note, argb] : colours)
        EXPECT_EQ (PhysicsView::colourForNote (note).getARGB(), argb) << "note " << note;

    const std::pair<float, float> opacities[] = {
        { 0.0f, 0.18f }, { -3.0f, 0.18f }, { 31.75f, 0.5f }, { 127.0f, 1.0f }, { 500.0f, 1.0f }, { 1.0f, 0.18f }
    };
    for (const auto& [velocity, opacity] : opacities)
        EXPECT_NEAR (PhysicsView::opacityForVelocity (velocity), opacity, 1.0e-5f) << "velocity " << velocity;
}

TEST_F (PhysicsViewTest, PaintsWallsHandlesAndBallsInTheirColours)
{
    editor->accentColour = juce::Colour (0xffd02090);
    addBall (3.2f, 6.0f, 0, 31.75f);          // half opacity, C
    addBall (1.0f, 3.0f, 62, 127.0f);         // opaque, D
    addBall (5.0f, 3.0f, 64, 127.0f, true);   // last bounce: not drawn

    auto image = paintEditor();
    const PhysicsViewMapping mapping { 800.0f, 600.0f };

    // Walls: the middle of each line, in the accent itself.
    const auto leftMiddle = (topLeft + bottomLeft) * 0.5f;
    const auto rightMiddle = (topRight + bottomRight) * 0.5f;
    EXPECT_EQ (image.getPixelAt ((int) leftMiddle.x, (int) leftMiddle.y).getARGB(), editor->accentColour.getARGB());
    EXPECT_EQ (image.getPixelAt ((int) rightMiddle.x, (int) rightMiddle.y).getARGB(), editor->accentColour.getARGB());

    // A handle, beside the line: the accent at alpha 0x66 over black.
    const auto handlePixel = image.getPixelAt ((int) bottomRight.x + 10, (int) bottomRight.y);
    expectColourNear (handlePixel, juce::Colours::black.overlaidWith (editor->accentColour.withAlpha ((juce::uint8) 0x66)), 1, "handle");

    // Launch handle: ghost white at alpha 0x66, a triangle pointing right.
    expectColourNear (image.getPixelAt ((int) launchHandle.x - 3, (int) launchHandle.y),
                      juce::Colours::black.overlaidWith (juce::Colours::ghostwhite.withAlpha ((juce::uint8) 0x66)), 1, "launch handle");
    EXPECT_EQ (image.getPixelAt ((int) launchHandle.x + 6, (int) launchHandle.y - 8), juce::Colours::black);

    // Balls at their opacities.
    const auto c = mapping.toScreen (3.2f, 6.0f);
    expectColourNear (image.getPixelAt ((int) c.x, (int) c.y),
                      juce::Colours::black.overlaidWith (juce::Colour (0xffff7777).withAlpha (0.5f)), 1, "half-opacity ball");
    const auto d = mapping.toScreen (1.0f, 3.0f);
    EXPECT_EQ (image.getPixelAt ((int) d.x, (int) d.y).getARGB(), 0xffffce77u);
    const auto gone = mapping.toScreen (5.0f, 3.0f);
    EXPECT_EQ (image.getPixelAt ((int) gone.x, (int) gone.y), juce::Colours::black);

    // The area above the view stays black.
    EXPECT_EQ (image.getPixelAt (400, 100), juce::Colours::black);
}

TEST_F (PhysicsViewTest, PanicHidesWallsAndHandlesButNotTheLaunchHandle)
{
    const auto accent = editor->accentColour;
    const auto handle = juce::Colours::black.overlaidWith (accent.withAlpha ((juce::uint8) 0x66));
    const auto close = [] (juce::Colour a, juce::Colour b)
    {
        return std::abs (a.getRed() - b.getRed()) <= 2 && std::abs (a.getGreen() - b.getGreen()) <= 2
            && std::abs (a.getBlue() - b.getBlue()) <= 2;
    };
    const auto countWallPixels = [&] (const juce::Image& image)
    {
        int count = 0;
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x)
                if (const auto p = image.getPixelAt (x, y); close (p, accent) || close (p, handle))
                    ++count;
        return count;
    };

    // Two 4-pixel lines about 390 pixels long, and four handles.
    EXPECT_GT (countWallPixels (paintEditor()), 2 * 4 * 350);

    processor.updatePanicMode (true);
    const auto image = paintEditor();
    EXPECT_EQ (countWallPixels (image), 0);
    EXPECT_NE (image.getPixelAt ((int) launchHandle.x - 3, (int) launchHandle.y), juce::Colours::black);
}

TEST_F (PhysicsViewTest, LaunchHandleDragClampsLaunchPosition)
{
    struct Case { float mouseY; float expected; };
    const Case cases[] = {
        { 0.0f, 0.02f },                         // far above the funnel
        { 599.0f, 0.98f },                       // far below it
        { 212.8f + 0.5f * 352.0f, 0.5f },        // half way down the funnel
    };

    for (const auto& c : cases)
    {
        press (launchHandle + juce::Point<float> (20.0f, 0.0f)); // within 28.8 pixels
        drag ({ 300.0f, c.mouseY });
        EXPECT_NEAR (parameterValue (ParameterIDs::launchPos), c.expected, 1.0e-3f) << "mouse y " << c.mouseY;
        release ({ 300.0f, c.mouseY });

        // Put the handle back where the next press expects it.
        setParameter (ParameterIDs::launchPos, 0.05f);
    }

    // Widths are untouched by a launch drag.
    EXPECT_FLOAT_EQ (processor.topWidth.load(), 5.0f);
}

TEST_F (PhysicsViewTest, TopEndDragsClampTheTopWidth)
{
    struct Case { juce::Point<float> start; float mouseX; float expectedTop; };
    const Case cases[] = {
        { topRight, 100.0f, 0.5f },          // across the axis
        { topRight, 799.0f, 7.2f },          // past the widest funnel
        { topRight, 590.48f, 4.0f },         // world x 5.2: w = 2 x (5.2 - 3.2)
        { topLeft, 733.33f, 0.5f },          // the left end dragged to the right
        { topLeft, 161.9f - 47.62f, 6.0f },  // world x 0.2: w = 2 x (3.2 - 0.2)
    };

    for (const auto& c : cases)
    {
        processor.topWidth = 5.0f;
        processor.funnelGeometryDirty = false;
        press (c.start);
        drag ({ c.mouseX, 300.0f });
        EXPECT_NEAR (processor.topWidth.load(), c.expectedTop, 1.0e-2f) << "mouse x " << c.mouseX;
        EXPECT_FLOAT_EQ (processor.bottomWidth.load(), 1.2f);
        EXPECT_TRUE (processor.funnelGeometryDirty.load());
        release ({ c.mouseX, 300.0f });
        EXPECT_NEAR (parameterValue (ParameterIDs::topWidth), c.expectedTop, 1.0e-2f);
    }
}

TEST_F (PhysicsViewTest, BottomEndDragKeepsTheWidthDifference)
{
    struct Case { juce::Point<float> start; float mouseX; float expectedBottom; float expectedTop; };
    const Case cases[] = {
        { bottomRight, 799.0f, 3.4f, 7.2f },  // stops when the top reaches 7.2
        { bottomRight, 300.0f, 0.5f, 4.3f },  // stops when the bottom reaches 0.5
        { bottomLeft, 342.9f - 47.62f, 2.2f, 6.0f }, // world x 2.1: bottom 2 x 1.1
    };

    for (const auto& c : cases)
    {
        processor.topWidth = 5.0f;
        processor.bottomWidth = 1.2f;
        press (c.start);
        drag ({ c.mouseX, 560.0f });
        EXPECT_NEAR (processor.bottomWidth.load(), c.expectedBottom, 1.0e-2f) << "mouse x " << c.mouseX;
        EXPECT_NEAR (processor.topWidth.load(), c.expectedTop, 1.0e-2f) << "mouse x " << c.mouseX;
        // The parameters wait for the release.
        EXPECT_FLOAT_EQ (parameterValue (ParameterIDs::bottomWidth), 1.2f);
        release ({ c.mouseX, 560.0f });
        EXPECT_NEAR (parameterValue (ParameterIDs::bottomWidth), c.expectedBottom, 1.0e-2f);
        EXPECT_NEAR (parameterValue (ParameterIDs::topWidth), c.expectedTop, 1.0e-2f);
        setParameter (ParameterIDs::topWidth, 5.0f);
        setParameter (ParameterIDs::bottomWidth, 1.2f);
    }
}

TEST_F (PhysicsViewTest, ClickOnTheBackgroundStillStoresTheWidths)
{
    processor.topWidth = 3.3f;
    processor.bottomWidth = 0.9f;

    press ({ 400.0f, 400.0f });
    drag ({ 450.0f, 420.0f }); // nothing picked: nothing moves
    EXPECT_FLOAT_EQ (processor.topWidth.load(), 3.3f);
    EXPECT_NEAR (parameterValue (ParameterIDs::launchPos), 0.05f, 1.0e-6f);
    release ({ 450.0f, 420.0f });

    EXPECT_NEAR (parameterValue (ParameterIDs::topWidth), 3.3f, 1.0e-4f);
    EXPECT_NEAR (parameterValue (ParameterIDs::bottomWidth), 0.9f, 1.0e-4f);
}

TEST_F (PhysicsViewTest, WallEndsStayDraggableInPanicAndLaunchHandleWinsOverThem)
{
    processor.updatePanicMode (true);
    press (topRight);
    drag ({ 799.0f, 300.0f });
    EXPECT_NEAR (processor.topWidth.load(), 7.2f, 1.0e-4f);
    release ({ 799.0f, 300.0f });

    // A drag ends on release: later drags move nothing.
    drag ({ 100.0f, 300.0f });
    EXPECT_NEAR (processor.topWidth.load(), 7.2f, 1.0e-4f);

    // A press within reach of both the launch handle and the top-left end moves the handle only.
    processor.updatePanicMode (false);
    setParameter (ParameterIDs::topWidth, 5.0f);
    juce::AudioBuffer<float> audio (2, 512);
    juce::MidiBuffer midi;
    processor.processBlock (audio, midi); // rebuild the walls
    const juce::Point<float> between { 150.0f, 222.0f };
    ASSERT_LT (between.getDistanceFrom (topLeft), 16.0f);
    ASSERT_LT (between.getDistanceFrom (launchHandle), 28.8f);
    press (between);
    drag ({ 700.0f, 599.0f });
    EXPECT_NEAR (parameterValue (ParameterIDs::launchPos), 0.98f, 1.0e-4f);
    EXPECT_NEAR (processor.topWidth.load(), 5.0f, 1.0e-3f);
}
