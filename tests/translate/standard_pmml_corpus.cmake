# The shared PMML corpus read as standard PMML; skipped (77) without it.
find_package(GTest REQUIRED)
add_executable(translate_standard_pmml_corpus_check
               ${CMAKE_CURRENT_LIST_DIR}/standard_pmml_corpus_check.cpp)
target_link_libraries(translate_standard_pmml_corpus_check PRIVATE Orvane::orvane GTest::gtest)
add_test(NAME translate_standard_pmml_corpus
         COMMAND translate_standard_pmml_corpus_check ${ORVANE_SHARED_DIR}/corpus/pmml)
set_tests_properties(translate_standard_pmml_corpus PROPERTIES SKIP_RETURN_CODE 77)
