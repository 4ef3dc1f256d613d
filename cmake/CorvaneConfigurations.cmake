# A configuration fixes, at build time, where collision detection runs, the
# body shape and the body count. Sources whose code depends on it are
# compiled once per configuration into corvane_config_<name>; everything else
# lives once in corvane_core.

set(CORVANE_PROGRAMS "" CACHE INTERNAL "The shipped executables")

# corvane_add_configuration(<name> EXECUTOR Gpu|Cpu SHAPE Box|Circle COUNT <n> [TRACE_LIFETIMES])
#
# TRACE_LIFETIMES builds a test configuration whose scene objects report
# their destruction; it compiles the core sources in as well, so the traced
# and the untraced code never meet in one binary.
function(corvane_add_configuration name)
    cmake_parse_arguments(ARG "TRACE_LIFETIMES" "EXECUTOR;SHAPE;COUNT" "" ${ARGN})
    if(NOT ARG_EXECUTOR MATCHES "^(Gpu|Cpu)$")
        message(FATAL_ERROR "configuration ${name}: EXECUTOR must be Gpu or Cpu")
    endif()
    if(NOT ARG_SHAPE MATCHES "^(Box|Circle)$")
        message(FATAL_ERROR "configuration ${name}: SHAPE must be Box or Circle")
    endif()
    if(NOT ARG_COUNT MATCHES "^[1-9][0-9]*$")
        message(FATAL_ERROR "configuration ${name}: COUNT must be a positive integer")
    endif()

    set(target corvane_config_${name})
    if(TARGET ${target})
        return()
    endif()
    if(ARG_TRACE_LIFETIMES)
        add_library(${target} STATIC ${CORVANE_CONFIG_SOURCES} ${CORVANE_CORE_SOURCES})
        target_compile_definitions(${target} PUBLIC CORVANE_TRACE_LIFETIMES)
        target_link_libraries(${target} PUBLIC corvane_deps)
    else()
        add_library(${target} STATIC ${CORVANE_CONFIG_SOURCES})
        target_link_libraries(${target} PUBLIC corvane_core)
    endif()
    target_compile_definitions(${target} PUBLIC
        CORVANE_COLLISION_EXECUTOR=${ARG_EXECUTOR}
        CORVANE_BODY_SHAPE=${ARG_SHAPE}
        CORVANE_BODY_COUNT=${ARG_COUNT})
endfunction()

# corvane_add_program(<name> EXECUTOR ... SHAPE ... COUNT ...)
#
# The configuration and its executable <name>, in bin/ beside ShaderFiles.
function(corvane_add_program name)
    corvane_add_configuration(${name} ${ARGN})
    add_executable(${name} ${CORVANE_MAIN_SOURCE})
    target_link_libraries(${name} PRIVATE corvane_config_${name})
    add_dependencies(${name} corvane_shader_files)
    set(CORVANE_PROGRAMS ${CORVANE_PROGRAMS} ${name} CACHE INTERNAL "The shipped executables")
endfunction()
