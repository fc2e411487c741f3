# The panel build benchmark program (run by bench/run-panels.sh): the list build over the
# panels' logic, and the Qt report fill offscreen where the Qt panels are built.
if(TARGET vlm_panels_logic AND TARGET vlm_driver_local)
  add_executable(bench_panels ${CMAKE_CURRENT_LIST_DIR}/bench_panels.cpp)
  target_link_libraries(bench_panels PRIVATE vlm_panels_logic vlm_driver_local vlm_drivers)
  if(TARGET vlm_panels)
    target_link_libraries(bench_panels PRIVATE vlm_panels)
    target_compile_definitions(bench_panels PRIVATE VLM_BENCH_QT)
  endif()
endif()
