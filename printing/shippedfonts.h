// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace printing {

// Makes the fonts in the "fonts" folder beside the program known to the application. The Windows
// folder brings the Open Sans that the window and the pages name, which Windows lacks; elsewhere the
// folder does not exist and the system's fonts serve.
void loadShippedFonts();

} // namespace printing
