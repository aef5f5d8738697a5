# Sanitizer builds apply to every target, libraries and tests alike, so that
# a fault anywhere in the call chain is caught.
if(PLIMO_SANITIZE AND PLIMO_TSAN)
  message(FATAL_ERROR "PLIMO_SANITIZE and PLIMO_TSAN cannot be combined")
endif()
if(PLIMO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
  # GCC's instrumentation confuses its own flow analysis: libstdc++'s <regex>
  # then draws maybe-uninitialized warnings that the plain build does not.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-Wno-maybe-uninitialized)
  endif()
endif()
if(PLIMO_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
# Fuzzing instruments everything for coverage and checks it with ASan and
# UBSan; only the fuzz binaries link libFuzzer itself (tests/fuzz).
if(PLIMO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "PLIMO_FUZZ needs clang (CC=clang CXX=clang++)")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
endif()
