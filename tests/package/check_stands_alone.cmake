# Copies the source tree (no build directories, no version control) into
# WORK_DIR/alone/repo, with nothing beside it, and checks that it stands
# alone: it configures with every optional part on, builds a benchmark from
# its own generator, reports the tests of shared material as skipped, and
# makes the fuzz seeds. Cheap on purpose: the full suite already runs here.
file(REMOVE_RECURSE ${WORK_DIR})
set(repo ${WORK_DIR}/alone/repo)
file(MAKE_DIRECTORY ${repo})

file(GLOB entries RELATIVE ${SOURCE_DIR} ${SOURCE_DIR}/* ${SOURCE_DIR}/.[!.]*)
foreach(entry IN LISTS entries)
  if(NOT entry MATCHES "^(build.*|\\.git|\\.cache)$")
    file(COPY ${SOURCE_DIR}/${entry} DESTINATION ${repo})
  endif()
endforeach()

function(run)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${repo} RESULT_VARIABLE rc
                  OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "command failed (${rc}): ${ARGN}\n${out}\n${err}")
  endif()
  set(last_output "${out}${err}" PARENT_SCOPE)
endfunction()

function(expect_match text pattern what)
  if(NOT text MATCHES "${pattern}")
    message(FATAL_ERROR "${what}: no '${pattern}' in\n${text}")
  endif()
endfunction()

set(build ${repo}/build/check)
run(${CMAKE_COMMAND} -S ${repo} -B ${build} -DCMAKE_BUILD_TYPE=Release -DORVANE_WERROR=ON
    -DORVANE_BUILD_BENCH=ON)
expect_match("${last_output}" "no shared floors at [^\n]*/alone/shared/bench" bench_floors)

run(${CMAKE_COMMAND} --build ${build} --target hand_floor_bench_d100)

run(${CMAKE_CTEST_COMMAND} --test-dir ${build} -R "^tools_orvane_command_corpus$" --verbose)
expect_match("${last_output}" "Skipped" corpus_test)
expect_match("${last_output}" "skipped: [^\n]*/alone/shared/corpus/pmml is absent" corpus_reason)

run(${CMAKE_COMMAND} -E env --unset=ORVANE_SHARED_DIR --unset=ORVANE_SHARED_CORPUS
    bash ${repo}/fuzz/make_seeds.sh ${WORK_DIR}/seeds)
expect_match("${last_output}" "no shared corpus at" fuzz_seeds)
