# Warnings are errors in every target of this project.
function(fundort_add_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror -Wshadow
                                           -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
                                           -Woverloaded-virtual)
endfunction()
