# The PNG writer compresses with libdeflate and the reader inflates with it;
# the writer checks chunks with zlib's CRC-32.
pkg_check_modules(LIBDEFLATE REQUIRED IMPORTED_TARGET libdeflate)
target_link_libraries(quillora_canvas PUBLIC PkgConfig::LIBDEFLATE ZLIB::ZLIB)
