# Version information of the programs, written once per program in a
# description file (resources/<program>.version) and turned by ft_versiongen
# into a Windows VERSIONINFO script and, on POSIX, the same VS_VERSIONINFO
# block in the ELF section ".ft_version" of the executable.
#
#   ft_add_version_info(<target> <description-file>)
#
# Adds the generated resource script (Windows) or the block source (POSIX)
# to the executable <target>, which must be defined in the calling directory.
# Sets the target properties FT_VERSION_RC and FT_VERSION_SOURCE to the
# generated files. Include this file from the top-level CMakeLists.txt.

include_guard(GLOBAL)

# The POSIX version functions (platform/VersionInfo_posix.cpp) read this section.
set(FT_VERSION_SECTION ".ft_version")
set(_FT_VERSIONGEN_SOURCE "${CMAKE_CURRENT_LIST_DIR}/versiongen/VersionGen.cpp")

if(WIN32)
    enable_language(RC)
endif()

# The generator runs on the build machine; a cross build compiles it with
# the host's own compiler.
function(_ft_versiongen_tool out_command out_depends)
    if(NOT CMAKE_CROSSCOMPILING)
        if(NOT TARGET ft_versiongen)
            add_executable(ft_versiongen "${_FT_VERSIONGEN_SOURCE}")
            target_compile_features(ft_versiongen PRIVATE cxx_std_20)
        endif()
        set(${out_command} "$<TARGET_FILE:ft_versiongen>" PARENT_SCOPE)
        set(${out_depends} ft_versiongen PARENT_SCOPE)
        return()
    endif()
    find_program(FT_HOST_CXX NAMES c++ g++ clang++ REQUIRED
        DOC "C++ compiler of the build machine, for build-time tools")
    set(tool "${CMAKE_BINARY_DIR}/host/ft_versiongen${CMAKE_HOST_EXECUTABLE_SUFFIX}")
    if(NOT TARGET ft_versiongen_host)
        add_custom_command(OUTPUT "${tool}"
            COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/host"
            COMMAND "${FT_HOST_CXX}" -std=c++20 -O2 -o "${tool}" "${_FT_VERSIONGEN_SOURCE}"
            DEPENDS "${_FT_VERSIONGEN_SOURCE}"
            COMMENT "Building ft_versiongen for the build machine"
            VERBATIM)
        add_custom_target(ft_versiongen_host DEPENDS "${tool}")
    endif()
    set(${out_command} "${tool}" PARENT_SCOPE)
    set(${out_depends} "${tool}" ft_versiongen_host PARENT_SCOPE)
endfunction()

function(ft_add_version_info target description)
    if(NOT TARGET ${target})
        message(FATAL_ERROR "ft_add_version_info: no target ${target}")
    endif()
    get_filename_component(description "${description}" ABSOLUTE)
    _ft_versiongen_tool(tool tool_depends)
    set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc")
    set(cpp "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.cpp")
    add_custom_command(OUTPUT "${rc}" "${cpp}"
        COMMAND ${tool} "${description}" "${rc}" "${cpp}" "${FT_VERSION_SECTION}"
        DEPENDS "${description}" ${tool_depends}
        COMMENT "Generating the version information of ${target}"
        VERBATIM)
    if(WIN32)
        target_sources(${target} PRIVATE "${rc}")
    else()
        target_sources(${target} PRIVATE "${cpp}")
    endif()
    set_target_properties(${target} PROPERTIES FT_VERSION_RC "${rc}" FT_VERSION_SOURCE "${cpp}")
endfunction()
