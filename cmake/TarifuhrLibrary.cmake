# SPDX-License-Identifier: MIT
# The layering is the build's: every library sees its own headers and those
# of the libraries it links, nothing else of the source tree. Headers keep
# their paths ("accounting/TariffRecord.h"); a library's include folder in
# the build tree holds links to just its own folder.

# tarifuhr_expose(TARGET PATH): PATH (relative to the source tree, a folder
# or a header) becomes includable by TARGET and whoever links it.
function(tarifuhr_expose target path)
  set(stage ${CMAKE_BINARY_DIR}/include/${target})
  get_filename_component(parent ${stage}/${path} DIRECTORY)
  file(MAKE_DIRECTORY ${parent})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${path} ${stage}/${path} SYMBOLIC)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${stage})
  else()
    target_include_directories(${target} PUBLIC ${stage})
  endif()
endfunction()

# tarifuhr_folder_library(NAME [DEPS...]): one static library from the .cpp
# files of the calling folder, its headers exposed, linked only to the
# layers below it (they appear in its headers, so the links are public).
function(tarifuhr_folder_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_link_libraries(${name} PUBLIC ${ARGN})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  tarifuhr_expose(${name} ${folder})
endfunction()

# The test helpers of tests/ for a test target.
function(tarifuhr_test_includes target)
  if(NOT TARGET tarifuhr_test_support)
    add_library(tarifuhr_test_support INTERFACE)
    tarifuhr_expose(tarifuhr_test_support tests)
  endif()
  target_link_libraries(${target} PRIVATE tarifuhr_test_support)
endfunction()

# tarifuhr_test_suite(NAME LABEL LIBS...): one GoogleTest executable from the
# .cpp files of the calling folder, registered with CTest under LABEL.
function(tarifuhr_test_suite name label)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_link_libraries(${name} PRIVATE ${ARGN} GTest::gmock GTest::gtest_main)
  tarifuhr_test_includes(${name})
  gtest_discover_tests(${name} PROPERTIES LABELS ${label} DISCOVERY_TIMEOUT 60)
endfunction()
