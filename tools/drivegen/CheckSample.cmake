# Regenerates the sample drive into WORK_DIR and compares it byte for byte.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(COMMAND ${DRIVEGEN} ${ARGS} --gps-ini ${WORK_DIR}/GPS.ini ${WORK_DIR}/drive.nmea
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "drivegen failed: ${result}")
endif()
foreach(name drive.nmea GPS.ini)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK_DIR}/${name} ${SAMPLE_DIR}/${name}
                  RESULT_VARIABLE different)
  if(different)
    message(FATAL_ERROR "${SAMPLE_DIR}/${name} differs from the generator's output; "
                        "run `ninja drivegen_sample` and review the change")
  endif()
endforeach()
message(STATUS "sample drive and GPS settings are current")
