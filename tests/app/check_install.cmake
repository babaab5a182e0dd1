# cmake -DBUILD_DIR=... -DPREFIX=... [-DVALIDATE=desktop-file-validate] -P check_install.cmake
# Installs the build into PREFIX and checks what a desktop needs of it: the program, its desktop
# entry (valid, opening the song types) and its icon at every size in the hicolor theme.

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
  RESULT_VARIABLE installed OUTPUT_QUIET)
if(NOT installed EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${installed}")
endif()

foreach(file bin/lyrovox share/lyrovox/video.mpg share/applications/lyrovox.desktop)
  if(NOT EXISTS ${PREFIX}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

# Each icon is a PNG of its folder's size (width and height from the PNG header).
foreach(size 16 22 24 32 48 64 128 256 512)
  set(icon ${PREFIX}/share/icons/hicolor/${size}x${size}/apps/lyrovox.png)
  if(NOT EXISTS ${icon})
    message(FATAL_ERROR "no icon of ${size} pixels")
  endif()
  file(READ ${icon} signature LIMIT 8 HEX)
  file(READ ${icon} header OFFSET 16 LIMIT 8 HEX)
  math(EXPR want_hex "${size}" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING "${want_hex}" 2 -1 want)
  string(LENGTH "${want}" digits)
  while(digits LESS 8)
    string(PREPEND want "0")
    math(EXPR digits "${digits} + 1")
  endwhile()
  if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT header STREQUAL "${want}${want}")
    message(FATAL_ERROR "icon ${size}: not a ${size}x${size} PNG (${signature} ${header})")
  endif()
endforeach()

file(READ ${PREFIX}/share/applications/lyrovox.desktop entry)
foreach(line "Exec=lyrovox %F" "Icon=lyrovox" "audio/midi;" "audio/mpeg;" "video/mpeg;"
             "application/zip;")
  string(FIND "${entry}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the desktop entry lacks ${line}")
  endif()
endforeach()

if(VALIDATE)
  execute_process(COMMAND ${VALIDATE} ${PREFIX}/share/applications/lyrovox.desktop
    RESULT_VARIABLE valid OUTPUT_VARIABLE said ERROR_VARIABLE said)
  if(NOT valid EQUAL 0 OR NOT said STREQUAL "")
    message(FATAL_ERROR "desktop-file-validate: ${said}")
  endif()
endif()
file(REMOVE_RECURSE ${PREFIX})
message(STATUS "installed and checked")
