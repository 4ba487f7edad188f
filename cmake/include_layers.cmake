# The layer check (scripts/check-layers) as a step of the build: every library of the project
# depends on it, so an include that crosses the layers fails `cmake --build` of any target,
# not only a test. It runs again whenever a source file changes, is added or goes. It runs on
# every host: a shell script, run by bash wherever the build runs (Git for Windows brings one).
find_program(ZARNETH_BASH bash)
if(NOT ZARNETH_BASH)
  message(FATAL_ERROR "The include check (scripts/check-layers) needs bash: install it (on "
                      "Windows, Git for Windows has it) or name it with -DZARNETH_BASH=PATH.")
endif()
file(GLOB_RECURSE zarneth_layered_sources CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/engine/*.cpp ${PROJECT_SOURCE_DIR}/engine/*.h
     ${PROJECT_SOURCE_DIR}/framework/*.cpp ${PROJECT_SOURCE_DIR}/framework/*.h
     ${PROJECT_SOURCE_DIR}/ui/*.cpp ${PROJECT_SOURCE_DIR}/ui/*.h
     ${PROJECT_SOURCE_DIR}/cli/*.cpp ${PROJECT_SOURCE_DIR}/cli/*.h
     ${PROJECT_SOURCE_DIR}/resources/*.cpp ${PROJECT_SOURCE_DIR}/resources/*.h
     ${PROJECT_SOURCE_DIR}/base/*.cpp ${PROJECT_SOURCE_DIR}/base/*.h
     ${PROJECT_SOURCE_DIR}/tests/*.cpp ${PROJECT_SOURCE_DIR}/tests/*.h
     ${PROJECT_SOURCE_DIR}/bench/*.cpp ${PROJECT_SOURCE_DIR}/bench/*.h)
set(zarneth_layers_stamp ${PROJECT_BINARY_DIR}/include_layers.stamp)
add_custom_command(OUTPUT ${zarneth_layers_stamp}
                   COMMAND ${ZARNETH_BASH} ${PROJECT_SOURCE_DIR}/scripts/check-layers
                           ${PROJECT_SOURCE_DIR}
                   COMMAND ${CMAKE_COMMAND} -E touch ${zarneth_layers_stamp}
                   DEPENDS ${zarneth_layered_sources} ${PROJECT_SOURCE_DIR}/scripts/check-layers
                   COMMENT "Checking that every include keeps to its layer" VERBATIM)
add_custom_target(zarneth_include_layers DEPENDS ${zarneth_layers_stamp})

# Makes every target the project defines in `directory` and below wait for the check: no
# list to keep, so a new library or program cannot be left out.
function(zarneth_check_layers_before_all directory)
  get_property(targets DIRECTORY ${directory} PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target ${targets})
    get_target_property(type ${target} TYPE)
    if(NOT type STREQUAL "INTERFACE_LIBRARY" AND NOT target STREQUAL "zarneth_include_layers")
      add_dependencies(${target} zarneth_include_layers)
    endif()
  endforeach()
  get_property(subdirectories DIRECTORY ${directory} PROPERTY SUBDIRECTORIES)
  foreach(subdirectory ${subdirectories})
    zarneth_check_layers_before_all(${subdirectory})
  endforeach()
endfunction()
