# The object list benchmark program (run by bench/run-objlists.sh): the list window offscreen
# over a Firebird catalog of many triggers.
if(TARGET vlm_objlists)
  find_package(Qt6 REQUIRED COMPONENTS Widgets)
  add_executable(bench_objlists ${CMAKE_CURRENT_LIST_DIR}/bench_objlists.cpp)
  target_link_libraries(bench_objlists PRIVATE vlm_objlists vlm_drivers)
endif()
