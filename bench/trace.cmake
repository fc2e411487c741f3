# The SQL monitor benchmark program (run by bench/run-trace.sh): "Show" of a big trace log.
if(TARGET vlm_sqltrace AND TARGET vlm_panels)
  find_package(Qt6 REQUIRED COMPONENTS Widgets)
  add_executable(bench_trace ${CMAKE_CURRENT_LIST_DIR}/bench_trace.cpp)
  target_link_libraries(bench_trace PRIVATE vlm_sqltrace vlm_panels)
endif()
