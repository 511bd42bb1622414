# Project-wide compiler settings: warnings everywhere, optional sanitizers.
add_compile_options(-Wall -Wextra)
if(RAVELDA_WERROR)
    add_compile_options(-Werror)
endif()
# GCC 12 raises false -Wrestrict alarms inside std::string at -O3 (GCC bug 105329), so Release
# builds leave that one warning out.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    add_compile_options($<$<CONFIG:Release>:-Wno-restrict>)
endif()
if(RAVELDA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# ravelda_add_library(NAME SOURCES... DEPS ...): the library of one folder.
function(ravelda_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# ravelda_folder_library(NAME [QT] DEPS ...): the library of the current folder, made of every
# .cpp in it, so that adding a file needs no edit here.
function(ravelda_folder_library name)
    cmake_parse_arguments(ARG "QT" "" "DEPS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    if(sources)
        add_library(${name} STATIC ${sources} ${headers})
        target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} PUBLIC ${ARG_DEPS})
        if(ARG_QT)
            set_target_properties(${name} PROPERTIES AUTOMOC ON)
        endif()
    else()
        add_library(${name} INTERFACE)
        target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(${name} INTERFACE ${ARG_DEPS})
    endif()
endfunction()
