# The script window's editor benchmark program (run by bench/run-sql.sh).
if(TARGET vlm_sqlexec)
  add_executable(bench_sqlexec ${CMAKE_CURRENT_LIST_DIR}/bench_sqlexec.cpp)
  target_link_libraries(bench_sqlexec PRIVATE vlm_sqlexec)
endif()
