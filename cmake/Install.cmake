# Install rules, the Debian package, and the version the programs report (project()'s, written nowhere
# else). Included at the end of the top-level CMakeLists.txt, once every target exists.
# SPDX-License-Identifier: GPL-3.0-or-later
include(GNUInstallDirs)

# The AppStream component id, which also names the desktop entry.
set(STEEL_APP_ID "com.velmora.steelviewer")
# The Debian revision of this version and the date of its release: those of the newest entry of
# dist/changelog, which the man pages and the AppStream release carry as well.
set(STEEL_PACKAGE_REVISION 1)
set(STEEL_RELEASE_DATE "2026-12-07")
file(STRINGS "${PROJECT_SOURCE_DIR}/dist/changelog" steelNewestChange LIMIT_COUNT 1)
if(NOT steelNewestChange MATCHES "^steel-viewer \\(${PROJECT_VERSION}-${STEEL_PACKAGE_REVISION}\\) ")
    message(FATAL_ERROR "dist/changelog does not begin with version ${PROJECT_VERSION}-${STEEL_PACKAGE_REVISION}")
endif()
# Who answers for the package and where it lives. The maintainer follows Debian's own DEBFULLNAME and
# DEBEMAIL where they are set when the build is configured.
set(steelDefaultMaintainer "Velmora-Steel viewer developers <steel-viewer@velmora-steel.example>")
if(DEFINED ENV{DEBFULLNAME} AND DEFINED ENV{DEBEMAIL})
    set(steelDefaultMaintainer "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
endif()
set(STEEL_PACKAGE_MAINTAINER "${steelDefaultMaintainer}" CACHE STRING "Maintainer field of the Debian package")
set(STEEL_PACKAGE_HOMEPAGE "https://steel-viewer.velmora-steel.example"
    CACHE STRING "Homepage of the Debian package and the AppStream metadata")
set(STEEL_DATA_DIR "${CMAKE_INSTALL_DATADIR}/steel-viewer")
set(STEEL_DIST_DIR "${PROJECT_SOURCE_DIR}/dist")
set(STEEL_IMAGES
    "${PROJECT_SOURCE_DIR}/images/icon.bmp"
    "${PROJECT_SOURCE_DIR}/images/refresh-32.png"
    "${PROJECT_SOURCE_DIR}/images/unnamed.png")

target_compile_definitions(cli PRIVATE STEEL_VERSION="${PROJECT_VERSION}")
# The viewer names its desktop entry, which lets a Wayland dock match the window to its launcher.
target_compile_definitions(steel-viewer PRIVATE STEEL_APP_ID="${STEEL_APP_ID}")

# The viewer finds its installed images relative to its own executable, so that the tree works wherever
# it is installed or unpacked. The build tree gets the same layout, which lets build/app/steel-viewer
# find the project's images.
file(RELATIVE_PATH steelImagesFromBinary "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_DATADIR}/steel-viewer")
target_compile_definitions(app PRIVATE STEEL_IMAGES_FROM_BINARY="${steelImagesFromBinary}")
get_target_property(steelViewerDir steel-viewer BINARY_DIR)
set(steelBuildImages "")
foreach(image IN LISTS STEEL_IMAGES)
    get_filename_component(name "${image}" NAME)
    set(copy "${steelViewerDir}/${steelImagesFromBinary}/${name}")
    add_custom_command(OUTPUT "${copy}" COMMAND ${CMAKE_COMMAND} -E copy "${image}" "${copy}" DEPENDS "${image}")
    list(APPEND steelBuildImages "${copy}")
endforeach()
add_custom_target(steel-viewer-images DEPENDS ${steelBuildImages})
add_dependencies(steel-viewer steel-viewer-images)

# What Windows shows of both executables (Explorer's Properties, the installer's list of programs). The
# company is a placeholder a plant sets to its own name when it builds and signs its copy.
set(STEEL_PRODUCT_NAME "Velmora-Steel Archive Viewer")
set(STEEL_COMPANY_NAME "Velmora" CACHE STRING "Company named in the Windows version information and installer")
if(WIN32)
    include("${CMAKE_CURRENT_LIST_DIR}/WindowsResources.cmake")
    steel_windows_resources(steel-viewer "Velmora-Steel archive viewer")
    steel_windows_resources(steel-archive "Velmora-Steel archive command-line tool")
endif()

install(TARGETS steel-viewer steel-archive RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(FILES ${STEEL_IMAGES} DESTINATION "${STEEL_DATA_DIR}")
if(WIN32)
    include("${CMAKE_CURRENT_LIST_DIR}/WindowsInstall.cmake")
    return()
endif()
install(FILES "${STEEL_DIST_DIR}/steel-viewer.desktop"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/applications" RENAME "${STEEL_APP_ID}.desktop")
configure_file("${STEEL_DIST_DIR}/steel-viewer.metainfo.xml.in" "dist/${STEEL_APP_ID}.metainfo.xml" @ONLY)
install(FILES "${PROJECT_BINARY_DIR}/dist/${STEEL_APP_ID}.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
foreach(size 32x32 256x256)
    install(FILES "${STEEL_DIST_DIR}/icons/${size}/steel-viewer.png"
            DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}/apps")
endforeach()
install(FILES "${PROJECT_SOURCE_DIR}/LICENSE" "${STEEL_DIST_DIR}/copyright"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/steel-viewer")
# The package's history in Debian's format, gzipped as Debian installs it (-n: no name or time inside,
# so the same source gives the same bytes).
add_custom_command(OUTPUT "${PROJECT_BINARY_DIR}/dist/changelog.Debian.gz"
    COMMAND gzip -9nc "${STEEL_DIST_DIR}/changelog" > "${PROJECT_BINARY_DIR}/dist/changelog.Debian.gz"
    DEPENDS "${STEEL_DIST_DIR}/changelog")
add_custom_target(steel-changelog ALL DEPENDS "${PROJECT_BINARY_DIR}/dist/changelog.Debian.gz")
install(FILES "${PROJECT_BINARY_DIR}/dist/changelog.Debian.gz" DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/steel-viewer")

# The man pages, gzipped as Debian installs them. steel-archive's is made from the program's help texts
# whenever the program changes.
configure_file("${STEEL_DIST_DIR}/man/steel-viewer.1.in" "dist/steel-viewer.1" @ONLY)
set(steelManPages "${PROJECT_BINARY_DIR}/dist/steel-viewer.1.gz")
add_custom_command(OUTPUT "${PROJECT_BINARY_DIR}/dist/steel-viewer.1.gz"
    COMMAND gzip -9nc "${PROJECT_BINARY_DIR}/dist/steel-viewer.1" > "${PROJECT_BINARY_DIR}/dist/steel-viewer.1.gz"
    DEPENDS "${PROJECT_BINARY_DIR}/dist/steel-viewer.1")
find_program(HELP2MAN help2man)
if(HELP2MAN)
    list(APPEND steelManPages "${PROJECT_BINARY_DIR}/dist/steel-archive.1.gz")
    add_custom_command(OUTPUT "${PROJECT_BINARY_DIR}/dist/steel-archive.1.gz"
        COMMAND sh "${STEEL_DIST_DIR}/man/make-manpage.sh" "$<TARGET_FILE:steel-archive>"
                "${PROJECT_BINARY_DIR}/dist/steel-archive.1.gz" "${STEEL_RELEASE_DATE}"
        DEPENDS steel-archive "${STEEL_DIST_DIR}/man/make-manpage.sh"
        COMMENT "Writing the man page of steel-archive from its --help texts"
        VERBATIM)
else()
    message(WARNING "help2man not found (Debian package help2man): steel-archive gets no man page")
endif()
add_custom_target(steel-manpages ALL DEPENDS ${steelManPages})
install(FILES ${steelManPages} DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")

# Bash completion goes where bash-completion looks for it, taken below our own prefix so that an
# install into another prefix stays inside it.
set(STEEL_COMPLETIONS_DIR "${CMAKE_INSTALL_DATADIR}/bash-completion/completions")
find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
    pkg_get_variable(completionsDir bash-completion completionsdir)
    pkg_get_variable(completionsPrefix bash-completion prefix)
    if(completionsDir AND completionsPrefix AND completionsDir MATCHES "^${completionsPrefix}/")
        file(RELATIVE_PATH STEEL_COMPLETIONS_DIR "${completionsPrefix}" "${completionsDir}")
    endif()
endif()
install(FILES "${STEEL_DIST_DIR}/completion/steel-archive" DESTINATION "${STEEL_COMPLETIONS_DIR}")

# The Debian package: cpack -G DEB in the build folder, or scripts/package.
set(STEEL_PACKAGE_MAINTAINER "Velmora-Steel viewer maintainers <steel-viewer@velmora.invalid>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME steel-viewer)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_DEBIAN_PACKAGE_RELEASE "${STEEL_PACKAGE_REVISION}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${STEEL_PACKAGE_HOMEPAGE}")
set(CPACK_PACKAGE_VENDOR "Velmora")
set(CPACK_PACKAGE_CONTACT "${STEEL_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer of a steel plant's measurement archive")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "steel-viewer shows the measurements of steel melts stored in an archive\n"
    "folder: the newest melt at once, older ones through four selection lists,\n"
    "with the result values, a status verdict and the temperature and EMF curves,\n"
    "and prints the work area on one landscape page.\n"
    "\n"
    "steel-archive, its command-line companion, lists, shows, exports, renders,\n"
    "checks and searches an archive exactly as the viewer sees it.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's font families: Open Sans, and Arial, which fontconfig maps to the metric-compatible
# Liberation Sans.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-open-sans, fonts-liberation | fonts-liberation2")
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
