# Installs the build into a scratch prefix and checks that the desktop
# program, the batch tool, the .desktop file, the icons, the metainfo, the
# copyright file and the manual pages arrive.
# Arguments: -DBUILD_DIR=... -DPREFIX=...
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${result})")
endif()
set(expected
  bin/driftwise
  bin/driftwise-cli
  share/applications/driftwise.desktop
  share/icons/hicolor/scalable/apps/driftwise.svg
  share/metainfo/com.corvolab.Driftwise.metainfo.xml
  share/doc/driftwise/copyright
  share/man/man1/driftwise.1.gz
  share/man/man1/driftwise-cli.1.gz)
foreach(size 16 32 48 64 128 256)
  list(APPEND expected share/icons/hicolor/${size}x${size}/apps/driftwise.png)
endforeach()
foreach(path IN LISTS expected)
  if(NOT EXISTS "${PREFIX}/${path}")
    message(FATAL_ERROR "missing after install: ${path}")
  endif()
endforeach()
file(READ "${PREFIX}/share/applications/driftwise.desktop" desktop)
foreach(entry "Exec=driftwise %F" "Icon=driftwise" "Type=Application")
  string(FIND "${desktop}" "${entry}" at)
  if(at LESS 0)
    message(FATAL_ERROR "driftwise.desktop lacks ${entry}")
  endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
