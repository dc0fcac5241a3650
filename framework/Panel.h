#pragma once
#include "Controls.h"

enum class TBevelCut { bvNone, bvLowered, bvRaised };

// A windowed container of its own class with a bevelled edge.
class TPanel : public TCustomControl {
public:
    explicit TPanel(TComponent* owner);

    TBevelCut BevelOuter = TBevelCut::bvRaised;
    int BevelWidth = 1; // at 96 dpi

    // The area inside the bevel, in the panel's coordinates: where filling children go.
    RECT InnerRect() const;

protected:
    void PaintBackground(TCanvas& canvas, const RECT& client) override;
};
