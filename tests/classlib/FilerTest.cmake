# Form descriptions read from text: the ranges of numbers and the text of reading errors.
vgt_add_gtest(ClasslibFilerTest
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/FilerTest.cpp
  LIBS vgt_classlib
  LABELS classlib)
