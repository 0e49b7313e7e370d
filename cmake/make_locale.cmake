# cmake -DDIR=<folder> -P make_locale.cmake: compiles ru_RU.UTF-8 into DIR. A
# machine without localedef or the locale sources gets a warning, not a failed
# build; the tests that need the locale then fail saying what is missing.
file(MAKE_DIRECTORY ${DIR})
execute_process(COMMAND localedef -c -i ru_RU -f UTF-8 ${DIR}/ru_RU.UTF-8
    RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT EXISTS ${DIR}/ru_RU.UTF-8/LC_NUMERIC)
    message(WARNING "the ru_RU.UTF-8 locale could not be compiled (${result}): ${output}")
endif()
