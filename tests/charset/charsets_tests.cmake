# Character set names, conversion and the external converter binding.

# The product's default: no converter library can be found, every conversion is built in.
pictolumen_test(charsets_tests
  ${CMAKE_CURRENT_LIST_DIR}/charset_names_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/charset_conversion_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/external_converter_absent_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unicode_text_test.cpp)
target_link_libraries(charsets_tests PRIVATE pl_charset)
if(NOT WIN32)
  # Checks the built-in tables, the UTF-8 routines and the decoding into code points against the
  # C library's iconv.
  target_sources(charsets_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/charset_tables_test.cpp
                                        ${CMAKE_CURRENT_LIST_DIR}/unicode_text_iconv_test.cpp)
endif()

# A converter library named "iconv.dll" for the tests, in a folder of its own that only the
# external converter tests put on the library search path. Natively it forwards to the C
# library's iconv; the Windows one converts with the system's code page functions.
set(PL_TEST_ICONV_FOLDER ${CMAKE_CURRENT_BINARY_DIR}/iconv_dll)
if(WIN32)
  add_library(test_iconv_dll SHARED ${CMAKE_CURRENT_LIST_DIR}/iconv_dll/iconv_win32.cpp)
else()
  add_library(test_iconv_dll SHARED ${CMAKE_CURRENT_LIST_DIR}/iconv_dll/iconv_glibc.cpp)
endif()
target_include_directories(test_iconv_dll PRIVATE ${PROJECT_SOURCE_DIR}/src)
set_target_properties(test_iconv_dll PROPERTIES
  OUTPUT_NAME iconv PREFIX "" SUFFIX ".dll"
  LIBRARY_OUTPUT_DIRECTORY ${PL_TEST_ICONV_FOLDER}
  RUNTIME_OUTPUT_DIRECTORY ${PL_TEST_ICONV_FOLDER}
  ARCHIVE_OUTPUT_DIRECTORY ${PL_TEST_ICONV_FOLDER})

# The product's default runs in that folder: a library in the current folder is never loaded.
add_dependencies(charsets_tests test_iconv_dll)
set_tests_properties(charsets_tests PROPERTIES WORKING_DIRECTORY ${PL_TEST_ICONV_FOLDER})

pictolumen_test(external_converter_tests ${CMAKE_CURRENT_LIST_DIR}/external_converter_test.cpp)
target_link_libraries(external_converter_tests PRIVATE pl_charset)
target_include_directories(external_converter_tests PRIVATE ${CMAKE_CURRENT_LIST_DIR}/iconv_dll)
add_dependencies(external_converter_tests test_iconv_dll)
if(WIN32)
  # The library is looked for beside the module that binds it (here the test program), never on
  # PATH: the test program is built into the library's folder.
  set_target_properties(external_converter_tests PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${PL_TEST_ICONV_FOLDER})
else()
  set_tests_properties(external_converter_tests PROPERTIES
    ENVIRONMENT "LD_LIBRARY_PATH=${PL_TEST_ICONV_FOLDER}:$ENV{LD_LIBRARY_PATH}")
endif()
