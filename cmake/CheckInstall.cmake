# Installs the build into a scratch prefix, checks what is there, then starts
# the dashboard through the installed launcher (headless) for a user whose
# device tree does not exist yet.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
foreach(f bin/velvane bin/lokaro bin/hortel bin/cereg bin/ceini bin/standin-navigator bin/velvane-start
          share/applications/velvane.desktop share/velvane/systemd/velvane.service
          "share/velvane/device/Program Files/Velvane/Velvane.ini" share/velvane/device/GPS/GPS.ini)
  if(NOT EXISTS "${prefix}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()

# The sample's navigator wrapper must stay executable, or lokaro cannot start it.
execute_process(COMMAND test -x "${prefix}/share/velvane/device/My Flash Disk/Navigation/mnavdce.exe"
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the installed navigator wrapper is not executable")
endif()

set(home ${WORK_DIR}/home)
file(MAKE_DIRECTORY ${home})
file(WRITE ${WORK_DIR}/start.script "wait 2000\nsnapshot \"${WORK_DIR}/start.png\"\nquit\n")
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env --unset=CE_ROOT --unset=XDG_DATA_HOME HOME=${home}
          CE_BACKEND=headless CE_SCRIPT=${WORK_DIR}/start.script CE_TRANSCRIPT=${WORK_DIR}/transcript.txt
          CE_PORTS=none ${prefix}/bin/velvane-start
  RESULT_VARIABLE rc ERROR_VARIABLE err TIMEOUT 60)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "velvane-start exited with ${rc}: ${err}")
endif()
if(NOT EXISTS "${home}/.local/share/velvane/device/Program Files/Velvane/Velvane.ini")
  message(FATAL_ERROR "the launcher made no device tree under ${home}: ${err}")
endif()
if(NOT EXISTS ${WORK_DIR}/start.png)
  message(FATAL_ERROR "the dashboard took no snapshot: ${err}")
endif()
