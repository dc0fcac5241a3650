#pragma once
#include <windows.h>

#include <vector>

#include "GradientTypes.h"
#include "Graphics.h"

// Paints two or more colours into the rectangle in the given style: the colours are worked
// out once per gradient position into a strip, and each row or column is one block copy of
// a piece of it. Fewer than two colours paint nothing. The canvas keeps its pen.
// Equal lines are copied from the first one drawn, so the canvas must read back what was
// drawn on it: a picture in memory, as the framework's windows paint through.
void DrawMultiGradient(TCanvas& canvas, const RECT& rect, std::vector<TColor> colors, TGradientStyle style,
                       TGradientStep rotation);
