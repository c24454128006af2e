find_package(OpenCV REQUIRED COMPONENTS core imgcodecs)
target_include_directories(${name} SYSTEM PRIVATE ${OpenCV_INCLUDE_DIRS})
target_link_libraries(${name} PRIVATE quillora_canvas ${OpenCV_LIBS})
