# The Windows folder (the portable zip and the installer): the programs at the top, as Windows programs
# are laid out (scripts/windows configures with CMAKE_INSTALL_BINDIR=.), their images in
# share/steel-viewer as on Linux, and the Open Sans faces the window and the report name, which Windows
# lacks (Arial it has), in fonts/ for the programs to load at start. scripts/windows adds the DLLs,
# the plug-ins and the licences. Included by Install.cmake instead of the Linux desktop files.
# SPDX-License-Identifier: GPL-3.0-or-later
find_path(STEEL_OPEN_SANS_DIR OpenSans-Regular.ttf
    PATHS /usr/share/fonts/truetype/open-sans NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT STEEL_OPEN_SANS_DIR)
    message(FATAL_ERROR "Open Sans not found: install the Debian package fonts-open-sans")
endif()
set(steelFonts "")
foreach(face Regular Bold Italic BoldItalic)
    list(APPEND steelFonts "${STEEL_OPEN_SANS_DIR}/OpenSans-${face}.ttf")
endforeach()
install(FILES ${steelFonts} DESTINATION fonts)
