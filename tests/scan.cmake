# The genome scan's tests, part of halvik_tests.
set(HALVIK_SCAN_TESTS)
