# Runs the orvane command on the shipped examples and on bad input, and checks
# outputs, messages and exit statuses. With CORPUS set, runs it on every
# document of that corpus instead.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

function(expect_run expected_rc out_var err_var)
  execute_process(COMMAND ${TOOL} ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                  ERROR_VARIABLE err WORKING_DIRECTORY ${WORK_DIR})
  if(NOT rc EQUAL expected_rc)
    message(FATAL_ERROR "orvane ${ARGN}: exit ${rc}, expected ${expected_rc}\n${out}\n${err}")
  endif()
  set(${out_var} "${out}" PARENT_SCOPE)
  set(${err_var} "${err}" PARENT_SCOPE)
endfunction()

function(expect_equal actual expected_file what)
  file(READ ${expected_file} expected)
  if(NOT actual STREQUAL expected)
    file(WRITE ${WORK_DIR}/actual_${what} "${actual}")
    message(FATAL_ERROR "${what} differs from ${expected_file}:\n${actual}")
  endif()
endfunction()

function(expect_match text pattern what)
  if(NOT text MATCHES "${pattern}")
    message(FATAL_ERROR "${what}: '${text}' does not match '${pattern}'")
  endif()
endfunction()

# Every document of the corpus: values, or one clear line and status 1.
if(DEFINED CORPUS)
  file(GLOB corpus_documents ${CORPUS}/*.pmml)
  if(NOT corpus_documents)
    message(FATAL_ERROR "no documents in ${CORPUS}")
  endif()
  file(WRITE ${WORK_DIR}/empty_cases.csv "x\n1\n")
  # A document without derived fields is still described; derive needs them.
  expect_run(0 out err describe ${CORPUS}/rattle-iris-tree-pmml32.pmml)
  expect_match("${out}" "Data dictionary: 5 fields\n  class: string, nominal\n" describe_corpus)
  expect_match("${out}" "No derived fields \\(no TransformationDictionary\\)" describe_corpus)
  expect_run(1 out err derive ${CORPUS}/rattle-iris-tree-pmml32.pmml ${WORK_DIR}/empty_cases.csv)
  expect_match("${err}" "error 4: Node is missing --- TransformationDictionary ---" derive_corpus)
  foreach(document IN LISTS corpus_documents)
    execute_process(COMMAND ${TOOL} derive ${document} ${WORK_DIR}/empty_cases.csv
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(rc EQUAL 0)
      continue()
    endif()
    if(NOT rc EQUAL 1 OR NOT err MATCHES "^orvane: [^\n]+\n$")
      message(FATAL_ERROR "derive ${document}: exit ${rc}\n${err}")
    endif()
  endforeach()
  return()
endif()

set(doc ${EXAMPLES}/loan_applicants.pmml)
set(cases ${EXAMPLES}/loan_applicants.csv)

expect_run(0 out err derive ${doc} ${cases})
expect_equal("${out}" ${EXPECTED}/loan_applicants.derived.csv derive_csv)

expect_run(0 out err derive ${doc} ${cases} --format jsonl)
expect_equal("${out}" ${EXPECTED}/loan_applicants.derived.jsonl derive_jsonl)

# -o leaves the complete file and nothing else.
expect_run(0 out err derive ${doc} ${cases} -o ${WORK_DIR}/result.csv)
file(READ ${WORK_DIR}/result.csv written)
expect_equal("${written}" ${EXPECTED}/loan_applicants.derived.csv derive_file)

expect_run(0 out err describe ${doc})
expect_match("${out}" "Derived fields \\(in evaluation order\\): 7" describe)

expect_run(0 out err --version)
expect_match("${out}" "^orvane [0-9]+\\.[0-9]+\\.[0-9]+" version)

# Bad input: one line on stderr, a non-zero status, no output file.
file(WRITE ${WORK_DIR}/bad_cell.csv "age,income,debt,region,employment\n34,lots,1,north,self\n")
expect_run(1 out err derive ${doc} ${WORK_DIR}/bad_cell.csv -o ${WORK_DIR}/bad.csv)
expect_match("${err}" "^orvane: .*bad_cell.csv: line 2, column income: \"lots\" is not a number\n$" bad_cell)
if(EXISTS ${WORK_DIR}/bad.csv OR EXISTS ${WORK_DIR}/bad.csv.partial)
  message(FATAL_ERROR "a failed run left an output file behind")
endif()

file(WRITE ${WORK_DIR}/short_row.csv "age,income\n34\n")
expect_run(1 out err derive ${doc} ${WORK_DIR}/short_row.csv)
expect_match("${err}" "line 2: 1 cells where the header has 2" short_row)

file(WRITE ${WORK_DIR}/not_xml.pmml "this is not XML")
expect_run(1 out err derive ${WORK_DIR}/not_xml.pmml ${cases})
expect_match("${err}" "^orvane: .*not_xml.pmml: error [0-9]+: " not_xml)

file(WRITE ${WORK_DIR}/no_td.pmml "<PMML><DataDictionary numberOfFields=\"0\"/></PMML>")
expect_run(1 out err derive ${WORK_DIR}/no_td.pmml ${cases})
expect_match("${err}" "no_td.pmml: error 4: " no_transformations)

expect_run(1 out err derive ${WORK_DIR}/absent.pmml ${cases})
expect_match("${err}" "absent.pmml: cannot open the document" absent)
expect_run(2 out err frobnicate ${doc})

# score: the tree test plug-in, found through the loader's search path.
set(ENV{LD_LIBRARY_PATH} "${PLUGINS}")
file(WRITE ${WORK_DIR}/names.txt "RegressionModel, TreeModel\n")
file(WRITE ${WORK_DIR}/tree_cases.csv "age,colour\n30,blue\n50,green\n,green\n")
expect_run(0 out err score ${TREE_DOCUMENT} ${WORK_DIR}/tree_cases.csv --models ${WORK_DIR}/names.txt)
expect_equal("${out}" ${EXPECTED}/tree.scored.csv score_csv)

expect_run(1 out err score ${TREE_DOCUMENT} ${WORK_DIR}/tree_cases.csv --models ${WORK_DIR}/absent.txt)
expect_match("${err}" "tree.pmml: error 2: Could not open model names file\n$" no_names_file)
# Without --models: the shipped names file, and a plug-in that the loader
# finds by file name (here the test plug-in) before the shipped one.
expect_run(0 out err score ${TREE_DOCUMENT} ${WORK_DIR}/tree_cases.csv)
expect_equal("${out}" ${EXPECTED}/tree.scored.csv score_default_names)

# A column the data dictionary does not know is carried through.
file(WRITE ${WORK_DIR}/extra_column.csv "age,note,income,debt,region,employment\n34,\"a, b\",52000,12000,north,employed\n")
expect_run(0 out err derive ${doc} ${WORK_DIR}/extra_column.csv)
expect_match("${out}" "^age,note,income,debt,region,employment,age_scaled,[^\n]*\n34,\"a, b\",52000,12000,north,employed,0.32" unknown_column)
