# The windowing class library: controls, forms, form descriptions, actions, drawing.
vgt_add_gtest(ClasslibWinControlsTest
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WinControlsTest.cpp
  LIBS vgt_classlib
  WINVERS win98
  LABELS classlib)

# Forms read from descriptions compiled into the test program's resources.
vgt_add_gtest(ClasslibWinFormTest
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/FormTest.cpp ${CMAKE_CURRENT_LIST_DIR}/GraphicsTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/Screenshot.cpp ${CMAKE_CURRENT_LIST_DIR}/FormTest.rc
  LIBS vgt_classlib
  LABELS classlib)
target_include_directories(ClasslibWinFormTest PRIVATE ${CMAKE_CURRENT_LIST_DIR})
set_source_files_properties(${CMAKE_CURRENT_LIST_DIR}/FormTest.rc PROPERTIES OBJECT_DEPENDS
  "${CMAKE_CURRENT_LIST_DIR}/TestForm.fdt;${CMAKE_CURRENT_LIST_DIR}/DerivedForm.fdt")
