# The API reference: HTML made by Doxygen from the public headers (<folder>/include/tagtrack/,
# internal/ left out), whose plain comments doxygen_comments.sed hands to Doxygen as their
# documentation. Built only on request, `cmake --build build --target tagtrack_api_docs` (or
# scripts/api_docs.sh), never by `all` or the tests; absent when Doxygen is not found.
find_package(Doxygen QUIET)
if(NOT DOXYGEN_FOUND)
  return()
endif()

set(api_headers ${PROJECT_SOURCE_DIR}/include/tagtrack/tagging_tracking.h)
set(api_include_dirs ${PROJECT_SOURCE_DIR}/include)
foreach(folder kernel tagging tag_manager recipes tracking matching occt)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${folder}/include/tagtrack/*.h)
  list(FILTER found EXCLUDE REGEX "/internal/")
  list(APPEND api_headers ${found})
  list(APPEND api_include_dirs ${PROJECT_SOURCE_DIR}/${folder}/include)
endforeach()

set(DOXYGEN_PROJECT_NAME tagtrack)
set(DOXYGEN_PROJECT_NUMBER ${PROJECT_VERSION})
set(DOXYGEN_PROJECT_BRIEF
    "Persistent tags and recipes for the faces, edges and vertices of B-rep solids")
set(DOXYGEN_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/api_docs)
set(DOXYGEN_GENERATE_HTML YES)
set(DOXYGEN_GENERATE_LATEX NO)
set(DOXYGEN_QUIET YES)
# Every declaration is listed, commented or not; an uncommented one is no warning.
set(DOXYGEN_EXTRACT_ALL YES)
set(DOXYGEN_WARN_IF_UNDOCUMENTED NO)
set(DOXYGEN_JAVADOC_AUTOBRIEF YES)
set(DOXYGEN_INPUT_FILTER "sed -f ${CMAKE_CURRENT_LIST_DIR}/doxygen_comments.sed")
# Headers named as sources include them: <tagtrack/...>.
set(DOXYGEN_FULL_PATH_NAMES YES)
set(DOXYGEN_STRIP_FROM_PATH ${PROJECT_SOURCE_DIR})
set(DOXYGEN_STRIP_FROM_INC_PATH ${api_include_dirs})
# The export macros are generated at configure time; the reference shows declarations without them.
set(DOXYGEN_ENABLE_PREPROCESSING YES)
set(DOXYGEN_MACRO_EXPANSION YES)
set(DOXYGEN_EXPAND_ONLY_PREDEF YES)
set(DOXYGEN_PREDEFINED TAGTRACK_EXPORT= TAGTRACK_OCCT_EXPORT= TPK_KERNEL_EXPORT=)

doxygen_add_docs(tagtrack_api_docs ${api_headers}
                 COMMENT "The API reference: ${DOXYGEN_OUTPUT_DIRECTORY}/html/index.html")
