#pragma once
#include "PopupGeometry.h"

// How many popups of one component are open and where the next one goes.
struct PopupStack {
    int OpenCount = 0;
    int StackOffset = 0;
    int KnownEdge = 0;

    // A popup of that size is about to be shown with the taskbar on `edge`: true (and
    // counted) when there is room for it; a refusal changes nothing. A new taskbar edge
    // restarts the count.
    bool Admit(int edge, const PopupRect& work, int width, int height, PopupSpacing spacing);
    // The admitted popup is being placed: returns the offset it goes to and moves the
    // offset beyond it when cascading (edge known), or back to 0 without cascading.
    int Place(bool cascade, int edge, int fullHeight, int marge);
    // A popup has gone for good.
    void Closed();
};

// Whether another popup would leave the work area on the taskbar's edge.
bool PopupRoomRefused(int edge, int stackOffset, const PopupRect& work, int width, int height,
                      PopupSpacing spacing);
