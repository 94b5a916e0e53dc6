cmake_minimum_required(VERSION 3.25)
# The link graph check on links made up for it (cmake -P): what it must refuse and what it must let
# through. The real build is checked at every configure; this shows the check can fail.
include(${CMAKE_CURRENT_LIST_DIR}/LinkGraph.cmake)

function(expect target kind links expected_count)
  tavemo_link_graph_violations(${target} ${kind} "${links}" violations)
  list(LENGTH violations count)
  if(NOT count EQUAL expected_count)
    message(FATAL_ERROR "${target} linking '${links}': ${count} violations, expected ${expected_count}: ${violations}")
  endif()
endfunction()

expect(tavemo_notes LIBRARY "tavemo_core;tavemo_richtext;tavemo_engine" 0)
expect(tavemo_notes LIBRARY "tavemo_core;tavemo_widgets" 1)          # a widget library under the store
expect(tavemo_wallpaper LIBRARY "tavemo_calendar_view" 1)            # sideways
expect(tavemo_dialogs LIBRARY "tavemo_app;tavemo_widgets" 1)          # up to the program
expect(tavemo_engine LIBRARY "tavemo_core" 1)                        # the engine links nothing
expect(tavemo_new_thing LIBRARY "" 1)                                # a library with no place
expect(tavemo-wallpaper TOOL "tavemo_wallpaper;tavemo_app" 1)        # a tool on the window
expect(tavemo-wallpaper TOOL "tavemo_wallpaper;tavemo_notes" 0)

# The names inside generator expressions count as links too.
tavemo_our_libraries("Qt6::Core;$<LINK_ONLY:tavemo_widgets>;tavemo_version" found)
if(NOT found STREQUAL "tavemo_widgets")
  message(FATAL_ERROR "links found: '${found}'")
endif()
