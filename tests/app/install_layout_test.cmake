# Installs the build into a prefix of its own and checks what a desktop finds
# there: the programs, the help page where the program looks for it, the menu
# entry, the icon and the file types, each accepted by the desktop's own tools.
# Run by CTest: cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DPREFIX=... -P this file.
cmake_minimum_required(VERSION 3.25)

function(fail)
    string(JOIN "" text ${ARGN})
    message(FATAL_ERROR "${text}")
endfunction()

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        string(JOIN " " line ${ARGN})
        fail("${line} failed (${rc}):\n${out}${err}")
    endif()
    set(RUN_OUTPUT "${out}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${PREFIX})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX})

# Every file, and nothing else (a help page left in bin/ would be found first).
set(expected
    bin/hrz2000-unit
    bin/hrz2000e
    bin/hrzctl
    lib/hrz2000e/hrz2000e-rtmidi.so
    share/applications/hrz2000e.desktop
    share/doc/hrz2000e/contents.htm
    share/doc/hrz2000e/hrzctl.md
    share/icons/hicolor/scalable/apps/hrz2000e.svg
    share/mime/packages/hrz2000e.xml)
foreach(size 16 22 24 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/hrz2000e.png)
endforeach()
# The help page's pictures.
file(STRINGS ${PREFIX}/share/doc/hrz2000e/contents.htm page)
string(REGEX MATCHALL "src=\"[^\"]+\"" pictures "${page}")
foreach(picture ${pictures})
    string(REGEX REPLACE "src=\"([^\"]+)\"" "\\1" picture "${picture}")
    list(APPEND expected share/doc/hrz2000e/${picture})
endforeach()
list(REMOVE_DUPLICATES expected)
file(GLOB_RECURSE installed RELATIVE ${PREFIX} ${PREFIX}/*)
list(SORT expected)
list(SORT installed)
if(NOT installed STREQUAL expected)
    string(REPLACE ";" "\n  " want "${expected}")
    string(REPLACE ";" "\n  " got "${installed}")
    fail("install layout differs.\nExpected:\n  ${want}\nInstalled:\n  ${got}")
endif()

# Each icon is a picture of the size its folder says.
foreach(size 16 22 24 32 48 64 128 256)
    file(READ ${PREFIX}/share/icons/hicolor/${size}x${size}/apps/hrz2000e.png head
         LIMIT 24 HEX)
    string(SUBSTRING "${head}" 32 16 dimensions)
    math(EXPR hex_size "${size}" OUTPUT_FORMAT HEXADECIMAL)
    string(REPLACE "0x" "" hex_size "${hex_size}")
    string(LENGTH "${hex_size}" n)
    math(EXPR pad "8 - ${n}")
    string(REPEAT "0" ${pad} zeros)
    if(NOT head MATCHES "^89504e47" OR NOT dimensions STREQUAL "${zeros}${hex_size}${zeros}${hex_size}")
        fail("icon ${size}x${size} is not a ${size} by ${size} PNG")
    endif()
endforeach()

# No program looks for its libraries in the folder it is started from: an
# empty or relative entry in its search path would load a library of that
# name from any folder a user opens a file in. Built and installed alike.
foreach(program ${PREFIX}/bin/hrz2000e ${PREFIX}/bin/hrz2000-unit ${PREFIX}/bin/hrzctl
                ${PREFIX}/lib/hrz2000e/hrz2000e-rtmidi.so ${BUILT_PROGRAMS})
    file(READ_ELF ${program} RUNPATH runpath RPATH rpath CAPTURE_ERROR elfError)
    if(elfError)
        fail("${program}: ${elfError}")
    endif()
    foreach(searchPath runpath rpath)
        if("${${searchPath}}" STREQUAL "")
            continue()
        endif()
        string(REPLACE ":" ";" entries "${${searchPath}}")
        foreach(entry IN LISTS entries)
            if(NOT entry MATCHES "^(/|\\$ORIGIN)")
                fail("${program} looks for libraries in the current folder: its "
                     "${searchPath} has an empty or relative entry")
            endif()
        endforeach()
    endforeach()
endforeach()

# The installed program answers --help with one line, without a display.
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
                        ${PREFIX}/bin/hrz2000e --help
                RESULT_VARIABLE rc OUTPUT_VARIABLE usage)
if(NOT rc EQUAL 0 OR NOT usage MATCHES "^Usage: hrz2000e \\[FILE\\][^\n]*\n$")
    fail("hrz2000e --help gave (${rc}): ${usage}")
endif()

# The installed program finds its MIDI module and starts (in a home of its own).
file(MAKE_DIRECTORY ${PREFIX}/home)
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${PREFIX}/home
                        XDG_CONFIG_HOME=${PREFIX}/home/config XDG_DATA_HOME=${PREFIX}/home/data
                        QT_QPA_PLATFORM=offscreen HRZ_EXIT_AT_FIRST_PAINT=1
                        JACK_DEFAULT_SERVER=hrz-install-test-none
                        ${PREFIX}/bin/hrz2000e
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out TIMEOUT 60)
if(NOT rc EQUAL 0 OR NOT out MATCHES "first paint" OR out MATCHES "No MIDI interface")
    fail("the installed hrz2000e did not start with its MIDI module (${rc}):\n${out}")
endif()
file(REMOVE_RECURSE ${PREFIX}/home)

# The menu entry: valid, starts a program that is installed, shows our icon,
# and offers exactly the file types the MIME description defines.
set(desktop ${PREFIX}/share/applications/hrz2000e.desktop)
run(desktop-file-validate ${desktop})
# Not even a hint.
if(NOT RUN_OUTPUT STREQUAL "")
    fail("desktop-file-validate: ${RUN_OUTPUT}")
endif()
file(STRINGS ${desktop} entry)
set(exec "")
foreach(line ${entry})
    if(line MATCHES "^Exec=([^ ]+)")
        set(exec ${CMAKE_MATCH_1})
    elseif(line MATCHES "^Icon=(.+)$")
        set(icon ${CMAKE_MATCH_1})
    elseif(line MATCHES "^MimeType=(.+);$")
        string(REPLACE ";" "\n" offered "${CMAKE_MATCH_1}")
    endif()
endforeach()
if(NOT EXISTS ${PREFIX}/bin/${exec})
    fail("the menu entry starts \"${exec}\", which is not installed")
endif()
if(NOT EXISTS ${PREFIX}/share/icons/hicolor/scalable/apps/${icon}.svg)
    fail("the menu entry's icon \"${icon}\" is not installed")
endif()

set(mime ${PREFIX}/share/mime/packages/hrz2000e.xml)
run(xmllint --noout ${mime})
file(READ ${mime} description)
string(REGEX MATCHALL "mime-type type=\"[^\"]+\"" defined "${description}")
string(REGEX REPLACE "mime-type type=\"([^\"]+)\"" "\\1" defined "${defined}")
string(REPLACE ";" "\n" defined "${defined}")
if(NOT offered STREQUAL defined)
    fail("the menu entry offers\n${offered}\nbut the MIME description defines\n${defined}")
endif()

# The types as the desktop's database compiles them: by name and by first bytes.
run(update-mime-database ${PREFIX}/share/mime)
file(READ ${PREFIX}/share/mime/globs2 globs)
foreach(want "application/x-hrz2000-preset:\\*\\.hrz\n"
             "application/x-hrz2000-preset:\\*\\.hrz\\[0123456789\\]"
             "application/x-hrz2000-table:\\*\\.mpt\n")
    if(NOT globs MATCHES "${want}")
        fail("compiled MIME globs lack ${want}:\n${globs}")
    endif()
endforeach()
file(READ ${PREFIX}/share/mime/magic magic HEX)
foreach(type x-hrz2000-preset x-hrz2000-table)
    string(HEX "application/${type}" hex_type)
    if(NOT magic MATCHES "${hex_type}")
        fail("compiled MIME magic lacks application/${type}")
    endif()
endforeach()
# Preset header F0 1A ch 12 05 "&" its mask; table headers ending 13 and 0C.
foreach(bytes "f01a00120526ffff00ffff" "f01a00121326ffff00ffff" "f01a00120c26ffff00ffff")
    if(NOT magic MATCHES "${bytes}")
        fail("compiled MIME magic lacks the header ${bytes}")
    endif()
endforeach()
file(REMOVE_RECURSE ${PREFIX})
