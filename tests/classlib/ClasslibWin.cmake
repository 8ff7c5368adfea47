# The windowing class library: controls, forms, form descriptions, actions, drawing.
vgt_add_gtest(ClasslibWinControlsTest
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/WinControlsTest.cpp
  LIBS vgt_classlib
  LABELS classlib)
