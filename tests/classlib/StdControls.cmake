# The standard and common controls, read from a form description with one of each.
vgt_add_gtest(ClasslibWinControlsFormTest
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/ControlsTest.cpp ${CMAKE_CURRENT_LIST_DIR}/ToolBarsTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ControlsTest.rc
  LIBS vgt_classlib vgt_screenshot
  WINVERS ${VGT_WINDOW_TEST_VERSIONS} POISON_HEAP
  LABELS classlib)
target_include_directories(ClasslibWinControlsFormTest PRIVATE ${CMAKE_CURRENT_LIST_DIR})
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/ControlsTest.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_CURRENT_LIST_DIR}/ControlsForm.fdt;${CMAKE_CURRENT_LIST_DIR}/ToolsForm.fdt;${CMAKE_CURRENT_LIST_DIR}/ToolsFrame.fdt;${CMAKE_CURRENT_LIST_DIR}/RedBlue.jpg;${CMAKE_CURRENT_LIST_DIR}/TwoImages.bmp")

# Filling a combo box with 10,000 items against a plain one, and reading form descriptions of many
# siblings and of deep nesting: benchmarks, not run by the test suite.
vgt_add_bench(ComboFillBench SOURCES ${CMAKE_CURRENT_LIST_DIR}/ComboFillBench.cpp LIBS vgt_classlib)
vgt_add_bench(FormReaderBench SOURCES ${CMAKE_CURRENT_LIST_DIR}/FormReaderBench.cpp LIBS vgt_classlib)
