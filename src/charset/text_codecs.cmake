# Transfer codecs, text and date utilities: the lowest layer of the mail engine.
add_library(pl_charset_text STATIC
  ${CMAKE_CURRENT_LIST_DIR}/mail_date.cpp
  ${CMAKE_CURRENT_LIST_DIR}/quoted_printable_lines.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_utils.cpp
  ${CMAKE_CURRENT_LIST_DIR}/transfer_codecs.cpp)
target_link_libraries(pl_charset_text PUBLIC pl_platform pl_common pl_jtext)
