# The Windows resources of an executable: the viewer's icon and the version information, from
# dist/windows/version.rc.in. Included by Install.cmake on Windows, once the targets exist.
# SPDX-License-Identifier: GPL-3.0-or-later
set(STEEL_ICON "${PROJECT_SOURCE_DIR}/images/steel-viewer.ico")

# steel_windows_resources(TARGET DESCRIPTION)
function(steel_windows_resources target description)
    set(steelName "${target}")
    set(steelDescription "${description}")
    # Four numbers, as VERSIONINFO wants them: 1.1 is 1,1,0,0.
    set(steelVersionComma "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},0,0")
    if(PROJECT_VERSION_PATCH)
        set(steelVersionComma "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")
    endif()
    set(rc "${PROJECT_BINARY_DIR}/resources/${target}.rc")
    configure_file("${PROJECT_SOURCE_DIR}/dist/windows/version.rc.in" "${rc}" @ONLY)
    target_sources(${target} PRIVATE "${rc}")
endfunction()
