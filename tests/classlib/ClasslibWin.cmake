
# The windowing class library: controls, forms, form descriptions, actions, drawing.
vgt_add_gtest(ClasslibWinControlsTest
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WinControlsTest.cpp
  LIBS vgt_classlib
  WINVERS ${VGT_WINDOW_TEST_VERSIONS} POISON_HEAP
  LABELS classlib)

# How components, controls and forms die; starts a copy of itself to see the end of a program.
vgt_add_gtest(ClasslibWinLifetimeTest
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/LifetimeTest.cpp
  LIBS vgt_classlib
  WINVERS ${VGT_WINDOW_TEST_VERSIONS} POISON_HEAP
  LABELS classlib)

# Forms read from descriptions compiled into the test program's resources.
vgt_add_gtest(ClasslibWinFormTest
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/FormTest.cpp ${CMAKE_CURRENT_LIST_DIR}/GraphicsTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/FormTest.rc
  LIBS vgt_classlib vgt_screenshot vgt_test_support
  WINVERS ${VGT_WINDOW_TEST_VERSIONS} POISON_HEAP
  LABELS classlib)
target_include_directories(ClasslibWinFormTest PRIVATE ${CMAKE_CURRENT_LIST_DIR})
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/FormTest.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_CURRENT_LIST_DIR}/TestForm.fdt;${CMAKE_CURRENT_LIST_DIR}/DerivedForm.fdt")
