#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// One note a ball has started.
struct BallNote
{
    uint64_t id = 0;
    int32_t channel = -1;
    int32_t note = -1;
    bool active = false;       // the note has not been stopped
    bool offScheduled = false; // a PendingNoteOff exists for it
};

// The state of one ball, attached to its Box2D body as user data.
struct BallUserData
{
    static constexpr int maxRecordedNotes = 128;

    bool keyHeld = false;
    int32_t heldSamples = 0;
    int32_t releaseSamples = -1;
    int32_t inputChannel = 0;
    int32_t inputNote = 0;
    uint64_t ballId = 0;
    uint64_t currentNoteId = 0;
    int32_t currentChannel = 0;
    int32_t currentNote = 0;
    bool noteSounding = false;
    std::array<BallNote, maxRecordedNotes> notes {};
    int32_t noteCount = 0;
    int32_t bounceCount = 0;
    float noteVelocity = 100.0f;
    bool dying = false;
    bool bounced = false;
    int32_t ballCollisionsActive = 0;
    bool lastBounce = false;
    int32_t lastNote = 0;
    int32_t baseNote = 0;

    // Notes are recorded in the order they start, and ids only grow, so the
    // recorded notes are sorted by id.
    BallNote* findNote (uint64_t id) noexcept
    {
        int lo = 0, hi = noteCount;
        while (lo < hi)
        {
            const int mid = (lo + hi) / 2;
            if (notes[(std::size_t) mid].id < id)
                lo = mid + 1;
            else
                hi = mid;
        }
        return (lo < noteCount && notes[(std::size_t) lo].id == id) ? &notes[(std::size_t) lo] : nullptr;
    }

    void recordNote (const BallNote& n) noexcept
    {
        if (noteCount < maxRecordedNotes)
            notes[(std::size_t) noteCount++] = n;
    }
};

// What the editor draws for one ball body.
struct BallSnapshot
{
    float x = 0.0f, y = 0.0f;
    float radius = 0.0f;
    BallUserData data {};
};

// Fixed storage for ball records, allocated once before playback so that
// launching a ball does not touch the heap. Past its capacity it falls back
// to the heap, one record at a time.
class BallPool
{
public:
    BallPool() = default;
    BallPool (const BallPool&) = delete;
    BallPool& operator= (const BallPool&) = delete;

    // Allocates the storage the first time; later calls keep it.
    void reserve (std::size_t capacity);
    BallUserData* acquire();
    void release (BallUserData*) noexcept;
    std::size_t capacity() const noexcept { return storage.size(); }
    std::size_t available() const noexcept { return freeList.size(); }

private:
    bool owns (const BallUserData*) const noexcept;

    std::vector<BallUserData> storage;
    std::vector<BallUserData*> freeList;
};
