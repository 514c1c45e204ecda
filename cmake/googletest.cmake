# GoogleTest: the system's own library where it has one for this compiler (Debian's
# libgtest-dev, for the native build), else built here, with the tests' compiler, from its
# source tree (Debian's googletest package, for the mingw-w64 builds, which have no library).
find_package(GTest QUIET)
if(NOT GTest_FOUND)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(PLUMEROLL_GOOGLETEST_DIR /usr/src/googletest CACHE PATH "GoogleTest's source tree")
  add_subdirectory(${PLUMEROLL_GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL
                   SYSTEM)
  # Test code is compiled, not optimised: the test command builds it on every fresh machine.
  target_compile_options(gtest PRIVATE $<$<CXX_COMPILER_ID:GNU,Clang>:-O0>)
  target_compile_options(gtest_main PRIVATE $<$<CXX_COMPILER_ID:GNU,Clang>:-O0>)
endif()
include(GoogleTest)
