add_executable(mime_bench mime_bench.cpp)
target_link_libraries(mime_bench PRIVATE benchmark::benchmark_main pl_mime pl_resources)
target_include_directories(mime_bench PRIVATE ${PROJECT_SOURCE_DIR}/src)
