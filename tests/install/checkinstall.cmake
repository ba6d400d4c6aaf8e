# `cmake --install` into an empty prefix gives the program, its menu entry,
# its icon and the README, each where desktops and Debian look for them.
# -DBUILD_DIR=<build folder> -DSOURCE_DIR=<source folder> -DWORK_DIR=<scratch>

cmake_minimum_required(VERSION 3.22)

# check(<if() condition as one string> <message>): fails the test unless true.
function(check condition message)
  cmake_language(EVAL CODE "if(NOT (${condition}))\nmessage(FATAL_ERROR [==[${message}]==])\nendif()")
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE failed OUTPUT_QUIET)
check("NOT failed" "cmake --install failed")

# The program, runnable.
execute_process(COMMAND test -f ${prefix}/bin/vevurid -a -x ${prefix}/bin/vevurid RESULT_VARIABLE failed)
check("NOT failed" "bin/vevurid missing or not executable")

# The menu entry: these lines exactly, so the menus file it under astronomy
# and start the program with its icon.
set(desktop ${prefix}/share/applications/vevurid.desktop)
check("EXISTS ${desktop}" "share/applications/vevurid.desktop missing")
file(STRINGS ${desktop} entry)
list(GET entry 0 group)
check("group STREQUAL \"[Desktop Entry]\"" "desktop file does not start with [Desktop Entry]: ${group}")
foreach(line "Type=Application" "Name=Vevurid" "Exec=vevurid" "Icon=vevurid" "Terminal=false"
             "Categories=Education;Science;Astronomy;")
  check("\"${line}\" IN_LIST entry" "desktop file lacks the line ${line}")
endforeach()

# The icon: a PNG of 32 x 32 pixels, as the folder's name promises.
set(icon ${prefix}/share/icons/hicolor/32x32/apps/vevurid.png)
check("EXISTS ${icon}" "share/icons/hicolor/32x32/apps/vevurid.png missing")
file(READ ${icon} header LIMIT 24 HEX)
string(SUBSTRING "${header}" 0 16 signature)
string(SUBSTRING "${header}" 24 8 chunk)
string(SUBSTRING "${header}" 32 16 size)
check("signature STREQUAL \"89504e470d0a1a0a\" AND chunk STREQUAL \"49484452\"" "the icon is no PNG")
check("size STREQUAL \"0000002000000020\"" "the icon is not 32 x 32: ${size}")

# The README, as it stands in the sources.
set(readme ${prefix}/share/doc/vevurid/README.md)
check("EXISTS ${readme}" "share/doc/vevurid/README.md missing")
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${readme} ${SOURCE_DIR}/README.md
                RESULT_VARIABLE differs)
check("NOT differs" "the installed README differs from the project's")

# Nothing outside bin/ and share/.
file(GLOB top RELATIVE ${prefix} ${prefix}/*)
list(SORT top)
check("top STREQUAL \"bin;share\"" "unexpected folders in the prefix: ${top}")
