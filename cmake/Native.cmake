# Native (Linux) build: window-free units only.
#
#   default        the mask unit, its tests (GoogleTest) and its benchmark;
#                  QV_SANITIZE=ON adds the address and undefined-behaviour sanitizers
#   QV_FUZZ=ON     the mask unit and its libFuzzer target (needs clang)
option(QV_FUZZ "Build the fuzz targets (clang only)" OFF)
option(QV_SANITIZE "Build with the address and undefined-behaviour sanitizers" OFF)

add_compile_options(-Wall -Wextra)

if(QV_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "QV_FUZZ needs clang (configure with CMAKE_CXX_COMPILER=clang++)")
    endif()
    # Every library gets the coverage hooks; only the fuzz executable links the driver.
    add_compile_options(-g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined
        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
    qv_library(qvmask controls/mask)
    add_executable(fuzz_regexpr ${CMAKE_SOURCE_DIR}/tests/controls/mask/fuzz/cxRegExprFuzz.cpp)
    target_link_libraries(fuzz_regexpr PRIVATE qvmask)
    target_link_options(fuzz_regexpr PRIVATE -fsanitize=fuzzer)
    return()
endif()

if(QV_SANITIZE)
    add_compile_options(-g -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(t gtest gtest_main gmock gmock_main)
    if(TARGET ${t})
        target_compile_options(${t} PRIVATE -w)
    endif()
endforeach()

qv_library(qvmask controls/mask)
qv_gtest(test_mask controls/mask LIBS qvmask)

if(EXISTS ${CMAKE_SOURCE_DIR}/bench/cxRegExprBench.cpp)
    add_executable(bench_regexpr ${CMAKE_SOURCE_DIR}/bench/cxRegExprBench.cpp)
    target_link_libraries(bench_regexpr PRIVATE qvmask)
endif()
