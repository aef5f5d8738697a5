cmake_minimum_required(VERSION 3.25)

# Installs the built project into a fresh prefix and checks that the
# desktop finds the program there: both programs, the help book where the
# program looks for it (bin/../share/plimo/help), the menu entry and its icon.
# Run with -DBUILD_DIR=... -DPREFIX=...; the prefix gets a suffix of its
# own, so that two runs of the suite at once never share it.
string(RANDOM LENGTH 12 run)
set(PREFIX "${PREFIX}-${run}")
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${errors}")
endif()

function(fail message)
  file(REMOVE_RECURSE "${PREFIX}")
  message(FATAL_ERROR "${message}")
endfunction()

foreach(file IN ITEMS bin/Plimo bin/plimo-cli share/plimo/help/index.html share/plimo/help/style.css
                      share/applications/plimo.desktop share/icons/hicolor/16x16/apps/plimo.png
                      share/icons/hicolor/48x48/apps/plimo.png share/icons/hicolor/256x256/apps/plimo.png)
  if(NOT EXISTS "${PREFIX}/${file}")
    fail("not installed: ${file}")
  endif()
endforeach()

file(STRINGS "${PREFIX}/share/applications/plimo.desktop" entry)
foreach(line IN ITEMS "Type=Application" "Exec=Plimo" "Icon=plimo")
  if(NOT line IN_LIST entry)
    fail("the desktop entry lacks ${line}")
  endif()
endforeach()

file(READ "${PREFIX}/share/icons/hicolor/256x256/apps/plimo.png" png LIMIT 8 HEX)
if(NOT png STREQUAL "89504e470d0a1a0a")
  fail("the icon is not a PNG file")
endif()
file(REMOVE_RECURSE "${PREFIX}")
