# JUCE's modules, compiled once into one static library.  Every symbol is
# hidden so that the plug-in bundle can carry its own copy of JUCE next to the
# host's copy in the same process.
add_library(kest_juce STATIC)

target_link_libraries(kest_juce
    PRIVATE
        juce::juce_core
        juce::juce_events
        juce::juce_data_structures
        juce::juce_graphics
        juce::juce_gui_basics
        juce::juce_audio_basics
        juce::juce_audio_formats
        juce::juce_audio_processors
        juce::juce_audio_devices
        juce::juce_audio_utils
    PUBLIC
        juce::juce_recommended_config_flags)

target_compile_definitions(kest_juce
    PUBLIC
        JUCE_MODAL_LOOPS_PERMITTED=1
        JUCE_WEB_BROWSER=0
        JUCE_USE_CURL=0
        JUCE_USE_FLAC=0
        JUCE_USE_OGGVORBIS=0
        JUCE_ALSA=0
        JUCE_JACK=0
        JUCE_STANDALONE_APPLICATION=0
        JUCE_DISPLAY_SPLASH_SCREEN=0
        JUCE_USE_DARK_SPLASH_SCREEN=0
        JUCE_REPORT_APP_USAGE=0
        JUCE_INCLUDE_PNGLIB_CODE=0
        JUCE_INCLUDE_JPEGLIB_CODE=0
        JUCE_INCLUDE_ZLIB_CODE=0
        JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
    INTERFACE
        $<TARGET_PROPERTY:kest_juce,COMPILE_DEFINITIONS>)

target_include_directories(kest_juce
    INTERFACE
        $<TARGET_PROPERTY:kest_juce,INCLUDE_DIRECTORIES>)

find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(ZLIB REQUIRED)
target_link_libraries(kest_juce PUBLIC PNG::PNG JPEG::JPEG ZLIB::ZLIB)

set_target_properties(kest_juce PROPERTIES
    POSITION_INDEPENDENT_CODE ON
    C_VISIBILITY_PRESET hidden
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)

# JUCE's own sources are not ours to warn about.
target_compile_options(kest_juce PRIVATE -w)
