# The rooms of the core library, lowest first. A file may include its own room
# and the rooms of lower layers, never one beside or above it, so every arrow
# between rooms runs downward: the engine knows no database, the database
# knows no knowledge base, and the knowledge base (seed, loader, checks) sits
# on top of everything it checks.
set(TCM_CORE_LAYERS
  "text crypto settings"   # plain text, numbers, ciphers and set.ini
  "model"                  # the knowledge types the engine works on
  "engine"                 # scoring the syndrome knowledge base
  "db"                     # gateway, dialect, schema, locks, backups
  "login"
  "entry result"           # findings entered; recommendations shown
  "customer"
  "constitution"           # the national questionnaire: items, scoring, judgement, saved results
  "prescription"
  "shop"
  "kb"                     # seed model and loading, knowledge loader and checks
)

# Fills `out` with one line per include in `core_dir` that does not run
# downward ("file: includes room/header").
function(tcm_upward_core_includes core_dir out)
  get_filename_component(core_dir "${core_dir}" ABSOLUTE)
  set(level 0)
  foreach(layer IN LISTS TCM_CORE_LAYERS)
    math(EXPR level "${level} + 1")
    string(REPLACE " " ";" rooms "${layer}")
    foreach(room IN LISTS rooms)
      set(_level_${room} ${level})
    endforeach()
  endforeach()
  set(found)
  file(GLOB_RECURSE sources RELATIVE ${core_dir} ${core_dir}/*.h ${core_dir}/*.cpp)
  foreach(src IN LISTS sources)
    string(REGEX MATCH "^[^/]+" room "${src}")
    if(src STREQUAL room)  # a file at the top of the core, beside every room
      set(own 0)
    elseif(DEFINED _level_${room})
      set(own ${_level_${room}})
    else()
      list(APPEND found "${src}: room '${room}' has no layer")
      continue()
    endif()
    file(STRINGS ${core_dir}/${src} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
      if(NOT header MATCHES "/")
        continue()  # a header at the top of the core
      endif()
      string(REGEX MATCH "^[^/]+" target "${header}")
      if(target STREQUAL room)
        continue()
      endif()
      if(NOT DEFINED _level_${target})
        list(APPEND found "${src}: includes ${header} of a room with no layer")
      elseif(NOT _level_${target} LESS own)
        list(APPEND found "${src}: includes ${header}, which is not below '${room}'")
      endif()
    endforeach()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# Run as a script (cmake -DTCM_CORE_DIR=... -P core_layers.cmake) it fails on
# any upward include.
if(CMAKE_SCRIPT_MODE_FILE AND CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE)
  tcm_upward_core_includes("${TCM_CORE_DIR}" problems)
  if(problems)
    list(JOIN problems "\n  " text)
    message(FATAL_ERROR "Includes that do not run downward in the core:\n  ${text}")
  endif()
  message(STATUS "Every include of the core runs downward")
endif()
