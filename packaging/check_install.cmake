# Installs the build into PREFIX afresh and checks one aspect of the tree:
#   tree      every file where the desktop looks for it, the icons at their sizes
#   desktop   desktop-file-validate accepts the menu entry
#   metainfo  appstreamcli accepts the software-centre description
# Is skipped (SKIP_REGULAR_EXPRESSION) only when the validator it needs is not installed.

cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE ${PREFIX})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${PREFIX}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "install into ${PREFIX} failed: ${rc}")
endif()

set(desktop ${PREFIX}/share/applications/${APP_ID}.desktop)
set(metainfo ${PREFIX}/share/metainfo/${APP_ID}.metainfo.xml)

function(require_file path)
  if(NOT EXISTS ${path} OR IS_DIRECTORY ${path})
    message(FATAL_ERROR "missing from the installed tree: ${path}")
  endif()
endfunction()

# The width and height a PNG's header gives (IHDR, bytes 16 to 23).
function(png_size path out)
  file(READ ${path} sig LIMIT 8 HEX)
  if(NOT sig STREQUAL "89504e470d0a1a0a")
    message(FATAL_ERROR "${path} is not a PNG")
  endif()
  file(READ ${path} wh OFFSET 16 LIMIT 8 HEX)
  string(SUBSTRING ${wh} 0 8 w)
  string(SUBSTRING ${wh} 8 8 h)
  math(EXPR w "0x${w}")
  math(EXPR h "0x${h}")
  set(${out} "${w}x${h}" PARENT_SCOPE)
endfunction()

function(run_validator tool)
  find_program(validator ${tool})
  if(NOT validator)
    message(FATAL_ERROR "${tool} is not installed; skipped")
  endif()
  execute_process(COMMAND ${validator} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${tool} refused it (${rc}):\n${out}")
  endif()
  message(STATUS "${tool}: ${out}")
endfunction()

if(CHECK STREQUAL "tree")
  set(program ${PREFIX}/bin/corvane-editor)
  require_file(${program})
  execute_process(COMMAND test -x ${program} RESULT_VARIABLE notExecutable)
  if(notExecutable)
    message(FATAL_ERROR "${program} is not executable")
  endif()

  # The guide the installed program falls back to, as it is in the sources.
  set(guide ${PREFIX}/share/corvane-editor/cvhelp.hlp)
  require_file(${guide})
  file(SHA256 ${guide} installed)
  file(SHA256 ${SOURCE_DIR}/cvhelp.hlp original)
  if(NOT installed STREQUAL original)
    message(FATAL_ERROR "the installed guide differs from cvhelp.hlp")
  endif()

  require_file(${desktop})
  # Read whole: a CMake list would split the entry's lines at their ';'.
  file(READ ${desktop} entry)
  set(entry "\n${entry}")
  foreach(expected "Exec=corvane-editor %F" "GenericName=HTML Editor"
          "MimeType=text/html;application/xhtml+xml;" "Icon=${ICON_NAME}" "Type=Application")
    string(FIND "${entry}" "\n${expected}\n" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "the desktop entry lacks the line '${expected}'")
    endif()
  endforeach()
  foreach(key Name Categories)
    if(NOT entry MATCHES "\n${key}=[^\n]+")
      message(FATAL_ERROR "the desktop entry has no ${key}")
    endif()
  endforeach()

  require_file(${metainfo})
  file(READ ${metainfo} xml)
  if(NOT xml MATCHES "<launchable type=\"desktop-id\">${APP_ID}.desktop</launchable>")
    message(FATAL_ERROR "the metainfo does not launch the installed desktop entry")
  endif()

  set(icons ${PREFIX}/share/icons/hicolor)
  require_file(${icons}/scalable/apps/${ICON_NAME}.svg)
  file(READ ${icons}/scalable/apps/${ICON_NAME}.svg svg LIMIT 400)
  if(NOT svg MATCHES "<svg")
    message(FATAL_ERROR "the scalable icon is not an SVG")
  endif()
  foreach(size ${ICON_SIZES})
    set(png ${icons}/${size}x${size}/apps/${ICON_NAME}.png)
    require_file(${png})
    png_size(${png} actual)
    if(NOT actual STREQUAL "${size}x${size}")
      message(FATAL_ERROR "${png} is ${actual}, not ${size}x${size}")
    endif()
  endforeach()
elseif(CHECK STREQUAL "desktop")
  run_validator(desktop-file-validate ${desktop})
elseif(CHECK STREQUAL "metainfo")
  run_validator(appstreamcli validate --no-net ${metainfo})
else()
  message(FATAL_ERROR "unknown check ${CHECK}")
endif()
