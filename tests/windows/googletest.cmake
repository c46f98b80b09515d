# GoogleTest for the Windows test programs, compiled with the cross compiler
# from the sources Debian ships (package googletest, /usr/src/googletest), so
# nothing is downloaded.  Provides GTest::gtest and GTest::gtest_main as
# find_package(GTest) does; its headers count as system headers, so the
# project's warnings-as-errors do not apply to them.
set(QRVP_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for the target")
if(NOT EXISTS ${QRVP_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found at ${QRVP_GOOGLETEST_SOURCE} "
                      "(apt-get install googletest, or set QRVP_GOOGLETEST_SOURCE)")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(${QRVP_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
if(NOT TARGET GTest::gtest)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()
