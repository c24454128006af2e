target_link_libraries(${name} PRIVATE quillora_service_core)
