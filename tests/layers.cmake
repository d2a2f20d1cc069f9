# Checks that the code keeps its layers, by its #include lines:
#  - the system's own code reaches no Qt, SQLite or libxml2 header, not even through a
#    header of the platform that it includes;
#  - the platform's layers use only the ones below them: the core (platform/*) none of the
#    GUI stand-in; the window framework (platform/gui) neither the shell nor the scripted
#    runs; the shell (platform/shell) not the scripted runs.
# ctest runs it as: cmake -DSOURCE=<the source tree> -P layers.cmake
cmake_minimum_required(VERSION 3.25)

set(failures "")

# The project's files that file includes ("path/from/the/root.h"), into out.
function(project_includes file out)
  file(STRINGS "${SOURCE}/${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
  set(found "")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]+)\".*" "\\1" path "${line}")
    if(EXISTS "${SOURCE}/${path}")
      list(APPEND found "${path}")
    endif()
  endforeach()
  set(${out} "${found}" PARENT_SCOPE)
endfunction()

# Whether file itself includes a header of a library the system's code must not see.
function(toolkit_include file out)
  file(STRINGS "${SOURCE}/${file}" lines
       REGEX "^[ \t]*#[ \t]*include[ \t]+<(Q[A-Za-z]*|Qt[A-Za-z]*/|sqlite3|libxml/)")
  list(LENGTH lines n)
  if(n GREATER 0)
    list(GET lines 0 first)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+(<[^>]+>).*" "\\1" first "${first}")
    set(${out} "${first}" PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

# Rule 1: a walk from each file of the system's code through the headers it reaches.
set(system_dirs app store signal messages settings exchange ui res)
foreach(dir IN LISTS system_dirs)
  file(GLOB_RECURSE files RELATIVE "${SOURCE}" "${SOURCE}/${dir}/*.h" "${SOURCE}/${dir}/*.cpp")
  foreach(start IN LISTS files)
    set(queue "${start}")
    set(seen "${start}")
    set(via_${start} "${start}")
    while(queue)
      list(POP_FRONT queue file)
      toolkit_include("${file}" bad)
      if(bad)
        list(APPEND failures "${via_${file}} includes ${bad}")
        break()
      endif()
      project_includes("${file}" next)
      foreach(header IN LISTS next)
        if(NOT header IN_LIST seen)
          list(APPEND seen "${header}")
          list(APPEND queue "${header}")
          set(via_${header} "${via_${file}} -> ${header}")
        endif()
      endforeach()
    endwhile()
  endforeach()
endforeach()

# Rule 2: each layer of the platform and what it must not include.
function(forbid glob pattern)
  file(GLOB files RELATIVE "${SOURCE}" "${SOURCE}/${glob}")
  foreach(file IN LISTS files)
    project_includes("${file}" headers)
    foreach(header IN LISTS headers)
      if(header MATCHES "${pattern}")
        set(failures "${failures};${file} includes ${header}" PARENT_SCOPE)
      endif()
    endforeach()
  endforeach()
endfunction()
forbid("platform/*.[ch]*" "^platform/(gui|shell|script)/")
forbid("platform/gui/*.[ch]*" "^platform/(shell|script)/")
forbid("platform/shell/*.[ch]*" "^platform/script/")

list(REMOVE_ITEM failures "")
if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "layers broken:\n  ${text}")
endif()
message(STATUS "layers kept")
