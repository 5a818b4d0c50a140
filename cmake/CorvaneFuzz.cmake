# SPDX-License-Identifier: GPL-2.0-or-later
# Fuzz targets. CORVANE_FUZZ=ON (a clang build of its own, `./dev fuzz`) makes libFuzzer programs and
# instruments everything they link; otherwise each target is a plain program that feeds its seed corpus and
# saved crashes to the same entry point once, registered as a test.
option(CORVANE_FUZZ "Build the fuzz targets in fuzz/ with libFuzzer (clang)" OFF)

if(CORVANE_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "CORVANE_FUZZ needs clang (CC=clang CXX=clang++)")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined -Wno-error)
    add_link_options(-fsanitize=address,undefined)
    add_custom_target(corvane_fuzz_targets)
endif()

# corvane_fuzz_target(NAME [SOURCES ...] [LIBS ...]): fuzz/NAME_fuzz.cpp with its corpus in fuzz/corpus/NAME/
# and the inputs that once failed in fuzz/crashes/NAME/.
function(corvane_fuzz_target name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    set(target fuzz_${name})
    add_executable(${target} ${CMAKE_CURRENT_SOURCE_DIR}/${name}_fuzz.cpp ${ARG_SOURCES})
    target_include_directories(${target} PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${target} PRIVATE ${ARG_LIBS})
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz AUTOMOC OFF)
    if(CORVANE_FUZZ)
        target_link_options(${target} PRIVATE -fsanitize=fuzzer)
        add_dependencies(corvane_fuzz_targets ${target})
    else()
        target_sources(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/replay_main.cpp)
        add_test(NAME fuzz_corpus.${name}
                 COMMAND ${target} ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name}
                         ${CMAKE_CURRENT_SOURCE_DIR}/crashes/${name})
        set_tests_properties(fuzz_corpus.${name} PROPERTIES TIMEOUT 120)
    endif()
endfunction()
