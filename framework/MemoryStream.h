#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// A growable block of bytes with a read/write position.
class TMemoryStream {
public:
    size_t Size() const { return data_.size(); }
    size_t Position() const { return position_; }
    void Rewind() { position_ = 0; }
    void Clear()
    {
        data_.clear();
        position_ = 0;
    }

    void Write(const void* bytes, size_t count);
    void Write(std::string_view bytes) { Write(bytes.data(), bytes.size()); }

    const std::string& Bytes() const { return data_; }
    std::string_view View() const { return data_; }

private:
    std::string data_;
    size_t position_ = 0;
};
