#pragma once

#include "engine/PluginProcessor.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <string>
#include <vector>

// Reaches the processor's private block steps from tests.
class BlockProcessorTestAccess
{
public:
    static double sampleRate (const CaromelAudioProcessor& p) { return p.currentSampleRate; }
};

namespace rebondo::test
{
    // One output message with its block and position.
    struct OutputEvent
    {
        int block = 0;
        int position = 0;
        juce::int64 time = 0; // absolute sample time
        juce::MidiMessage message;

        bool isNoteOn() const { return message.isNoteOn(); }
        bool isNoteOff() const { return message.isNoteOff (true); }
        int channel() const { return message.getChannel(); }
        int note() const { return message.getNoteNumber(); }
    };

    // Drives a processor the way a host does: blocks of audio with MIDI in,
    // collecting everything that comes out.
    class ProcessorHarness
    {
    public:
        explicit ProcessorHarness (double sampleRate = 48000.0, int blockSize = 512);

        CaromelAudioProcessor processor;

        void prepare();
        void prepare (double sampleRate, int blockSize);

        // Runs one block; input events are (position, message) pairs.
        std::vector<OutputEvent> run (const std::vector<std::pair<int, juce::MidiMessage>>& input = {}, int numSamples = -1);
        std::vector<OutputEvent> runBlocks (int count);
        // Runs blocks until no ball is left, at most maxBlocks; returns what came out.
        std::vector<OutputEvent> runUntilEmpty (int maxBlocks = 20000);

        void setParameter (const char* id, float realValue);

        // Every ball flagged as bounced, then one block.
        std::vector<OutputEvent> forceBounce();

        // A world where balls hang still where they are launched, so that
        // bounces happen only when a test forces them.
        void freezeBallsInPlace();

        int numBalls() const { return (int) processor.balls.size(); }
        BallUserData& ball (size_t index = 0) { return *processor.balls.at (index); }

        std::vector<OutputEvent> everything;
        int blockSize;
        double sampleRate;
        juce::int64 clock = 0;
        int blockIndex = 0;

    private:
        juce::AudioBuffer<float> audio;
        juce::MidiBuffer midi;
    };

    std::vector<OutputEvent> noteOns (const std::vector<OutputEvent>&);
    std::vector<OutputEvent> noteOffs (const std::vector<OutputEvent>&);
    std::string describe (const std::vector<OutputEvent>&);

    // Every note-on is followed, at the same or a later time, by a note-off of
    // the same channel and key; returns a description of the first violation.
    std::string findHangingNote (const std::vector<OutputEvent>&);
}
