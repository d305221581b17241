# FT_DEBIAN_BUILDFLAGS=ON compiles and links with the flags Debian builds its
# packages with (dpkg-buildflags: fortify, stack protector, relro, bind-now),
# as the package build does. Included before any target is made.
option(FT_DEBIAN_BUILDFLAGS "Compile and link with Debian's hardening flags (dpkg-buildflags)" OFF)
if(FT_DEBIAN_BUILDFLAGS)
    find_program(FT_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                ${FT_DPKG_BUILDFLAGS} --get ${kind}
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE ft_${kind}
            OUTPUT_STRIP_TRAILING_WHITESPACE
            COMMAND_ERROR_IS_FATAL ANY)
    endforeach()
    string(APPEND CMAKE_CXX_FLAGS " ${ft_CPPFLAGS} ${ft_CXXFLAGS}")
    string(APPEND CMAKE_EXE_LINKER_FLAGS " ${ft_LDFLAGS}")
    string(APPEND CMAKE_SHARED_LINKER_FLAGS " ${ft_LDFLAGS}")
    message(STATUS "Debian build flags: ${ft_CPPFLAGS} ${ft_CXXFLAGS} / ${ft_LDFLAGS}")
endif()
