# Warnings every target is built with; QUORVEX_WERROR turns them into errors.
function(quorvex_set_warnings target)
  set(warnings
      -Wall
      -Wextra
      -Wpedantic
      -Wshadow             # a local hiding another name is almost always a slip
      -Wnon-virtual-dtor   # polymorphic classes must delete through the base
      -Wold-style-cast
      -Wcast-align
      -Wunused
      -Woverloaded-virtual
      -Wconversion         # implicit narrowing hides overflow in size arithmetic
      -Wdouble-promotion
      -Wformat=2
      -Wimplicit-fallthrough)
  if(QUORVEX_WERROR)
    list(APPEND warnings -Werror)
  endif()
  target_compile_options(${target} INTERFACE $<$<COMPILE_LANGUAGE:CXX>:${warnings}>)
endfunction()
