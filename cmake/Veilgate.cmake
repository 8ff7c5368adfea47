# Project-wide helpers.

# jpeg: libjpeg-turbo cross-built by the set-up script.
add_library(vgt_jpeg STATIC IMPORTED GLOBAL)
set_target_properties(vgt_jpeg PROPERTIES
  IMPORTED_LOCATION ${VEILGATE_JPEG_PREFIX}/lib/libjpeg.a
  INTERFACE_INCLUDE_DIRECTORIES ${VEILGATE_JPEG_PREFIX}/include)

# libxml2's HTML reader: the page host's HTML parser, cross-built by the set-up script.
add_library(vgt_xml2 STATIC IMPORTED GLOBAL)
set_target_properties(vgt_xml2 PROPERTIES
  IMPORTED_LOCATION ${VEILGATE_XML2_PREFIX}/lib/libxml2.a
  INTERFACE_INCLUDE_DIRECTORIES ${VEILGATE_XML2_PREFIX}/include/libxml2
  INTERFACE_COMPILE_DEFINITIONS LIBXML_STATIC
  INTERFACE_LINK_LIBRARIES "ws2_32;bcrypt")

# A static library of our own: sources listed, headers found from the repository root.
function(vgt_library name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
  if(A_SOURCES)
    add_library(${name} STATIC ${A_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${A_LIBS})
  else()
    # Nothing built here yet: still a target others can link.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${A_LIBS})
  endif()
endfunction()

# The Windows versions every window and form test program also runs as: the 8-bit platform, and
# both sides of the XP line (themes, XP-only calls). The plain program sees what Wine reports by
# default, Windows 7.
set(VGT_WINDOW_TEST_VERSIONS win98 win2k winxp)

# Every test program runs on an X display of its own.
set(VGT_TEST_LAUNCHER ${PROJECT_SOURCE_DIR}/tools/ondisplay.sh)

# A GoogleTest program run by CTest under Wine, as one test.
#   vgt_add_gtest(name SOURCES ... LIBS ... [WINVERS win98 ...] [LABELS ...] [ENV A=1 ...] [OWN_MAIN])
# Sources may include .rc files. OWN_MAIN: the sources define main themselves.
# Each extra Windows version gets a copy of the program named <name>_<version>.exe, since Wine
# picks the reported version by program name; the copy runs as its own test.
function(vgt_add_gtest name)
  cmake_parse_arguments(A "OWN_MAIN" "" "SOURCES;LIBS;WINVERS;LABELS;ENV" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} gmock gtest)
  if(NOT A_OWN_MAIN)
    target_link_libraries(${name} PRIVATE vgt_testmain)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  add_test(NAME ${name}
           COMMAND ${VGT_TEST_LAUNCHER} ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}>
           WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  set_tests_properties(${name} PROPERTIES LABELS "${A_LABELS}" ENVIRONMENT "${A_ENV}" TIMEOUT 120)
  foreach(ver ${A_WINVERS})
    set(copy ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/${name}_${ver}.exe)
    add_custom_command(TARGET ${name} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${name}> ${copy})
    add_test(NAME ${name}_${ver} COMMAND ${VGT_TEST_LAUNCHER} ${CMAKE_CROSSCOMPILING_EMULATOR} ${copy}
             WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
    set_tests_properties(${name}_${ver} PROPERTIES LABELS "${A_LABELS};${ver}"
      ENVIRONMENT "VGT_WINVER=${ver};${A_ENV}" TIMEOUT 120)
  endforeach()
endfunction()
