#pragma once
#include "SlidePopup.h"

// The news notifier's popup: 200 × 300, red to yellow, 25 seconds, slides in, closes on click.
void ConfigureNewsPopup(TSlidePopup& popup);
