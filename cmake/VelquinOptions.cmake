# Build switches shared by every target: warnings, sanitizers, fuzzing.
option(VELQUIN_WERROR "Treat compiler warnings as errors" ON)
set(VELQUIN_SANITIZE "" CACHE STRING "Sanitizers to build with: address,undefined or thread")
option(VELQUIN_FUZZ "Build the fuzz targets with libFuzzer (needs clang)" OFF)

# velquin_set_warnings(target): the project's warning set on one target.
function(velquin_set_warnings target)
  target_compile_options(${target} PRIVATE
    $<$<COMPILE_LANGUAGE:CXX,C>:-Wall -Wextra -Wpedantic -Wnon-virtual-dtor>
    $<$<AND:$<BOOL:${VELQUIN_WERROR}>,$<COMPILE_LANGUAGE:CXX,C>>:-Werror>)
endfunction()

if(VELQUIN_SANITIZE)
  add_compile_options(-fsanitize=${VELQUIN_SANITIZE} -fno-omit-frame-pointer -fno-sanitize-recover=all)
  # GCC 12's flow analysis under sanitizer instrumentation reports uninitialised
  # members inside the standard library (std::regex, std::function) that are not.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-Wno-maybe-uninitialized)
  endif()
  add_link_options(-fsanitize=${VELQUIN_SANITIZE})
endif()

if(VELQUIN_FUZZ)
  # Every library the fuzz targets call is instrumented for coverage, not only the
  # targets' own files: libFuzzer can only steer by code it sees.
  add_compile_options($<$<COMPILE_LANGUAGE:CXX,C>:-fsanitize=fuzzer-no-link>)
endif()
