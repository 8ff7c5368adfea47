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

# Every test runs through the launcher: on an X display of its own, in a Wine prefix of its own.
set(VGT_TEST_LAUNCHER ${PROJECT_SOURCE_DIR}/tools/ondisplay.sh)
# How long a test may take unless it says otherwise; CTest ends it after that, as a failure.
set(VGT_TEST_TIMEOUT 120)

# One test: COMMAND run by the launcher.
#   vgt_add_test(name COMMAND ... [LABELS ...] [ENV A=1 ...] [TIMEOUT s] [WORKING_DIRECTORY dir])
function(vgt_add_test name)
  cmake_parse_arguments(A "" "TIMEOUT;WORKING_DIRECTORY" "COMMAND;LABELS;ENV" ${ARGN})
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT ${VGT_TEST_TIMEOUT})
  endif()
  if(NOT A_WORKING_DIRECTORY)
    set(A_WORKING_DIRECTORY ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  endif()
  add_test(NAME ${name} COMMAND ${VGT_TEST_LAUNCHER} ${A_COMMAND} WORKING_DIRECTORY ${A_WORKING_DIRECTORY})
  set_tests_properties(${name} PROPERTIES LABELS "${A_LABELS}" ENVIRONMENT "${A_ENV}" TIMEOUT ${A_TIMEOUT})
endfunction()

# A GoogleTest program run by CTest under Wine, as one test, and once more for each extra Windows
# version.
#   vgt_add_gtest(name SOURCES ... LIBS ... [WINVERS win98 ...] [LABELS ...] [ENV A=1 ...]
#                 [DEPENDS target ...] [TIMEOUT s] [OUTPUT_DIRECTORY dir] [POISON_HEAP] [OWN_MAIN])
# Sources may include .rc files. DEPENDS: what the program needs built beside it (a server it
# starts, catalogs). OUTPUT_DIRECTORY: the program and its copies are built into, and run from, a
# folder of their own (beside stand-in libraries). POISON_HEAP: the program runs on the poisoning
# heap (tests/support/PoisonHeap.h). OWN_MAIN: the sources define main themselves.
# Each extra Windows version gets a copy of the program named <name>_<version>.exe, since Wine
# picks the reported version by program name; the copy runs as its own test, labelled with its
# version. Every copy is listed in <build>/winversions.txt, where tools/winenv.sh finds them.
function(vgt_add_gtest name)
  cmake_parse_arguments(A "OWN_MAIN;POISON_HEAP" "TIMEOUT;OUTPUT_DIRECTORY"
                        "SOURCES;LIBS;WINVERS;LABELS;ENV;DEPENDS" ${ARGN})
  if(A_POISON_HEAP)
    list(APPEND A_SOURCES ${PROJECT_SOURCE_DIR}/tests/support/PoisonHeap.cpp)
  endif()
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS} gmock gtest)
  if(NOT A_OWN_MAIN)
    target_link_libraries(${name} PRIVATE vgt_testmain)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(A_DEPENDS)
    add_dependencies(${name} ${A_DEPENDS})
  endif()
  set(dir ${CMAKE_RUNTIME_OUTPUT_DIRECTORY})
  if(A_OUTPUT_DIRECTORY)
    set(dir ${A_OUTPUT_DIRECTORY})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${dir})
  endif()
  set(run TIMEOUT ${A_TIMEOUT} WORKING_DIRECTORY ${dir})
  vgt_add_test(${name} COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:${name}>
               LABELS ${A_LABELS} ENV ${A_ENV} ${run})
  foreach(ver ${A_WINVERS})
    set(copy ${dir}/${name}_${ver}.exe)
    # A hard link: a name of its own for Wine, without another copy of a program of some 30 MB
    # (the linker writes a new file, so the link is made again after every link of the program).
    add_custom_command(TARGET ${name} POST_BUILD
      COMMAND ln -f $<TARGET_FILE:${name}> ${copy} VERBATIM)
    vgt_add_test(${name}_${ver} COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} ${copy}
                 LABELS ${A_LABELS} ${ver} ENV VGT_WINVER=${ver} ${A_ENV} ${run})
    set_property(GLOBAL APPEND PROPERTY VGT_WINVERSION_COPIES "${name}_${ver}.exe ${ver}")
  endforeach()
  get_property(all GLOBAL PROPERTY VGT_WINVERSION_COPIES)
  list(JOIN all "\n" lines)
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/winversions.txt CONTENT "${lines}\n" @ONLY)
endfunction()

# A benchmark: a program that prints figures (tests/support/BenchFigures.h), never judged by CTest.
# tools/bench.sh runs every one listed in <build>/benches.txt and gathers their figures in a table.
#   vgt_add_bench(name SOURCES ... LIBS ... [DEPENDS target ...])
function(vgt_add_bench name)
  cmake_parse_arguments(A "" "" "SOURCES;LIBS;DEPENDS" ${ARGN})
  add_executable(${name} ${A_SOURCES})
  target_link_libraries(${name} PRIVATE ${A_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  if(A_DEPENDS)
    add_dependencies(${name} ${A_DEPENDS})
  endif()
  set_property(GLOBAL APPEND PROPERTY VGT_BENCHES ${name})
  get_property(all GLOBAL PROPERTY VGT_BENCHES)
  list(JOIN all "\n" lines)
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/benches.txt CONTENT "${lines}\n" @ONLY)
endfunction()

# A COM type library compiled from an IDL file by the target's widl (the platform's IDL files and
# its standard OLE library come from Wine's development and runtime packages; the OLE library's
# types are the same in either target's copy): the static library <target> holds the identifiers
# and gives its users the generated header <idl name>_h.h.
find_program(VGT_WIDL NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-widl REQUIRED)
set(VGT_WIDL_INCLUDE /usr/include/wine/wine/windows)
find_path(VGT_WIDL_LIBRARY stdole2.tlb NO_CMAKE_FIND_ROOT_PATH REQUIRED PATHS
  /usr/lib/i386-linux-gnu/wine/i386-windows /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
function(vgt_type_library target idl)
  get_filename_component(name ${idl} NAME_WE)
  get_filename_component(idl ${idl} ABSOLUTE)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target})
  file(MAKE_DIRECTORY ${dir})
  add_custom_command(
    OUTPUT ${dir}/${name}.tlb ${dir}/${name}_h.h ${dir}/${name}_i.c
    COMMAND ${VGT_WIDL} -t -h -u -I${VGT_WIDL_INCLUDE} -L${VGT_WIDL_LIBRARY}
            -o ${name}.tlb -H ${name}_h.h ${idl}
    WORKING_DIRECTORY ${dir}
    DEPENDS ${idl}
    COMMENT "Type library ${name}.tlb"
    VERBATIM)
  add_library(${target} STATIC ${dir}/${name}_i.c ${dir}/${name}_h.h)
  target_include_directories(${target} PUBLIC ${dir})
  target_link_libraries(${target} PUBLIC uuid ole32 oleaut32)
  # The resource script that carries the library as type-library resource 1 of a program; written
  # only when its text changes, so that re-running CMake does not relink the programs that carry it.
  file(CONFIGURE OUTPUT ${dir}/${name}_tlb.rc CONTENT "1 TYPELIB \"${dir}/${name}.tlb\"\n" @ONLY)
  set_target_properties(${target} PROPERTIES VGT_TLB ${dir}/${name}.tlb VGT_TLB_RC ${dir}/${name}_tlb.rc)
endfunction()

# Puts the type library of vgt_type_library's <typelib> into the program or DLL <target>.
function(vgt_embed_type_library target typelib)
  get_target_property(tlb ${typelib} VGT_TLB)
  get_target_property(rc ${typelib} VGT_TLB_RC)
  target_sources(${target} PRIVATE ${rc})
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${tlb})
  add_dependencies(${target} ${typelib})
endfunction()

# Makes a deliverable what a Windows user expects to install: the same optimised code the tests
# run, without the debug information that would make it some 15 times its size and that Wine reads
# into every process's private memory. The debug information stays in the build tree beside it as
# <file>.debug, which debuggers find through the link kept in the image.
function(vgt_ship target)
  set(file $<TARGET_FILE:${target}>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_OBJCOPY} --only-keep-debug ${file} ${file}.debug
    COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${file}.debug ${file}
    VERBATIM)
endfunction()
