# The Russian locale for the tests that run the program as a station set up in
# Russian (decimal comma): compiled from the system's locale sources into the
# build folder and used through LOCPATH, so the machine needs no installed
# locale, only the sources (Debian package locales, see scripts/setup.sh).
set(KSIL_LOCALE_DIR ${CMAKE_BINARY_DIR}/locale)
set(ksil_locale_file ${KSIL_LOCALE_DIR}/ru_RU.UTF-8/LC_NUMERIC)
add_custom_command(OUTPUT ${ksil_locale_file}
    COMMAND ${CMAKE_COMMAND} -DDIR=${KSIL_LOCALE_DIR} -P ${CMAKE_CURRENT_LIST_DIR}/make_locale.cmake
    COMMENT "Compiling the ru_RU.UTF-8 locale for the tests")
add_custom_target(ksil_test_locale ALL DEPENDS ${ksil_locale_file})
