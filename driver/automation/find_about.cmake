# The device search dialog (TfmFind) and the about box (TfmAbout).
target_sources(Notarel PRIVATE ${CMAKE_CURRENT_LIST_DIR}/find_dialog.cpp)
