# The PNG writer compresses with libdeflate and the reader inflates with it;
# the writer finds the end of each compressed piece with zlib's inflate.
pkg_check_modules(LIBDEFLATE REQUIRED IMPORTED_TARGET libdeflate)
target_link_libraries(quillora_canvas PUBLIC PkgConfig::LIBDEFLATE ZLIB::ZLIB)
