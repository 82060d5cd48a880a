#include "NoteScheduler.h"

namespace MidiBytes
{
    uint8_t status (int base, int channel) noexcept
    {
        if (channel < 1)
            return (uint8_t) base;
        if (channel > 16)
            return (uint8_t) (base + 15);
        return (uint8_t) (base + channel - 1);
    }
}

NoteScheduler::NoteScheduler()
{
    for (auto& channelSlots : soundingNotes)
        channelSlots.fill (NoteSlot {});
}

void NoteScheduler::reserve (size_t events, size_t pending)
{
    midiEventQueue.reserve (events);
    pendingNoteOffs.reserve (pending);
}

void NoteScheduler::queueNoteOn (uint64_t id, int channel, int note, int velocity, int sampleOffset)
{
    midiEventQueue.push_back ({ MidiEvent::noteOn, id, channel, note, (uint8_t) juce::jlimit (0, 255, velocity), sampleOffset });
}

void NoteScheduler::queueNoteOff (uint64_t id, int channel, int note, int sampleOffset)
{
    midiEventQueue.push_back ({ MidiEvent::noteOff, id, channel, note, 0, sampleOffset });
}

int NoteScheduler::chooseLaunchChannel (uint16_t mask) noexcept
{
    const uint16_t m = mask == 0 ? 0xFFFF : mask;
    int channel = juce::jlimit (1, 16, nextOutputChannel);

    for (int tried = 0; tried < 16; ++tried)
    {
        if ((m & (1u << (channel - 1))) != 0)
            break;
        channel = channel == 16 ? 1 : channel + 1;
    }

    nextOutputChannel = channel == 16 ? 1 : channel + 1;
    return channel;
}

bool NoteScheduler::hasQueuedNoteOn (int channel, int note) const noexcept
{
    for (const auto& e : midiEventQueue)
        if (e.type == MidiEvent::noteOn && e.channel == channel && e.note == note)
            return true;
    return false;
}

bool NoteScheduler::hasQueuedNoteOff (uint64_t id) const noexcept
{
    for (const auto& e : midiEventQueue)
        if (e.type == MidiEvent::noteOff && e.id == id)
            return true;
    return false;
}

int NoteScheduler::chooseBounceChannel (int currentChannel, int note, uint16_t mask) const noexcept
{
    auto isFree = [&] (int channel)
    {
        return (mask & (1u << (channel - 1))) != 0
            && ! soundingNotes[(size_t) channel][(size_t) (note & 0x7F)].active
            && ! hasQueuedNoteOn (channel, note);
    };

    if (currentChannel >= 1 && currentChannel <= 16 && isFree (currentChannel))
        return currentChannel;

    for (int channel = 1; channel <= 16; ++channel)
        if (isFree (channel))
            return channel;

    return currentChannel;
}

void NoteScheduler::addPendingNoteOff (uint64_t id, int channel, int note, int samplesLeft)
{
    pendingNoteOffs.push_back ({ id, channel, note, samplesLeft, false });
}

void NoteScheduler::cancelPendingNoteOffs (uint64_t id) noexcept
{
    for (auto& entry : pendingNoteOffs)
        if (entry.id == id)
            entry.cancelled = true;
}

int NoteScheduler::clampPosition (int position, int numSamples) noexcept
{
    return juce::jlimit (0, juce::jmax (0, numSamples - 1), position);
}

int NoteScheduler::noteOnPositionInQueue (uint64_t id, size_t before, int numSamples) const noexcept
{
    for (size_t i = before; i-- > 0;)
    {
        const auto& e = midiEventQueue[i];
        if (e.type == MidiEvent::noteOn && e.id == id)
            return clampPosition (e.sampleOffset, numSamples);
    }
    return -1;
}

void NoteScheduler::flush (juce::MidiBuffer& out, int numSamples)
{
    for (size_t i = 0; i < midiEventQueue.size(); ++i)
    {
        const auto& e = midiEventQueue[i];
        const auto key = (uint8_t) (e.note & 0x7F);
        int position = clampPosition (e.sampleOffset, numSamples);
        const bool slotInRange = e.channel >= 0 && e.channel <= 16 && e.note >= 0 && e.note <= 127;

        if (e.type == MidiEvent::noteOff)
        {
            // A note started in this block is never stopped before it starts.
            position = juce::jmax (position, noteOnPositionInQueue (e.id, i, numSamples));

            const uint8_t bytes[] = { MidiBytes::status (0x80, e.channel), key, 0 };
            out.addEvent (bytes, 3, position);

            if (slotInRange)
            {
                auto& s = soundingNotes[(size_t) e.channel][(size_t) e.note];
                if (s.active && s.id == e.id)
                    s = NoteSlot {};
            }
            continue;
        }

        const uint8_t off[] = { MidiBytes::status (0x80, e.channel), key, 0 };
        out.addEvent (off, 3, position <= 1 ? 0 : position - 1);

        if (slotInRange)
            soundingNotes[(size_t) e.channel][(size_t) e.note] = { e.id, e.channel, e.note, true };

        const uint8_t on[] = { MidiBytes::status (0x90, e.channel), key, (uint8_t) juce::jmin<int> (e.velocity, 127) };
        out.addEvent (on, 3, position);
    }

    midiEventQueue.clear();
}
