# Scores transactional baskets with `orvane score`: consecutive rows of one
# basket are one case, written as one row.
execute_process(COMMAND ${TOOL} score ${DIR}/basket.pmml ${DIR}/basket.csv
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "orvane score: exit ${rc}\n${err}")
endif()
file(READ ${DIR}/basket.scored.csv expected)
if(NOT out STREQUAL expected)
  message(FATAL_ERROR "orvane score wrote\n${out}\nexpected\n${expected}")
endif()
