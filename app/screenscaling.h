// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace app {

// Before the application object is made: the window scales as a whole with the screen's scaling
// (125 %, 150 %, 200 %, or a font resolution of 144 dpi), so that its pixel sizes grow with its fonts.
// Without it the fonts follow the screen while the fixed widths stay, and the panel's texts are cut.
// Scale factors are used as the system gives them, not rounded: rounding 1.25 down would bring the
// cut texts back, rounding 1.5 up would make the window a third too large.
void scaleWithScreen();

} // namespace app
