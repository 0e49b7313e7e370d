# The include surface of a target: the headers it, and what links it, may
# include. Sources include headers as "folder/file.h" from the source root;
# the root itself is on no target's include path. Instead each target gets
# a folder of its own in the build, <build>/include/<target>, holding
# symbolic links to the headers of the folders it names, at the same
# relative paths, and that folder is its include directory. A consumer so
# sees the headers of what it links and nothing else: an include across the
# layers (the simulated bench reaching into the program, a driver contract
# reaching up, the toolkit core reaching Qt) finds no file and fails to
# compile.
#
# ksil_surface(<target> [PUBLIC|INTERFACE|PRIVATE] <entry>...)
#   An entry is a source folder ("platform", "toolkit/qt": the headers of
#   that folder, not those of its sub-folders, which are entries of their
#   own) or a single header ("VeltrCRC32/marker.h"). The scope keyword
#   applies to the entries after it; PUBLIC by default. PRIVATE entries
#   are seen by the target's own sources only.
#
# The links are made when the build is configured (on the build machine,
# also for a cross build); a header added to a folder is picked up by the
# next configure, which the build runs by itself when the folder changes.

# Links of a previous configure that no longer name a header are dropped.
file(REMOVE_RECURSE ${CMAKE_BINARY_DIR}/include)

function(ksil_surface target)
    get_target_property(type ${target} TYPE)
    set(scope PUBLIC)
    set(public_root ${CMAKE_BINARY_DIR}/include/${target})
    set(private_root ${CMAKE_BINARY_DIR}/include/${target}.private)
    set(roots "")
    foreach(entry IN LISTS ARGN)
        if(entry MATCHES "^(PUBLIC|INTERFACE|PRIVATE)$")
            set(scope ${entry})
            continue()
        endif()
        set(source ${PROJECT_SOURCE_DIR}/${entry})
        if(IS_DIRECTORY ${source})
            file(GLOB headers CONFIGURE_DEPENDS ${source}/*.h)
        elseif(EXISTS ${source} AND entry MATCHES "\\.h$")
            set(headers ${source})
        else()
            message(FATAL_ERROR "ksil_surface(${target}): ${entry} is neither a source folder nor a header")
        endif()
        if(scope STREQUAL "PRIVATE")
            set(root ${private_root})
        else()
            set(root ${public_root})
        endif()
        foreach(header IN LISTS headers)
            file(RELATIVE_PATH relative ${PROJECT_SOURCE_DIR} ${header})
            get_filename_component(folder ${root}/${relative} DIRECTORY)
            file(MAKE_DIRECTORY ${folder})
            file(CREATE_LINK ${header} ${root}/${relative} SYMBOLIC)
        endforeach()
        if(type STREQUAL "INTERFACE_LIBRARY" AND scope STREQUAL "PUBLIC")
            set(scope INTERFACE)
        endif()
        if(NOT "${scope}:${root}" IN_LIST roots)
            list(APPEND roots "${scope}:${root}")
            target_include_directories(${target} ${scope} ${root})
        endif()
    endforeach()
endfunction()
