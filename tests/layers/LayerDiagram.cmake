# Prints the README's layer diagram, drawn from the layer table; with -DREADME=<file> it
# redraws the diagram in that file instead:
#   cmake [-DREADME=README.md] -P tests/layers/LayerDiagram.cmake
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/LayerTable.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/DiagramText.cmake)

ReadLayerTable(${CMAKE_CURRENT_LIST_DIR}/layers.txt)
LayerDiagram(drawn)
if(NOT DEFINED README)
  execute_process(COMMAND ${CMAKE_COMMAND} -E echo_append "${drawn}")
  return()
endif()
file(READ ${README} readme)
SplitReadme("${readme}" found before diagram after)
if(NOT found)
  message(FATAL_ERROR "${README} has no lines ${diagram_begin} and ${diagram_end} to draw between")
endif()
file(WRITE ${README} "${before}${drawn}${after}")
