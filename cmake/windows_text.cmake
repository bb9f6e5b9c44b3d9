# Script (cmake -P): writes the UTF-8 text file SOURCE to OUTPUT as Windows editors of Japanese
# systems expect it: Shift_JIS (code page 932) with CR LF line ends.
#   cmake -DSOURCE=docs/README-ja.txt -DOUTPUT=README.txt -P windows_text.cmake
execute_process(COMMAND iconv -f UTF-8 -t CP932 ${SOURCE}
                COMMAND sed "s/$/\r/"
                OUTPUT_FILE ${OUTPUT}.part
                RESULTS_VARIABLE results)
if(NOT results STREQUAL "0;0")
  file(REMOVE ${OUTPUT}.part)
  message(FATAL_ERROR "Cannot convert ${SOURCE} to Shift_JIS (iconv, sed: ${results})")
endif()
file(RENAME ${OUTPUT}.part ${OUTPUT})
