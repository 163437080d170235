# Warnings are errors in our own code; third-party headers come in as SYSTEM.
function(kestrel_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wno-missing-field-initializers)
endfunction()

# One static library per layer, from every .cpp in its folder.
function(kestrel_layer name dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  kestrel_warnings(${name})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()
