# The targets' sources, shared by the libFuzzer programs (fuzz/CMakeLists.txt)
# and the corpus replay test (tests/fuzz/CMakeLists.txt).
set(QX_FUZZ_TARGET_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/ParseTarget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CompileTarget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FormulaGenerator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CalculateTarget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShapeTarget.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RangeDifferential.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RangeTarget.cpp
)
