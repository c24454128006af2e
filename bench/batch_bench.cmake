target_link_libraries(${name} PRIVATE quillora_workspace Qt6::Widgets)
