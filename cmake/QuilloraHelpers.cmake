include(GoogleTest)

# quillora_add_test(<name> LABELS <label>... SOURCES <file>... LIBS <target>...)
# One GoogleTest binary; each of its tests becomes a CTest test carrying the
# labels. Window tests run on the offscreen platform so CI needs no display.
function(quillora_add_test name)
    cmake_parse_arguments(ARG "" "" "LABELS;SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main
                                          GTest::gmock Threads::Threads)
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES
            LABELS "${ARG_LABELS}"
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QUILLORA_TEST_DATA=${CMAKE_SOURCE_DIR}/tests/data"
            TIMEOUT 300)
endfunction()

# Adds every tests/<folder> that has a CMakeLists.txt and whose source folder
# is part of this build.
function(quillora_add_test_folders)
    foreach(folder IN LISTS QUILLORA_FOLDERS)
        if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/CMakeLists.txt)
            add_subdirectory(${folder})
        endif()
    endforeach()
endfunction()
