# Builds Orvel's VST3 and LV2 against Debian's JUCE with the fixes in cmake/juce-patches/
# (their reasons: cmake/juce-patches/README.md). The installed JUCE is never modified: the
# module files that the patches change are copied into the build tree, patched there, and only
# the VST3 and LV2 targets compile the copies. Include this file right after
# juce_add_plugin(Orvel ...).

include_guard(GLOBAL)

if(NOT TARGET Orvel_VST3 OR NOT TARGET juce_audio_plugin_client_VST3
   OR NOT TARGET Orvel_LV2 OR NOT TARGET juce_audio_plugin_client_LV2)
    message(FATAL_ERROR "Include JucePatches.cmake after juce_add_plugin(Orvel ... FORMATS VST3 LV2 ...).")
endif()

# The patches are made against this release; another one needs them reviewed, not fuzzed in.
set(ORVEL_JUCE_PATCHES_FOR_VERSION 7.0.5)
if(NOT JUCE_VERSION VERSION_EQUAL ORVEL_JUCE_PATCHES_FOR_VERSION)
    message(FATAL_ERROR "cmake/juce-patches/ is made for JUCE ${ORVEL_JUCE_PATCHES_FOR_VERSION}, "
                        "found JUCE ${JUCE_VERSION}: review the patches for this release.")
endif()

find_program(ORVEL_PATCH_EXECUTABLE patch REQUIRED)

set(_orvel_patch_dir "${CMAKE_CURRENT_LIST_DIR}/juce-patches")
set(_orvel_juce_out "${CMAKE_BINARY_DIR}/juce-patched")
set(_orvel_juce_stage "${CMAKE_BINARY_DIR}/juce-patched-stage")

file(GLOB _orvel_juce_patches CONFIGURE_DEPENDS "${_orvel_patch_dir}/*.patch")
list(SORT _orvel_juce_patches)
if(NOT _orvel_juce_patches)
    message(FATAL_ERROR "No patches in ${_orvel_patch_dir}")
endif()

# The files to patch, relative to the modules folder, as each patch names them ("+++ b/...").
set(_orvel_juce_files)
foreach(_patch IN LISTS _orvel_juce_patches)
    file(STRINGS "${_patch}" _targets REGEX "^\\+\\+\\+ b/")
    foreach(_line IN LISTS _targets)
        string(REGEX REPLACE "^\\+\\+\\+ b/([^\t ]+).*$" "\\1" _file "${_line}")
        list(APPEND _orvel_juce_files "${_file}")
    endforeach()
    set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_patch}")
endforeach()
list(REMOVE_DUPLICATES _orvel_juce_files)

# Only the VST3 and LV2 targets see the copies: through the wrapper module's own sources, or
# (VST3 only) through the include path. A patched source file of another module would
# silently do nothing.
foreach(_file IN LISTS _orvel_juce_files)
    if(NOT _file MATCHES "^juce_audio_plugin_client/" AND NOT _file MATCHES "\\.h$")
        message(FATAL_ERROR "cmake/juce-patches/ can patch the plug-in client module and headers only, not ${_file}")
    endif()
endforeach()

# Patch fresh copies in a staging folder. JUCE's sources have CRLF line ends; the copies and
# the patches use LF, so that the patches read as plain text.
file(REMOVE_RECURSE "${_orvel_juce_stage}")
foreach(_file IN LISTS _orvel_juce_files)
    set(_original "${JUCE_MODULES_DIR}/${_file}")
    if(NOT EXISTS "${_original}")
        message(FATAL_ERROR "JUCE patch target ${_original} does not exist")
    endif()
    file(READ "${_original}" _text)
    string(REPLACE "\r\n" "\n" _text "${_text}")
    file(WRITE "${_orvel_juce_stage}/${_file}" "${_text}")
    set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${_original}")
endforeach()

foreach(_patch IN LISTS _orvel_juce_patches)
    execute_process(
        COMMAND "${ORVEL_PATCH_EXECUTABLE}" -p1 --batch --forward --fuzz=0 --no-backup-if-mismatch
                --reject-file=- -i "${_patch}"
        WORKING_DIRECTORY "${_orvel_juce_stage}"
        RESULT_VARIABLE _result
        OUTPUT_VARIABLE _output
        ERROR_VARIABLE _output)
    if(NOT _result EQUAL 0)
        message(FATAL_ERROR "JUCE patch ${_patch} does not apply to ${JUCE_MODULES_DIR}:\n${_output}")
    endif()
    get_filename_component(_name "${_patch}" NAME)
    message(STATUS "JUCE patch applied: ${_name}")
endforeach()

# The VST3 wrapper's translation unit includes its neighbours by relative path, so the VST3
# client module is copied whole (it is small); other patched files are reached through the
# include path and are copied alone. A file is written only when its content differs, and then
# gets a new time stamp: a new configure rebuilds nothing unless a patch or JUCE changed, and
# dropping a patch rebuilds what it had changed.
file(GLOB_RECURSE _module_files RELATIVE "${JUCE_MODULES_DIR}" "${JUCE_MODULES_DIR}/juce_audio_plugin_client/*")
set(_copies ${_module_files} ${_orvel_juce_files})
list(REMOVE_DUPLICATES _copies)

foreach(_file IN LISTS _copies)
    if(_file IN_LIST _orvel_juce_files)
        set(_from "${_orvel_juce_stage}/${_file}")
    else()
        set(_from "${JUCE_MODULES_DIR}/${_file}")
    endif()
    get_filename_component(_folder "${_orvel_juce_out}/${_file}" DIRECTORY)
    file(MAKE_DIRECTORY "${_folder}")
    file(COPY_FILE "${_from}" "${_orvel_juce_out}/${_file}" ONLY_IF_DIFFERENT)
endforeach()

# A file that no patch names any more must not shadow JUCE's own.
file(GLOB_RECURSE _existing RELATIVE "${_orvel_juce_out}" "${_orvel_juce_out}/*")
foreach(_file IN LISTS _existing)
    if(NOT _file IN_LIST _copies)
        file(REMOVE "${_orvel_juce_out}/${_file}")
    endif()
endforeach()

# The VST3 and LV2 targets compile the copied wrappers; the VST3 target also finds the patched
# headers first. The LV2 wrapper reads JUCE's headers as installed.
set(_patched_sources)
foreach(_format IN ITEMS VST3 LV2)
    get_target_property(_sources juce_audio_plugin_client_${_format} INTERFACE_SOURCES)
    set(_format_sources)
    foreach(_source IN LISTS _sources)
        string(REPLACE "${JUCE_MODULES_DIR}/juce_audio_plugin_client/" "${_orvel_juce_out}/juce_audio_plugin_client/"
               _source "${_source}")
        list(APPEND _format_sources "${_source}")
    endforeach()
    set_target_properties(juce_audio_plugin_client_${_format} PROPERTIES INTERFACE_SOURCES "${_format_sources}")
    list(APPEND _patched_sources ${_format_sources})
endforeach()
target_include_directories(Orvel_VST3 BEFORE PRIVATE "${_orvel_juce_out}")

# Any change to the set of patches rebuilds the wrapper: a header that starts or stops shadowing
# JUCE's own is invisible to the compiler's dependency files, which name the old one.
set(_stamp_text "")
foreach(_patch IN LISTS _orvel_juce_patches)
    file(SHA256 "${_patch}" _hash)
    get_filename_component(_name "${_patch}" NAME)
    string(APPEND _stamp_text "${_hash}  ${_name}\n")
endforeach()
file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/juce-patched.stamp" CONTENT "${_stamp_text}")
set_source_files_properties(${_patched_sources} PROPERTIES OBJECT_DEPENDS "${CMAKE_BINARY_DIR}/juce-patched.stamp")
