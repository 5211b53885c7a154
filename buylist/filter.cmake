target_sources(qm_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/FilterRows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FilterRows.h)
