# Compiler options shared by every Galvia target: the program, its libraries, the
# metafile decoder, the tests, the benchmarks and the fuzzer.
#
#   GALVIA_WERROR    warnings are errors (on by default; a distribution build turns it off
#                    so that a newer compiler's new warnings do not break it)
#   GALVIA_SANITIZE  AddressSanitizer and UndefinedBehaviorSanitizer on everything built
include_guard(GLOBAL)

option(GALVIA_WERROR "Treat warnings as errors in Galvia's own code" ON)
option(GALVIA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)

if(GALVIA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# galvia_options(target): the warnings and definitions of Galvia's own code.
function(galvia_options target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(GALVIA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
  target_compile_definitions(${target} PRIVATE QT_NO_KEYWORDS)
endfunction()
