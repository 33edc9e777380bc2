# Plants each violation in a copy of the tree, one at a time, and expects the checks to fail
# naming it; the copy without a plant passes:
#   cmake -DROOT=<source tree> -DWORK=<scratch folder> -P PlantedViolations.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/LayerTable.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/DiagramText.cmake)

# expect | file the line is added to (made if missing) | the line
set(include_cases
  "fail|store/PlantStore.cpp|#include <shell/TStart.h>"
  "fail|views/Colors.h|#include \"views/live/TForm6.h\""
  "fail|views/live/Planted.cpp|#include \"views/history/TForm7.h\""
  "fail|views/history/Planted.cpp|#include \"archive/PlantArchive.h\""
  "fail|views/Planted.cpp|#include \"views/archive/TForm14.h\""
  "fail|store/extra/Planted.cpp|#include \"store/PlantStore.h\""
  "fail|store/Planted.cpp|#include \"link/Polling.h\""
  "fail|link/Planted.hpp|#include \"shell/TStart.h\""
  "fail|link/Planted.inl|#include \"shell/TStart.h\""
  "fail|link/Planted.hh|#include \"shell/TStart.h\""
  "fail|link/Planted.hxx|#include \"shell/TStart.h\""
  "fail|link/Planted.ipp|#include \"shell/TStart.h\""
  "fail|link/Planted.c|#include \"shell/TStart.h\""
  "fail|link/Planted.cc|#include \"shell/TStart.h\""
  "fail|link/Planted.cxx|#include \"shell/TStart.h\""
  "fail|protocol/Planted.hpp|#include <QString>"
  "fail|session/Planted.inl|#include <termios.h>"
  "fail|link/Planted.cpp|#include <sqlite3.h>"
  "fail|serial/Planted.cpp|#include \"serial/posix/PosixComm.h\""
  "fail|views/history/Planted.cpp|#include \"../../shell/TStart.h\""
  "fail|session/Planted.cpp|#include \"PlantStore.h\""
  "fail|session/Planted.cpp|#include \"serial/internal/VaThread.h\""
  "fail|qtloop/Planted.cpp|#include <serial/internal/VaThread.h>"
  "fail|tests/session/Planted.cpp|#include \"serial/internal/VaThread.h\""
  "fail|tests/support/Planted.h|#include \"serial/internal/VaThread.h\""
  "fail|tools/render/Planted.cpp|#include \"serial/internal/VaThread.h\""
  "fail|bench/Planted.cpp|#include \"serial/internal/VaThread.h\""
  "fail|docs/Planted.cpp|#include <vector>"
  "fail|Planted.cpp|#include <vector>"
  "pass|serial/Planted.cpp|#include \"serial/internal/VaThread.h\""
  "pass|serial/posix/Planted.cpp|#include \"serial/internal/VaThread.h\""
  "pass|serial/win32/Planted.cpp|#include \"serial/internal/VaThread.h\""
  "pass|tests/serial/Planted.cpp|#include \"serial/internal/VaThread.h\""
  "pass|tests/session/Planted.cpp|#include \"shell/TStart.h\""
  "pass|views/archive/Planted.cpp|#include \"archive/PlantArchive.h\""
  "pass|views/Planted.cpp|#include <sys/time.h>\n#include <gtest/gtest.h>"
  "pass|build-planted/Planted.cpp|#include <shell/TStart.h>"
)

function(RunCheck script out_rc out_text)
  execute_process(COMMAND ${CMAKE_COMMAND} -DROOT=${copy} ${ARGN} -P ${CMAKE_CURRENT_LIST_DIR}/${script}
    RESULT_VARIABLE rc OUTPUT_VARIABLE text ERROR_VARIABLE text)
  set(${out_rc} ${rc} PARENT_SCOPE)
  set(${out_text} "${text}" PARENT_SCOPE)
endfunction()

# The checked folders and the README, copied into the scratch folder.
function(CopyTree)
  file(REMOVE_RECURSE ${copy})
  file(MAKE_DIRECTORY ${copy})
  file(COPY ${ROOT}/README.md DESTINATION ${copy})
  foreach(entry ${layer_entries})
    string(REGEX REPLACE "/.*" "" top "${entry}")
    if(IS_DIRECTORY ${ROOT}/${top} AND NOT IS_DIRECTORY ${copy}/${top})
      file(COPY ${ROOT}/${top} DESTINATION ${copy})
    endif()
  endforeach()
endfunction()

# The first folder on the way to `path` that does not exist yet ("" if none is missing).
function(FirstMissingFolder path out)
  set(${out} "" PARENT_SCOPE)
  get_filename_component(folder ${path} DIRECTORY)
  string(REPLACE "/" ";" parts "${folder}")
  set(walked "")
  foreach(part ${parts})
    string(APPEND walked "${part}")
    if(NOT IS_DIRECTORY ${copy}/${walked})
      set(${out} "${walked}" PARENT_SCOPE)
      return()
    endif()
    string(APPEND walked "/")
  endforeach()
endfunction()

# Adds the line to the copy's file, runs the include check, and undoes the plant.
function(PlantInclude expect file line)
  FirstMissingFolder(${file} made_folder)
  set(original "")
  if(EXISTS ${copy}/${file})
    file(READ ${copy}/${file} original)
  endif()
  file(WRITE ${copy}/${file} "${original}\n${line}\n")
  RunCheck(CheckLayers.cmake rc text)
  if(made_folder)
    file(REMOVE_RECURSE ${copy}/${made_folder})
  elseif(original STREQUAL "")
    file(REMOVE ${copy}/${file})
  else()
    file(WRITE ${copy}/${file} "${original}")
  endif()
  Judge(${expect} "${file}" "${file} <- ${line}" ${rc} "${text}")
  set(faults ${faults} PARENT_SCOPE)
endfunction()

# Changes the copy's README, runs the README check, and undoes the change.
function(PlantReadme pattern replacement needle)
  file(READ ${copy}/README.md original)
  string(REGEX REPLACE "${pattern}" "${replacement}" changed "${original}")
  if(changed STREQUAL original)
    set(faults ${faults} "README: the pattern ${pattern} plants nothing" PARENT_SCOPE)
    return()
  endif()
  file(WRITE ${copy}/README.md "${changed}")
  RunCheck(CheckReadme.cmake rc text)
  file(WRITE ${copy}/README.md "${original}")
  Judge(fail "${needle}" "README: ${pattern}" ${rc} "${text}")
  set(faults ${faults} PARENT_SCOPE)
endfunction()

# Changes a copy of the rule table and runs the include check with it.
function(PlantTable pattern replacement needle)
  file(READ ${CMAKE_CURRENT_LIST_DIR}/layers.txt original)
  string(REGEX REPLACE "${pattern}" "${replacement}" changed "${original}")
  if(changed STREQUAL original)
    set(faults ${faults} "table: the pattern ${pattern} plants nothing" PARENT_SCOPE)
    return()
  endif()
  file(WRITE ${WORK}/layers.txt "${changed}")
  RunCheck(CheckLayers.cmake rc text -DTABLE=${WORK}/layers.txt)
  file(REMOVE ${WORK}/layers.txt)
  Judge(fail "${needle}" "table: ${pattern} -> ${replacement}" ${rc} "${text}")
  set(faults ${faults} PARENT_SCOPE)
endfunction()

# A planted fault must fail the check and be named; a plant that is allowed must pass.
function(Judge expect needle what rc text)
  string(FIND "${text}" "${needle}" named)
  if(expect STREQUAL "fail" AND (rc EQUAL 0 OR named EQUAL -1))
    set(faults ${faults} "not caught: ${what}\n    ${text}" PARENT_SCOPE)
  elseif(expect STREQUAL "pass" AND NOT rc EQUAL 0)
    set(faults ${faults} "refused: ${what}\n    ${text}" PARENT_SCOPE)
  endif()
endfunction()

ReadLayerTable(${CMAKE_CURRENT_LIST_DIR}/layers.txt)
set(copy ${WORK}/tree)
CopyTree()
set(faults "")
foreach(script CheckLayers.cmake CheckReadme.cmake)
  RunCheck(${script} rc text)
  if(NOT rc EQUAL 0)
    list(APPEND faults "the copy without a plant fails ${script}:\n    ${text}")
  endif()
endforeach()
foreach(case ${include_cases})
  string(REPLACE "|" ";" fields "${case}")
  list(GET fields 0 expect)
  list(GET fields 1 file)
  list(GET fields 2 line)
  PlantInclude(${expect} ${file} "${line}")
endforeach()
# A README that drifts from the table: what is replaced, by what, the text the fault names.
PlantReadme("(${diagram_begin}\n```\n)" "\\1serial/posix ──► serial/win32\n" "diagram")
PlantReadme("(\n\\| `base/` \\|)" "\n| `extra/` | planted |\\1" "extra/")
PlantReadme("\n\\| `sim/` \\|[^\n]*" "" "sim/")
# A rule table that lets an arrow run up-hill or names what it does not have.
PlantTable("\n(base +\\| std +\\|)" "\n\\1 link" "base: names link, which stands above it")
PlantTable("\n(link +\\| std +\\|)" "\n\\1 serial/internl" "link: names serial/internl, which has no entry")
PlantTable("\n(assets +\\|) any" "\n\\1 qt" "assets: unknown code word qt")
file(REMOVE_RECURSE ${copy})

if(faults)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "the layer checks let planted faults pass:\n  ${text}")
endif()
list(LENGTH include_cases includes)
message(STATUS "layers: all ${includes} planted includes, the README's drifts and the table's faults judged right")
