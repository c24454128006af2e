target_link_libraries(${name} PRIVATE quillora_canvas)
