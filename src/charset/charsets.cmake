# Character set names, the external converter binding, character set conversion, and decoding
# into code points.
add_library(pl_charset STATIC
  ${CMAKE_CURRENT_LIST_DIR}/charset_names.cpp
  ${CMAKE_CURRENT_LIST_DIR}/external_converter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/charset_conversion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unicode_text.cpp)
target_link_libraries(pl_charset PUBLIC pl_charset_text pl_jtext pl_platform pl_common)
