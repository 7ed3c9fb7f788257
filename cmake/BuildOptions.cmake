# Warnings and sanitizers as an interface target that every target of ours links PRIVATE.
# Warnings become errors through the presets (CMAKE_COMPILE_WARNING_AS_ERROR), not here.
add_library(rir_build_options INTERFACE)
target_compile_options(rir_build_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast
  -Wnon-virtual-dtor -Woverloaded-virtual -Wimplicit-fallthrough -Wsuggest-override
  -Wnull-dereference
  # GCC's alone; clang builds the fuzz targets.
  $<$<CXX_COMPILER_ID:GNU>:-Wduplicated-cond -Wduplicated-branches -Wlogical-op>)

if(WIN32)
  # The narrow Windows calls take text in the system's ANSI code page, as our strings hold it.
  target_compile_definitions(rir_build_options INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX
    _WIN32_WINNT=0x0601)
endif()

if(RIR_FUZZ)
  # Coverage for libFuzzer in every target; the fuzz targets link the fuzzer's main themselves.
  target_compile_options(rir_build_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(rir_build_options INTERFACE -fsanitize=address,undefined)
endif()

if(RIR_SANITIZE)
  target_compile_options(rir_build_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(rir_build_options INTERFACE -fsanitize=address,undefined)
endif()
