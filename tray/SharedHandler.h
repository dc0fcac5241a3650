#pragma once
#include <memory>

// The one handler of its kind in the process: made by its first user, freed with its
// last. Handler counts its users in an unsigned RefCount.
template <typename Handler>
class SharedHandler {
public:
    static Handler* Get() { return Instance().get(); }

    static Handler& Acquire()
    {
        auto& handler = Instance();
        if (!handler)
            handler = std::make_unique<Handler>();
        ++handler->RefCount;
        return *handler;
    }

    static void Release()
    {
        auto& handler = Instance();
        if (!handler)
            return;
        if (handler->RefCount > 0)
            --handler->RefCount;
        if (handler->RefCount == 0)
            handler.reset();
    }

private:
    static std::unique_ptr<Handler>& Instance()
    {
        static std::unique_ptr<Handler> handler;
        return handler;
    }
};
