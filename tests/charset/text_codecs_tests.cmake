# Transfer codecs, text and date utilities.
pictolumen_test(text_codecs_tests
  ${CMAKE_CURRENT_LIST_DIR}/transfer_codecs_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_utils_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/mail_date_test.cpp)
target_link_libraries(text_codecs_tests PRIVATE pl_charset_text)

# Codecs and the date reader against Python's base64, quopri, binascii and email.utils.
add_executable(text_codecs_oracle_driver ${CMAKE_CURRENT_LIST_DIR}/text_codecs_oracle_driver.cpp)
target_link_libraries(text_codecs_oracle_driver PRIVATE pl_charset_text)
find_program(PICTOLUMEN_PYTHON3 NAMES python3)
if(PICTOLUMEN_PYTHON3)
  add_test(NAME text_codecs_oracle
           COMMAND ${PICTOLUMEN_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/text_codecs_oracle.py
                   ${CMAKE_CROSSCOMPILING_EMULATOR} $<TARGET_FILE:text_codecs_oracle_driver>)
endif()
