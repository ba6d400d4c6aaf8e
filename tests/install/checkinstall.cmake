# `cmake --install` into an empty prefix gives the program, its menu entry,
# its AppStream metadata, its icon, its manual page and its documents, each
# where desktops and Debian look for them.
# -DBUILD_DIR=<build folder> -DSOURCE_DIR=<source folder> -DVERSION=<project version>
# -DWORK_DIR=<scratch>

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

# The program where the README starts it from the build folder.
execute_process(COMMAND test -f ${BUILD_DIR}/src/vevurid -a -x ${BUILD_DIR}/src/vevurid RESULT_VARIABLE failed)
check("NOT failed" "the README's ./build/src/vevurid is missing or not executable")

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
             "Categories=Education;Astronomy;")
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

# The README and the copyright file, as they stand in the sources.
foreach(source README.md packaging/copyright)
  get_filename_component(doc ${source} NAME)
  set(installed ${prefix}/share/doc/vevurid/${doc})
  check("EXISTS ${installed}" "share/doc/vevurid/${doc} missing")
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${installed} ${SOURCE_DIR}/${source}
                  RESULT_VARIABLE differs)
  check("NOT differs" "the installed ${doc} differs from the project's ${source}")
endforeach()

# The manual page and the changelog: gzip -9n (no name, no time stamp, best
# compression) and of this version.
foreach(entry "share/man/man1/vevurid.1.gz|^\\.TH VEVURID 1 [^\n]* \"Vevurid ${VERSION}\""
              "share/doc/vevurid/changelog.gz|^vevurid \\(${VERSION}\\) ")
  string(REPLACE "|" ";" entry "${entry}")
  list(GET entry 0 file)
  list(GET entry 1 first)
  check("EXISTS ${prefix}/${file}" "${file} missing")
  file(READ ${prefix}/${file} header LIMIT 9 HEX)
  check("header STREQUAL \"1f8b08000000000002\"" "${file} is not compressed with gzip -9n: ${header}")
  execute_process(COMMAND gzip -dc ${prefix}/${file} OUTPUT_VARIABLE text)
  check("text MATCHES [==[${first}]==]" "${file} does not start as expected for ${VERSION}")
endforeach()

# The AppStream metadata, whose latest release is this version.
file(GLOB metainfo ${prefix}/share/metainfo/*.metainfo.xml)
check("EXISTS \"${metainfo}\"" "no share/metainfo/*.metainfo.xml")
file(READ ${metainfo} text)
string(REGEX MATCH "<release version=\"([^\"]*)\"" release "${text}")
set(released "${CMAKE_MATCH_1}")
check("released STREQUAL VERSION" "the metainfo's latest release is not ${VERSION}: ${released}")

# Nothing outside bin/, lib/ (the modules) and share/.
file(GLOB top RELATIVE ${prefix} ${prefix}/*)
list(SORT top)
check("top STREQUAL \"bin;lib;share\"" "unexpected folders in the prefix: ${top}")

# The modules where the program looks for them, the windows opened and the
# sheet printed from there through the program's own loader, and a
# compressed image read through the helper installed beside them.
foreach(module vevurid-misure vevurid-stampa)
  check("EXISTS ${prefix}/${MODULE_DIR}/${module}.so" "the module ${MODULE_DIR}/${module}.so is missing")
endforeach()
# The test stands in bin/ for the program and looks where the program does.
file(COPY ${MODULE_TEST} DESTINATION ${prefix}/bin)
unset(ENV{VEVURID_MODULE_FOLDER})
execute_process(COMMAND ${prefix}/bin/tst_modules opensEachWindow printsFromModule readsCompressedImage
                RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
check("NOT failed" "the installed modules do not work:\n${log}")
