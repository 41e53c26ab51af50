# The control's property page (TfmPage) and the port and speed lists it
# shares with the search dialog.
target_sources(Notarel PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/port_baud_lists.cpp
  ${CMAKE_CURRENT_LIST_DIR}/property_page.cpp
  ${CMAKE_CURRENT_LIST_DIR}/property_page_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/property_page_handlers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/property_page_draw.cpp
)
