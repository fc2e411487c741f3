# The Paradox benchmark program (run by bench/run-paradox.sh beside the dBase one).
if(TARGET vlm_driver_local AND TARGET vlm_paradox)
  add_executable(bench_paradox ${CMAKE_CURRENT_LIST_DIR}/bench_paradox.cpp)
  target_link_libraries(bench_paradox PRIVATE vlm_driver_local vlm_drivers vlm_paradox)
endif()
