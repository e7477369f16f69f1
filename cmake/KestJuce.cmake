# JUCE's modules, compiled into static libraries.  Every symbol is hidden so
# that the plug-in bundle can carry its own copy of JUCE next to the host's
# copy in the same process.
#
# kest_juce is the plug-in's copy (no audio or MIDI devices: the host owns
# those).  kest_host_juce is the host stand-in's copy, the same modules with
# the system's audio and MIDI devices (ALSA, and JACK where its server runs).
function(kest_add_juce_library name with_devices)
    add_library(${name} STATIC)

    target_link_libraries(${name}
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

    target_compile_definitions(${name}
        PUBLIC
            JUCE_MODAL_LOOPS_PERMITTED=1
            JUCE_WEB_BROWSER=0
            JUCE_USE_CURL=0
            JUCE_USE_FLAC=0
            JUCE_USE_OGGVORBIS=0
            JUCE_STANDALONE_APPLICATION=0
            JUCE_DISPLAY_SPLASH_SCREEN=0
            JUCE_USE_DARK_SPLASH_SCREEN=0
            JUCE_REPORT_APP_USAGE=0
            JUCE_INCLUDE_PNGLIB_CODE=0
            JUCE_INCLUDE_JPEGLIB_CODE=0
            JUCE_INCLUDE_ZLIB_CODE=0
            JUCE_GLOBAL_MODULE_SETTINGS_INCLUDED=1
        INTERFACE
            $<TARGET_PROPERTY:${name},COMPILE_DEFINITIONS>)

    target_include_directories(${name}
        INTERFACE
            $<TARGET_PROPERTY:${name},INCLUDE_DIRECTORIES>)

    target_link_libraries(${name} PUBLIC PNG::PNG JPEG::JPEG ZLIB::ZLIB)

    set_target_properties(${name} PROPERTIES
        POSITION_INDEPENDENT_CODE ON
        C_VISIBILITY_PRESET hidden
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)

    # The devices matter only to JUCE's own sources (its headers declare the
    # same either way), so they stay out of what users of the library see.
    target_compile_options(${name} PRIVATE -DJUCE_ALSA=${with_devices} -DJUCE_JACK=${with_devices})

    # JUCE's own sources are not ours to warn about.
    target_compile_options(${name} PRIVATE -w)
endfunction()

find_package(PNG REQUIRED)
find_package(JPEG REQUIRED)
find_package(ZLIB REQUIRED)

kest_add_juce_library(kest_juce 0)

# The host's copy: ALSA is linked; JACK is opened at run time when present.
kest_add_juce_library(kest_host_juce 1)
find_package(ALSA REQUIRED)
target_link_libraries(kest_host_juce PUBLIC ALSA::ALSA ${CMAKE_DL_LIBS})
