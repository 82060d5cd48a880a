#include "PluginEditor.h"

CaromelAudioProcessorEditor::CaromelAudioProcessorEditor (CaromelAudioProcessor& p)
    : juce::AudioProcessorEditor (p), processor (p)
{
    setSize (800, 600);
    startTimer (16);
}

CaromelAudioProcessorEditor::~CaromelAudioProcessorEditor()
{
    stopTimer();
}

void CaromelAudioProcessorEditor::timerCallback()
{
    {
        const juce::SpinLock::ScopedLockType lock (processor.snapshotLock);
        snapshotCopy = processor.ballSnapshots;
    }
    repaint();
}

void CaromelAudioProcessorEditor::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colours::black);

    const auto area = getLocalBounds().withTrimmedTop (160).toFloat();
    auto toScreen = [area] (float x, float y)
    {
        const float sx = area.getX() + (x - PhysicsWorld::viewLeft) / (PhysicsWorld::viewRight - PhysicsWorld::viewLeft) * area.getWidth();
        const float sy = area.getBottom() - (y - PhysicsWorld::viewBottom) / (PhysicsWorld::viewTop - PhysicsWorld::viewBottom) * area.getHeight();
        return juce::Point<float> (sx, sy);
    };

    g.setColour (processor.uiColour);
    const auto& w = processor.physics;
    g.drawLine ({ toScreen (w.bottomLeftX, PhysicsWorld::funnelBottomY), toScreen (w.topLeftX, PhysicsWorld::funnelTopY) }, 2.0f);
    g.drawLine ({ toScreen (w.bottomRightX, PhysicsWorld::funnelBottomY), toScreen (w.topRightX, PhysicsWorld::funnelTopY) }, 2.0f);

    for (const auto& ball : snapshotCopy)
    {
        const auto centre = toScreen (ball.x, ball.y);
        const float r = ball.radius / (PhysicsWorld::viewRight - PhysicsWorld::viewLeft) * area.getWidth();
        g.fillEllipse (centre.x - r, centre.y - r, 2 * r, 2 * r);
    }
}

void CaromelAudioProcessorEditor::resized() {}
