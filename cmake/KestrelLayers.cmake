# One static library per layer, from every .cpp in its folder. A layer's
# code sees only the folders it may include: its own and those `uses_<dir>`
# names (the allowed arrows, src/CMakeLists.txt). They are offered to the
# compiler through a folder of links, so an include that breaks the table
# does not compile.
function(kestrel_layer_view target dir)
  set(view ${PROJECT_BINARY_DIR}/layers/${dir})
  file(REMOVE_RECURSE ${view})
  file(MAKE_DIRECTORY ${view})
  foreach(folder ${dir} ${uses_${dir}})
    if(EXISTS ${PROJECT_SOURCE_DIR}/src/${folder})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${folder} ${view}/${folder} SYMBOLIC)
    endif()
  endforeach()
  target_include_directories(${target} PRIVATE ${view})
endfunction()

function(kestrel_layer name dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
  add_library(${name} STATIC ${srcs})
  kestrel_layer_view(${name} ${dir})
  kestrel_warnings(${name})
  target_link_libraries(${name} PUBLIC ${ARGN})
endfunction()

# The table as text, one line a folder ("frame: site settings platform common"),
# for the test that reads every include under src/.
function(kestrel_write_layers folders)
  set(text "")
  foreach(folder ${folders})
    string(JOIN " " uses ${uses_${folder}})
    string(APPEND text "${folder}: ${uses}\n")
  endforeach()
  file(WRITE ${PROJECT_BINARY_DIR}/layers.txt "${text}")
endfunction()
