target_link_libraries(${name} PRIVATE quillora_workspace quillora_skin)
target_compile_definitions(${name} PRIVATE QUILLORA_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
add_dependencies(${name} quillora_language)
