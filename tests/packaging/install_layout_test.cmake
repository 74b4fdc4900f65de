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
    ${MODULE_FOLDER}/hrz2000e-rtmidi.so
    share/applications/hrz2000e.desktop
    share/bash-completion/completions/hrz2000-unit
    share/bash-completion/completions/hrzctl
    share/doc/hrz2000e/changelog.gz
    share/doc/hrz2000e/copyright
    share/hrz2000e/help/contents.htm
    share/hrz2000e/help/hrzctl.md
    share/icons/hicolor/scalable/apps/hrz2000e.svg
    share/man/man1/hrz2000-unit.1.gz
    share/man/man1/hrz2000e.1.gz
    share/man/man1/hrzctl.1.gz
    share/mime/packages/hrz2000e.xml)
foreach(size 16 22 24 32 48 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/hrz2000e.png)
endforeach()
# One software-centre description, named after its component.
file(GLOB metainfo RELATIVE ${PREFIX} ${PREFIX}/share/metainfo/*.metainfo.xml)
list(LENGTH metainfo n)
if(NOT n EQUAL 1)
    fail("expected one file in share/metainfo, found: ${metainfo}")
endif()
list(APPEND expected ${metainfo})
# The help page's pictures.
file(STRINGS ${PREFIX}/share/hrz2000e/help/contents.htm page)
string(REGEX MATCHALL "src=\"[^\"]+\"" pictures "${page}")
foreach(picture ${pictures})
    string(REGEX REPLACE "src=\"([^\"]+)\"" "\\1" picture "${picture}")
    list(APPEND expected share/hrz2000e/help/${picture})
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
                ${PREFIX}/${MODULE_FOLDER}/hrz2000e-rtmidi.so ${BUILT_PROGRAMS})
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

# Each program tells its version, the main one without a display.
foreach(program hrz2000e hrz2000-unit hrzctl)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY
                            ${PREFIX}/bin/${program} --version
                    RESULT_VARIABLE rc OUTPUT_VARIABLE said ERROR_VARIABLE said)
    if(NOT rc EQUAL 0 OR NOT said STREQUAL "${program} ${VERSION}\n")
        fail("${program} --version gave (${rc}): ${said}")
    endif()
endforeach()

# The manual pages: gzip-compressed without name or time, each shown by man
# without a warning.
foreach(program hrz2000e hrz2000-unit hrzctl)
    set(manPage ${PREFIX}/share/man/man1/${program}.1.gz)
    file(READ ${manPage} gzipHead LIMIT 10 HEX)
    if(NOT gzipHead MATCHES "^1f8b0800000000000203$")
        fail("${manPage} is not gzip -9n output: ${gzipHead}")
    endif()
    find_program(MAN man)
    if(MAN)
        execute_process(COMMAND ${CMAKE_COMMAND} -E env MANWIDTH=80 LC_ALL=C.UTF-8
                                ${MAN} --warnings -P cat -l ${manPage}
                        RESULT_VARIABLE rc OUTPUT_VARIABLE shown ERROR_VARIABLE warned)
        string(TOUPPER "${program}" upper)
        if(NOT rc EQUAL 0 OR NOT warned STREQUAL "" OR NOT shown MATCHES "^${upper}\\(1\\)"
           OR NOT shown MATCHES "\nNAME\n +${program} +- ")
            fail("man ${program} (${rc}): ${warned}\n${shown}")
        endif()
    endif()
endforeach()

# The software centre's description, as the centres read it.
find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
    run(${APPSTREAMCLI} validate --no-net --explain ${PREFIX}/${metainfo})
endif()

# Completion, as bash-completion loads it: the command, then what it takes.
set(completion /usr/share/bash-completion/bash_completion)
if(EXISTS ${completion})
    foreach(case "hrzctl|hrzctl sp|split"
                 "hrzctl|hrzctl --json mpt --l|--list"
                 "hrzctl|hrzctl join --s|--sort"
                 "hrzctl|hrzctl show --so|"
                 "hrz2000-unit|hrz2000-unit --api |alsa jack"
                 "hrz2000-unit|hrz2000-unit --pre|--pre-express")
        string(REPLACE "|" ";" case "${case}")
        list(GET case 0 program)
        list(GET case 1 line)
        list(GET case 2 want)
        string(REPLACE "-" "_" function "_${program}")
        execute_process(COMMAND bash -c "source ${completion}
            source ${PREFIX}/share/bash-completion/completions/${program}
            COMP_LINE='${line}'; COMP_POINT=\${#COMP_LINE}
            read -ra COMP_WORDS <<< \"\$COMP_LINE\"
            [[ \$COMP_LINE == *' ' ]] && COMP_WORDS+=('')
            COMP_CWORD=\$((\${#COMP_WORDS[@]} - 1))
            ${function} ${program} \"\${COMP_WORDS[COMP_CWORD]}\" \"\${COMP_WORDS[COMP_CWORD-1]}\"
            echo -n \"\${COMPREPLY[*]}\""
            RESULT_VARIABLE rc OUTPUT_VARIABLE offered ERROR_VARIABLE err)
        if(NOT rc EQUAL 0 OR NOT offered STREQUAL "${want}")
            fail("completing \"${line}\" offered \"${offered}\", not \"${want}\" (${rc}) ${err}")
        endif()
    endforeach()
endif()

# The installed program finds its MIDI module and starts (in a home of its own),
# with nothing under share/doc: minimal systems leave it out.
file(REMOVE_RECURSE ${PREFIX}/share/doc)
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
