# The genome scan's tests, part of halvik_tests.
set(HALVIK_SCAN_TESTS
  scan_inputs_test.cpp
  scan_parts_test.cpp
  scan_reference_test.cpp
  scan_runs_test.cpp)
