# Installs the build tree into WORK_DIR/prefix, then configures, builds and runs
# the host project against it: once through find_package, once through pkg-config.
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "command failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(last_output "${out}" PARENT_SCOPE)
endfunction()

run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# The installed command finds the installed library by its relative RUNPATH,
# with no loader path and no environment at all, from any directory.
if(DEFINED COMMAND)
  find_program(ENV_PROGRAM env REQUIRED)
  execute_process(COMMAND ${ENV_PROGRAM} -i ${prefix}/${COMMAND} --help
                  WORKING_DIRECTORY ${WORK_DIR} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT "${out}${err}" MATCHES "usage: ")
    message(FATAL_ERROR "env -i ${prefix}/${COMMAND} --help: exit ${rc}\n${out}\n${err}")
  endif()
endif()

# find_package against the install tree.
run(${CMAKE_COMMAND} -S ${HOST_DIR} -B ${WORK_DIR}/host -DCMAKE_PREFIX_PATH=${prefix}
    -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/host)
run(${WORK_DIR}/host/orvane_host)
if(NOT last_output MATCHES "orvane host ok")
  message(FATAL_ERROR "host printed: ${last_output}")
endif()

# find_package against the build tree.
run(${CMAKE_COMMAND} -S ${HOST_DIR} -B ${WORK_DIR}/host_build_tree -DOrvane_DIR=${BUILD_DIR}
    -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/host_build_tree)
run(${WORK_DIR}/host_build_tree/orvane_host)

# pkg-config against the install tree.
find_program(PKG_CONFIG pkg-config)
find_program(CXX_COMPILER c++)
if(PKG_CONFIG AND CXX_COMPILER)
  file(GLOB pcdir ${prefix}/lib*/pkgconfig ${prefix}/lib/*/pkgconfig)
  set(ENV{PKG_CONFIG_PATH} "${pcdir}")
  run(${PKG_CONFIG} --cflags --libs orvane)
  string(STRIP "${last_output}" flags)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  file(GLOB libdir ${prefix}/lib*/ ${prefix}/lib/*/)
  run(${CXX_COMPILER} ${HOST_DIR}/main.cpp ${flags} -o ${WORK_DIR}/pc_host)
  set(ENV{LD_LIBRARY_PATH} "${pcdir}/..")
  run(${WORK_DIR}/pc_host)
endif()
