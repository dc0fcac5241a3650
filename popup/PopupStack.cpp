#include "PopupStack.h"

bool PopupRoomRefused(int edge, int stackOffset, const PopupRect& work, int width, int height,
                      PopupSpacing spacing)
{
    switch (edge) {
    case EdgeLeft:
        return stackOffset + width + spacing.StartX > work.Right;
    case EdgeTop:
    case EdgeBottom:
        return stackOffset + height + spacing.StartY > work.Bottom;
    case EdgeRight:
        return stackOffset + height + spacing.StartY > work.Right;
    default:
        return false;
    }
}

bool PopupStack::Admit(int edge, const PopupRect& work, int width, int height, PopupSpacing spacing)
{
    if (edge != KnownEdge) {
        KnownEdge = edge;
        OpenCount = 0;
    }
    if (OpenCount > 0) {
        if (PopupRoomRefused(KnownEdge, StackOffset, work, width, height, spacing))
            return false;
    } else {
        StackOffset = 0;
    }
    ++OpenCount;
    return true;
}

int PopupStack::Place(bool cascade, int edge, int fullHeight, int marge)
{
    const int placed = StackOffset;
    if (!cascade)
        StackOffset = 0;
    else if (edge != EdgeUnknown)
        StackOffset += fullHeight + marge;
    return placed;
}

void PopupStack::Closed()
{
    if (OpenCount > 0)
        --OpenCount;
}
