# corvane_add_test(NAME SOURCES... LIBS ...): one GoogleTest executable, its cases registered with CTest.
# Qt tests run on the offscreen platform.
function(corvane_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock)
    if(EXISTS ${CMAKE_SOURCE_DIR}/tests/support/CMakeLists.txt)
        target_link_libraries(${name} PRIVATE corvane_test_support)
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 120)
endfunction()
