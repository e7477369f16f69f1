# The plug-in bundle: Kest.aaxplugin/Contents/x86_64-linux/Kest.so with
# Contents/Resources beside it.  The entry points are the bundle's own source
# and pull in what they need of kest_core; the only symbols the library shows
# are the seven entry points named in KestBundle.map.
set(KEST_BUNDLE_DIR ${KEST_BINARY_DIR}/Kest.aaxplugin)
set(KEST_BUNDLE_BINARY_DIR ${KEST_BUNDLE_DIR}/Contents/x86_64-linux)
set(KEST_BUNDLE_RESOURCES_DIR ${KEST_BUNDLE_DIR}/Contents/Resources)
set(KEST_BUNDLE_MAP ${KEST_ROOT}/cmake/KestBundle.map)

add_library(kest_bundle SHARED ${KEST_ROOT}/aax/ACFEntryPoints.cpp)
target_link_libraries(kest_bundle PRIVATE kest_core)
target_compile_options(kest_bundle PRIVATE -Wall -Wextra)
target_link_options(kest_bundle PRIVATE
    -Wl,--version-script=${KEST_BUNDLE_MAP}
    -Wl,--exclude-libs,ALL)
# clang's sanitizer runtimes live in the executable, so a sanitized bundle
# leaves their symbols for the host to provide.
if (NOT (CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND CMAKE_CXX_FLAGS MATCHES "-fsanitize="))
    target_link_options(kest_bundle PRIVATE -Wl,-z,defs)
endif()
set_target_properties(kest_bundle PROPERTIES
    OUTPUT_NAME Kest
    PREFIX ""
    SUFFIX ".so"
    LIBRARY_OUTPUT_DIRECTORY ${KEST_BUNDLE_BINARY_DIR}
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${KEST_BUNDLE_MAP})
add_custom_command(TARGET kest_bundle POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E make_directory ${KEST_BUNDLE_RESOURCES_DIR})

set(KEST_BUNDLE_FILE ${KEST_BUNDLE_BINARY_DIR}/Kest.so)
