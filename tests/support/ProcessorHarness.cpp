#include "support/ProcessorHarness.h"

#include <map>

namespace rebondo::test
{
    ProcessorHarness::ProcessorHarness (double rate, int size) : blockSize (size), sampleRate (rate)
    {
        prepare();
    }

    void ProcessorHarness::prepare()
    {
        prepare (sampleRate, blockSize);
    }

    void ProcessorHarness::prepare (double rate, int size)
    {
        sampleRate = rate;
        blockSize = size;
        processor.setRateAndBufferSizeDetails (rate, size);
        processor.prepareToPlay (rate, size);
        audio.setSize (2, juce::jmax (size, 8192));
        midi.ensureSize (64 * 1024);
    }

    std::vector<OutputEvent> ProcessorHarness::run (const std::vector<std::pair<int, juce::MidiMessage>>& input, int numSamples)
    {
        const int n = numSamples < 0 ? blockSize : numSamples;
        if (audio.getNumSamples() < n)
            audio.setSize (2, n);

        juce::AudioBuffer<float> block (audio.getArrayOfWritePointers(), 2, n);
        midi.clear();
        for (const auto& [position, message] : input)
            midi.addEvent (message, position);

        processor.processBlock (block, midi);

        std::vector<OutputEvent> out;
        for (const auto metadata : midi)
            out.push_back ({ blockIndex, metadata.samplePosition, clock + metadata.samplePosition, metadata.getMessage() });

        everything.insert (everything.end(), out.begin(), out.end());
        clock += n;
        ++blockIndex;
        return out;
    }

    std::vector<OutputEvent> ProcessorHarness::runBlocks (int count)
    {
        std::vector<OutputEvent> out;
        for (int i = 0; i < count; ++i)
        {
            auto events = run();
            out.insert (out.end(), events.begin(), events.end());
        }
        return out;
    }

    std::vector<OutputEvent> ProcessorHarness::runUntilEmpty (int maxBlocks)
    {
        std::vector<OutputEvent> out;
        for (int i = 0; i < maxBlocks && (numBalls() > 0 || ! processor.scheduler.pendingNoteOffs.empty()); ++i)
        {
            auto events = run();
            out.insert (out.end(), events.begin(), events.end());
        }
        return out;
    }

    void ProcessorHarness::setParameter (const char* id, float realValue)
    {
        auto* parameter = processor.parameters.getParameter (id);
        jassert (parameter != nullptr);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (realValue));
    }

    std::vector<OutputEvent> ProcessorHarness::forceBounce()
    {
        for (auto* b : processor.balls)
            b->bounced = true;
        return run();
    }

    void ProcessorHarness::freezeBallsInPlace()
    {
        setParameter (ParameterIDs::gravity, 0.0f);
        setParameter (ParameterIDs::velocity, 0.0f);
        setParameter (ParameterIDs::dynamic, 0.0f);
        run(); // the world takes the new gravity at the start of a block
    }

    std::vector<OutputEvent> noteOns (const std::vector<OutputEvent>& events)
    {
        std::vector<OutputEvent> out;
        for (const auto& e : events)
            if (e.isNoteOn())
                out.push_back (e);
        return out;
    }

    std::vector<OutputEvent> noteOffs (const std::vector<OutputEvent>& events)
    {
        std::vector<OutputEvent> out;
        for (const auto& e : events)
            if (e.isNoteOff())
                out.push_back (e);
        return out;
    }

    std::string describe (const std::vector<OutputEvent>& events)
    {
        std::string s;
        for (const auto& e : events)
            s += "[" + std::to_string (e.block) + ":" + std::to_string (e.position) + "] "
               + e.message.getDescription().toStdString() + "\n";
        return s;
    }

    std::string findHangingNote (const std::vector<OutputEvent>& events)
    {
        // The last message for each channel and key must be a note-off.
        std::map<std::pair<int, int>, const OutputEvent*> last;
        for (const auto& e : events)
            if (e.isNoteOn() || e.isNoteOff())
                last[{ e.channel(), e.note() }] = &e;

        for (const auto& [key, e] : last)
            if (e->isNoteOn())
                return "channel " + std::to_string (key.first) + " note " + std::to_string (key.second)
                     + " left sounding at sample " + std::to_string (e->time);
        return {};
    }
}
