#pragma once

#include <atomic>
#include <cstdint>

// Changes the message thread asks of the live Box2D world. The message thread
// stores the new value (an engine setting or the gravity target) and raises a
// flag; the audio thread takes all flags at the start of the next block and
// applies the current values, so Box2D is only ever touched by one thread.
class WorldChanges
{
public:
    enum Kind : uint32_t
    {
        gravity     = 1u << 0,
        restitution = 1u << 1,
        collision   = 1u << 2,
        panic       = 1u << 3,
        all         = gravity | restitution | collision | panic
    };

    void request (Kind kind) noexcept { pending.fetch_or (kind, std::memory_order_acq_rel); }
    uint32_t take() noexcept { return pending.exchange (0, std::memory_order_acq_rel); }
    bool isPending (Kind kind) const noexcept { return (pending.load (std::memory_order_acquire) & kind) != 0; }

    void setGravityTarget (float value) noexcept { gravityTarget.store (value); request (gravity); }
    float getGravityTarget() const noexcept { return gravityTarget.load(); }

private:
    std::atomic<uint32_t> pending { 0 };
    std::atomic<float> gravityTarget { 9.81f };
};
