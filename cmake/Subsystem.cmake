# suite_subsystem(PREFIX NAME DEPENDS libs...): the library PREFIX_NAME of the
# calling folder's sources (main.cpp aside), with the program's folder
# (CMAKE_SOURCE_DIR/PREFIX) on its include path, and a test program of its
# tests/*Test.cpp.
function(suite_subsystem prefix name)
  cmake_parse_arguments(S "" "" "DEPENDS" ${ARGN})
  set(lib ${prefix}_${name})
  file(GLOB sources CONFIGURE_DEPENDS *.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  if(sources)
    add_library(${lib} STATIC ${sources})
    set(scope PUBLIC)
  else()
    add_library(${lib} INTERFACE) # nothing built here yet
    set(scope INTERFACE)
  endif()
  target_include_directories(${lib} ${scope} ${CMAKE_SOURCE_DIR}/${prefix})
  target_link_libraries(${lib} ${scope} ${S_DEPENDS})
  file(GLOB tests CONFIGURE_DEPENDS tests/*Test.cpp)
  if(tests)
    suite_test(${lib}_tests ${tests} LIBS ${lib} platform_testing)
  endif()
endfunction()
