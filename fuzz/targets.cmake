# The fuzz targets, one line each: the name (fuzz/NAME_target.cpp, seed
# corpus fuzz/corpus/NAME, regression inputs fuzz/regressions/NAME), then
# the libraries its harness needs besides tremalu_picture. Read by
# fuzz/CMakeLists.txt (the fuzzers) and tests/CMakeLists.txt (the replay of
# every corpus and regression input under the sanitizers).
set(TREMALU_FUZZ_TARGETS
  "bmp"
  "jpeg"
  "jpeg_rows tremalu_stereo"
  "mpo"
  "gif"
  "gif_painter"
  "gif_threaded"
  "icon"
  "wmf"
  "emf"
)

# Calls body_function(NAME LIBRARIES...) for every target.
macro(tremalu_for_each_fuzz_target body_function)
  foreach(entry IN LISTS TREMALU_FUZZ_TARGETS)
    string(REPLACE " " ";" fields "${entry}")
    cmake_language(CALL ${body_function} ${fields})
  endforeach()
endmacro()
