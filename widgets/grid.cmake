# The record grid: its store, number texts, sort and code page are core; the
# view, model and delegate are ui.
target_sources(qm_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/GridCodePage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GridCodePage.h
  ${CMAKE_CURRENT_LIST_DIR}/GridSort.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GridSort.h
  ${CMAKE_CURRENT_LIST_DIR}/NumberText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/NumberText.h
  ${CMAKE_CURRENT_LIST_DIR}/RowStore.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RowStore.h)
target_sources(qm_ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/GridColumn.h
  ${CMAKE_CURRENT_LIST_DIR}/RecordGrid.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordGrid.h
  ${CMAKE_CURRENT_LIST_DIR}/RecordGridDelegate.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordGridDelegate.h
  ${CMAKE_CURRENT_LIST_DIR}/RecordGridFilter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordGridFilter.h
  ${CMAKE_CURRENT_LIST_DIR}/RecordGridModel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/RecordGridModel.h)
