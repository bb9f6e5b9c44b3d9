# The fuzz targets and the libraries each needs, one line per target. Included by the fuzz build
# (libFuzzer programs) and by the tests (programs that replay the kept inputs), each of which
# defines pictolumen_fuzz_target(name libraries...) its own way.
pictolumen_fuzz_target(message_fuzzer pl_mime)
pictolumen_fuzz_target(encoded_words_fuzzer pl_mime)
pictolumen_fuzz_target(mail_date_fuzzer pl_charset_text)
pictolumen_fuzz_target(transfer_codecs_fuzzer pl_mime)
pictolumen_fuzz_target(transcode_fuzzer pl_charset)
pictolumen_fuzz_target(unicode_text_fuzzer pl_charset)
pictolumen_fuzz_target(jis_conversion_fuzzer pl_jtext)
pictolumen_fuzz_target(ini_text_fuzzer pl_platform)
pictolumen_fuzz_target(emoji_markup_fuzzer pl_emoji)
pictolumen_fuzz_target(csv_column_fuzzer pl_jtext)
pictolumen_fuzz_target(pipeline_fuzzer pl_emoji)
pictolumen_fuzz_target(html_to_text_fuzzer pl_emoji)
