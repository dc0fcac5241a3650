#pragma once
#include <functional>

#include "Component.h"
#include "Win32Handle.h"

// Keeps a second copy of the program from running. When its owner has loaded, it takes a
// named mutex called after the application title; a second copy brings the first one's
// application window forward, keeps its own main window hidden and asks itself to end.
class TSingleInstance : public TComponent {
public:
    explicit TSingleInstance(TComponent* owner);

    bool SwitchToPrevious = true;
    // Raised in a second copy before anything else is done.
    std::function<void(TSingleInstance&)> AlreadyExist;

    // True after the check found another copy's mutex: this copy ends.
    bool IsSecondInstance() const { return secondInstance_; }

protected:
    void Loaded() override;

private:
    void BringPreviousForward(const std::wstring& title);

    KernelHandle mutex_;
    bool secondInstance_ = false;
};
