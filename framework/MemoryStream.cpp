#include "MemoryStream.h"

#include <cstring>

void TMemoryStream::Write(const void* bytes, size_t count)
{
    if (position_ + count > data_.size())
        data_.resize(position_ + count);
    std::memcpy(data_.data() + position_, bytes, count);
    position_ += count;
}
