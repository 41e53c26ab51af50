# The device search dialog (TfmFind) and the about box (TfmAbout).
target_sources(Notarel PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/find_dialog.cpp
  ${CMAKE_CURRENT_LIST_DIR}/find_dialog_search.cpp
  ${CMAKE_CURRENT_LIST_DIR}/find_dialog_animation.cpp
)

# The about box, shared by the control and the test application. A static
# library carries no resources into the module that links it, so the box
# draws its picture itself.
add_library(notarel_about STATIC ${CMAKE_CURRENT_LIST_DIR}/about_box.cpp)
target_include_directories(notarel_about PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(notarel_about PUBLIC notarel_winui shell32 user32 gdi32)
target_compile_options(notarel_about PRIVATE ${NOTAREL_WARNINGS})
target_link_libraries(Notarel PRIVATE notarel_about comctl32)
