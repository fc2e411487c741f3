# The batch move benchmark program (run by bench/run-copy.sh): the 1,000,000-row dBase table
# copied into SQLite, PostgreSQL and Firebird through the engine.
if(TARGET vlm_driver_local)
  add_executable(bench_copy ${CMAKE_CURRENT_LIST_DIR}/bench_copy.cpp)
  # The engine again after the drivers: they call its type map, and static libraries link in order.
  target_link_libraries(bench_copy PRIVATE vlm_driver_local vlm_drivers vlm_engine)
endif()
