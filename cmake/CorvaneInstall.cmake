# SPDX-License-Identifier: GPL-2.0-or-later
# How Corvane installs: the programs and the Mixer folder together in libexec/corvane (as they sit together in
# the build's bin/), each command linked from bin/. A program finds the plug-in in its own folder with the
# link resolved, so the layout beside it is the one it was built and tested with.
include(GNUInstallDirs)

set(CORVANE_LIBEXEC_DIR ${CMAKE_INSTALL_LIBEXECDIR}/corvane)
set(CORVANE_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(CORVANE_APP_ID org.corvane.Corvane)

# Commands installed in libexec/corvane and linked from bin/; one that is not built is skipped.
set(CORVANE_COMMANDS corvane faderix-cli corvane-ctl)
# Commands with a manual page packaging/man/<command>.1, kept in step with their --help by a test.
set(CORVANE_MANUAL_PAGES corvane faderix-cli corvane-ctl)

file(RELATIVE_PATH _corvane_bin_to_libexec /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${CORVANE_LIBEXEC_DIR})
foreach(command IN LISTS CORVANE_COMMANDS)
    if(NOT TARGET ${command})
        continue()
    endif()
    install(TARGETS ${command} RUNTIME DESTINATION ${CORVANE_LIBEXEC_DIR})
    # The link is made in the build tree and installed as it is.
    set(link ${CMAKE_BINARY_DIR}/install-links/${command})
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
    file(CREATE_LINK ${_corvane_bin_to_libexec}/${command} ${link} SYMBOLIC)
    install(FILES ${link} DESTINATION ${CMAKE_INSTALL_BINDIR})
endforeach()

# Manual pages and the changelog are installed compressed, as Debian wants them; -n keeps the name and time
# out of the archive, so a rebuild gives the same bytes.
find_program(CORVANE_GZIP gzip REQUIRED)
set(CORVANE_COMPRESSED_DIR ${CMAKE_BINARY_DIR}/compressed)
set(CORVANE_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/corvane)
function(corvane_compressed_file source output)
    add_custom_command(OUTPUT ${output}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CORVANE_COMPRESSED_DIR}
                       COMMAND ${CORVANE_GZIP} -9 -n -c ${source} > ${output}
                       DEPENDS ${source}
                       COMMENT "Compressing ${source}")
    set_property(GLOBAL APPEND PROPERTY CORVANE_COMPRESSED_FILES ${output})
endfunction()

foreach(command IN LISTS CORVANE_MANUAL_PAGES)
    if(TARGET ${command})
        set(page ${CORVANE_COMPRESSED_DIR}/${command}.1.gz)
        corvane_compressed_file(${CORVANE_PACKAGING_DIR}/man/${command}.1 ${page})
        install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
endforeach()

# The licence terms, machine-readable, and the release history.
corvane_compressed_file(${CMAKE_SOURCE_DIR}/debian/changelog ${CORVANE_COMPRESSED_DIR}/changelog.gz)
install(FILES ${CORVANE_COMPRESSED_DIR}/changelog.gz ${CMAKE_SOURCE_DIR}/debian/copyright
        DESTINATION ${CORVANE_DOC_DIR})
get_property(_corvane_compressed GLOBAL PROPERTY CORVANE_COMPRESSED_FILES)
add_custom_target(corvane_compressed_files ALL DEPENDS ${_corvane_compressed})

if(TARGET Faderix)
    install(TARGETS Faderix LIBRARY DESTINATION ${CORVANE_LIBEXEC_DIR}/Mixer)
    install(FILES ${CMAKE_SOURCE_DIR}/src/mixer_plugin/include/faderix.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endif()

if(TARGET corvane)
    install(FILES ${CORVANE_PACKAGING_DIR}/${CORVANE_APP_ID}.desktop
            DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
    install(FILES ${CORVANE_PACKAGING_DIR}/${CORVANE_APP_ID}.metainfo.xml
            DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
    install(FILES ${CORVANE_PACKAGING_DIR}/${CORVANE_APP_ID}.svg
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
endif()
