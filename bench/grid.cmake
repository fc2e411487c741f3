# The grid benchmark program (run by bench/run-grid.sh): the table window offscreen over a big
# table of each driver.
if(TARGET vlm_datawin)
  find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
  add_executable(bench_grid ${CMAKE_CURRENT_LIST_DIR}/bench_grid.cpp)
  target_link_libraries(bench_grid PRIVATE vlm_datawin Qt6::Test)
endif()
