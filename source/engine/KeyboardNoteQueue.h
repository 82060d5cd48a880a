#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

// Short MIDI messages (at most three bytes) handed from one producer thread
// (the message thread) to one consumer thread (the audio thread). Fixed
// storage, no locks, no allocation on either side.
class KeyboardNoteQueue
{
public:
    // A power of two, so that the free-running indices wrap cleanly.
    static constexpr size_t capacity = 256;
    static_assert ((capacity & (capacity - 1)) == 0, "capacity must be a power of two");

    struct Message
    {
        std::array<uint8_t, 3> bytes {};
        uint8_t size = 0;
    };

    // Producer only. Returns false, keeping nothing, when the message is
    // empty, longer than three bytes, or the queue is full (the consumer has
    // not run for a while, e.g. no audio is playing).
    bool push (const uint8_t* data, int numBytes) noexcept
    {
        if (data == nullptr || numBytes <= 0 || numBytes > 3)
            return false;

        const size_t write = writeIndex.load (std::memory_order_relaxed);
        if (write - readIndex.load (std::memory_order_acquire) >= capacity)
            return false;

        auto& slot = slots[write & (capacity - 1)];
        for (size_t i = 0; i < (size_t) numBytes; ++i)
            slot.bytes[i] = data[i];
        slot.size = (uint8_t) numBytes;

        writeIndex.store (write + 1, std::memory_order_release);
        return true;
    }

    // Consumer only: hands every message queued so far to fn (const Message&)
    // in order and returns how many there were.
    template <typename Fn>
    int drain (Fn&& fn) noexcept
    {
        size_t read = readIndex.load (std::memory_order_relaxed);
        const size_t write = writeIndex.load (std::memory_order_acquire);
        int count = 0;

        for (; read != write; ++read, ++count)
            fn (static_cast<const Message&> (slots[read & (capacity - 1)]));

        readIndex.store (read, std::memory_order_release);
        return count;
    }

    // Either side: an estimate while the other side runs.
    size_t size() const noexcept
    {
        return writeIndex.load (std::memory_order_acquire) - readIndex.load (std::memory_order_acquire);
    }

private:
    std::array<Message, capacity> slots {};
    std::atomic<size_t> writeIndex { 0 };
    std::atomic<size_t> readIndex { 0 };
};
