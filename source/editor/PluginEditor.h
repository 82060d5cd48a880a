#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "engine/PluginProcessor.h"

// The plug-in window.
class CaromelAudioProcessorEditor : public juce::AudioProcessorEditor,
                                    private juce::Timer
{
public:
    explicit CaromelAudioProcessorEditor (CaromelAudioProcessor&);
    ~CaromelAudioProcessorEditor() override;

    void paint (juce::Graphics&) override;
    void resized() override;

private:
    void timerCallback() override;

    CaromelAudioProcessor& processor;
    std::vector<BallSnapshot> snapshotCopy;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (CaromelAudioProcessorEditor)
};
