# ravelda_add_test(NAME SOURCES... LIBS ... [GUI]): one GoogleTest executable, one CTest test.
# GUI tests get a QApplication on the offscreen platform from the shared test main.
find_package(GTest REQUIRED)
function(ravelda_add_test name)
    cmake_parse_arguments(ARG "GUI;CORE" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    if(ARG_GUI)
        target_link_libraries(${name} PRIVATE ravelda_testmain_gui)
    elseif(ARG_CORE)
        target_link_libraries(${name} PRIVATE ravelda_testmain_core)
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    target_link_libraries(${name} PRIVATE ravelda_test_support ${ARG_LIBS} GTest::gtest GTest::gmock)
    target_compile_definitions(${name} PRIVATE
        RAVELDA_SHARED_DIR="${RAVELDA_SHARED_DIR}"
        RAVELDA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        RAVELDA_BINARY_DIR="${PROJECT_BINARY_DIR}")
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 600)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1")
endfunction()

# ravelda_folder_tests(PREFIX LIBS ... [GUI|CORE]): every *_test.cpp of the current folder becomes
# its own test executable PREFIX_<stem>, so that adding a test file needs no edit here.
function(ravelda_folder_tests prefix)
    cmake_parse_arguments(ARG "GUI;CORE" "" "LIBS" ${ARGN})
    set(kind "")
    if(ARG_GUI)
        set(kind GUI)
    elseif(ARG_CORE)
        set(kind CORE)
    endif()
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
    foreach(t ${tests})
        get_filename_component(stem ${t} NAME_WE)
        string(REGEX REPLACE "_test$" "" stem ${stem})
        ravelda_add_test(${prefix}_${stem} ${kind} SOURCES ${t} LIBS ${ARG_LIBS})
    endforeach()
endfunction()
