#pragma once
#include <unknwn.h>

#include <utility>

// Holds one reference of a COM object and releases it at the end.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    // Takes over a reference the caller already holds.
    explicit ComPtr(T* object) : object_(object) {}
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            Reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }

    T* Get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // The slot a creating call fills; what was held is released first.
    T** Put()
    {
        Reset();
        return &object_;
    }
    void Reset()
    {
        if (object_)
            std::exchange(object_, nullptr)->Release();
    }

private:
    T* object_ = nullptr;
};
