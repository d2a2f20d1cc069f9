# One target that carries the language standard, the warnings and the sanitizer options,
# linked by every target of the project.
add_library(brenwick_build_flags INTERFACE)
target_compile_features(brenwick_build_flags INTERFACE cxx_std_20)
target_compile_options(brenwick_build_flags INTERFACE -Wall -Wextra -Wpedantic -Wshadow
                       -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual)
if(BRENWICK_WERROR)
  target_compile_options(brenwick_build_flags INTERFACE -Werror)
endif()
target_compile_definitions(brenwick_build_flags INTERFACE $<$<CONFIG:Debug>:_GLIBCXX_ASSERTIONS>)

if(BRENWICK_SANITIZE STREQUAL "address")
  set(_san -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
elseif(BRENWICK_SANITIZE STREQUAL "thread")
  set(_san -fsanitize=thread -fno-omit-frame-pointer)
elseif(BRENWICK_SANITIZE STREQUAL "fuzzer")
  # Everything instrumented for libFuzzer's coverage; only the fuzz targets link its main.
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "BRENWICK_SANITIZE=fuzzer needs clang")
  endif()
  set(_san -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
           -fno-omit-frame-pointer)
elseif(NOT BRENWICK_SANITIZE STREQUAL "")
  message(FATAL_ERROR "BRENWICK_SANITIZE must be empty, 'address', 'thread' or 'fuzzer'")
endif()
if(_san)
  target_compile_options(brenwick_build_flags INTERFACE ${_san})
  target_link_options(brenwick_build_flags INTERFACE ${_san})
  target_compile_definitions(brenwick_build_flags INTERFACE _GLIBCXX_ASSERTIONS)
endif()
