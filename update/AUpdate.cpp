#include "AUpdate.h"

TAutoUpdate::TAutoUpdate(TComponent* owner) : TComponent(owner) {}

TAutoUpdate::~TAutoUpdate() = default;

void TAutoUpdate::Notification(TComponent* removed)
{
    if (removed == Utility)
        Utility = nullptr;
}
