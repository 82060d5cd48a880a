#include "BallRecords.h"

#include <functional>

void BallPool::reserve (std::size_t capacity)
{
    if (! storage.empty() || capacity == 0)
        return;

    storage = std::vector<BallUserData> (capacity);
    freeList.reserve (capacity);
    for (std::size_t i = capacity; i-- > 0;)
        freeList.push_back (&storage[i]);
}

BallUserData* BallPool::acquire()
{
    if (freeList.empty())
        return new BallUserData();

    auto* record = freeList.back();
    freeList.pop_back();
    *record = BallUserData();
    return record;
}

bool BallPool::owns (const BallUserData* record) const noexcept
{
    if (storage.empty())
        return false;
    const std::less_equal<const BallUserData*> notAfter;
    return notAfter (storage.data(), record) && notAfter (record, &storage.back());
}

void BallPool::release (BallUserData* record) noexcept
{
    if (record == nullptr)
        return;

    if (owns (record))
        freeList.push_back (record);
    else
        delete record;
}
