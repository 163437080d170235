# Warnings are errors in our own code; third-party headers come in as SYSTEM.
function(kestrel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-missing-field-initializers)
endfunction()
