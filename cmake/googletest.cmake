# GoogleTest from Debian's source package, built with the same compiler as the tests.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(PLUMEROLL_GOOGLETEST_DIR /usr/src/googletest CACHE PATH "GoogleTest's source tree")
add_subdirectory(${PLUMEROLL_GOOGLETEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
include(GoogleTest)
