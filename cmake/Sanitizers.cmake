# AddressSanitizer and UndefinedBehaviorSanitizer on an interface target, so that
# every library, test and tool of one build shares the same runtime.
function(quorvex_set_sanitizers target)
  if(QUORVEX_SANITIZE)
    set(flags -fsanitize=address,undefined -fno-sanitize-recover=undefined
              -fno-omit-frame-pointer)
    target_compile_options(${target} INTERFACE ${flags})
    target_link_options(${target} INTERFACE ${flags})
  endif()
endfunction()
