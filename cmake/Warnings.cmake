# Every target of the project builds with the same warning set.
function(plimo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
  if(PLIMO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
