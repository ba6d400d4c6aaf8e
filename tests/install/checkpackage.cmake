# cpack builds vevurid_<version>_<arch>.deb holding the install tree under
# /usr, the program stripped, with the configured maintainer and depending on
# every Debian package the program loads at run time.
# -DBUILD_DIR=<build folder> -DVERSION=<project version> -DMAINTAINER=<name <address>>
# -DWORK_DIR=<scratch>

cmake_minimum_required(VERSION 3.22)

# check(<if() condition as one string> <message>): fails the test unless true.
function(check condition message)
  cmake_language(EVAL CODE "if(NOT (${condition}))\nmessage(FATAL_ERROR [==[${message}]==])\nendif()")
endfunction()

find_program(DPKG_DEB dpkg-deb REQUIRED)
find_program(FILE file REQUIRED)
get_filename_component(cmake_bin ${CMAKE_COMMAND} DIRECTORY)
find_program(CPACK cpack HINTS ${cmake_bin} REQUIRED)

file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND ${CPACK} -G DEB -B ${WORK_DIR} --config ${BUILD_DIR}/CPackConfig.cmake
                RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
check("NOT failed" "cpack failed:\n${log}")
file(GLOB debs ${WORK_DIR}/vevurid_${VERSION}_*.deb)
list(LENGTH debs count)
check("count EQUAL 1" "expected one vevurid_${VERSION}_<arch>.deb in ${WORK_DIR}, found: ${debs}")

execute_process(COMMAND ${DPKG_DEB} --field ${debs} Package Version Maintainer Depends
                OUTPUT_VARIABLE fields RESULT_VARIABLE failed)
check("NOT failed" "dpkg-deb cannot read ${debs}")
check("fields MATCHES \"Package: vevurid\n\"" "wrong package name:\n${fields}")
check("fields MATCHES \"Version: ${VERSION}\n\"" "wrong version:\n${fields}")
string(FIND "${fields}" "Maintainer: ${MAINTAINER}\n" at)
check("at GREATER -1" "the maintainer is not ${MAINTAINER}:\n${fields}")
string(REGEX MATCH "Depends: [^\n]*" depends "${fields}")
string(REGEX REPLACE "^Depends: " "" depends "${depends}")
string(REGEX REPLACE " *\\([^)]*\\)" "" depends "${depends}")
string(REPLACE ", " ";" depends "${depends}")
foreach(package libqt6widgets6 libqt6printsupport6 libqt6gui6 libqt6core6 qt6-qpa-plugins
                qt6-image-formats-plugins fonts-wine fonts-liberation fonts-liberation2 libstdc++6 libc6
                libqcustomplot2.1-qt6 qt6-translations-l10n libcfitsio10 libwcs7 liberfa1 libqt6network6 libfftw3-double3)
  check("package IN_LIST depends" "the package does not depend on ${package}: ${depends}")
endforeach()

execute_process(COMMAND ${DPKG_DEB} --contents ${debs} OUTPUT_VARIABLE contents)
foreach(file usr/bin/vevurid usr/${MODULE_DIR}/vevurid-misure.so usr/${MODULE_DIR}/vevurid-stampa.so
             usr/share/applications/vevurid.desktop
             usr/share/icons/hicolor/32x32/apps/vevurid.png usr/share/man/man1/vevurid.1.gz
             usr/share/doc/vevurid/README.md usr/share/doc/vevurid/copyright
             usr/share/doc/vevurid/changelog.gz usr/share/metainfo/io.github.vevurid.vevurid.metainfo.xml)
  check("contents MATCHES \" \\\\./${file}\n\"" "the package lacks /${file}")
endforeach()

# No symbol tables or debugging data: they make the program many times its size.
execute_process(COMMAND ${DPKG_DEB} --extract ${debs} ${WORK_DIR}/root)
execute_process(COMMAND ${FILE} -b ${WORK_DIR}/root/usr/bin/vevurid OUTPUT_VARIABLE kind)
check("kind MATCHES \", stripped\n\"" "the packaged program is not stripped: ${kind}")

# The modules where the program looks for them, the windows opened and the
# sheet printed from there through the program's own loader, and a
# compressed image read through the helper installed beside them.
foreach(module vevurid-misure vevurid-stampa)
  check("EXISTS ${WORK_DIR}/root/usr/${MODULE_DIR}/${module}.so" "the module ${MODULE_DIR}/${module}.so is missing")
endforeach()
# The test stands in bin/ for the program and looks where the program does.
file(COPY ${MODULE_TEST} DESTINATION ${WORK_DIR}/root/usr/bin)
unset(ENV{VEVURID_MODULE_FOLDER})
execute_process(COMMAND ${WORK_DIR}/root/usr/bin/tst_modules opensEachWindow printsFromModule readsCompressedImage
                RESULT_VARIABLE failed OUTPUT_VARIABLE log ERROR_VARIABLE log)
check("NOT failed" "the installed modules do not work:\n${log}")
foreach(module vevurid-misure.so vevurid-stampa.so vevurid-fits)
  execute_process(COMMAND ${FILE} -b ${WORK_DIR}/root/usr/${MODULE_DIR}/${module} OUTPUT_VARIABLE kind)
  check("kind MATCHES \", stripped\n\"" "the packaged ${module} is not stripped: ${kind}")
endforeach()

# No path into this build folder, in either encoding the code keeps texts in:
# an installed program would run whatever stands at such a path. A sanitized
# build, never packaged for users, keeps its sources' paths for its reports.
if(NOT SANITIZED)
  string(REGEX REPLACE "([][+.*()^$?|\\])" "\\\\\\1" build_path "${BUILD_DIR}")
  foreach(file bin/vevurid ${MODULE_DIR}/vevurid-misure.so ${MODULE_DIR}/vevurid-stampa.so ${MODULE_DIR}/vevurid-fits)
    foreach(encoding UTF-8 UTF-16LE)
      file(STRINGS ${WORK_DIR}/root/usr/${file} paths ENCODING ${encoding} REGEX "${build_path}")
      check("NOT paths" "the packaged ${file} names the build folder: ${paths}")
    endforeach()
  endforeach()
endif()
