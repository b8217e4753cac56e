# Installs the build tree into WORK_DIR/prefix and scores a tree through the
# installed TreeModel plug-in, with no LD_LIBRARY_PATH: from a host built
# against the installed package (names file given), and with the installed
# orvane command (no --models).
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
unset(ENV{LD_LIBRARY_PATH})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "command failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
file(GLOB_RECURSE names_file ${prefix}/*/orvane/plugins/modeldll.txt)
if(NOT names_file)
  message(FATAL_ERROR "no names file installed under ${prefix}")
endif()

run(${CMAKE_COMMAND} -S ${HOST_DIR} -B ${WORK_DIR}/host -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/host)
run(${WORK_DIR}/host/orvane_plugin_host ${HOST_DIR}/tree.pmml ${names_file})
if(NOT last_output STREQUAL "TreeModel versicolor\n")
  message(FATAL_ERROR "host printed: ${last_output}")
endif()

file(WRITE ${WORK_DIR}/cases.csv "petal_width\n0.2\n1.1\n")
run(${prefix}/bin/orvane score ${HOST_DIR}/tree.pmml ${WORK_DIR}/cases.csv)
if(NOT last_output STREQUAL "petal_width,species,advice\n0.2,setosa,\n1.1,versicolor,\n")
  message(FATAL_ERROR "orvane score printed: ${last_output}")
endif()
