# The allowed link graph of the program's libraries, written once. Each line names a library and the
# libraries of ours it may link; arrows point down only: a library never links one above it, and no
# library links the program (tavemo_app). The programs in tools/ link libraries only, never the
# window. The configure step checks every target against it and fails on any other link.
#
#   library                 may link
set(TAVEMO_LINK_GRAPH
  "tavemo_engine          :"
  "tavemo_core            :"
  "tavemo_files           : tavemo_core"
  "tavemo_paths           : tavemo_core tavemo_files"
  "tavemo_drawing         :"
  "tavemo_richtext        : tavemo_core"
  "tavemo_notes           : tavemo_core tavemo_files tavemo_paths tavemo_richtext tavemo_engine"
  "tavemo_platform        : tavemo_core"
  "tavemo_widgets         : tavemo_drawing"
  "tavemo_calendar_view   : tavemo_engine tavemo_drawing"
  "tavemo_wallpaper       : tavemo_core tavemo_files tavemo_paths tavemo_platform tavemo_engine tavemo_drawing"
  "tavemo_dialogs         : tavemo_core tavemo_files tavemo_paths tavemo_drawing tavemo_widgets tavemo_wallpaper"
  "tavemo_cli_core        : tavemo_engine"
  "tavemo_cli             : tavemo_cli_core tavemo_core tavemo_paths tavemo_engine tavemo_notes"
  "tavemo_app             : tavemo_core tavemo_files tavemo_paths tavemo_drawing tavemo_richtext tavemo_engine
                            tavemo_notes tavemo_platform tavemo_widgets tavemo_calendar_view tavemo_wallpaper
                            tavemo_dialogs"
)

# The libraries of ours named in a list of link items (plain names, or inside generator expressions
# such as $<LINK_ONLY:tavemo_x>).
function(tavemo_our_libraries items out)
  set(found "")
  foreach(item IN LISTS items)
    string(REGEX MATCHALL "tavemo_[a-z_]+" names "${item}")
    list(APPEND found ${names})
  endforeach()
  list(REMOVE_DUPLICATES found)
  list(REMOVE_ITEM found tavemo_version) # the version header: no code, linked by every program
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# The violations (one sentence each) of `target` linking `links` (our libraries): for a library, any
# link its line does not allow; for another target in tools/ (`kind` TOOL), a link to the program.
# Libraries without a line are violations themselves, so a new library must take its place.
function(tavemo_link_graph_violations target kind links out)
  set(violations "")
  if(kind STREQUAL "LIBRARY")
    set(allowed "")
    set(known FALSE)
    foreach(line IN LISTS TAVEMO_LINK_GRAPH)
      string(REGEX REPLACE "[ \n]+" " " line "${line}")
      string(REGEX MATCH "^([a-z_]+) *:(.*)$" matched "${line}")
      if(CMAKE_MATCH_1 STREQUAL target)
        set(known TRUE)
        separate_arguments(allowed UNIX_COMMAND "${CMAKE_MATCH_2}")
      endif()
    endforeach()
    if(NOT known)
      list(APPEND violations "${target} has no place in TAVEMO_LINK_GRAPH (cmake/LinkGraph.cmake)")
    endif()
    foreach(link IN LISTS links)
      if(NOT link IN_LIST allowed AND NOT link STREQUAL target)
        list(APPEND violations "${target} links ${link}, which TAVEMO_LINK_GRAPH does not allow")
      endif()
    endforeach()
  elseif(kind STREQUAL "TOOL")
    if("tavemo_app" IN_LIST links)
      list(APPEND violations "${target} links the window (tavemo_app), but tools link libraries only")
    endif()
  endif()
  set(${out} "${violations}" PARENT_SCOPE)
endfunction()

# Every target below `dir`, recursively.
function(tavemo_targets_below dir out)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    tavemo_targets_below(${sub} more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} "${targets}" PARENT_SCOPE)
endfunction()

# Checks the whole build against the graph; a violation stops the configure.
function(tavemo_check_link_graph)
  tavemo_targets_below(${PROJECT_SOURCE_DIR} targets)
  set(all_violations "")
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    get_target_property(source_dir ${target} SOURCE_DIR)
    if(type MATCHES "LIBRARY$" AND NOT type STREQUAL "INTERFACE_LIBRARY" AND source_dir MATCHES "/(src|tools)/")
      set(kind LIBRARY)
    elseif(type STREQUAL "EXECUTABLE" AND source_dir MATCHES "/tools/")
      set(kind TOOL)
    else()
      continue()
    endif()
    get_target_property(direct ${target} LINK_LIBRARIES)
    get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
    set(items "")
    foreach(list IN ITEMS direct interface)
      if(${list})
        list(APPEND items ${${list}})
      endif()
    endforeach()
    tavemo_our_libraries("${items}" links)
    tavemo_link_graph_violations(${target} ${kind} "${links}" violations)
    list(APPEND all_violations ${violations})
  endforeach()
  if(all_violations)
    list(JOIN all_violations "\n  " text)
    message(FATAL_ERROR "The link graph is broken:\n  ${text}")
  endif()
endfunction()
