# One interface target that carries the language level, warnings and sanitizers for every target of ours.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
  set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
endif()

if(QUORBEL_ASAN AND QUORBEL_TSAN)
  message(FATAL_ERROR "QUORBEL_ASAN and QUORBEL_TSAN cannot be combined")
endif()

add_library(quorbel_flags INTERFACE)
target_compile_options(quorbel_flags INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wold-style-cast -Wnon-virtual-dtor -Werror)
target_compile_definitions(quorbel_flags INTERFACE
  QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII QT_NO_CAST_FROM_BYTEARRAY QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)

if(QUORBEL_ASAN)
  target_compile_options(quorbel_flags INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(quorbel_flags INTERFACE -fsanitize=address,undefined)
endif()
if(QUORBEL_TSAN)
  target_compile_options(quorbel_flags INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(quorbel_flags INTERFACE -fsanitize=thread)
endif()
# Coverage feedback for libFuzzer in all of our code; the fuzz targets themselves link libFuzzer's main.
if(QUORBEL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "QUORBEL_FUZZ needs clang (scripts/fuzz)")
  endif()
  target_compile_options(quorbel_flags INTERFACE -fsanitize=fuzzer-no-link)
endif()

# Executables and the run-time loaded encoder module share one folder, where the encoder stage looks first.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin)
