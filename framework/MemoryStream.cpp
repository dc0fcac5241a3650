#include "MemoryStream.h"

#include <algorithm>
#include <cstring>

void TMemoryStream::Write(const void* bytes, size_t count)
{
    if (position_ + count > data_.size())
        data_.resize(position_ + count);
    std::memcpy(data_.data() + position_, bytes, count);
    position_ += count;
}

size_t TMemoryStream::Read(void* bytes, size_t count)
{
    size_t available = std::min(count, data_.size() - position_);
    std::memcpy(bytes, data_.data() + position_, available);
    position_ += available;
    return available;
}
