# Settings shared by every target of the tree: warnings, static Windows programs,
# where the programs go, and how a unit test is declared.

if(MSVC)
  add_compile_options(/W4 /utf-8 /permissive- /EHsc)
  set(CMAKE_MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")
  add_compile_definitions(_CRT_SECURE_NO_WARNINGS)
else()
  add_compile_options(-Wall -Wextra)
endif()

if(WIN32)
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  if(MINGW)
    # Everything is linked statically, so a program never loads a runtime DLL
    # from its own folder.
    add_link_options(-static)
    add_compile_options(-ffunction-sections -fdata-sections)
    # Reproducible programs: the same source gives the same bytes in any build
    # folder at any time (no link time in the headers, no folder names inside).
    add_link_options(-Wl,--no-insert-timestamp)
    add_compile_options(-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=
                        -ffile-prefix-map=${PROJECT_BINARY_DIR}/=)
  endif()
endif()

# The shipped programs land together in one program folder.
set(QUILLET_PROGRAM_DIR ${CMAKE_BINARY_DIR}/bin)

function(quillet_program target)
  set_target_properties(${target} PROPERTIES
    WIN32_EXECUTABLE ON
    RUNTIME_OUTPUT_DIRECTORY ${QUILLET_PROGRAM_DIR}
    RUNTIME_OUTPUT_DIRECTORY_RELEASE ${QUILLET_PROGRAM_DIR}
    RUNTIME_OUTPUT_DIRECTORY_DEBUG ${QUILLET_PROGRAM_DIR}
    RUNTIME_OUTPUT_DIRECTORY_MINSIZEREL ${QUILLET_PROGRAM_DIR})
  if(MINGW)
    target_link_options(${target} PRIVATE -municode)
  endif()
endfunction()

# GoogleTest is built from source: Debian's googletest package on Linux (for both
# presets), a configured package or a download on Windows.
set(QUILLET_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
if(EXISTS ${QUILLET_GTEST_SOURCE}/CMakeLists.txt)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${QUILLET_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest CONFIG QUIET)
  if(NOT GTest_FOUND)
    include(FetchContent)
    FetchContent_Declare(googletest
      URL https://github.com/google/googletest/archive/refs/tags/release-1.12.1.tar.gz)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    FetchContent_MakeAvailable(googletest)
  endif()
endif()
if(NOT TARGET GTest::gtest_main)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()

# quillet_unit_test(name SOURCES ... LIBS ...): one test program per subsystem.
# Under the windows preset the same program runs under Wine through the
# cross-compiling emulator.
function(quillet_unit_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main)
  target_compile_definitions(${name} PRIVATE QUILLET_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name})
endfunction()
