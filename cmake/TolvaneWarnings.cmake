# Our own targets build warning-free; third-party code (the SQLite amalgamation)
# is compiled without these flags.
function(tolvane_target_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Werror
    -Wnon-virtual-dtor -Woverloaded-virtual -Wformat=2)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE
      -Wshadow=local
      # GCC 12 reports impossible overlaps in std::string concatenation at -O3
      # (a known false positive of its -Wrestrict); it would fail release builds.
      -Wno-restrict)
  endif()
endfunction()
