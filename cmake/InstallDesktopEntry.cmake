# Install-time part of Install.cmake: writes one desktop entry whose Exec
# names the program under the prefix of this install run, then installs it.
# In: FT_DESKTOP_SOURCE, FT_DESKTOP_STAGE, FT_DESKTOP_PROGRAM.

# Exec quoting of the desktop entry format: inside double quotes \ " ` $ take
# a backslash, then the string escape doubles every backslash; % is doubled.
set(exec "${FT_DESKTOP_PROGRAM}")
string(REPLACE "\\" "\\\\" exec "${exec}")
foreach(special "\"" "`" "$")
    string(REPLACE "${special}" "\\${special}" exec "${exec}")
endforeach()
string(REPLACE "\\" "\\\\" exec "${exec}")
string(REPLACE "%" "%%" exec "${exec}")
set(FT_EXEC "${exec}")

configure_file("${FT_DESKTOP_SOURCE}" "${FT_DESKTOP_STAGE}" @ONLY)
file(INSTALL "${FT_DESKTOP_STAGE}" DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications")
