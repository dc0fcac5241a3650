#pragma once
#include <utility>

// Move-only owner of one platform handle; Traits says what "none" is and how to close.
template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() = default;
    explicit UniqueHandle(Type handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        Reset(other.Release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { Reset(); }

    Type Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::None(); }

    Type Release() { return std::exchange(handle_, Traits::None()); }
    void Reset(Type handle = Traits::None())
    {
        if (handle_ != Traits::None())
            Traits::Close(handle_);
        handle_ = handle;
    }

private:
    Type handle_ = Traits::None();
};
