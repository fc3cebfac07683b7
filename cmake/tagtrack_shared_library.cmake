# tagtrack_shared_library(<name> <header folder> <sources...>) makes the shared library
# tagtrack_<name> of the current folder: its alias and installed name tagtrack::<name>, its export
# header <tagtrack/<header folder>/<name>_export.h> with the macro TAGTRACK_<NAME>_EXPORT, its
# public headers under include/ (less internal/), and its CMake export set
# tagtrack<Name>Targets.cmake, which the package's config file reads as the component <name>.
function(tagtrack_shared_library name header_folder)
  set(target tagtrack_${name})
  add_library(${target} SHARED ${ARGN})
  add_library(tagtrack::${name} ALIAS ${target})
  set_target_properties(${target} PROPERTIES
    EXPORT_NAME ${name}
    VERSION ${PROJECT_VERSION}
    SOVERSION ${PROJECT_VERSION_MAJOR})
  string(TOUPPER ${name} upper)
  set(export_header ${PROJECT_BINARY_DIR}/include/tagtrack/${header_folder}/${name}_export.h)
  generate_export_header(${target} BASE_NAME TAGTRACK_${upper} EXPORT_FILE_NAME ${export_header})
  target_include_directories(${target}
    PUBLIC
      $<BUILD_INTERFACE:${CMAKE_CURRENT_SOURCE_DIR}/include>
      $<BUILD_INTERFACE:${PROJECT_BINARY_DIR}/include>
      $<INSTALL_INTERFACE:${CMAKE_INSTALL_INCLUDEDIR}>)
  string(SUBSTRING ${name} 0 1 first)
  string(TOUPPER ${first} first)
  string(SUBSTRING ${name} 1 -1 rest)
  set(export_set tagtrack${first}${rest}Targets)
  install(TARGETS ${target} EXPORT ${export_set}
    LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(DIRECTORY include/ DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}
    FILES_MATCHING PATTERN "*.h" PATTERN "internal" EXCLUDE)
  install(FILES ${export_header} DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/tagtrack/${header_folder})
  install(EXPORT ${export_set} NAMESPACE tagtrack:: FILE ${export_set}.cmake
    DESTINATION ${CMAKE_INSTALL_LIBDIR}/cmake/tagtrack)
endfunction()
