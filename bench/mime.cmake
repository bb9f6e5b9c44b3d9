pictolumen_benchmark(mime_bench mime_bench.cpp)
target_link_libraries(mime_bench PRIVATE pl_mime)
