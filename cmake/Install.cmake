# Install rules, the Debian package, and the version the programs report (project()'s, written nowhere
# else). Included at the end of the top-level CMakeLists.txt, once every target exists.
# SPDX-License-Identifier: GPL-3.0-or-later
include(GNUInstallDirs)

set(STEEL_DATA_DIR "${CMAKE_INSTALL_DATADIR}/steel-viewer")
set(STEEL_IMAGES
    "${PROJECT_SOURCE_DIR}/images/icon.bmp"
    "${PROJECT_SOURCE_DIR}/images/refresh-32.png"
    "${PROJECT_SOURCE_DIR}/images/unnamed.png")

target_compile_definitions(steelcli PRIVATE STEEL_VERSION="${PROJECT_VERSION}")

# The viewer finds its installed images relative to its own executable, so that the tree works wherever
# it is installed or unpacked. The build tree gets the same layout, which lets build/app/steel-viewer
# find the project's images.
file(RELATIVE_PATH steelImagesFromBinary "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_DATADIR}/steel-viewer")
target_compile_definitions(steelapp PRIVATE STEEL_IMAGES_FROM_BINARY="${steelImagesFromBinary}")
get_target_property(steelViewerDir steel-viewer BINARY_DIR)
set(steelBuildImages "")
foreach(image IN LISTS STEEL_IMAGES)
    get_filename_component(name "${image}" NAME)
    set(copy "${steelViewerDir}/${steelImagesFromBinary}/${name}")
    add_custom_command(OUTPUT "${copy}" COMMAND ${CMAKE_COMMAND} -E copy "${image}" "${copy}" DEPENDS "${image}")
    list(APPEND steelBuildImages "${copy}")
endforeach()
add_custom_target(steel-viewer-images ALL DEPENDS ${steelBuildImages})

install(TARGETS steel-viewer steel-archive RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES ${STEEL_IMAGES} DESTINATION "${STEEL_DATA_DIR}")
