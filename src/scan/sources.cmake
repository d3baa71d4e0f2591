# The genome scan's sources (halvik scan), part of the core library.
set(HALVIK_SCAN_SOURCES
  src/scan/scan.cpp)
