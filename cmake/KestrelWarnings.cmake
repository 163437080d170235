# Warnings everywhere in our own code; third-party headers come in as SYSTEM.
# They are errors in the developers' and CI builds (KESTREL_WERROR, on in
# scripts/test), not in a packager's: a new compiler's false warning must not
# stop a release build.
option(KESTREL_WERROR "Treat warnings in Kestrel's own code as errors" OFF)

function(kestrel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wno-missing-field-initializers)
  if(KESTREL_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
