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

foreach(command IN LISTS CORVANE_MANUAL_PAGES)
    if(TARGET ${command})
        install(FILES ${CORVANE_PACKAGING_DIR}/man/${command}.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    endif()
endforeach()

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
