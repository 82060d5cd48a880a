#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <cstdint>
#include <vector>

// A note event queued during a block, written to the output at its end.
struct MidiEvent
{
    enum Type : int32_t { noteOn = 0, noteOff = 1 };

    int32_t type = noteOn;
    uint64_t id = 0;
    int32_t channel = 1;
    int32_t note = 0;
    uint8_t velocity = 0;
    int32_t sampleOffset = 0;
};

// A note-off due in a later block.
struct PendingNoteOff
{
    uint64_t id = 0;
    int32_t channel = 1;
    int32_t note = 0;
    int32_t samplesLeft = 0;
    bool cancelled = false;
};

// Which note id sounds on an output channel and key.
struct NoteSlot
{
    uint64_t id = 0;
    int32_t channel = -1;
    int32_t note = -1;
    bool active = false;
};

// Queues note events with ids and sample offsets, chooses output channels,
// counts down delayed note-offs and writes everything into a MidiBuffer.
// Audio thread only.
class NoteScheduler
{
public:
    NoteScheduler();

    void reserve (size_t events, size_t pending);

    void queueNoteOn (uint64_t id, int channel, int note, int velocity, int sampleOffset);
    void queueNoteOff (uint64_t id, int channel, int note, int sampleOffset);

    // The next allowed channel in rotation; advances the rotation.
    int chooseLaunchChannel (uint16_t mask) noexcept;
    // Keeps the ball's channel unless its note is already taken there.
    int chooseBounceChannel (int currentChannel, int note, uint16_t mask) const noexcept;

    void addPendingNoteOff (uint64_t id, int channel, int note, int samplesLeft);
    void cancelPendingNoteOffs (uint64_t id) noexcept;

    // Counts every pending note-off down by n samples; those that fall due are
    // queued at the block's last sample and reported to onFired(id).
    template <typename OnFired>
    void countDownPendingNoteOffs (int numSamples, OnFired&& onFired)
    {
        size_t kept = 0;
        for (size_t i = 0; i < pendingNoteOffs.size(); ++i)
        {
            auto entry = pendingNoteOffs[i];
            if (entry.cancelled)
                continue;

            entry.samplesLeft -= numSamples;
            if (entry.samplesLeft > 0)
            {
                pendingNoteOffs[kept++] = entry;
                continue;
            }

            queueNoteOff (entry.id, entry.channel, entry.note, numSamples > 1 ? numSamples - 1 : 0);
            onFired (entry.id);
        }
        pendingNoteOffs.resize (kept);
    }

    // Writes the queue into out and empties it. Every note-on is preceded by a
    // note-off of the same key one sample earlier; every position is kept
    // inside the block, and no note-off lands before the note-on it stops.
    void flush (juce::MidiBuffer& out, int numSamples);

    bool hasQueuedNoteOn (int channel, int note) const noexcept;
    bool hasQueuedNoteOff (uint64_t id) const noexcept;
    const NoteSlot& slot (int channel, int note) const noexcept { return soundingNotes[(size_t) channel][(size_t) note]; }

    std::vector<MidiEvent> midiEventQueue;
    std::vector<PendingNoteOff> pendingNoteOffs;
    std::array<std::array<NoteSlot, 128>, 17> soundingNotes {};
    int nextOutputChannel = 1;

private:
    static int clampPosition (int position, int numSamples) noexcept;
    int noteOnPositionInQueue (uint64_t id, size_t before, int numSamples) const noexcept;
};

namespace MidiBytes
{
    // Status byte for a channel: channels below 1 fold to 1 and above 16 to 16.
    uint8_t status (int base, int channel) noexcept;
}
