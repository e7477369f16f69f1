# kest_core: the system's own code as one static library.  The include root is
# the repository root, so code includes "engine/AudioEngine.h" and so on.
set(KEST_CORE_FOLDERS engine platform gui linking presets editor aax wrapper)

set(KEST_CORE_SOURCES "")
foreach (folder IN LISTS KEST_CORE_FOLDERS)
    file(GLOB folder_sources CONFIGURE_DEPENDS
        ${KEST_ROOT}/${folder}/*.cpp
        ${KEST_ROOT}/${folder}/*.h)
    list(APPEND KEST_CORE_SOURCES ${folder_sources})
endforeach()

# The exported entry points are compiled into the plug-in bundle itself
# (cmake/KestBundle.cmake): symbols that come from an archive stay hidden there.
list(FILTER KEST_CORE_SOURCES EXCLUDE REGEX "/aax/ACFEntryPoints\\.cpp$")

# The framework opens its own X11 library at run time; the code that tells
# the window manager how the program's windows stand links it directly.
find_package(X11 REQUIRED)

add_library(kest_core STATIC ${KEST_CORE_SOURCES})
target_include_directories(kest_core PUBLIC ${KEST_ROOT})
target_link_libraries(kest_core PUBLIC kest_juce X11::X11)
target_compile_options(kest_core PRIVATE -Wall -Wextra -Wno-unused-parameter)
set_target_properties(kest_core PROPERTIES
    POSITION_INDEPENDENT_CODE ON
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)

# The about box shows the project's version and opens the repository's README
# and LICENSE as local files.
set_source_files_properties(${KEST_ROOT}/editor/AboutBox.cpp PROPERTIES COMPILE_DEFINITIONS
    "KEST_VERSION_STRING=\"${PROJECT_VERSION}\"")
