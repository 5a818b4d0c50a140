# SPDX-License-Identifier: GPL-2.0-or-later
# corvane_add_test(NAME [CORE] SOURCES... LIBS ...): one GoogleTest executable, its cases registered with CTest.
# Qt tests run on the offscreen platform. A CORE test has a QCoreApplication main and must link without
# Qt Widgets, which proves the core libraries it tests need none.
function(corvane_add_test name)
    cmake_parse_arguments(ARG "CORE" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
    # Helpers shared by the tests of several folders (recording views, device lists).
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
    if(ARG_CORE)
        target_link_libraries(${name} PRIVATE corvane_core_test_support)
        set_target_properties(${name} PROPERTIES AUTOUIC OFF)
        set_property(GLOBAL APPEND PROPERTY CORVANE_CORE_TESTS ${name})
    else()
        target_link_libraries(${name} PRIVATE corvane_test_support)
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
endfunction()
