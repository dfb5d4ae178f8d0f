# Runs one fuzzer for SECONDS seconds on WORK/corpus, seeded from SEEDS, and
# fails on any finding. New inputs and crash files go to WORK only, so the
# seed corpus in the source tree is never written to.
set(corpus ${WORK}/corpus)
file(MAKE_DIRECTORY ${corpus} ${WORK}/findings)
file(GLOB seeds ${SEEDS}/*)
file(COPY ${seeds} DESTINATION ${corpus})

execute_process(
  COMMAND ${FUZZER} ${corpus}
    -max_total_time=${SECONDS} -timeout=10 -rss_limit_mb=1024
    -dict=${DICTIONARY} -artifact_prefix=${WORK}/findings/ -print_final_stats=1
  RESULT_VARIABLE result
  ERROR_VARIABLE log)

string(REGEX MATCH "Done [0-9]+ runs in [0-9]+ second" done "${log}")
file(GLOB inputs ${corpus}/*)
list(LENGTH inputs count)
message("${done}s; corpus ${count} inputs in ${corpus}")
if(NOT result EQUAL 0)
  message("${log}")
  message(FATAL_ERROR "fuzzer failed (${result}); the input is in ${WORK}/findings")
endif()
