# The bill, parameter, polling, connection test and device search pages of
# Notaprobe. Included by testapp/CMakeLists.txt after the Notaprobe target.
#
# What each page does with the control (its logic) is a static library of its
# own, so that tests/notaprobe can run it against the emulator without
# windows, through the control wrapper.
add_library(notaprobe_pages_logic STATIC
  ${CMAKE_CURRENT_LIST_DIR}/page_bill_logic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_param_logic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_poll_logic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_poll_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_connect_logic.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_connect_stats.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_find_device_logic.cpp
)
target_include_directories(notaprobe_pages_logic PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(notaprobe_pages_logic PUBLIC notaprobe_control)
target_compile_options(notaprobe_pages_logic PRIVATE ${NOTAREL_WARNINGS})

target_sources(Notaprobe PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/page_bill.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_param.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_poll.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_connect.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_find_device.cpp
)
target_link_libraries(Notaprobe PRIVATE notaprobe_pages_logic)
