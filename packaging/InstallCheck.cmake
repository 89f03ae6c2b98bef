# Installs the build into a fresh prefix and starts the installed program there, headless and on
# a fresh home, until its main window is shown.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
set(home ${WORK_DIR}/home)
file(MAKE_DIRECTORY ${home})

execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${out}${err}")
endif()

foreach(f
    ${BINDIR}/tikkeli
    ${PROGRAM_DIR}/reports/pilista.rpt
    ${PROGRAM_DIR}/demo1.mdb
    ${PROGRAM_DIR}/mallit/malli.mdb
    ${PROGRAM_DIR}/README.md
    ${DATADIR}/applications/${APP_ID}.desktop
    ${DATADIR}/metainfo/${APP_ID}.metainfo.xml
    ${DATADIR}/icons/hicolor/scalable/apps/${APP_ID}.svg
    ${DATADIR}/icons/hicolor/48x48/apps/${APP_ID}.png)
  if(NOT EXISTS ${prefix}/${f})
    message(FATAL_ERROR "Not installed: ${f}")
  endif()
endforeach()

execute_process(
  COMMAND ${CMAKE_COMMAND} -E env
          --unset=TIKKELI_PROGRAM_DIR --unset=TIKKELI_INI --unset=TIKKELI_DOCUMENTS --unset=TIKKELI_KOPIOTIKKU
          --unset=XDG_CONFIG_HOME --unset=XDG_DATA_HOME --unset=XDG_CACHE_HOME
          HOME=${home} QT_QPA_PLATFORM=offscreen
          ${prefix}/${BINDIR}/tikkeli --start-check
  WORKING_DIRECTORY ${home}
  TIMEOUT 90
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "The installed program did not reach its main window (exit ${rc}).")
endif()
file(REAL_PATH ${prefix}/${PROGRAM_DIR} expected)
string(FIND "${out}" "Ohjelmakansio: ${expected}\n" at)
if(at EQUAL -1)
  message(FATAL_ERROR "The installed program did not use its installed files in ${expected}.")
endif()
if(NOT EXISTS ${home}/Documents/Tikkeli/demo1.mdb)
  message(FATAL_ERROR "The sample database was not copied to the fresh home's documents folder.")
endif()
